// frameloom-cli text-effect, checked from the outside: ImageMagick reads what it writes.

#include <gtest/gtest.h>

#include "support/ShellRun.h"

#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

std::string Cli() {
    return std::string("QT_QPA_PLATFORM=offscreen '") + FRAMELOOM_CLI + "' text-effect ";
}

class TextEffectCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        Folder = std::filesystem::temp_directory_path() /
                 ("frameloom-text-effect-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(Folder);
    }
    void TearDown() override { std::filesystem::remove_all(Folder); }
    std::string File(const std::string& name) const { return (Folder / name).string(); }
    std::filesystem::path Folder;
};

// Sizes the machine cannot hold are refused up front, under a memory bound the
// old program broke at once (it took 13 GB, or ended on std::bad_alloc).
#if defined(__SANITIZE_ADDRESS__)
const std::string Bound; // AddressSanitizer reserves terabytes of address space up front
#else
const std::string Bound = "ulimit -v 1048576; ";
#endif

TEST_F(TextEffectCommand, AFrameTooLargeToHoldIsRefusedWithAMessageAndExitStatus1) {
    const std::string out = File("huge.gif");
    const TShellRun run = RunShell(Bound + Cli() + "'" + out + "' --width 60000 --height 60000 --frames 1");
    EXPECT_EQ(run.Status, 1) << run.Output;
    EXPECT_NE(
        run.Output.find("text-effect: a frame of 60000 x 60000 pixels is larger than the generators make"),
        std::string::npos)
        << run.Output;
    EXPECT_FALSE(std::filesystem::exists(out));
    // Many frames of a size that fits one by one are refused the same way.
    const TShellRun many = RunShell(Bound + Cli() + "'" + out + "' --width 4000 --height 4000 --frames 999");
    EXPECT_EQ(many.Status, 1) << many.Output;
    EXPECT_NE(many.Output.find("1996 pictures of 4000 x 4000 pixels are more than the generators hold"),
              std::string::npos)
        << many.Output;
}

TEST_F(TextEffectCommand, HugeTextIsRefusedOrDrawnWithinTheBound) {
    const std::string text(60, 'W');
    // Turned by the default angle its box is several hundred megapixels: refused.
    const TShellRun turned = RunShell(Bound + Cli() + "'" + File("turned.gif") + "' --text " + text +
                                      " --start-size 1000 --frames 2");
    EXPECT_EQ(turned.Status, 1) << turned.Output;
    EXPECT_NE(turned.Output.find("The text is too large to draw."), std::string::npos) << turned.Output;
    // Level, it is drawn in bands: the frame shows its part, well inside 1 GiB.
    const std::string level = File("level.gif");
    const TShellRun drawn =
        RunShell(Bound + Cli() + "'" + level + "' --text " + text +
                 " --start-size 600 --start-angle 0 --end-angle 0 --frames 1 --no-shadow");
    EXPECT_EQ(drawn.Status, 0) << drawn.Output;
    EXPECT_TRUE(std::filesystem::exists(level));
}

TEST_F(TextEffectCommand, DefaultsMakeEighteenLoopingFramesOfATenthOfASecond) {
    const std::string out = File("default.gif");
    const TShellRun run = RunShell(Cli() + "'" + out + "'");
    ASSERT_EQ(run.Status, 0) << run.Output;
    const TShellRun frames = RunShell("identify -format '%w %h %T %X %Y|' '" + out + "'");
    ASSERT_EQ(frames.Status, 0) << frames.Output;
    std::string expected;
    for (int i = 0; i < 18; ++i) expected += "185 60 10 +0 +0|";
    EXPECT_EQ(frames.Output, expected);
    const TShellRun verbose = RunShell("identify -verbose '" + out + "[0]'");
    EXPECT_NE(verbose.Output.find("Iterations: 0"), std::string::npos) << "loops forever";
}

TEST_F(TextEffectCommand, OneAndTwoStatesGiveOneAndTwoFramesAndShortDelaysBecomeOneHundredth) {
    const std::string one = File("one.gif"), two = File("two.gif");
    ASSERT_EQ(RunShell(Cli() + "'" + one + "' --frames 1 --delay 10 --width 40 --height 20").Status, 0);
    ASSERT_EQ(RunShell(Cli() + "'" + two + "' --frames 2 --delay 15 --width 40 --height 20").Status, 0);
    EXPECT_EQ(RunShell("identify -format '%w %h %T|' '" + one + "'").Output, "40 20 1|");
    EXPECT_EQ(RunShell("identify -format '%w %h %T|' '" + two + "'").Output, "40 20 1|40 20 1|");
}

