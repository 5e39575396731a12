#include "generators/text/SmoothBlend.h"

#include <gtest/gtest.h>

#include <vector>

#include "generators/text/SmoothFont.h"

namespace {

TSmoothMask MaskOf(int width, int height, const std::vector<int>& values) {
    TSmoothMask mask;
    mask.SetSize(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            mask.ScanLine(y)[x] = std::uint8_t(values[std::size_t(y * width + x)]);
    return mask;
}

// A text drawer over a 24-bit canvas filled with one colour.
struct TBlendFixture {
    TBitmap Canvas;
    TSmoothFont Font;
    TBlendFixture(int width, int height, TColor fill, TPixelFormat format = pf24bit)
        : Canvas(width, height, format) {
        Canvas.Fill(fill);
        Font.SetCanvas(&Canvas);
    }
};

TEST(SmoothBlend, FullAlphaAndFullCoverageReplaceThePixelAndZeroAlphaLeavesIt) {
    TBlendFixture f(3, 1, RGB(10, 20, 30));
    const TSmoothMask mask = MaskOf(3, 1, {255, 0, 255});
    f.Font.Blend().BlendColor(0, 0, mask, 100, RGB(200, 100, 50));
    EXPECT_EQ(f.Canvas.Pixel(0, 0), RGB(200, 100, 50));
    EXPECT_EQ(f.Canvas.Pixel(1, 0), RGB(10, 20, 30));
    EXPECT_EQ(f.Canvas.Pixel(2, 0), RGB(200, 100, 50));

    TBlendFixture g(1, 1, RGB(10, 20, 30));
    g.Font.Blend().BlendColor(0, 0, MaskOf(1, 1, {255}), 0, RGB(200, 100, 50));
    EXPECT_EQ(g.Canvas.Pixel(0, 0), RGB(10, 20, 30));
}

TEST(SmoothBlend, PartialCoverageMixesWithAnArithmeticShift) {
    TBlendFixture f(5, 1, RGB(0, 200, 100));
    // m = coverage x 256: 128 -> weight 128; 1 -> weight 1; 255 -> the colour itself.
    const TSmoothMask mask = MaskOf(5, 1, {128, 1, 255, 64, 0});
    f.Font.Blend().BlendColor(0, 0, mask, 100, RGB(255, 0, 100));
    EXPECT_EQ(f.Canvas.Pixel(0, 0), RGB(127, 100, 100)); // 0 + 255*128>>8; 200 + (-200*128>>8)
    EXPECT_EQ(f.Canvas.Pixel(1, 0), RGB(0, 199, 100));   // 200 + (-200 >> 8) = 199
    EXPECT_EQ(f.Canvas.Pixel(2, 0), RGB(255, 0, 100));
    EXPECT_EQ(f.Canvas.Pixel(3, 0), RGB(63, 150, 100));
    EXPECT_EQ(f.Canvas.Pixel(4, 0), RGB(0, 200, 100));
}

TEST(SmoothBlend, AlphaScalesTheCoverage) {
    TBlendFixture f(2, 1, RGB(0, 0, 0));
    // Alpha 50: a = 128; full coverage gives m = 32640, weight 127. Alpha 1: a = 2, m = 510, weight 1.
    f.Font.Blend().BlendColor(0, 0, MaskOf(1, 1, {255}), 50, RGB(255, 255, 255));
    f.Font.Blend().BlendColor(1, 0, MaskOf(1, 1, {255}), 1, RGB(255, 255, 255));
    EXPECT_EQ(f.Canvas.Pixel(0, 0), RGB(126, 126, 126));
    EXPECT_EQ(f.Canvas.Pixel(1, 0), RGB(0, 0, 0));
}

TEST(SmoothBlend, MasksReachingPastTheCanvasAreCut) {
    TBlendFixture f(3, 3, RGB(1, 1, 1));
    f.Font.Blend().BlendColor(-1, 1, MaskOf(3, 3, std::vector<int>(9, 255)), 100, RGB(9, 9, 9));
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(f.Canvas.Pixel(x, y), (x <= 1 && y >= 1) ? RGB(9, 9, 9) : RGB(1, 1, 1))
                << x << "," << y;
}

TEST(SmoothBlend, ThirtyTwoBitCanvasesKeepTheirFourthByte) {
    TBlendFixture f(1, 1, RGB(0, 0, 0), pf32bit);
    f.Canvas.ScanLine(0)[3] = 77;
    f.Font.Blend().BlendColor(0, 0, MaskOf(1, 1, {255}), 100, RGB(1, 2, 3));
    EXPECT_EQ(f.Canvas.ScanLine(0)[0], 3);
    EXPECT_EQ(f.Canvas.ScanLine(0)[1], 2);
    EXPECT_EQ(f.Canvas.ScanLine(0)[2], 1);
    EXPECT_EQ(f.Canvas.ScanLine(0)[3], 77);
}

TEST(SmoothBlend, ForegroundMustBeTwentyFourBitAndMaskSized) {
    TBlendFixture f(4, 4, RGB(0, 0, 0));
    const TSmoothMask mask = MaskOf(2, 2, {255, 255, 255, 255});
    f.Font.Blend().Foreground() = TBitmap(3, 2, pf24bit);
    try {
        f.Font.Blend().BlendForeground(0, 0, mask, 100);
        FAIL() << "a foreground of the wrong size was used";
    } catch (const EInvalidForeBmp& e) {
        EXPECT_STREQ(e.what(), "Invalid foreground bitmap!");
    }
    f.Font.Blend().Foreground() = TBitmap(2, 2, pf32bit);
    EXPECT_THROW(f.Font.Blend().BlendForeground(0, 0, mask, 100), EInvalidForeBmp);
    f.Font.Blend().Foreground() = TBitmap(2, 2, pf24bit);
    f.Font.Blend().Foreground().SetPixel(1, 1, RGB(5, 6, 7));
    f.Font.Blend().BlendForeground(1, 1, mask, 100);
    EXPECT_EQ(f.Canvas.Pixel(2, 2), RGB(5, 6, 7));
    EXPECT_EQ(f.Canvas.Pixel(1, 1), RGB(0, 0, 0));
}

std::vector<TColor> Row(const TBitmap& bitmap, int y) {
    std::vector<TColor> row;
    for (int x = 0; x < bitmap.Width(); ++x) row.push_back(bitmap.Pixel(x, y));
    return row;
}

std::vector<TColor> Column(const TBitmap& bitmap, int x) {
    std::vector<TColor> column;
    for (int y = 0; y < bitmap.Height(); ++y) column.push_back(bitmap.Pixel(x, y));
    return column;
}

TColor Grey(int level) {
    return RGB(level, level, level);
}

TEST(SmoothBlend, HorizontalGradientsStepEveryChannelAcrossEachRow) {
    TSmoothBlend blend;
    const TSmoothMask mask = MaskOf(4, 2, std::vector<int>(8, 0));
    blend.MakeGradient(mask, gsLeftToRight, RGB(0, 0, 0), RGB(100, 200, 40));
    const std::vector<TColor> expected = {RGB(0, 0, 0), RGB(25, 50, 10), RGB(50, 100, 20), RGB(75, 150, 30)};
    EXPECT_EQ(Row(blend.Foreground(), 0), expected);
    EXPECT_EQ(Row(blend.Foreground(), 1), expected);

    blend.MakeGradient(mask, gsRightToLeft, RGB(0, 0, 0), RGB(100, 200, 40));
    EXPECT_EQ(Row(blend.Foreground(), 1),
              (std::vector<TColor>{RGB(100, 200, 40), RGB(75, 150, 30), RGB(50, 100, 20), RGB(25, 50, 10)}));
}

TEST(SmoothBlend, VerticalGradientsTruncateTowardZero) {
    TSmoothBlend blend;
    const TSmoothMask mask = MaskOf(2, 3, std::vector<int>(6, 0));
    // 10 + i x (-10) / 3 truncates toward zero: 10, 7, 4.
    blend.MakeGradient(mask, gsTopToBottom, Grey(10), Grey(0));
    EXPECT_EQ(Column(blend.Foreground(), 0), (std::vector<TColor>{Grey(10), Grey(7), Grey(4)}));
    EXPECT_EQ(Column(blend.Foreground(), 1), (std::vector<TColor>{Grey(10), Grey(7), Grey(4)}));
    blend.MakeGradient(mask, gsBottomToTop, Grey(0), Grey(10));
    EXPECT_EQ(Column(blend.Foreground(), 1), (std::vector<TColor>{Grey(10), Grey(7), Grey(4)}));
}

TEST(SmoothBlend, CentreGradientsMirrorTheRunAndNeverReachTheStartColour) {
    TSmoothBlend blend;
    blend.MakeGradient(MaskOf(9, 1, std::vector<int>(9, 0)), gsCenterToLR, Grey(255), Grey(0));
    EXPECT_EQ(Row(blend.Foreground(), 0),
              (std::vector<TColor>{Grey(0), Grey(51), Grey(102), Grey(153), Grey(204), Grey(153), Grey(102),
                                   Grey(51), Grey(0)}));
    blend.MakeGradient(MaskOf(1, 4, std::vector<int>(4, 0)), gsCenterToTB, Grey(200), Grey(100));
    EXPECT_EQ(Column(blend.Foreground(), 0),
              (std::vector<TColor>{Grey(100), Grey(150), Grey(150), Grey(100)}));
}

TSmoothPicture TwoByTwo() {
    TBitmap bitmap(2, 2, pf24bit);
    bitmap.SetPixel(0, 0, RGB(1, 0, 0));
    bitmap.SetPixel(1, 0, RGB(2, 0, 0));
    bitmap.SetPixel(0, 1, RGB(3, 0, 0));
    bitmap.SetPixel(1, 1, RGB(4, 0, 0));
    TSmoothPicture picture;
    picture.Assign(bitmap);
    return picture;
}

TEST(SmoothBlend, TextureModesPlaceThePictureOverTheFontColour) {
    const TColor fill = RGB(0, 9, 0);
    const TColor p1 = RGB(1, 0, 0), p2 = RGB(2, 0, 0), p3 = RGB(3, 0, 0), p4 = RGB(4, 0, 0);
    const TSmoothMask mask = MaskOf(5, 3, std::vector<int>(15, 0));
    TSmoothBlend blend;

    blend.MakeTexture(mask, TwoByTwo(), tmTiled, fill);
    EXPECT_EQ(Row(blend.Foreground(), 0), (std::vector<TColor>{p1, p2, p1, p2, p1}));
    EXPECT_EQ(Row(blend.Foreground(), 1), (std::vector<TColor>{p3, p4, p3, p4, p3}));
    EXPECT_EQ(Row(blend.Foreground(), 2), (std::vector<TColor>{p1, p2, p1, p2, p1}));

    blend.MakeTexture(mask, TwoByTwo(), tmStretched, fill);
    EXPECT_EQ(Row(blend.Foreground(), 0), (std::vector<TColor>{p1, p1, p1, p2, p2}));
    EXPECT_EQ(Row(blend.Foreground(), 1), (std::vector<TColor>{p1, p1, p1, p2, p2}));
    EXPECT_EQ(Row(blend.Foreground(), 2), (std::vector<TColor>{p3, p3, p3, p4, p4}));

    blend.MakeTexture(mask, TwoByTwo(), tmCenter, fill); // at ((5-2)/2, (3-2)/2) = (1, 0)
    EXPECT_EQ(Row(blend.Foreground(), 0), (std::vector<TColor>{fill, p1, p2, fill, fill}));
    EXPECT_EQ(Row(blend.Foreground(), 1), (std::vector<TColor>{fill, p3, p4, fill, fill}));
    EXPECT_EQ(Row(blend.Foreground(), 2), (std::vector<TColor>(5, fill)));

    blend.MakeTexture(mask, TwoByTwo(), tmNormal, fill);
    EXPECT_EQ(Row(blend.Foreground(), 0), (std::vector<TColor>{p1, p2, fill, fill, fill}));
    EXPECT_EQ(Row(blend.Foreground(), 2), (std::vector<TColor>(5, fill)));

    // A picture larger than the mask is centred with a negative offset.
    blend.MakeTexture(MaskOf(1, 1, {0}), TwoByTwo(), tmCenter, fill); // (1 - 2) / 2 truncates to 0
    EXPECT_EQ(blend.Foreground().Pixel(0, 0), p1);
}

TEST(SmoothBlend, NoiseStaysWithinHalfTheAmountAroundTheColour) {
    TSmoothBlend blend;
    const TSmoothMask mask = MaskOf(20, 10, std::vector<int>(200, 0));
    blend.MakeNoise(mask, RGB(100, 0, 255), 1); // r in 0..0, minus 0
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) ASSERT_EQ(blend.Foreground().Pixel(x, y), RGB(100, 0, 255));

    blend.MakeNoise(mask, RGB(100, 0, 255), 10);
    bool varied = false;
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x) {
            const TColor c = blend.Foreground().Pixel(x, y);
            ASSERT_GE(GetRValue(c), 95);
            ASSERT_LE(GetRValue(c), 104);
            ASSERT_LE(GetGValue(c), 4); // clamped at 0
            ASSERT_GE(GetBValue(c), 250);
            varied |= c != RGB(100, 0, 255);
        }
    EXPECT_TRUE(varied);

    blend.Foreground().Fill(RGB(50, 50, 50));
    blend.AddNoise(2); // each byte + 0 or 1, minus 1
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            for (int v :
                 {GetRValue(blend.Foreground().Pixel(x, y)), GetBValue(blend.Foreground().Pixel(x, y))}) {
                ASSERT_GE(v, 49);
                ASSERT_LE(v, 50);
            }
}

} // namespace
