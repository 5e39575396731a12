// frameloom-cli swf, swf-info and swf-frame on GIFs made by ImageMagick and by us.
#include "SWFTestSupport.h"
#include "flash/SWFReader.h"

#include <QImage>
#include <QString>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct TRun {
    int Status;
    std::string Out, Err;
};

TRun Cli(const std::string& args, const fs::path& folder) {
    const std::string out = (folder / "stdout.txt").string(), err = (folder / "stderr.txt").string();
    int rc = std::system((std::string(FRAMELOOM_CLI) + " " + args + " >" + out + " 2>" + err).c_str());
    auto read = [](const std::string& p) {
        std::ifstream in(p);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    return {WIFEXITED(rc) ? WEXITSTATUS(rc) : -1, read(out), read(err)};
}

class SwfCli : public ::testing::Test {
  protected:
    void SetUp() override {
        Folder =
            fs::temp_directory_path() /
            ("flash_cli_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
             "_" + std::to_string(::getpid())); // runs side by side never share a folder
        fs::remove_all(Folder);
        fs::create_directories(Folder);
    }
    void TearDown() override { fs::remove_all(Folder); }
    std::string Path(const std::string& name) const { return (Folder / name).string(); }

    // Every frame of movie, rendered by swf-frame, equals the GIF's frame over background.
    void ExpectMovieShowsGif(const std::string& gif, const std::string& movie, TColor background) {
        TGIFData doc;
        ASSERT_TRUE(doc.LoadFromFile(gif));
        ASSERT_FALSE(doc.Frames.empty());
        for (std::size_t i = 0; i < doc.Frames.size(); ++i) {
            const std::string png = Path("frame" + std::to_string(i) + ".png");
            TRun run = Cli("swf-frame " + movie + " " + std::to_string(i) + " " + png, Folder);
            ASSERT_EQ(run.Status, 0) << run.Err;
            QImage image(QString::fromStdString(png));
            ASSERT_EQ(image.width(), doc.ScreenWidth);
            ASSERT_EQ(image.height(), doc.ScreenHeight);
            int wrong = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x) {
                    QRgb c = image.pixel(x, y);
                    wrong +=
                        RGB(qRed(c), qGreen(c), qBlue(c)) != Expected(doc, *doc.Frames[i], x, y, background);
                }
            EXPECT_EQ(wrong, 0) << "frame " << i;
        }
    }
    fs::path Folder;
};

TEST_F(SwfCli, ImageMagickAnimationWithTransparencyAndOffsets) {
    const std::string gif = Path("anim.gif");
    const std::string make =
        "convert -delay 4 -size 50x30 xc:orange "
        "\\( -size 20x10 xc:none -fill navy -draw 'rectangle 2,2 12,7' -repage +25+15 \\) "
        "\\( -size 50x30 plasma:fractal -colors 60 -repage +0+0 \\) "
        "-set dispose none -loop 0 " +
        gif;
    ASSERT_EQ(std::system(make.c_str()), 0);
    TRun run = Cli("swf " + gif + " " + Path("out.swf") + " --background 102030", Folder);
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find("25 frames per second"), std::string::npos) << run.Out; // 100 div 4
    ExpectMovieShowsGif(gif, Path("out.swf"), RGB(0x10, 0x20, 0x30));

    // ImageMagick's own reading of each frame over the background agrees too.
    for (int i = 0; i < 3; ++i) {
        const std::string raw = Path("im" + std::to_string(i) + ".rgb");
        ASSERT_EQ(std::system(("convert '" + gif + "[" + std::to_string(i) +
                               "]' -background '#102030' -flatten -depth 8 rgb:" + raw)
                                  .c_str()),
                  0);
        std::ifstream in(raw, std::ios::binary);
        std::string rgb((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_EQ(rgb.size(), 50u * 30 * 3);
        ASSERT_EQ(Cli("swf-frame " + Path("out.swf") + " " + std::to_string(i) + " " + Path("f.png"), Folder)
                      .Status,
                  0);
        QImage image(QString::fromStdString(Path("f.png")));
        int wrong = 0;
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 50; ++x) {
                const unsigned char* p =
                    reinterpret_cast<const unsigned char*>(rgb.data()) + (y * 50 + x) * 3;
                QRgb c = image.pixel(x, y);
                wrong += qRed(c) != p[0] || qGreen(c) != p[1] || qBlue(c) != p[2];
            }
        EXPECT_EQ(wrong, 0) << "frame " << i;
    }

    TRun info = Cli("swf-info " + Path("out.swf"), Folder);
    ASSERT_EQ(info.Status, 0) << info.Err;
    EXPECT_NE(info.Out.find("Signature: CWS"), std::string::npos);
    EXPECT_NE(info.Out.find("Version: 6"), std::string::npos);
    EXPECT_NE(info.Out.find("FrameCount: 3"), std::string::npos);
    EXPECT_NE(info.Out.find("FrameRate: 25.00"), std::string::npos);
    EXPECT_NE(info.Out.find("id 5, format 5, 50 x 30"), std::string::npos) << info.Out;
    EXPECT_NE(info.Out.find("depth 2, character 6"), std::string::npos) << info.Out;
}

