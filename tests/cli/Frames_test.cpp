// frameloom-cli frames, run as a user runs it: numbered pictures of every
// frame, and --composed steps that agree with ImageMagick's coalesced frames
// of files made by ImageMagick and gifsicle.
#include "support/CliTestFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "support/ShellRun.h"

namespace fs = std::filesystem;

namespace {

class CliFrames : public TCliTestFolder {
  protected:
    TRun Cli(const std::string& args) { return Shell(std::string(FRAMELOOM_CLI) + " frames " + args); }
    void Make(const std::string& command) {
        const TRun made = Shell(command);
        ASSERT_EQ(made.Status, 0) << command << "\n" << made.Err;
    }

    // ImageMagick's coalesced frames over the preview background, as R, G, B bytes.
    std::string Coalesced(const std::string& gif) {
        const TShellRun run =
            RunShell("convert '" + Path(gif) +
                         "' -coalesce -background 'rgb(166,202,240)' -alpha remove -alpha off "
                         "-depth 8 rgb:-",
                     TShellErrors::Discarded);
        EXPECT_EQ(run.Status, 0);
        return run.Output;
    }
    std::string Rgb(const std::string& picture) {
        const TShellRun run =
            RunShell("convert '" + Path(picture) + "' -alpha off -depth 8 rgb:-", TShellErrors::Discarded);
        EXPECT_EQ(run.Status, 0) << picture;
        return run.Output;
    }
    int FrameCount(const std::string& gif) {
        const TShellRun run = RunShell("identify '" + Path(gif) + "' | wc -l", TShellErrors::Discarded);
        return std::stoi(run.Output);
    }

    // Every composed step of gif written by frames --composed equals ImageMagick's coalesced frame.
    void ExpectComposedAgreesWithImageMagick(const std::string& gif, const std::string& out) {
        const int count = FrameCount(gif);
        ASSERT_GT(count, 1) << gif;
        const TRun run = Cli(gif + " " + out + " --composed");
        ASSERT_EQ(run.Status, 0) << run.Err;
        const std::string magick = Coalesced(gif);
        ASSERT_EQ(magick.size() % std::size_t(count), 0u);
        const std::size_t frameBytes = magick.size() / std::size_t(count);
        const std::string base = out.substr(0, out.find('.')), extension = out.substr(out.rfind('.'));
        std::string pictures;
        for (int n = 1; n <= count; ++n) {
            ASSERT_TRUE(fs::exists(Path(base + "_" + std::to_string(n) + extension))) << n;
            pictures += " '" + Path(base + "_" + std::to_string(n) + extension) + "'";
        }
        // One ImageMagick run reads all our pictures, one after the other.
        const TShellRun ours =
            RunShell("convert" + pictures + " -alpha off -depth 8 rgb:-", TShellErrors::Discarded);
        ASSERT_EQ(ours.Output.size(), magick.size()) << gif;
        for (int n = 0; n < count; ++n) {
            std::size_t wrong = 0;
            for (std::size_t i = n * frameBytes; i < (n + 1) * frameBytes; ++i)
                wrong += ours.Output[i] != magick[i];
            EXPECT_EQ(wrong, 0u) << gif << " frame " << n + 1;
        }
        EXPECT_FALSE(fs::exists(Path(base + "_" + std::to_string(count + 1) + extension)));
    }
};

TEST_F(CliFrames, HelpUsageErrorsAndFailuresHaveTheirExitStatuses) {
    const TRun help = Cli("--help");
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("Usage: frameloom-cli frames IN.gif OUT.bmp|OUT.png [--composed]"),
              std::string::npos);
    EXPECT_TRUE(help.Err.empty());
    const TRun listed = Shell(std::string(FRAMELOOM_CLI) + " --help");
    EXPECT_NE(listed.Out.find("  frames "), std::string::npos);

    for (const std::string& args : {std::string(), std::string("a.gif"), std::string("a.gif b.bmp c.bmp"),
                                    std::string("a.gif b.bmp --coalesce")}) {
        const TRun usage = Cli(args);
        EXPECT_EQ(usage.Status, 2) << args;
        EXPECT_NE(usage.Err.find("Usage:"), std::string::npos) << args;
        EXPECT_TRUE(usage.Out.empty()) << args;
    }
    const TRun missing = Cli("missing.gif out.bmp");
    EXPECT_EQ(missing.Status, 1);
    EXPECT_FALSE(missing.Err.empty());

