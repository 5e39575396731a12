// Round trips through independent GIF tools: files made by ImageMagick and
// gifsicle load with the structure gifsicle reports and the pixels ImageMagick
// decodes; resaved files are gifdiff-identical and keep their timing; files we
// write decode the same in the other tools.

#include <gtest/gtest.h>

#include "support/ShellRun.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <regex>
#include <sstream>

#include "GifTestBytes.h"

namespace {

// Standard output only: the tools' warnings would spoil what is compared.
TShellRun ShellQuiet(const std::string& command) {
    return RunShell(command, TShellErrors::Discarded);
}

using namespace giftest;
namespace fs = std::filesystem;

bool HaveTools() {
    return ShellQuiet("command -v convert && command -v gifsicle && command -v gifdiff && command -v giftext")
               .Status == 0;
}

// What `gifsicle --info` says about a file.
struct TInfoImage {
    int Width = 0, Height = 0, Left = 0, Top = 0;
    bool Interlaced = false;
    int Transparent = -1;
    int LocalTable = 0;
    int Disposal = 0;
    int Delay = 0;
    bool operator==(const TInfoImage&) const = default;
};
struct TInfo {
    int Width = 0, Height = 0;
    int GlobalTable = 0;
    int Background = 0;
    int Loop = -1; // -1 none, 0 forever
    std::vector<TInfoImage> Images;
};

std::ostream& operator<<(std::ostream& out, const TInfoImage& i) {
    return out << i.Width << "x" << i.Height << "+" << i.Left << "+" << i.Top << " il" << i.Interlaced
               << " tr" << i.Transparent << " lct" << i.LocalTable << " d" << i.Disposal << " delay"
               << i.Delay;
}

TInfo GifsicleInfo(const fs::path& file) {
    TShellRun run = ShellQuiet("gifsicle --info '" + file.string() + "'");
    TInfo info;
    std::istringstream lines(run.Output);
    std::string line;
    std::smatch m;
    static const std::map<std::string, int> disposals = {
        {"none", 0}, {"asis", 1}, {"background", 2}, {"previous", 3}};
    while (std::getline(lines, line)) {
        if (std::regex_search(line, m, std::regex(R"(logical screen (\d+)x(\d+))"))) {
            info.Width = std::stoi(m[1]);
            info.Height = std::stoi(m[2]);
        } else if (std::regex_search(line, m, std::regex(R"(^  global color table \[(\d+)\])"))) {
            info.GlobalTable = std::stoi(m[1]);
        } else if (std::regex_search(line, m, std::regex(R"(^  background (\d+))"))) {
            info.Background = std::stoi(m[1]);
        } else if (line.find("loop forever") != std::string::npos) {
            info.Loop = 0;
        } else if (std::regex_search(line, m, std::regex(R"(loop count (\d+))"))) {
            info.Loop = std::stoi(m[1]);
        } else if (std::regex_search(line, m, std::regex(R"(\+ image #\d+ (\d+)x(\d+))"))) {
            TInfoImage image;
            image.Width = std::stoi(m[1]);
            image.Height = std::stoi(m[2]);
            if (std::regex_search(line, m, std::regex(R"( at (\d+),(\d+))"))) {
                image.Left = std::stoi(m[1]);
                image.Top = std::stoi(m[2]);
            }
            image.Interlaced = line.find(" interlaced") != std::string::npos;
            if (std::regex_search(line, m, std::regex(R"(transparent (\d+))")))
                image.Transparent = std::stoi(m[1]);
            info.Images.push_back(image);
        } else if (!info.Images.empty() &&
                   std::regex_search(line, m, std::regex(R"(local color table \[(\d+)\])"))) {
            info.Images.back().LocalTable = std::stoi(m[1]);
        } else if (!info.Images.empty() && line.rfind("    disposal ", 0) == 0) {
            std::string name = line.substr(13, line.find(' ', 13) - 13);
            info.Images.back().Disposal =
                disposals.count(name) ? disposals.at(name) : std::atoi(name.c_str());
        }
        if (!info.Images.empty() && std::regex_search(line, m, std::regex(R"(delay (\d+)\.(\d\d)s)")))
            info.Images.back().Delay = std::stoi(m[1]) * 100 + std::stoi(m[2]);
    }
    return info;
}

// The same facts from our reader.
TInfo ModelInfo(const TGIFData& doc) {
    TInfo info;
    info.Width = doc.ScreenWidth;
    info.Height = doc.ScreenHeight;
    info.GlobalTable = doc.HasGlobalTable() ? 2 << doc.GlobalTableSize() : 0;
    info.Background = doc.BackgroundIndex;
    info.Loop = doc.Looping ? doc.LoopCount : -1;
    for (const auto& f : doc.Frames) {
        TInfoImage image;
        image.Width = f->Width;
        image.Height = f->Height;
        image.Left = f->Left;
        image.Top = f->Top;
        image.Interlaced = f->Interlaced();
        image.Transparent = f->Control->Transparent() ? f->Control->TransparentIndex : -1;
        image.LocalTable = f->HasLocalTable() ? 2 << f->LocalTableSize() : 0;
        image.Disposal = f->Control->Disposal();
        image.Delay = f->Control->DelayTime;
        info.Images.push_back(image);
    }
    return info;
}

void ExpectSameStructure(const TInfo& want, const TInfo& got, bool compareTables = true) {
    EXPECT_EQ(got.Width, want.Width);
    EXPECT_EQ(got.Height, want.Height);
    if (compareTables) {
        EXPECT_EQ(got.GlobalTable, want.GlobalTable);
    }
    EXPECT_EQ(got.Loop, want.Loop);
    ASSERT_EQ(got.Images.size(), want.Images.size());
    for (std::size_t i = 0; i < want.Images.size(); ++i) {
        TInfoImage a = want.Images[i], b = got.Images[i];
        if (!compareTables) {
            a.LocalTable = b.LocalTable = 0;
            a.Transparent = a.Transparent >= 0; // the index may move when palettes are compacted
            b.Transparent = b.Transparent >= 0;
        }
        EXPECT_EQ(b, a) << "image " << i;
    }
}

// Frame N as ImageMagick decodes it (the frame's own raster, not composited)
// against our indices looked up in the frame's palette; transparent pixels
// are left out.
void ExpectSamePixels(const fs::path& file, const TGIFData& doc) {
    for (std::size_t n = 0; n < doc.Frames.size(); ++n) {
        const TGIFImageData& f = *doc.Frames[n];
        TShellRun run =
            ShellQuiet("convert '" + file.string() + "[" + std::to_string(n) + "]' -depth 8 rgb:-");
        ASSERT_EQ(run.Status, 0);
        ASSERT_EQ(run.Output.size(), std::size_t(f.PixelCount) * 3) << "frame " << n;
        int differing = 0;
        for (std::int32_t i = 0; i < f.PixelCount; ++i) {
            std::uint8_t index = f.Pixels[std::size_t(i)];
            if (f.Control->Transparent() && index == f.Control->TransparentIndex) continue;
            TColor c = f.Color(index);
            const unsigned char* rgb = reinterpret_cast<const unsigned char*>(run.Output.data()) + 3 * i;
            if (rgb[0] != GetRValue(c) || rgb[1] != GetGValue(c) || rgb[2] != GetBValue(c)) ++differing;
        }
        EXPECT_EQ(differing, 0) << file << " frame " << n;
    }
}

bool HasControlBlocks(const fs::path& file) {
    return ShellQuiet("giftext '" + file.string() + "'").Output.find("graphics control") != std::string::npos;
}

// A file without any graphic control block: our frames carry the defaults.
TInfo WithFrameDefaults(const fs::path& file, TInfo info) {
    if (!HasControlBlocks(file))
        for (TInfoImage& image : info.Images) {
            image.Disposal = 2;
            image.Delay = 10;
        }
    return info;
}

class GifInterop : public ::testing::Test {
  protected:
    // The foreign files are made once for the suite: ImageMagick and gifsicle output.
    static void SetUpTestSuite() {
        if (!HaveTools()) return;
        SuiteFolder = fs::temp_directory_path() / ("frameloom-interop-" + std::to_string(::getpid()));
        fs::remove_all(SuiteFolder);
        fs::create_directories(SuiteFolder);
        Foreign.clear();
        Foreign.push_back(
            Make("im-photo.gif", "convert -seed 7 -size 37x23 plasma:fractal -colors 200 %OUT"));
        Foreign.push_back(Make("im-interlaced.gif",
                               "convert -seed 3 -size 41x19 plasma:fractal -colors 30 -interlace GIF %OUT"));
        Foreign.push_back(Make("im-anim.gif",
                               "convert -delay 15 -dispose previous -size 6x4 xc:white -dispose "
                               "background -delay 250 \\( -size 3x2 xc:red -repage +2+1 \\) -loop 3 %OUT"));
        Foreign.push_back(
            Make("im-transparent.gif", "convert -size 12x9 xc:none -fill blue -draw 'circle 6,4 6,1' %OUT"));
        Foreign.push_back(
            Make("gs-interlaced-transparent.gif",
                 "gifsicle --no-warnings --interlace --transparent '#FF0000' %DIR/im-anim.gif -o %OUT"));
        Foreign.push_back(Make("gs-merged.gif",
                               "gifsicle --no-warnings --disposal=asis --delay 7 --loopcount=forever "
                               "%DIR/im-photo.gif %DIR/im-interlaced.gif %DIR/im-anim.gif -o %OUT"));
        Foreign.push_back(Make("gs-optimized.gif", "gifsicle --no-warnings -O3 %DIR/gs-merged.gif -o %OUT"));
        Foreign.push_back(
            Make("gs-positioned.gif", "gifsicle --no-warnings -p 4,5 %DIR/im-photo.gif -o %OUT"));
        Foreign.push_back(
            Make("gs-no-loop.gif", "gifsicle --no-warnings --no-loopcount %DIR/im-anim.gif -o %OUT"));
    }
    static void TearDownTestSuite() {
        if (!SuiteFolder.empty()) fs::remove_all(SuiteFolder);
    }
    void SetUp() override {
        if (!HaveTools()) GTEST_SKIP() << "ImageMagick, gifsicle or giflib tools missing";
        ASSERT_EQ(Foreign.size(), 9u);
        for (const fs::path& file : Foreign) ASSERT_TRUE(fs::exists(file)) << file;
    }

