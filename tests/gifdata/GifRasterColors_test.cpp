// The colour reduction a picture takes on its way to a frame.
#include "gifdata/GifRaster.h"
#include "platform/ColorQuantizer.h"
#include "platform/PictureDecoders.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>

namespace {

const std::string Data = FRAMELOOM_TEST_DATA;

void Put(TBitmap& b, int x, int y, TColor c) {
    std::uint8_t* p = b.ScanLine(y) + std::size_t(x) * b.BytesPerPixel();
    p[0] = std::uint8_t(GetBValue(c));
    p[1] = std::uint8_t(GetGValue(c));
    p[2] = std::uint8_t(GetRValue(c));
}

TBitmap Noise(int w, int h, TPixelFormat format, unsigned seed) {
    TBitmap b(w, h, format);
    std::mt19937 random(seed);
    for (std::size_t i = 0; i < std::size_t(b.BytesPerLine()) * h; ++i) b.Bits()[i] = std::uint8_t(random());
    return b;
}

TBitmap Gradient(int w, int h) {
    TBitmap b(w, h, pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) Put(b, x, y, RGB(x * 255 / w, y * 255 / h, (x + y) * 127 / (w + h)));
    return b;
}

// Pictures of every kind: decoded files, noise of both forms, a smooth gradient, few colours.
std::vector<TBitmap> Pictures() {
    std::vector<TBitmap> pictures;
    for (const char* name : {"picture.jpg", "picture24.bmp", "picture_gray.png"}) {
        TBitmap picture;
        std::string error;
        if (LoadPictureFile(Data + "/" + name, picture, error)) pictures.push_back(picture);
    }
    EXPECT_EQ(pictures.size(), 3u);
    pictures.push_back(Noise(61, 37, pf24bit, 1));
    pictures.push_back(Noise(40, 30, pf32bit, 2));
    pictures.push_back(Gradient(300, 200));
    TBitmap few(20, 20, pf24bit);
    few.Fill(RGB(255, 255, 255));
    Put(few, 3, 4, RGB(0, 0, 0));
    pictures.push_back(few);
    return pictures;
}

// Every byte of a frame that the picture decides.
void ExpectSameFrame(const TGIFImageData& a, const TGIFImageData& b) {
    EXPECT_EQ(a.Width, b.Width);
    EXPECT_EQ(a.Height, b.Height);
    EXPECT_EQ(a.Pixels, b.Pixels);
    for (int i = 0; i < 256; ++i) {
        EXPECT_EQ(a.LocalPalette[i].Red, b.LocalPalette[i].Red) << i;
        EXPECT_EQ(a.LocalPalette[i].Green, b.LocalPalette[i].Green) << i;
        EXPECT_EQ(a.LocalPalette[i].Blue, b.LocalPalette[i].Blue) << i;
    }
}

class PictureColors : public ::testing::Test {
  protected:
    void TearDown() override { SetPictureColorChoice({}); }
};

TEST_F(PictureColors, StandardIsTheDefaultAndGivesTheSameFramesByteForByte) {
    EXPECT_EQ(PictureColorChoice(), (TColorChoice{crStandard, dtNone}));
    for (const TBitmap& picture : Pictures()) {
        TBitmap old = picture;
        ReduceToPalette(old);
        TBitmap chosen = picture;
        ReduceToPalette(chosen, TColorChoice{crStandard, dtFloydSteinberg}); // dithering is not Standard's
        EXPECT_EQ(chosen, old);

        TGIFData doc;
        TGIFImageData* reference = doc.AddFrame(1, 1);
        ASSERT_TRUE(reference->AssignBitmap(old, -1));
        ASSERT_TRUE(AddFrameFromBitmap(doc, picture, -1)); // by the current choice
        ExpectSameFrame(*doc.Frames[1], *reference);
        ASSERT_TRUE(AddFrameFromBitmap(doc, picture, -1, TColorChoice{}));
        ExpectSameFrame(*doc.Frames[2], *reference);
    }
}

TEST_F(PictureColors, ExactFramesShowEveryPixelOfTheSourcePicture) {
    TBitmap picture(64, 48, pf32bit);
    std::mt19937 random(4);
    std::vector<TColor> colors;
    for (int i = 0; i < 256; ++i) colors.push_back(RGB(255, 255, 255) - TColor(i) * 0x010101u + (i & 1));
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) Put(picture, x, y, colors[std::size_t(y * 64 + x) % 256]);
    SetPictureColorChoice({crExact, dtFloydSteinberg});
    TGIFData doc;
    ASSERT_TRUE(AddFrameFromBitmap(doc, picture, -1));
    const std::unique_ptr<TBitmap> frame = doc.Frames.back()->ToBitmap();
    ASSERT_TRUE(frame);
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 64; ++x) ASSERT_EQ(frame->Pixel(x, y), picture.Pixel(x, y)) << x << "," << y;
    // Pure white stays pure white (the standard reduction makes it 247, 247, 247).
    EXPECT_EQ(frame->Pixel(0, 0), RGB(255, 255, 255));
}