TEST_F(SwfCli, OurOwnGifWithLocalPaletteAndDefaultWhite) {
    TGIFData doc;
    doc.ScreenWidth = 33;
    doc.ScreenHeight = 21;
    TGIFImageData* f = doc.AddFrame(20, 21);
    f->Left = 20; // reaches past the right edge
    for (std::size_t i = 0; i < f->Pixels.size(); ++i) f->Pixels[i] = std::uint8_t(i % 5);
    f->SetHasLocalTable(true);
    f->SetLocalTableSize(2);
    for (int i = 0; i < 8; ++i)
        f->LocalPalette[i] = {std::uint8_t(i * 30), 200, std::uint8_t(255 - i * 30), 0};
    f->Control->SetTransparent(true);
    f->Control->TransparentIndex = 4;
    f->Control->DelayTime = 150;
    ASSERT_TRUE(doc.SaveToFile(Path("ours.gif")));
    TRun run = Cli("swf " + Path("ours.gif") + " " + Path("ours.swf"), Folder);
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Out.find(" 1 frames per second"), std::string::npos) << run.Out; // 100 div 150 kept at 1
    ExpectMovieShowsGif(Path("ours.gif"), Path("ours.swf"), RGB(255, 255, 255));
}

TEST_F(SwfCli, RatesAboveTheFieldAreWrittenAs255WithAWarning) {
    ASSERT_EQ(std::system(("convert -size 4x4 xc:red " + Path("a.gif")).c_str()), 0);
    TRun run = Cli("swf " + Path("a.gif") + " " + Path("a.swf") + " --rate 300", Folder);
    ASSERT_EQ(run.Status, 0) << run.Err;
    EXPECT_NE(run.Err.find("at most 255"), std::string::npos) << run.Err;
    TSWFFile file = TSWFFile::FromFile(Path("a.swf"));
    EXPECT_EQ(file.Header.FrameRate, 0xFF00);
}

TEST_F(SwfCli, UsageErrorsAndBadFiles) {
    ASSERT_EQ(std::system(("convert -size 4x4 xc:red " + Path("a.gif")).c_str()), 0);
    EXPECT_EQ(Cli("swf", Folder).Status, 2);
    EXPECT_EQ(Cli("swf " + Path("a.gif"), Folder).Status, 2);
    EXPECT_EQ(Cli("swf " + Path("a.gif") + " x.swf --rate 0", Folder).Status, 2);
    EXPECT_EQ(Cli("swf " + Path("a.gif") + " x.swf --rate 1000", Folder).Status, 2);
    EXPECT_EQ(Cli("swf " + Path("a.gif") + " x.swf --background red", Folder).Status, 2);
    EXPECT_EQ(Cli("swf " + Path("a.gif") + " x.swf --frobnicate", Folder).Status, 2);
    EXPECT_EQ(Cli("swf-frame a.swf one out.png", Folder).Status, 2);
    EXPECT_EQ(Cli("swf-info", Folder).Status, 2);
    TRun help = Cli("swf --help", Folder);
    EXPECT_EQ(help.Status, 0);
    EXPECT_NE(help.Out.find("Usage: frameloom-cli swf IN.gif OUT.swf"), std::string::npos);

    TRun missing = Cli("swf " + Path("none.gif") + " " + Path("x.swf"), Folder);
    EXPECT_EQ(missing.Status, 1);
    EXPECT_FALSE(fs::exists(Path("x.swf")));
    TRun notMovie = Cli("swf-frame " + Path("a.gif") + " 0 " + Path("x.png"), Folder);
    EXPECT_EQ(notMovie.Status, 1);
    EXPECT_NE(notMovie.Err.find("Not an SWF movie"), std::string::npos) << notMovie.Err;
    ASSERT_EQ(Cli("swf " + Path("a.gif") + " " + Path("a.swf"), Folder).Status, 0);
    TRun pastEnd = Cli("swf-frame " + Path("a.swf") + " 1 " + Path("x.png"), Folder);
    EXPECT_EQ(pastEnd.Status, 1);
    EXPECT_NE(pastEnd.Err.find("no frame 1"), std::string::npos) << pastEnd.Err;
    EXPECT_EQ(Cli("swf-info " + Path("a.gif"), Folder).Status, 1);
}

} // namespace
