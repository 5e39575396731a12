// The colour reductions that keep a picture's colours: exact colours for
// pictures of at most 256, our own palette and dithering for the others.
#include "platform/ColorQuantizer.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <set>

namespace {

void Put(TBitmap& b, int x, int y, TColor c) {
    std::uint8_t* p = b.ScanLine(y) + std::size_t(x) * b.BytesPerPixel();
    p[0] = std::uint8_t(GetBValue(c));
    p[1] = std::uint8_t(GetGValue(c));
    p[2] = std::uint8_t(GetRValue(c));
}

// A picture of exactly `colors` random colours scattered at random.
TBitmap RandomColors(int width, int height, int colors, TPixelFormat format, unsigned seed) {
    std::mt19937 random(seed);
    std::vector<TColor> palette;
    std::set<TColor> seen;
    while (int(palette.size()) < colors) {
        const TColor c = random() & 0xFFFFFF;
        if (seen.insert(c).second) palette.push_back(c);
    }
    TBitmap b(width, height, format);
    for (int i = 0; i < width * height; ++i) // every colour at least once
        Put(b, i % width, i / width, palette[std::size_t(i < colors ? i : int(random() % unsigned(colors)))]);
    if (format == pf32bit) // the fourth byte is not part of a colour
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) b.ScanLine(y)[x * 4 + 3] = std::uint8_t(random());
    return b;
}

// A smooth photo-like picture with a little noise: every pixel a new colour.
TBitmap Photo(int width, int height) {
    TBitmap b(width, height, pf24bit);
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double r = 128 + 100 * std::sin(x * 0.031) * std::cos(y * 0.017) + noise(random);
            const double g = 40 + 180.0 * y / height + noise(random);
            const double b2 = 200 - 150.0 * x / width + 30 * std::sin((x + y) * 0.05) + noise(random);
            Put(b, x, y,
                RGB(int(std::clamp(r, 0.0, 255.0)), int(std::clamp(g, 0.0, 255.0)),
                    int(std::clamp(b2, 0.0, 255.0))));
        }
    return b;
}

void ExpectSameColors(const TBitmap& source, const TBitmap& reduced) {
    ASSERT_EQ(reduced.PixelFormat(), pf8bit);
    ASSERT_EQ(reduced.Width(), source.Width());
    ASSERT_EQ(reduced.Height(), source.Height());
    for (int y = 0; y < source.Height(); ++y)
        for (int x = 0; x < source.Width(); ++x)
            ASSERT_EQ(reduced.Pixel(x, y), source.Pixel(x, y)) << x << "," << y;
}

TEST(ColorChoiceWords, EveryWordReadsBackAndOthersAreRefused) {
    for (TColorReduction r : {crStandard, crExact, crQuality})
        EXPECT_EQ(ParseColorReduction(ColorReductionName(r)), r);
    for (TDithering d : {dtNone, dtFloydSteinberg, dtOrdered}) EXPECT_EQ(ParseDithering(DitheringName(d)), d);
    EXPECT_EQ(ColorReductionName(crQuality), "quality");
    EXPECT_EQ(DitheringName(dtFloydSteinberg), "fs");
    EXPECT_FALSE(ParseColorReduction("Exact"));
    EXPECT_FALSE(ParseColorReduction(""));
    EXPECT_FALSE(ParseDithering("floyd"));
}

TEST(DistinctColors, ListsColoursInOrderOfFirstAppearanceUpToTheLimit) {
    TBitmap b(3, 2, pf24bit);
    b.Fill(RGB(255, 255, 255));
    Put(b, 1, 0, RGB(1, 2, 3));
    Put(b, 0, 1, RGB(1, 2, 4));
    Put(b, 2, 1, RGB(1, 2, 3));
    const auto colors = DistinctColors(b, 256);
    ASSERT_TRUE(colors);
    EXPECT_EQ(*colors, (std::vector<TColor>{RGB(255, 255, 255), RGB(1, 2, 3), RGB(1, 2, 4)}));
    EXPECT_FALSE(DistinctColors(b, 2));
    EXPECT_FALSE(DistinctColors(TBitmap(2, 2, pf8bit)));
    EXPECT_FALSE(DistinctColors(TBitmap()));
}

TEST(ReduceExact, KeepsEveryPixelOfPicturesWithAtMost256Colours) {
    for (int colors : {1, 2, 17, 255, 256}) {
        SCOPED_TRACE(colors);
        const TBitmap source = RandomColors(97, 61, colors, pf24bit, unsigned(colors));
        const std::optional<TBitmap> reduced = ReduceExact(source);
        ASSERT_TRUE(reduced);
        EXPECT_EQ(reduced->PaletteSize(), colors);
        ExpectSameColors(source, *reduced);
    }
}

TEST(ReduceExact, ReadsThe32BitFormWithoutItsFourthByte) {
    const TBitmap source = RandomColors(50, 40, 200, pf32bit, 3);
    const std::optional<TBitmap> reduced = ReduceExact(source);
    ASSERT_TRUE(reduced);
    EXPECT_EQ(reduced->PaletteSize(), 200);
    ExpectSameColors(source, *reduced);
}

