// frameloom-cli's colour options (--colors, --dither) on the commands that turn
// pictures into frames, run as a program.
#include "gifdata/GifRaster.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/ShellRun.h"

namespace {

const std::string Cli = FRAMELOOM_CLI;

class CliColors : public ::testing::Test {
  protected:
    std::string Path(const std::string& name) const {
        return QDir(Dir.path()).filePath(QString::fromStdString(name)).toStdString();
    }
    // White with a dark blue square: two colours the standard palette moves.
    std::string TwoColourPicture() const {
        const std::string png = Path("two.png");
        const TShellRun made =
            RunShell("convert -size 40x30 xc:white -fill '#123456' -draw 'rectangle 5,5 20,20' "
                     "PNG24:'" +
                     png + "'");
        EXPECT_EQ(made.Status, 0) << made.Output;
        return png;
    }
    TColor FramePixel(const std::string& gif, int x, int y) const {
        TGIFData doc;
        EXPECT_TRUE(doc.LoadFromFile(gif));
        if (doc.Frames.empty()) return NoColor;
        const std::unique_ptr<TBitmap> frame = doc.Frames[0]->ToBitmap();
        return frame ? frame->Pixel(x, y) : NoColor;
    }
    QTemporaryDir Dir;
};

TEST_F(CliColors, ImportKeepsExactColoursOnlyWhenAsked) {
    const std::string png = TwoColourPicture();
    const std::string standard = Path("standard.gif"), exact = Path("exact.gif");
    ASSERT_EQ(RunShell("'" + Cli + "' import '" + standard + "' '" + png + "'").Status, 0);
    const TShellRun run = RunShell("'" + Cli + "' import --colors exact '" + exact + "' '" + png + "'");
    ASSERT_EQ(run.Status, 0) << run.Output;
    EXPECT_EQ(FramePixel(standard, 0, 0), RGB(247, 247, 247)); // the bin middle
    EXPECT_EQ(FramePixel(exact, 0, 0), RGB(255, 255, 255));
    EXPECT_EQ(FramePixel(exact, 10, 10), RGB(0x12, 0x34, 0x56));
}

TEST_F(CliColors, QualityWithDitheringMakesAFrame) {
    const std::string png = Path("photo.png");
    ASSERT_EQ(RunShell("convert -size 64x48 -seed 3 plasma:fractal PNG24:'" + png + "'").Status, 0);
    for (const char* dither : {"none", "fs", "ordered"}) {
        const std::string gif = Path(std::string(dither) + ".gif");
        const TShellRun run = RunShell("'" + Cli + "' import --colors quality --dither " + dither + " '" +
                                       gif + "' '" + png + "'");
        EXPECT_EQ(run.Status, 0) << dither << run.Output;
        EXPECT_NE(FramePixel(gif, 5, 5), NoColor) << dither;
    }
}

TEST_F(CliColors, BadColourOptionsAreUsageErrors) {
    const std::string png = TwoColourPicture(), gif = Path("out.gif");
    const std::string lines[] = {
        "import --colors best '" + gif + "' '" + png + "'",
        "import --dither fs '" + gif + "' '" + png + "'", // the standard reduction never dithers
        "import --colors exact --dither lots '" + gif + "' '" + png + "'",
        "import '" + gif + "' '" + png + "' --colors",
        "text-effect '" + gif + "' --colors 256",
        "slideshow '" + gif + "' '" + png + "' '" + png + "' --dither",
    };
    for (const std::string& line : lines) {
        const TShellRun run = RunShell("'" + Cli + "' " + line);
        EXPECT_EQ(run.Status, 2) << line << "\n" << run.Output;
        EXPECT_NE(run.Output.find("Usage:"), std::string::npos) << line;
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(gif)));
}

TEST_F(CliColors, UsageTextsNameTheOptions) {
    for (const char* command : {"import", "text-effect", "slideshow"}) {
        const TShellRun run = RunShell("'" + Cli + "' " + command + " --help");
        EXPECT_EQ(run.Status, 0);
        EXPECT_NE(run.Output.find("--colors standard|exact|quality"), std::string::npos) << command;
        EXPECT_NE(run.Output.find("--dither none|fs|ordered"), std::string::npos) << command;
    }
}

TEST_F(CliColors, TextEffectTakesTheChosenColours) {
    const std::string gif = Path("text.gif");
    const TShellRun run =
        RunShell("'" + Cli + "' text-effect '" + gif +
                 "' --frames 1 --colors exact --no-shadow --start-back-color FFFFFF --end-back-color FFFFFF");
    ASSERT_EQ(run.Status, 0) << run.Output;
    EXPECT_EQ(FramePixel(gif, 0, 0), RGB(255, 255, 255));
}

} // namespace
