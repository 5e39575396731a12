#pragma once
// Small GIF files written byte by byte, and a main window in a scratch program folder.

#include "ScriptedDialogs.h"
#include "editor/MainUnit.h"
#include "gifdata/DefaultPalette.h"
#include "gifdata/GifData.h"

#include <QTemporaryDir>
#include <QTest>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

using TBytes = std::vector<std::uint8_t>;

inline void WriteFileBytes(const std::string& path, const TBytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline TBytes ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void Append(TBytes& to, std::initializer_list<int> bytes) {
    for (int b : bytes) to.push_back(std::uint8_t(b));
}

// GIF89a header and logical screen w x h with a global table of the given
// colours (count a power of two, 2..256) and background index 0.
inline TBytes GifHeader(int w, int h, const std::vector<std::array<int, 3>>& colours) {
    int code = 0;
    while ((2 << code) < int(colours.size())) ++code;
    TBytes b;
    Append(b, {'G', 'I', 'F', '8', '9', 'a', w & 0xFF, w >> 8, h & 0xFF, h >> 8, 0x80 | code, 0, 0});
    for (const auto& c : colours) Append(b, {c[0], c[1], c[2]});
    return b;
}

// A 2 x 2 image at (left, top) whose four pixels are index 0, encoded by hand
// (minimum code size 2: clear, 0, 6, 0, end), optionally with a 2-entry local table.
inline void AppendZeroImage(TBytes& b, int left, int top, const std::vector<std::array<int, 3>>& local = {}) {
    Append(b, {0x2C, left & 0xFF, left >> 8, top & 0xFF, top >> 8, 2, 0, 2, 0, local.empty() ? 0x00 : 0x80});
    for (const auto& c : local) Append(b, {c[0], c[1], c[2]});
    Append(b, {0x02, 0x02, 0x84, 0x51, 0x00});
}

inline void AppendTrailer(TBytes& b) {
    b.push_back(0x3B);
}

// A document of blank frames (index 1, white) over the standard colours
// (index 0 black, 5 red, 7 yellow, 9 lime), saved to path.
inline std::string WriteBlankGif(const std::string& path, int width, int height, int frames = 1) {
    TGIFData gif;
    const TDefaultPalette& colours = DefaultPalette();
    for (int i = 0; i < 256; ++i) {
        gif.GlobalPalette[i].Red = colours[i].Red;
        gif.GlobalPalette[i].Green = colours[i].Green;
        gif.GlobalPalette[i].Blue = colours[i].Blue;
    }
    gif.SetGlobalTableSize(7);
    gif.ScreenWidth = std::uint16_t(width);
    gif.ScreenHeight = std::uint16_t(height);
    for (int i = 0; i < frames; ++i) gif.AddFrame(width, height);
    EXPECT_TRUE(gif.SaveToFile(path));
    return path;
}

// The main window over a scratch program folder, with scripted dialogs.
class TMainFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(Folder.isValid());
        Form = std::make_unique<TMainForm>(Dialogs, Dir());
    }
    void TearDown() override {
        // Whatever the test left modified must not ask on destruction.
        Form.reset();
    }
    std::string Dir() const { return Folder.path().toStdString(); }
    std::string PathOf(const std::string& name) const {
        return (std::filesystem::path(Dir()) / name).string();
    }

    QTemporaryDir Folder;
    TScriptedDialogs Dialogs;
    std::unique_ptr<TMainForm> Form;
};

// The main window shown on screen, 1000 x 700, as the canvas tests need it.
class TShownMainFormTest : public TMainFormTest {
  protected:
    void SetUp() override {
        TMainFormTest::SetUp();
        Form->resize(1000, 700);
        Form->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(Form.get()));
    }
};

inline std::string SampleGifPath() {
    return std::string(FRAMELOOM_TEST_DATA) + "/../../resources/Sample.gif";
}
