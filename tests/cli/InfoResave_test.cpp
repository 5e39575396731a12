// frameloom-cli info and resave, run as a user runs them: exit statuses,
// what lands on stdout and stderr, and files that other tools read back.
#include "support/CliTestFolder.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class CliInfoResave : public TCliTestFolder {
  protected:
    TRun Cli(const std::string& args) { return Shell(std::string(FRAMELOOM_CLI) + " " + args); }

    // Two frames made by ImageMagick: red then blue, 20 x 10, delay 7, three repeats.
    fs::path MakeTwoFrameGif() {
        fs::path gif = Dir / "two.gif";
        TRun made = Shell("convert -delay 7 -loop 3 -size 20x10 xc:red xc:blue " + gif.string());
        EXPECT_EQ(made.Status, 0) << made.Err;
        return gif;
    }
};

TEST_F(CliInfoResave, InfoReportsTheStructureOfAnotherToolsFile) {
    fs::path gif = MakeTwoFrameGif();
    TRun run = Cli("info " + gif.string());
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("Screen: 20 x 10"), std::string::npos) << run.Out;
    EXPECT_NE(run.Out.find("Frames: 2"), std::string::npos);
    EXPECT_NE(run.Out.find("Delay: 7"), std::string::npos);
    EXPECT_NE(run.Out.find("Frame 1:"), std::string::npos);
    EXPECT_TRUE(run.Err.empty()) << run.Err;

    TRun json = Cli("info --json " + gif.string());
    ASSERT_EQ(json.Status, 0) << json.Err;
    EXPECT_EQ(json.Out.front(), '{');
    EXPECT_NE(json.Out.find("\"loaded\": true"), std::string::npos) << json.Out;
    EXPECT_NE(json.Out.find("\"screenWidth\": 20"), std::string::npos);
}

TEST_F(CliInfoResave, InfoOnATruncatedFileFailsButShowsWhatWasRead) {
    fs::path gif = MakeTwoFrameGif();
    std::string bytes = ReadAll(gif);
    // Cut inside the second frame: the first is complete.
    fs::path cut = Dir / "cut.gif";
    std::ofstream(cut, std::ios::binary) << bytes.substr(0, bytes.size() - 8);
    TRun run = Cli("info " + cut.string());
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Out.find("Frame 0:"), std::string::npos) << run.Out;
    EXPECT_FALSE(run.Err.empty());
}

TEST_F(CliInfoResave, UsageErrorsExitWithTwo) {
    EXPECT_EQ(Cli("info").Status, 2);
    EXPECT_EQ(Cli("resave only-one.gif").Status, 2);
    EXPECT_EQ(Cli("no-such-command").Status, 2);
    TRun help = Cli("info --help");
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("info"), std::string::npos);
}

TEST_F(CliInfoResave, ResaveKeepsEveryPixelDelayAndLoop) {
    fs::path gif = MakeTwoFrameGif();
    fs::path out = Dir / "out.gif";
    TRun run = Cli("resave " + gif.string() + " " + out.string());
    ASSERT_EQ(run.Status, 0) << run.Err;
    TRun diff = Shell("gifdiff " + gif.string() + " " + out.string());
    EXPECT_EQ(diff.Status, 0) << diff.Out << diff.Err;
    TRun identify = Shell("identify -format '%T %w %h\\n' " + out.string());
    EXPECT_EQ(identify.Out, "7 20 10\n7 20 10\n");
}

TEST_F(CliInfoResave, ResaveOfAMissingFileFailsAndWritesNothing) {
    fs::path out = Dir / "out.gif";
    TRun run = Cli("resave " + (Dir / "missing.gif").string() + " " + out.string());
    EXPECT_EQ(run.Status, 1);
    EXPECT_FALSE(run.Err.empty());
    EXPECT_FALSE(fs::exists(out));
}

TEST_F(CliInfoResave, ResaveIntoAMissingFolderFailsAndKeepsNoTemporaryFile) {
    fs::path gif = MakeTwoFrameGif();
    TRun run = Cli("resave " + gif.string() + " " + (Dir / "no-such-folder" / "out.gif").string());
    EXPECT_EQ(run.Status, 1);
    EXPECT_FALSE(run.Err.empty());
    EXPECT_FALSE(fs::exists(Dir / "no-such-folder"));
}

} // namespace
