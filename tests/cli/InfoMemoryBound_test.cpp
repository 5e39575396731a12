// frameloom-cli info on small files that declare huge frames, run with the
// address space limited: the reader must refuse them for what they are, not
// run out of memory on the way.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "gifdata/GifData.h"
#include "support/HostileGifs.h"
#include "support/ShellRun.h"

namespace fs = std::filesystem;

namespace {

// The program's own address space (Qt and the C++ runtime) takes about 90 MB;
// this leaves some 70 MB for the document.
constexpr int AddressSpaceKiB = 160 * 1024;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool Sanitized = true; // the sanitizer's shadow memory does not fit any such limit
#else
constexpr bool Sanitized = false;
#endif

class CliInfoMemoryBound : public ::testing::Test {
  protected:
    void SetUp() override {
        if (Sanitized) GTEST_SKIP() << "address space limits do not apply to sanitizer builds";
        Dir = fs::temp_directory_path() / ("frameloom-bound-" + std::to_string(::getpid()));
        fs::create_directories(Dir);
    }
    void TearDown() override {
        if (!Dir.empty()) fs::remove_all(Dir);
    }
    fs::path Write(const std::string& name, const hostile::Bytes& bytes) {
        const fs::path path = Dir / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
        return path;
    }
    TShellRun InfoWithinLimit(const fs::path& gif) {
        // The report on stdout is left out; the reason on stderr is kept.
        return RunShell("(ulimit -v " + std::to_string(AddressSpaceKiB) + "; " + FRAMELOOM_CLI + " info '" +
                        gif.string() + "' >/dev/null)");
    }
    fs::path Dir;
};

TEST_F(CliInfoMemoryBound, CraftedFilesAreRefusedWithTheirReasonWithinTheLimit) {
    const std::pair<std::string, std::string> expected[] = {
        {"many-4096x4096-frames.gif", "Frame of 4096 x 4096 pixels has far too little image data"},
        {"many-1024x1024-frames.gif", "Frame of 1024 x 1024 pixels has far too little image data"},
        {"huge-frame-code-size-35.gif", "LZW minimum code size 35 is above 11"},
    };
    for (const hostile::THostileGif& gif : hostile::All()) {
        const TShellRun run = InfoWithinLimit(Write(gif.SeedName, gif.Data));
        EXPECT_EQ(run.Status, 1) << gif.SeedName << ": " << run.Output;
        for (const auto& [name, reason] : expected) {
            if (name == gif.SeedName) {
                EXPECT_EQ(run.Output, "frameloom-cli: " + reason + "\n") << gif.SeedName;
            }
        }
    }
}

TEST_F(CliInfoMemoryBound, AValidLargeFrameStillLoadsWithinTheLimit) {
    // 4096 x 4096 of one colour: 16 MB of indices from a few KB of data.
    const fs::path gif = Dir / "large.gif";
    {
        TGIFData doc;
        doc.ScreenWidth = doc.ScreenHeight = 4096;
        doc.AddFrame(4096, 4096);
        ASSERT_TRUE(doc.SaveToFile(gif.string()));
        ASSERT_LT(fs::file_size(gif), 20000u);
    }
    const TShellRun run = InfoWithinLimit(gif);
    EXPECT_EQ(run.Status, 0) << run.Output;
    EXPECT_EQ(run.Output, "");
}

} // namespace