TEST_F(PictureColors, ExactFallsBackToHighQualityAbove256Colours) {
    const TBitmap picture = Gradient(300, 200);
    for (TDithering d : {dtNone, dtFloydSteinberg, dtOrdered}) {
        TBitmap exact = picture, quality = picture;
        ReduceToPalette(exact, {crExact, d});
        ReduceToPalette(quality, {crQuality, d});
        EXPECT_EQ(exact, quality);
        EXPECT_EQ(exact, ReduceHighQuality(picture, d));
    }
    TBitmap standard = picture, exact = picture;
    ReduceToPalette(standard);
    ReduceToPalette(exact, {crExact, dtNone});
    EXPECT_NE(exact, standard);
}

double Psnr(const TBitmap& a, const TBitmap& b) {
    double squared = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x) {
            const TColor p = a.Pixel(x, y), q = b.Pixel(x, y);
            const int dr = GetRValue(p) - GetRValue(q), dg = GetGValue(p) - GetGValue(q),
                      db = GetBValue(p) - GetBValue(q);
            squared += dr * dr + dg * dg + db * db;
        }
    return 10 * std::log10(255.0 * 255.0 * 3.0 * a.Width() * a.Height() / std::max(squared, 1.0));
}

TEST_F(PictureColors, HighQualityStaysCloserToPhotosThanStandard) {
    for (const TBitmap& picture : {Gradient(300, 200), Noise(64, 64, pf24bit, 3)}) {
        TBitmap standard = picture, quality = picture;
        ReduceToPalette(standard);
        ReduceToPalette(quality, {crQuality, dtNone});
        EXPECT_GT(Psnr(picture, quality), Psnr(picture, standard) + 1.0);
    }
    TBitmap picture;
    std::string error;
    ASSERT_TRUE(LoadPictureFile(Data + "/picture.jpg", picture, error));
    TBitmap standard = picture, quality = picture;
    ReduceToPalette(standard);
    ReduceToPalette(quality, {crQuality, dtNone});
    EXPECT_GT(Psnr(picture, quality), Psnr(picture, standard));
}

TEST_F(PictureColors, DitheringChangesOnlyTheHighQualityMapping) {
    const TBitmap picture = Gradient(300, 200);
    TBitmap none = picture, fs = picture, ordered = picture;
    ReduceToPalette(none, {crQuality, dtNone});
    ReduceToPalette(fs, {crQuality, dtFloydSteinberg});
    ReduceToPalette(ordered, {crQuality, dtOrdered});
    EXPECT_EQ(none.Palette(), fs.Palette()); // the same palette, mapped differently
    EXPECT_NE(none, fs);
    EXPECT_NE(none, ordered);
    EXPECT_NE(fs, ordered);
}

TEST_F(PictureColors, PalettisedPicturesKeepTheirIndicesInEveryMode) {
    TGIFData source;
    TGIFImageData* f = source.AddFrame(6, 4);
    for (std::size_t i = 0; i < f->Pixels.size(); ++i) f->Pixels[i] = std::uint8_t(i * 7);
    const std::unique_ptr<TBitmap> bitmap = f->ToBitmap();
    for (TColorReduction r : {crStandard, crExact, crQuality}) {
        TBitmap copy = *bitmap;
        ReduceToPalette(copy, {r, dtFloydSteinberg});
        EXPECT_EQ(copy, *bitmap);
    }
}

} // namespace