TEST_F(TextEffectCommand, OptionsReachTheFrames) {
    // A white text on a black background without shadow. Frames take the
    // middles of the colour bins they reduce to: black shows as 7, white as 247.
    const std::string out = File("options.gif");
    const TShellRun run =
        RunShell(Cli() + "'" + out +
                 "' --frames 3 --text Hi --start-color FFFFFF --end-color ffffff --start-back-color 000000"
                 " --end-back-color black --no-shadow --start-angle 0 --end-angle 0 --start-alpha 100"
                 " --end-alpha 100 --delay 250 --width 90 --height 50");
    ASSERT_EQ(run.Status, 0) << run.Output;
    EXPECT_EQ(RunShell("identify -format '%T|' '" + out + "'").Output, "25|25|25|25|");
    EXPECT_EQ(RunShell("convert '" + out + "[0]' -format '%[pixel:p{0,0}]' info:").Output, "srgb(7,7,7)");
    const TShellRun extremes =
        RunShell("convert '" + out + "[0]' -colorspace gray -format '%[fx:maxima]' info:");
    EXPECT_EQ(extremes.Output, "0.968627"); // 247 / 255
}

TEST_F(TextEffectCommand, TexturesAndBackgroundsAreLoadedFromFiles) {
    const std::string picture = File("red.png"), out = File("pictures.gif");
    ASSERT_EQ(RunShell("convert -size 8x8 xc:'#FF0000' '" + picture + "'").Status, 0);
    const TShellRun run = RunShell(Cli() + "'" + out + "' --frames 2 --background-image '" + picture +
                                   "' --texture '" + picture + "' --no-shadow");
    ASSERT_EQ(run.Status, 0) << run.Output;
    // The stretched red background fills the corner (red's bin middle).
    EXPECT_EQ(RunShell("convert '" + out + "[0]' -format '%[pixel:p{0,0}]' info:").Output, "srgb(247,7,7)");
}

TEST_F(TextEffectCommand, AMissingPictureFailsWithTheWizardsMessage) {
    const std::string out = File("never.gif");
    const TShellRun run = RunShell(Cli() + "'" + out + "' --texture '" + File("missing.png") + "'");
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Output.find("Can not open file \"" + File("missing.png") + "\"."), std::string::npos)
        << run.Output;
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(TextEffectCommand, AnimationsTooLargeToHoldAreRefusedBeforeAnyWork) {
    const std::string out = File("huge.gif");
    const TShellRun frames = RunShell(Cli() + "'" + out + "' --frames 999 --width 4000 --height 4000");
    EXPECT_EQ(frames.Status, 1);
    EXPECT_NE(frames.Output.find("1996"), std::string::npos) << frames.Output;
    EXPECT_NE(frames.Output.find("4000 x 4000 pixels"), std::string::npos) << frames.Output;
    const TShellRun text = RunShell(Cli() + "'" + out + "' --start-size 1000 --text " + std::string(60, 'W'));
    EXPECT_EQ(text.Status, 1);
    EXPECT_NE(text.Output.find("The text is too large to draw."), std::string::npos) << text.Output;
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(TextEffectCommand, BadValuesAreUsageErrors) {
    const std::string out = File("bad.gif");
    for (const char* options :
         {"--frames 0", "--frames 1000", "--delay 9", "--width 0", "--height -3", "--start-alpha 101",
          "--end-noise 256", "--start-angle 361", "--start-shadow-offset-x 128", "--start-size 0",
          "--start-color 12345", "--start-color -FFFFF", "--end-color nocolour", "--back-image-mode sideways",
          "--frames", "--unknown"}) {
        const TShellRun run = RunShell(Cli() + "'" + out + "' " + options);
        EXPECT_EQ(run.Status, 2) << options << "\n" << run.Output;
    }
    EXPECT_EQ(RunShell(Cli()).Status, 2) << "no output file";
    EXPECT_FALSE(std::filesystem::exists(out));
    const TShellRun help = RunShell(Cli() + "--help");
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Output.find("shadow-offset-y"), std::string::npos);
}

} // namespace
