#include "generators/text/SmoothMask.h"

#include <gtest/gtest.h>

#include <vector>

#include "generators/text/SmoothFont.h"

namespace {

// A mask filled row by row from the given values.
TSmoothMask MaskOf(int width, int height, const std::vector<int>& values) {
    TSmoothMask mask;
    mask.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            mask.ScanLine(y)[x] = std::uint8_t(values[std::size_t(y * width + x)]);
    return mask;
}

std::vector<int> ValuesOf(const TSmoothMask& mask) {
    std::vector<int> values;
    for (int y = 0; y < mask.Height(); ++y)
        for (int x = 0; x < mask.Width(); ++x) values.push_back(mask.ScanLine(y)[x]);
    return values;
}

TEST(SmoothMask, QualitySetsTheSupersamplingScale) {
    TSmoothMask mask;
    EXPECT_EQ(mask.Quality(), aqNormal);
    EXPECT_EQ(mask.Scale(), 3);
    const std::pair<TSmoothQuality, int> cases[] = {{aqHigh, 4}, {aqNormal, 3}, {aqLow, 2}, {aqNone, 1}};
    for (auto [quality, scale] : cases) {
        mask.SetQuality(quality);
        EXPECT_EQ(mask.Scale(), scale);
    }
}

TEST(SmoothMask, RowsArePaddedToFourBytesAndOutOfRangeRowsAreRefused) {
    TSmoothMask mask;
    mask.SetSize(5, 2);
    EXPECT_EQ(mask.RowStride(), 8);
    EXPECT_NO_THROW(mask.ScanLine(0));
    EXPECT_NO_THROW(mask.ScanLine(1));
    EXPECT_THROW(mask.ScanLine(2), EInvalidLine);
    try {
        mask.ScanLine(-1);
        FAIL() << "row -1 was accepted";
    } catch (const EInvalidLine& e) {
        EXPECT_STREQ(e.what(), "Invalid line!");
    }
}

TEST(SmoothMask, HighQualityShrinkGivesSeventeenCoverageLevels) {
    // Block k of a 4 x 4 supersampled raster holds k full-ink values.
    TSmoothMask mask;
    mask.SetQuality(aqHigh);
    mask.SetSize(17, 1);
    std::vector<std::uint8_t> raster(68 * 4, 0);
    for (int k = 0; k <= 16; ++k)
        for (int i = 0; i < k; ++i) raster[std::size_t((i / 4) * 68 + k * 4 + i % 4)] = 255;
    mask.ShrinkFrom(raster);
    EXPECT_EQ(ValuesOf(mask), (std::vector<int>{0, 15, 31, 47, 63, 79, 95, 111, 127, 143, 159, 175, 191, 207,
                                                223, 239, 255}));
}

TEST(SmoothMask, NormalQualityHalvesTwoCornersBeforeAdding) {
    TSmoothMask mask;
    mask.SetQuality(aqNormal);
    mask.SetSize(3, 1);
    // Block 0: 10..90; block 1: only the top-right corner (halved: 127); block 2: full ink.
    std::vector<std::uint8_t> raster = {10, 20, 30, 0, 0, 255, 255, 255, 255, //
                                        40, 50, 60, 0, 0, 0,   255, 255, 255, //
                                        70, 80, 90, 0, 0, 0,   255, 255, 255};
    mask.ShrinkFrom(raster);
    // (10 + 20 + 15 + 40 + 50 + 60 + 35 + 80 + 90) >> 3 = 50; 127 >> 3 = 15; 2039 >> 3 = 254.
    EXPECT_EQ(ValuesOf(mask), (std::vector<int>{50, 15, 254}));
}

TEST(SmoothMask, LowQualityAveragesTwoByTwoAndNoneCopies) {
    TSmoothMask low;
    low.SetQuality(aqLow);
    low.SetSize(2, 1);
    low.ShrinkFrom({255, 255, 1, 2, 255, 0, 3, 4});
    EXPECT_EQ(ValuesOf(low), (std::vector<int>{191, 2}));

    TSmoothMask none;
    none.SetQuality(aqNone);
    none.SetSize(3, 1);
    none.ShrinkFrom({0, 128, 255});
    EXPECT_EQ(ValuesOf(none), (std::vector<int>{0, 128, 255}));
}

TEST(SmoothMask, OutlineSumsFourDifferencesAcrossInteriorPixels) {
    TSmoothMask mask = MaskOf(3, 3, {10, 20, 30, 40, 50, 60, 70, 80, 90});
    mask.MakeOutline();
    // |90-10| + |80-20| + |60-40| + |70-30| = 200, shifted right by 2; borders keep their values.
    EXPECT_EQ(ValuesOf(mask), (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90}));

