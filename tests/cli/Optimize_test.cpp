// frameloom-cli optimize and resave --optimize, run as a user runs them: exit
// statuses for usage errors and failures, and files that gifdiff and
// ImageMagick find identical to the input, frame by frame.
#include "support/CliTestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class CliOptimize : public TCliTestFolder {
  protected:
    TRun Cli(const std::string& args) { return Shell(std::string(FRAMELOOM_CLI) + " " + args); }

    // An unoptimised animation: every frame the whole screen, a square moving
    // over a gradient, one frame repeated.
    fs::path MakeAnimation() {
        const fs::path gif = Dir / "in.gif";
        std::string frames;
        for (int i = 0; i < 6; ++i) {
            const int x = 5 + 6 * (i == 3 ? 2 : i);
            frames += " \\( -size 60x40 gradient:'#204080-#e0e0a0' -fill red -draw 'rectangle " +
                      std::to_string(x) + ",10 " + std::to_string(x + 8) + ",18' \\)";
        }
        const TRun made = Shell("convert -delay 9 -loop 2" + frames + " +dither -colors 64 " + gif.string());
        EXPECT_EQ(made.Status, 0) << made.Err;
        return gif;
    }

    void ExpectSameFrames(const fs::path& a, const fs::path& b) {
        const TRun diff = Shell("gifdiff " + a.string() + " " + b.string());
        EXPECT_EQ(diff.Status, 0) << diff.Out;
        const TRun ca = Shell("convert " + a.string() + " -coalesce -depth 8 rgba:- | md5sum");
        const TRun cb = Shell("convert " + b.string() + " -coalesce -depth 8 rgba:- | md5sum");
        EXPECT_EQ(ca.Out, cb.Out);
    }
};

TEST_F(CliOptimize, EveryLevelWritesASmallerFileWithTheSameFrames) {
    const fs::path in = MakeAnimation();
    for (int level = 1; level <= 3; ++level) {
        const fs::path out = Dir / ("out" + std::to_string(level) + ".gif");
        const TRun run =
            Cli("optimize " + in.string() + " " + out.string() + " --level " + std::to_string(level));
        ASSERT_EQ(run.Status, 0) << run.Err;
        EXPECT_NE(run.Out.find(" bytes -> "), std::string::npos) << run.Out;
        EXPECT_LT(fs::file_size(out), fs::file_size(in)) << level;
        ExpectSameFrames(in, out);
        // Delays and loop count stay.
        EXPECT_EQ(Shell("gifsicle --info " + out.string() + " | grep -c 'delay 0.09s'").Out, "6\n");
        // (ImageMagick's -loop 2 is two plays: a loop count of 1.)
        EXPECT_NE(Shell("gifsicle --info " + out.string()).Out.find("loop count 1"), std::string::npos);
    }
}

TEST_F(CliOptimize, TheDefaultIsTheHighestLevel) {
    const fs::path in = MakeAnimation();
    ASSERT_EQ(Cli("optimize " + in.string() + " " + (Dir / "a.gif").string()).Status, 0);
    ASSERT_EQ(Cli("optimize --level=3 " + in.string() + " " + (Dir / "b.gif").string()).Status, 0);
    EXPECT_EQ(ReadAll(Dir / "a.gif"), ReadAll(Dir / "b.gif"));
}

TEST_F(CliOptimize, ResaveOptimizeKeepsTheFramesAndBeatsAPlainResave) {
    const fs::path in = MakeAnimation();
    const fs::path plain = Dir / "plain.gif", optimized = Dir / "optimized.gif";
    ASSERT_EQ(Cli("resave " + in.string() + " " + plain.string()).Status, 0);
    const TRun run = Cli("resave " + in.string() + " " + optimized.string() + " --optimize");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_LT(fs::file_size(optimized), fs::file_size(plain));
    ExpectSameFrames(in, optimized);
}

TEST_F(CliOptimize, UsageErrorsExitWithTwo) {
    const fs::path in = MakeAnimation();
    const std::string out = (Dir / "out.gif").string();
    for (const std::string& args : {std::string("optimize"), "optimize " + in.string(),
                                    "optimize " + in.string() + " " + out + " extra",
                                    "optimize " + in.string() + " " + out + " --level",
                                    "optimize " + in.string() + " " + out + " --level 4",
                                    "optimize " + in.string() + " " + out + " --level=x",
                                    "optimize " + in.string() + " " + out + " --fast",
                                    "resave " + in.string() + " " + out + " --optimise"}) {
        const TRun run = Cli(args);
        EXPECT_EQ(run.Status, 2) << args;
        EXPECT_NE(run.Err.find("Usage: frameloom-cli"), std::string::npos) << args;
        EXPECT_FALSE(fs::exists(out)) << args;
    }
    const TRun help = Cli("optimize --help");
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("--level 1|2|3"), std::string::npos);
}

TEST_F(CliOptimize, FailuresExitWithOneAndWriteNothing) {
    const std::string out = (Dir / "out.gif").string();
    const TRun missing = Cli("optimize " + (Dir / "missing.gif").string() + " " + out);
    EXPECT_EQ(missing.Status, 1);
    EXPECT_FALSE(missing.Err.empty());
    std::ofstream(Dir / "text.gif") << "not a picture at all";
    const TRun text = Cli("optimize " + (Dir / "text.gif").string() + " " + out);
    EXPECT_EQ(text.Status, 1);
    EXPECT_NE(text.Err.find("Not a GIF file"), std::string::npos) << text.Err;
    EXPECT_FALSE(fs::exists(out));
    EXPECT_FALSE(fs::exists(out));
    const TRun unwritable =
        Cli("optimize " + MakeAnimation().string() + " " + (Dir / "no/such/dir.gif").string());
    EXPECT_EQ(unwritable.Status, 1);
}

} // namespace
