// Movies made to cost memory: each is read and played within a stated bound,
// whatever its header and tags claim.
#include "SWFTestSupport.h"
#include "flash/SWFExport.h"
#include "flash/SWFPlayer.h"
#include "flash/SWFReader.h"
#include "support/ShellRun.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

const std::string Seeds = std::string(FRAMELOOM_TEST_DATA) + "/../../fuzz/seeds/swf_player_fuzz/";

// The bound: 512 MiB of address space for the whole command. Before reading
// grew with what a movie claimed, these files took 1.3 and 2.1 GB. AddressSanitizer
// reserves terabytes of address space up front, so its builds run unbounded.
#if defined(__SANITIZE_ADDRESS__)
const std::string Bound;
#else
const std::string Bound = "ulimit -v 524288; ";
#endif

std::vector<std::uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Cli(const std::string& args) {
    return Bound + "'" + std::string(FRAMELOOM_CLI) + "' " + args;
}

class SWFCraftedMovies : public ::testing::Test {
  protected:
    void SetUp() override {
        Folder = fs::temp_directory_path() / ("frameloom-crafted-" + std::to_string(::getpid()));
        fs::create_directories(Folder);
    }
    void TearDown() override { fs::remove_all(Folder); }
    fs::path Folder;
};

TEST_F(SWFCraftedMovies, FourDeclaredHugeBitmapsAreDecodedOnlyWhenAFrameShowsThem) {
    const std::string movie = Seeds + "crafted-four-64mpx-bitmaps.swf";
    const TShellRun info = RunShell(Cli("swf-info '" + movie + "'"));
    EXPECT_EQ(info.Status, 0) << info.Output;
    EXPECT_NE(info.Output.find("id 4, format 5, 8192 x 8192"), std::string::npos) << info.Output;
    const std::string png = (Folder / "frame.png").string();
    const TShellRun frame = RunShell(Cli("swf-frame '" + movie + "' 0 '" + png + "'"));
    EXPECT_EQ(frame.Status, 0) << frame.Output;
    EXPECT_TRUE(fs::exists(png));
}

TEST_F(SWFCraftedMovies, AHeaderClaimingAGibibyteIsReadTagByTagWithinTheBound) {
    const std::string movie = Seeds + "crafted-claims-1gib.swf";
    const TShellRun info = RunShell(Cli("swf-info '" + movie + "'"));
    EXPECT_EQ(info.Status, 0) << info.Output;
    EXPECT_NE(info.Output.find("Tags: 4\n"), std::string::npos) << info.Output;
    EXPECT_NE(info.Output.find("777 Unknown"), std::string::npos) << info.Output;
    const std::string png = (Folder / "frame.png").string();
    const TShellRun frame = RunShell(Cli("swf-frame '" + movie + "' 0 '" + png + "'"));
    EXPECT_EQ(frame.Status, 0) << frame.Output;
}

TEST(SWFReaderLimits, TagsBeyondTheMemoryLimitAreRefusedBeforeTheyAreRead) {
    TSWFReadLimits limits;
    limits.MaxKeptBytes = 1000;
    const std::vector<std::uint8_t> bytes = ReadFileBytes(Seeds + "crafted-four-64mpx-bitmaps.swf");
    try {
        TSWFFile::FromBytes(bytes.data(), bytes.size(), limits);
        ADD_FAILURE() << "no error";
    } catch (const ESWFFormatError& e) {
        EXPECT_NE(std::string(e.what()).find("MiB of tags in memory, more than the player handles"),
                  std::string::npos)
            << e.what();
    }
    limits = {};
    limits.MaxTags = 3;
    EXPECT_THROW(TSWFFile::FromBytes(bytes.data(), bytes.size(), limits), ESWFFormatError);
}

TEST(SWFReaderLimits, OnlyThePlayersTagsAreKeptWhole) {
    const std::vector<std::uint8_t> bytes = ReadFileBytes(Seeds + "crafted-claims-1gib.swf");
    const TSWFFile file = TSWFFile::FromBytes(bytes.data(), bytes.size());
    ASSERT_EQ(file.Tags.size(), 4u);
    EXPECT_EQ(file.Tags[2].Code, 777);
    EXPECT_EQ(file.Tags[2].Length, 1u << 30);
    EXPECT_EQ(file.Tags[2].KeptLength, 32u);
    EXPECT_LT(file.Kept.size(), 64u);
    EXPECT_TRUE(file.HasEndTag);
}

TEST(SWFPlayerMemory, ThePlayerHoldsWhatTheShownFrameNeedsAndNoMore) {
    // 40 frames, each its own 512 x 512 bitmap: 1 MiB decoded a frame.
    TGIFData doc;
    doc.ScreenWidth = 512;
    doc.ScreenHeight = 512;
    for (int i = 0; i < 40; ++i) {
        TGIFImageData* frame = doc.AddFrame(512, 512);
        std::fill(frame->Pixels.begin(), frame->Pixels.end(), std::uint8_t(i % 4));
    }
    std::unique_ptr<TSWFMovie> movie = BuildSWFMovie(doc, RGB(255, 255, 255), 10);
    movie->MakeStream();
    TSWFMemoryStream out;
    movie->SaveToStream(out);
    TSWFMoviePlayer player(TSWFFile::FromBytes(out.Bytes().data(), out.Bytes().size()));
    ASSERT_EQ(player.FrameCount(), 40);
    EXPECT_EQ(player.HeldBytes(), 0u); // nothing is decoded up front
    const std::size_t oneBitmap = std::size_t(512) * 512 * 4;
    for (int n : {0, 39, 17}) {
        player.RenderFrame(n);
        // Frame n shows the bitmaps of frames 0..n on their depths, but the
        // topmost covers the stage, so one decoded bitmap is all it holds.
        EXPECT_GE(player.HeldBytes(), oneBitmap);
        EXPECT_LT(player.HeldBytes(), 2 * oneBitmap + (std::size_t(n) + 1) * 4096) << "frame " << n;
    }
}

} // namespace
