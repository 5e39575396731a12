// frameloom-cli slideshow and styles, checked from the outside: our reader,
// gifsicle and ImageMagick read what it writes.

#include "gifdata/GifData.h"

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

#include "support/ShellRun.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

std::string Cli(const std::string& command) {
    return std::string("QT_QPA_PLATFORM=offscreen '") + FRAMELOOM_CLI + "' " + command + " ";
}

std::string Quoted(const std::string& text) {
    return "'" + text + "'";
}

class SlideshowCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        Folder = std::filesystem::temp_directory_path() /
                 ("frameloom-slideshow-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(Folder);
        QImage red(40, 30, QImage::Format_RGB32);
        red.fill(QColor(255, 0, 0));
        ASSERT_TRUE(red.save(QString::fromStdString(File("red.png"))));
        QImage blue(80, 20, QImage::Format_RGB32);
        blue.fill(QColor(0, 0, 255));
        ASSERT_TRUE(blue.save(QString::fromStdString(File("blue.bmp"))));
    }
    void TearDown() override { std::filesystem::remove_all(Folder); }
    std::string File(const std::string& name) const { return (Folder / name).string(); }
    std::filesystem::path Folder;
};

std::vector<int> Delays(const std::string& path) {
    TGIFData document;
    std::vector<int> delays;
    if (!document.LoadFromFile(path)) return delays;
    for (const auto& frame : document.Frames)
        delays.push_back(frame->Control ? frame->Control->DelayTime : -1);
    return delays;
}

TEST_F(SlideshowCommand, AFrameSizeTooLargeToHoldIsRefusedAtOnce) {
    const std::string out = File("huge.gif");
    const TShellRun run = RunShell(Cli("slideshow") + Quoted(out) + " --size 9999x9999 " +
                                   Quoted(File("red.png")) + " " + Quoted(File("blue.bmp")));
    EXPECT_EQ(run.Status, 1) << run.Output;
    EXPECT_NE(
        run.Output.find("slideshow: a frame of 9999 x 9999 pixels is larger than the generators make (at "
                        "most 16777216 pixels, such as 4096 x 4096)"),
        std::string::npos)
        << run.Output;
    EXPECT_FALSE(std::filesystem::exists(out));
}

TEST_F(SlideshowCommand, TwoPicturesWithDefaultsGiveTwentyOneFrames) {
    const std::string out = File("show.gif");
    const TShellRun run = RunShell(Cli("slideshow") + Quoted(out) + " --size 20x10 --seed 4 " +
                                   Quoted(File("red.png")) + " " + Quoted(File("blue.bmp")));
    ASSERT_EQ(run.Status, 0) << run.Output;
    std::vector<int> expected{100};
    for (int pass = 0; pass < 2; ++pass) {
        expected.insert(expected.end(), 9, 10);
        expected.push_back(100);
    }
    EXPECT_EQ(Delays(out), expected);
    const TShellRun frames = RunShell("identify -format '%w %h|' " + Quoted(out));
    ASSERT_EQ(frames.Status, 0) << frames.Output;
    std::string sizes;
    for (int i = 0; i < 21; ++i) sizes += "20 10|";
    EXPECT_EQ(frames.Output, sizes);
    // Frame 10 shows the second picture, squeezed to the frame; the last the first again.
    const TShellRun middle =
        RunShell("convert " + Quoted(out + "[10]") + " -format '%[pixel:p{19,9}]' info:");
    EXPECT_NE(middle.Output.find("(7,7,247)"), std::string::npos) << middle.Output;
    const TShellRun last = RunShell("convert " + Quoted(out + "[20]") + " -format '%[pixel:p{0,0}]' info:");
    EXPECT_NE(last.Output.find("(247,7,7)"), std::string::npos) << last.Output;
    const TShellRun loop = RunShell("gifsicle --info " + Quoted(out));
    EXPECT_NE(loop.Output.find("loop forever"), std::string::npos) << loop.Output;
}

TEST_F(SlideshowCommand, PerPictureFieldsSetStyleStepAndDelays) {
    const std::string out = File("fields.gif");
    const TShellRun run = RunShell(Cli("slideshow") + Quoted(out) + " --size 16x16 " +
                                   Quoted(File("red.png") + ":fade:50:5:30") + " " +
                                   Quoted(File("blue.bmp") + ":118:100::2500"));
    ASSERT_EQ(run.Status, 0) << run.Output;
    // Picture 0 for 3, picture 1 in one step for 250, picture 0 back in two steps (5 ms -> 1).
    EXPECT_EQ(Delays(out), (std::vector<int>{3, 250, 1, 3}));
}