    TSmoothMask edge = MaskOf(4, 3, {0, 0, 0, 0, 0, 9, 255, 0, 255, 255, 255, 0});
    edge.MakeOutline();
    // Pixel (1,1): 255 + 255 + 255 + 255 = 1020 -> 255; pixel (2,1): 0 + 255 + 9 + 255 = 519 -> 129.
    EXPECT_EQ(ValuesOf(edge), (std::vector<int>{0, 0, 0, 0, 0, 255, 129, 0, 255, 255, 255, 0}));

    TSmoothMask solid = MaskOf(4, 4, std::vector<int>(16, 200));
    solid.MakeOutline();
    EXPECT_EQ(ValuesOf(solid),
              (std::vector<int>{200, 200, 200, 200, 200, 0, 0, 200, 200, 0, 0, 200, 200, 200, 200, 200}));
}

TEST(SmoothMask, OutlineLeavesMasksLowerThanThreeRowsAlone) {
    for (int height : {1, 2}) {
        std::vector<int> values;
        for (int i = 0; i < 4 * height; ++i) values.push_back(i * 30);
        TSmoothMask mask = MaskOf(4, height, values);
        mask.MakeOutline();
        EXPECT_EQ(ValuesOf(mask), values) << height;
    }
}

TEST(SmoothMask, MirrorsReverseRowsAndSwapThem) {
    TSmoothMask mask = MaskOf(3, 2, {1, 2, 3, 4, 5, 6});
    mask.MirrorHorizontally();
    EXPECT_EQ(ValuesOf(mask), (std::vector<int>{3, 2, 1, 6, 5, 4}));
    TSmoothMask tall = MaskOf(2, 3, {1, 2, 3, 4, 5, 6});
    tall.MirrorVertically();
    EXPECT_EQ(ValuesOf(tall), (std::vector<int>{5, 6, 3, 4, 1, 2}));
}

TEST(SmoothMask, FullBlurIsTheFiveByFiveAverageWithEdgeReplication) {
    // One row: the 255 at the right end counts 1, 2 and 3 times in the clamped windows.
    TSmoothMask mask = MaskOf(3, 1, {0, 0, 255});
    mask.ApplyBlur(100);
    EXPECT_EQ(ValuesOf(mask), (std::vector<int>{51, 102, 153}));

    // A single dot in a 5 x 5 mask lies in every pixel's window exactly once: 255 / 25 rounds to 10.
    std::vector<int> dot(25, 0);
    dot[12] = 255;
    TSmoothMask square = MaskOf(5, 5, dot);
    square.ApplyBlur(100);
    EXPECT_EQ(ValuesOf(square), std::vector<int>(25, 10));
}

TEST(SmoothMask, PartialBlurMovesByAFractionOfTheDifference) {
    // Strength 50 gives 127.5 rounded to even: 128 of 256.
    TSmoothMask mask = MaskOf(3, 1, {0, 0, 255});
    mask.ApplyBlur(50);
    // 0 + (51 x 128 >> 8) = 25; 0 + (102 x 128 >> 8) = 51; 255 + (-102 x 128 >> 8) = 204.
    EXPECT_EQ(ValuesOf(mask), (std::vector<int>{25, 51, 204}));

    TSmoothMask same = MaskOf(3, 1, {0, 0, 255});
    same.ApplyBlur(0);
    EXPECT_EQ(ValuesOf(same), (std::vector<int>{0, 0, 255}));
}

