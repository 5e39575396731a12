#include "generators/text/SmoothPicture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

class SmoothPicture : public ::testing::Test {
  protected:
    void SetUp() override {
        Folder = std::filesystem::temp_directory_path() /
                 ("frameloom-smooth-picture-" + std::to_string(::getpid()));
        std::filesystem::create_directories(Folder);
    }
    void TearDown() override { std::filesystem::remove_all(Folder); }
    // A picture file made by ImageMagick.
    std::string Make(const std::string& name, const std::string& convertArguments,
                     const std::string& format = "") {
        const std::string path = (Folder / name).string();
        const std::string command = "convert " + convertArguments + " '" + format + path + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return path;
    }
    std::filesystem::path Folder;
};

TEST_F(SmoothPicture, OpaquePicturesLoadAsTwentyFourBitWithTheirColours) {
    for (const char* name : {"opaque.png", "opaque.bmp", "opaque.gif"}) {
        const std::string path = Make(name, "-size 1x1 xc:'#FF0000' xc:'#0000FF' xc:'#10E020' +append");
        TSmoothPicture picture;
        ASSERT_TRUE(picture.LoadFromFile(path)) << name;
        EXPECT_EQ(picture.Bitmap().PixelFormat(), pf24bit) << name;
        ASSERT_EQ(picture.Width(), 3);
        ASSERT_EQ(picture.Height(), 1);
        EXPECT_EQ(picture.Bitmap().Pixel(0, 0), RGB(255, 0, 0)) << name;
        EXPECT_EQ(picture.Bitmap().Pixel(1, 0), RGB(0, 0, 255)) << name;
        EXPECT_EQ(picture.Bitmap().Pixel(2, 0), RGB(16, 224, 32)) << name;
    }
}

TEST_F(SmoothPicture, TransparentPartsShowWhatLiesBeneath) {
    const std::string path =
        Make("alpha.png", "-size 1x1 xc:'rgba(255,0,0,1)' xc:'rgba(0,0,255,0)' +append", "PNG32:");
    TSmoothPicture picture;
    ASSERT_TRUE(picture.LoadFromFile(path));
    EXPECT_EQ(picture.Bitmap().PixelFormat(), pf32bit);
    TBitmap target(4, 1, pf24bit);
    target.Fill(RGB(0, 99, 0));
    picture.Draw(target, 1, 0);
    EXPECT_EQ(target.Pixel(0, 0), RGB(0, 99, 0));
    EXPECT_EQ(target.Pixel(1, 0), RGB(255, 0, 0));
    EXPECT_EQ(target.Pixel(2, 0), RGB(0, 99, 0));
    picture.StretchOver(target); // left half red, right half clear
    EXPECT_EQ(target.Pixel(0, 0), RGB(255, 0, 0));
    EXPECT_EQ(target.Pixel(3, 0), RGB(0, 99, 0));
}

TEST_F(SmoothPicture, AFileThatCannotBeReadKeepsThePreviousPicture) {
    TSmoothPicture picture;
    ASSERT_TRUE(picture.LoadFromFile(Make("one.png", "-size 2x2 xc:white")));
    EXPECT_FALSE(picture.LoadFromFile((Folder / "missing.png").string()));
    const std::string garbage = (Folder / "garbage.jpg").string();
    std::ofstream(garbage) << "not a picture";
    EXPECT_FALSE(picture.LoadFromFile(garbage));
    EXPECT_EQ(picture.Width(), 2);
    EXPECT_EQ(picture.Bitmap().Pixel(1, 1), RGB(255, 255, 255));
}

TEST_F(SmoothPicture, PlacingIsCutAtTheTargetsEdges) {
    TBitmap bitmap(3, 3, pf24bit);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x) bitmap.SetPixel(x, y, RGB(x * 10 + y, 0, 0));
    TSmoothPicture picture;
    picture.Assign(bitmap);
    TBitmap target(2, 2, pf32bit);
    picture.Draw(target, -2, -1);
    EXPECT_EQ(target.Pixel(0, 0), RGB(21, 0, 0));
    EXPECT_EQ(target.Pixel(0, 1), RGB(22, 0, 0));
    EXPECT_EQ(target.Pixel(1, 0), RGB(0, 0, 0));
    picture.DrawCentered(target); // (2 - 3) / 2 truncates to 0
    EXPECT_EQ(target.Pixel(1, 1), RGB(11, 0, 0));
}

} // namespace