    static fs::path Make(const std::string& name, const std::string& command) {
        fs::path file = SuiteFolder / name;
        std::string cmd = command;
        for (std::size_t p; (p = cmd.find("%OUT")) != std::string::npos;)
            cmd.replace(p, 4, std::string("'").append(file.string()).append("'"));
        for (std::size_t p; (p = cmd.find("%DIR")) != std::string::npos;)
            cmd.replace(p, 4, SuiteFolder.string());
        EXPECT_EQ(ShellQuiet(cmd).Status, 0) << cmd;
        return file;
    }

    static fs::path SuiteFolder;
    static std::vector<fs::path> Foreign;
};

fs::path GifInterop::SuiteFolder;
std::vector<fs::path> GifInterop::Foreign;

TEST_F(GifInterop, ForeignFilesLoadWithTheStructureAndPixelsTheToolsReport) {
    for (const fs::path& file : Foreign) {
        SCOPED_TRACE(file.filename().string());
        TGIFData doc;
        TIOErrorLog log;
        ASSERT_TRUE(doc.LoadFromFile(file.string()));
        EXPECT_TRUE(log.Messages.empty());
        ExpectSameStructure(WithFrameDefaults(file, GifsicleInfo(file)), ModelInfo(doc));
        ExpectSamePixels(file, doc);
    }
}

TEST_F(GifInterop, ResavedForeignFilesAreGifdiffIdenticalWithTheSameTiming) {
    for (const fs::path& file : Foreign) {
        SCOPED_TRACE(file.filename().string());
        TGIFData doc;
        ASSERT_TRUE(doc.LoadFromFile(file.string()));
        doc.CompactPalettes();
        fs::path resaved = SuiteFolder / ("resaved-" + file.filename().string());
        ASSERT_TRUE(doc.SaveToFile(resaved.string()));

        // A file without control blocks is read with the frame defaults (delay 10,
        // disposal 2), which the saved control blocks then carry: the only
        // difference gifdiff may see is that delay.
        bool defaults = !HasControlBlocks(file);
        TShellRun diff = ShellQuiet("gifdiff '" + file.string() + "' '" + resaved.string() + "'");
        if (!defaults) {
            EXPECT_EQ(diff.Status, 0) << diff.Output;
        } else {
            EXPECT_TRUE(
                std::regex_match(diff.Output, std::regex(R"((frame #\d+ delays differ: <none >0\.10s\n)+)")))
                << diff.Output;
        }
        ExpectSameStructure(WithFrameDefaults(file, GifsicleInfo(file)), GifsicleInfo(resaved), false);
        // ImageMagick reads the same delays and disposal methods.
        const std::string format = " -format '%T %D %w %h %X %Y\\n' ";
        std::string before = ShellQuiet("identify" + format + "'" + file.string() + "'").Output;
        if (defaults) before = std::regex_replace(before, std::regex("^0 Undefined"), "10 Background");
        EXPECT_EQ(ShellQuiet("identify" + format + "'" + resaved.string() + "'").Output, before);
        // giftext reads it to the end.
        TShellRun text = ShellQuiet("giftext '" + resaved.string() + "'");
        EXPECT_EQ(text.Status, 0);
        EXPECT_NE(text.Output.find("GIF file terminated normally"), std::string::npos);
    }
}

TEST_F(GifInterop, FilesWeWriteDecodeTheSameInTheOtherTools) {
    TGIFData doc;
    doc.ScreenWidth = 80;
    doc.ScreenHeight = 60;
    doc.ScreenFlags = 0xF7;
    std::mt19937 random(12345);
    for (auto& e : doc.GlobalPalette)
        e = {std::uint8_t(random()), std::uint8_t(random()), std::uint8_t(random()), 0};
    doc.Looping = true;
    doc.LoopCount = 5;

    TGIFImageData* noise = doc.AddFrame(80, 60); // 256 colours of noise: many clear codes
    for (auto& p : noise->Pixels) p = std::uint8_t(random());
    noise->Control->DelayTime = 3;

    TGIFImageData* interlaced = doc.AddFrame(17, 13);
    interlaced->Left = 30;
    interlaced->Top = 20;
    interlaced->SetInterlaced(true);
    interlaced->SetHasLocalTable(true);
    interlaced->SetLocalTableSize(2);
    for (int i = 0; i < 8; ++i) interlaced->LocalPalette[std::size_t(i)] = {std::uint8_t(i * 30), 200, 7, 0};
    for (std::size_t i = 0; i < interlaced->Pixels.size(); ++i)
        interlaced->Pixels[i] = std::uint8_t((i / 17 + i) % 8);
    interlaced->Control->SetTransparent(true);
    interlaced->Control->TransparentIndex = 2;
    interlaced->Control->SetDisposal(3);
    interlaced->Control->DelayTime = 120;

    doc.AddFrame(0, 0)->Control->DelayTime = 44; // no pixels: a control block alone

    TGIFImageData* single = doc.AddFrame(1, 1);
    single->Left = 79;
    single->Top = 59;
    single->Pixels[0] = 200;
    single->Control->SetDisposal(1);

    TGIFImageData* tall = doc.AddFrame(3, 40);
    tall->SetInterlaced(true);
    for (std::size_t i = 0; i < tall->Pixels.size(); ++i) tall->Pixels[i] = std::uint8_t(i / 3);

    doc.UpdateGlobalUsage();
    for (auto& f : doc.Frames) f->UpdateLocalUsage();
    doc.CompactPalettes();
    fs::path file = SuiteFolder / "ours.gif";
    ASSERT_TRUE(doc.SaveToFile(file.string()));

    // gifsicle sees the frames with pixels; the lone control block merges into the next frame's.
    TInfo expected = ModelInfo(doc);
    expected.Images.erase(expected.Images.begin() + 2);
    ExpectSameStructure(expected, GifsicleInfo(file));

    TGIFData pixelsOnly; // our frames with pixels, for the ImageMagick comparison
    ASSERT_TRUE(pixelsOnly.LoadFromFile(file.string()));
    ASSERT_EQ(pixelsOnly.Frames.size(), 4u);
    for (std::size_t i : {0u, 1u, 3u, 4u})
        EXPECT_EQ(pixelsOnly.Frames[i < 2 ? i : i - 1]->Pixels, doc.Frames[i]->Pixels);
    ExpectSamePixels(file, pixelsOnly);

    TShellRun text = ShellQuiet("giftext '" + file.string() + "'");
    EXPECT_NE(text.Output.find("GIF file terminated normally"), std::string::npos);
    EXPECT_NE(text.Output.find("DelayTime: 120"), std::string::npos);
    EXPECT_NE(text.Output.find("Transparent Index: 2"), std::string::npos);
    EXPECT_EQ(ShellQuiet("identify -format '%T %D\\n' '" + file.string() + "'").Output,
              "3 Background\n120 Previous\n10 None\n10 Background\n");
}

} // namespace