TEST(SmoothMask, SprayZeroLeavesTheMaskUnchanged) {
    TSmoothMask mask = MaskOf(3, 2, {1, 2, 3, 4, 5, 6});
    mask.ApplySpray(0);
    EXPECT_EQ(ValuesOf(mask), (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

TEST(SmoothMask, SprayOneTakesAPixelFromItselfOrOneStepRightOrDown) {
    const int w = 16, h = 12;
    std::vector<int> values;
    for (int i = 0; i < w * h; ++i) values.push_back(i);
    TSmoothMask mask = MaskOf(w, h, values);
    mask.ApplySpray(1);
    const std::vector<int> sprayed = ValuesOf(mask);
    int moved = 0;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int right = std::min(x + 1, w - 1), down = std::min(y + 1, h - 1);
            const int v = sprayed[std::size_t(y * w + x)];
            const bool allowed =
                v == values[std::size_t(y * w + x)] || v == values[std::size_t(y * w + right)] ||
                v == values[std::size_t(down * w + x)] || v == values[std::size_t(down * w + right)];
            EXPECT_TRUE(allowed) << x << "," << y << " took " << v;
            if (v != values[std::size_t(y * w + x)]) ++moved;
        }
    EXPECT_GT(moved, 0);
}

TEST(SmoothMask, AssignCopiesQualitySizeAndCoverage) {
    TSmoothMask source = MaskOf(2, 2, {1, 2, 3, 4});
    source.SetQuality(aqLow);
    TSmoothMask copy;
    copy.Assign(source);
    EXPECT_EQ(copy.Quality(), aqLow);
    EXPECT_EQ(copy.Scale(), 2);
    EXPECT_EQ(ValuesOf(copy), (std::vector<int>{1, 2, 3, 4}));
}

TEST(SmoothMask, RotatedBoxTurnsTheCornersAboutTheCentre) {
    int w = 0, h = 0, x = 0, y = 0;
    // A quarter turn counter-clockwise: the text reads upward from the bottom-left.
    RotatedTextBox(100, 40, 900, w, h, x, y);
    EXPECT_EQ(w, 40);
    EXPECT_EQ(h, 100);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 100);
    // 5 degrees: corners (-52,-16), (48,-24), (52,16), (-48,24).
    RotatedTextBox(100, 40, 50, w, h, x, y);
    EXPECT_EQ(w, 104);
    EXPECT_EQ(h, 48);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 8);
    // -5 degrees: the start drops to the top-left corner's new place (-48,-24).
    RotatedTextBox(100, 40, -50, w, h, x, y);
    EXPECT_EQ(w, 104);
    EXPECT_EQ(h, 48);
    EXPECT_EQ(x, 4);
    EXPECT_EQ(y, 0);
}

TEST(SmoothMask, ItalicWideningRoundsTiesToEven) {
    EXPECT_EQ(ItalicExtraWidth(50, 4), 4);  // 3.75
    EXPECT_EQ(ItalicExtraWidth(25, 3), 2);  // 2.5
    EXPECT_EQ(ItalicExtraWidth(5, 1), 2);   // 1.5
    EXPECT_EQ(ItalicExtraWidth(100, 0), 0); // no characters
}

TEST(SmoothMask, RenderingRealTextGivesPlainInkWithoutSupersamplingAndLevelsWithIt) {
    TBitmap canvas(200, 80, pf24bit);
    TSmoothFont font;
    font.SetCanvas(&canvas);
    font.Font().Height = 32;
    font.SetQuality(aqNone);
    font.Mask().Render("Text");
    int w = 0, h = 0;
    font.TextExtent("Text", w, h);
    ASSERT_GT(w, 0);
    EXPECT_EQ(font.Mask().Width(), w);
    EXPECT_EQ(font.Mask().Height(), h);
    bool inked = false;
    for (int v : ValuesOf(font.Mask())) {
        ASSERT_TRUE(v == 0 || v == 255) << v;
        inked |= v == 255;
    }
    EXPECT_TRUE(inked);

    font.SetQuality(aqHigh);
    font.Mask().Render("Text");
    bool partial = false;
    for (int v : ValuesOf(font.Mask())) partial |= v > 0 && v < 255;
    EXPECT_TRUE(partial);
}

TEST(SmoothMask, RenderWithoutACanvasDoesNothing) {
    TSmoothFont font;
    font.Mask().SetSize(2, 2);
    font.Mask().Render("Text");
    EXPECT_EQ(font.Mask().Width(), 2);
    EXPECT_EQ(ValuesOf(font.Mask()), (std::vector<int>{0, 0, 0, 0}));
}

} // namespace