    Make("convert -size 8x6 xc:red xc:blue two.gif");
    const TRun unwritable = Cli("two.gif nowhere/out.bmp");
    EXPECT_EQ(unwritable.Status, 1);
    EXPECT_NE(unwritable.Err.find("cannot write nowhere/out_1.bmp: "), std::string::npos) << unwritable.Err;
}

TEST_F(CliFrames, EveryFrameIsWrittenAloneUnderNumberedNames) {
    Make("convert -size 20x10 xc:red \\( -size 6x4 xc:blue -repage +3+2 \\) \\( -size 5x5 xc:lime -repage "
         "+10+1 \\) "
         "-loop 0 anim.gif");
    const TRun run = Cli("anim.gif shot.v2.bmp");
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_TRUE(run.Err.empty()) << run.Err;
    const std::pair<const char*, const char*> sizes[] = {
        {"shot_1.bmp", "20x10"}, {"shot_2.bmp", "6x4"}, {"shot_3.bmp", "5x5"}};
    for (auto [name, size] : sizes) {
        const TShellRun identify = RunShell("identify -format '%wx%h %z' '" + Path(name) + "'");
        EXPECT_EQ(identify.Output, std::string(size) + " 8") << name; // own size, 8 bits
    }
    EXPECT_FALSE(fs::exists(Path("shot_4.bmp")));
    const std::string blue = Rgb("shot_2.bmp");
    for (std::size_t i = 0; i < blue.size(); i += 3)
        ASSERT_EQ(blue.substr(i, 3), std::string("\x00\x00\xff", 3)) << i;

    ASSERT_EQ(Cli("anim.gif frame.png").Status, 0);
    const TShellRun type = RunShell("identify -format '%m %[type]' '" + Path("frame_3.png") + "'");
    EXPECT_EQ(type.Output.rfind("PNG Palette", 0), 0u) << type.Output;
}

TEST_F(CliFrames, ComposedStepsOfAnImageMagickAnimationWithEveryDisposal) {
    Make(
        "convert -dispose none -delay 5 -size 40x30 xc:none -fill red -draw 'rectangle 2,2 20,15' -page +0+0 "
        "-dispose background -delay 7 \\( -size 12x10 xc:blue -repage +10+8 \\) "
        "-dispose previous \\( -size 8x8 xc:lime -repage +25+15 \\) "
        "-dispose none \\( -size 6x6 xc:yellow -repage +30+2 \\) "
        "-dispose background \\( -size 10x4 xc:none -fill black -draw 'point 1,1' -repage +0+26 \\) "
        "-loop 0 mixed.gif");
    ExpectComposedAgreesWithImageMagick("mixed.gif", "mixed.png");
}

TEST_F(CliFrames, ComposedStepsOfAnImageMagickOptimizedPhotoAnimation) {
    // A photograph quantised with and without dither, optimised by ImageMagick
    // into cropped frames with transparency.
    Make("convert -delay 8 rose: -resize 64x48! \\( +clone -roll +9+0 \\) \\( +clone -flip \\) "
         "\\( +clone -negate \\) -colors 64 -layers Optimize photo.gif");
    ExpectComposedAgreesWithImageMagick("photo.gif", "photo.bmp");
    Make("convert -delay 8 rose: -resize 64x48! \\( +clone -roll +0+7 \\) \\( +clone -flop \\) "
         "+dither -colors 32 -layers OptimizeTransparency plain.gif");
    ExpectComposedAgreesWithImageMagick("plain.gif", "plain.png");
}

TEST_F(CliFrames, ComposedStepsOfGifsicleOptimizedInterlacedAndDisposedFiles) {
    Make("convert -delay 10 -size 50x40 xc:white \\( +clone -fill red -draw 'circle 15,15 15,5' \\) "
         "\\( +clone -fill blue -draw 'rectangle 20,20 45,35' \\) \\( +clone -fill white -draw 'circle 15,15 "
         "15,5' \\) "
         "-loop 0 source.gif");
    Make("gifsicle -O2 source.gif -o optimized.gif");
    ExpectComposedAgreesWithImageMagick("optimized.gif", "optimized.png");
    Make("gifsicle --interlace --disposal previous -O1 source.gif -o previous.gif");
    ExpectComposedAgreesWithImageMagick("previous.gif", "previous.bmp");
    Make("gifsicle --disposal background --crop 5,5+40x30 source.gif -o background.gif");
    ExpectComposedAgreesWithImageMagick("background.gif", "background.png");
}

} // namespace