TEST(ReduceExact, RefusesAPictureWith257Colours) {
    EXPECT_FALSE(ReduceExact(RandomColors(40, 40, 257, pf24bit, 5)));
    EXPECT_FALSE(ReduceExact(TBitmap(4, 4, pf8bit)));
}

TEST(ReduceHighQuality, KeepsTheColoursOfAPictureThatHasFewAndGivesAtMost256) {
    const TBitmap few = RandomColors(64, 64, 100, pf24bit, 9);
    ExpectSameColors(few, ReduceHighQuality(few, dtNone));
    ExpectSameColors(few, ReduceHighQuality(few, dtFloydSteinberg)); // no error to spread
    const TBitmap many = RandomColors(100, 100, 3000, pf24bit, 10);
    const TBitmap reduced = ReduceHighQuality(many, dtNone);
    ASSERT_EQ(reduced.PixelFormat(), pf8bit);
    EXPECT_LE(reduced.PaletteSize(), 256);
    EXPECT_GT(reduced.PaletteSize(), 200); // every cut that helps is made
}

TEST(ReduceHighQuality, EveryPixelTakesItsNearestPaletteEntryWithoutDithering) {
    const TBitmap photo = Photo(120, 90);
    const TBitmap reduced = ReduceHighQuality(photo, dtNone);
    for (int y = 0; y < photo.Height(); y += 7)
        for (int x = 0; x < photo.Width(); x += 5)
            ASSERT_EQ(reduced.Index(x, y), reduced.NearestIndex(photo.Pixel(x, y))) << x << "," << y;
}

// A grey ramp on a black-and-white palette: dithering keeps the local mean,
// no dithering cuts it at the middle.
class Dithering : public ::testing::Test {
  protected:
    TBitmap Ramp = [] {
        TBitmap b(256, 64, pf24bit);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 256; ++x) Put(b, x, y, RGB(x, x, x));
        return b;
    }();
    const std::vector<TColor> BlackWhite{RGB(0, 0, 0), RGB(255, 255, 255)};
    // The share of white in columns from..to-1.
    static double WhiteShare(const TBitmap& b, int from, int to) {
        int white = 0;
        for (int y = 0; y < b.Height(); ++y)
            for (int x = from; x < to; ++x) white += b.Index(x, y);
        return double(white) / (b.Height() * (to - from));
    }
};

TEST_F(Dithering, NoneCutsTheRampAtTheMiddle) {
    const TBitmap b = MapWithDithering(Ramp, BlackWhite, dtNone);
    EXPECT_EQ(WhiteShare(b, 0, 128), 0.0);
    EXPECT_EQ(WhiteShare(b, 128, 256), 1.0);
}

TEST_F(Dithering, FloydSteinbergKeepsTheMeanOfEveryStretch) {
    const TBitmap b = MapWithDithering(Ramp, BlackWhite, dtFloydSteinberg);
    for (int from = 0; from < 256; from += 32)
        EXPECT_NEAR(WhiteShare(b, from, from + 32), (from + 15.5) / 255.0, 0.03) << from;
}

TEST_F(Dithering, OrderedMixesOnlyNearTheThresholdInARepeatingPattern) {
    // The ordered pattern spreads about 20 levels around the middle.
    const TBitmap b = MapWithDithering(Ramp, BlackWhite, dtOrdered);
    EXPECT_EQ(WhiteShare(b, 0, 110), 0.0);
    EXPECT_EQ(WhiteShare(b, 146, 256), 1.0);
    const double middle = WhiteShare(b, 120, 136);
    EXPECT_GT(middle, 0.3);
    EXPECT_LT(middle, 0.7);
    for (int y = 8; y < 64; ++y) // the same 8 x 8 pattern on every tile
        for (int x = 0; x < 256; ++x) ASSERT_EQ(b.Index(x, y), b.Index(x, y - 8));
}

TEST_F(Dithering, ImprovesTheLocalMeanOfAPhotoOnAPoorPalette) {
    // Mean over 4 x 4 blocks: dithering brings it closer to the picture's.
    // The palette is the cube's eight corners, so every colour is a mix of them.
    const TBitmap photo = Photo(128, 128);
    std::vector<TColor> poor;
    for (int corner = 0; corner < 8; ++corner)
        poor.push_back(RGB(corner & 1 ? 255 : 0, corner & 2 ? 255 : 0, corner & 4 ? 255 : 0));
    auto blockError = [&photo](const TBitmap& b) {
        double error = 0;
        for (int by = 0; by < 128; by += 4)
            for (int bx = 0; bx < 128; bx += 4)
                for (int c = 0; c < 3; ++c) {
                    double mean = 0;
                    for (int y = by; y < by + 4; ++y)
                        for (int x = bx; x < bx + 4; ++x) {
                            const TColor p = photo.Pixel(x, y), q = b.Pixel(x, y);
                            mean += double(int(p >> (8 * c) & 0xFF) - int(q >> (8 * c) & 0xFF));
                        }
                    error += std::abs(mean / 16);
                }
        return error;
    };
    const double none = blockError(MapWithDithering(photo, poor, dtNone));
    EXPECT_LT(blockError(MapWithDithering(photo, poor, dtFloydSteinberg)), none * 0.5);
    EXPECT_LT(blockError(MapWithDithering(photo, poor, dtOrdered)), none);
}

} // namespace