TEST_F(SlideshowCommand, TheSameSeedMakesTheSameFile) {
    const std::string pictures = std::string(" ") + Quoted(File("red.png")) + " " + Quoted(File("blue.bmp")) +
                                 " " + Quoted(File("red.png") + "::25");
    ASSERT_EQ(RunShell(Cli("slideshow") + Quoted(File("a.gif")) + " --seed 99" + pictures).Status, 0);
    ASSERT_EQ(RunShell(Cli("slideshow") + Quoted(File("b.gif")) + " --seed 99" + pictures).Status, 0);
    std::ifstream a(File("a.gif"), std::ios::binary), b(File("b.gif"), std::ios::binary);
    const std::string bytesA((std::istreambuf_iterator<char>(a)), {}),
        bytesB((std::istreambuf_iterator<char>(b)), {});
    EXPECT_FALSE(bytesA.empty());
    EXPECT_EQ(bytesA, bytesB);
    EXPECT_EQ(Delays(File("a.gif")).size(), 1u + 10 + 10 + 4);
}

TEST_F(SlideshowCommand, BadArgumentsAreUsageErrors) {
    const std::string out = Quoted(File("x.gif")) + " ";
    const std::string red = Quoted(File("red.png"));
    TShellRun run = RunShell(Cli("slideshow") + out + red);
    EXPECT_EQ(run.Status, 2);
    EXPECT_NE(run.Output.find("Please add at least two images"), std::string::npos) << run.Output;
    EXPECT_EQ(
        RunShell(Cli("slideshow") + out + red + " " + Quoted(File("red.png") + ":No such style")).Status, 2);
    EXPECT_EQ(RunShell(Cli("slideshow") + out + red + " " + Quoted(File("red.png") + ":151")).Status, 2);
    EXPECT_EQ(RunShell(Cli("slideshow") + out + red + " " + Quoted(File("red.png") + ":1:0")).Status, 2);
    EXPECT_EQ(RunShell(Cli("slideshow") + out + red + " " + Quoted(File("red.png") + ":1:10:1:1:1")).Status,
              2);
    EXPECT_EQ(RunShell(Cli("slideshow") + out + "--size 0x10 " + red + " " + red).Status, 2);
    EXPECT_EQ(RunShell(Cli("slideshow") + out + "--bogus " + red + " " + red).Status, 2);
    EXPECT_FALSE(std::filesystem::exists(File("x.gif")));
    run = RunShell(Cli("slideshow") + "--help");
    EXPECT_EQ(run.Status, 0);
    EXPECT_NE(run.Output.find("Usage: frameloom-cli slideshow"), std::string::npos);
}

TEST_F(SlideshowCommand, SlideShowsTooLargeToGenerateAreRefused) {
    const std::string red = Quoted(File("red.png"));
    TShellRun run =
        RunShell(Cli("slideshow") + Quoted(File("x.gif")) + " --size 9999x9999 " + red + " " + red);
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Output.find("9999 x 9999 pixels"), std::string::npos) << run.Output;
    run = RunShell(Cli("slideshow") + Quoted(File("x.gif")) + " --size 2000x1000 " +
                   Quoted(File("red.png") + ":1:1") + " " + Quoted(File("red.png") + ":1:1"));
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Output.find("201 frames of 2000x1000"), std::string::npos) << run.Output;
    EXPECT_FALSE(std::filesystem::exists(File("x.gif")));
}

TEST_F(SlideshowCommand, APictureThatCannotBeLoadedFailsTheRun) {
    std::ofstream(File("broken.png")) << "not a picture";
    const TShellRun run = RunShell(Cli("slideshow") + Quoted(File("x.gif")) + " " + Quoted(File("red.png")) +
                                   " " + Quoted(File("broken.png")));
    EXPECT_EQ(run.Status, 1);
    EXPECT_NE(run.Output.find("Can not load file \"" + File("broken.png") + "\""), std::string::npos)
        << run.Output;
    EXPECT_FALSE(std::filesystem::exists(File("x.gif")));
}

TEST(StylesCommand, ListsTheHundredAndFiftyStylesAsIndexDashName) {
    const TShellRun run = RunShell(Cli("styles"));
    ASSERT_EQ(run.Status, 0) << run.Output;
    EXPECT_EQ(std::count(run.Output.begin(), run.Output.end(), '\n'), 150);
    EXPECT_EQ(run.Output.rfind("1-Expand from right\n2-Expand from left\n", 0), 0u);
    EXPECT_NE(run.Output.find("\n18-Expand from bottom\n"), std::string::npos);
    EXPECT_NE(run.Output.find("\n33-Expand from bottom\n"), std::string::npos);
    EXPECT_NE(run.Output.find("\n150-Rotational star\n"), std::string::npos);
    EXPECT_EQ(RunShell(Cli("styles") + "extra").Status, 2);
}

} // namespace
