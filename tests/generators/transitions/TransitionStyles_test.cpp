// The transition style table and the styles' geometry, drawn on plain bitmaps.
#include "generators/transitions/TransitionStylePainter.h"
#include "generators/transitions/TransitionStyles.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

// Every pixel a different colour, so a pixel tells where it came from.
TBitmap NumberedPicture(int w, int h, TPixelFormat format = pf24bit) {
    TBitmap bitmap(w, h, format);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            bitmap.SetPixel(x, y, RGB(x & 0xFF, y & 0xFF, 0x80 | ((x >> 8) & 0x0F) | ((y >> 8) << 4)));
    return bitmap;
}

// A single colour that NumberedPicture never uses (blue below 0x80).
TBitmap OldPicture(int w, int h, TPixelFormat format = pf24bit) {
    TBitmap bitmap(w, h, format);
    bitmap.Fill(RGB(1, 2, 3));
    return bitmap;
}

constexpr TColor OldColor = RGB(1, 2, 3);

TBitmap Compose(int style, int w, int h, int p, int step, TPixelFormat format = pf24bit) {
    TBitmap media = OldPicture(w, h, format);
    ApplyTransitionStyle(style, media, NumberedPicture(w, h, format), p, step);
    return media;
}

TEST(TransitionStyleTable, HoldsTheHundredAndFiftyNamesAsStored) {
    EXPECT_STREQ(TransitionStyleName(0), "Custom");
    EXPECT_STREQ(TransitionStyleName(1), "Expand from right");
    EXPECT_STREQ(TransitionStyleName(76), "Unven shred from bottom");
    EXPECT_STREQ(TransitionStyleName(118), "Fade");
    EXPECT_STREQ(TransitionStyleName(134), "Push and sqeeze down");
    EXPECT_STREQ(TransitionStyleName(145), "Rectangles apear from left and disapear to right");
    EXPECT_STREQ(TransitionStyleName(150), "Rotational star");
    EXPECT_STREQ(TransitionStyleName(151), "");
    EXPECT_EQ(TransitionStyle(0), nullptr);
    EXPECT_EQ(TransitionStyle(151), nullptr);
    std::set<std::string> names;
    for (int i = 1; i <= TransitionStyleCount; ++i) {
        ASSERT_NE(TransitionStyle(i), nullptr);
        EXPECT_NE(TransitionStyle(i)->Proc, nullptr) << i;
        names.insert(TransitionStyle(i)->Name);
    }
    // Two names occur twice; the entries are different styles.
    EXPECT_EQ(names.size(), 148u);
    EXPECT_STREQ(TransitionStyleName(18), TransitionStyleName(33));
    EXPECT_STREQ(TransitionStyleName(25), TransitionStyleName(34));
    EXPECT_NE(TransitionStyle(18)->Proc, TransitionStyle(33)->Proc);
    EXPECT_NE(Compose(18, 40, 40, 30, 10), Compose(33, 40, 40, 30, 10));
}

TEST(TransitionStyleTable, LooksNamesUpIgnoringCaseFirstMatchWinning) {
    EXPECT_EQ(FindTransitionStyle("expand from bottom"), 18);
    EXPECT_EQ(FindTransitionStyle("EXPAND IN FROM TOP"), 25);
    EXPECT_EQ(FindTransitionStyle("cUsToM"), 0);
    EXPECT_EQ(FindTransitionStyle("Fade"), 118);
    EXPECT_EQ(FindTransitionStyle("Fade "), -1);
    EXPECT_EQ(FindTransitionStyle(""), -1);
}

TEST(TransitionGeometry, MulDivRoundsToNearest) {
    EXPECT_EQ(MulDiv(200, 50, 100), 100);
    EXPECT_EQ(MulDiv(200, 9, 90), 20);
    EXPECT_EQ(MulDiv(5, 1, 2), 3);
    EXPECT_EQ(MulDiv(-5, 1, 2), -3);
    EXPECT_EQ(MulDiv(7, 1, 3), 2);
    EXPECT_EQ(MulDiv(2000000000, 3, 4), 1500000000);
    EXPECT_EQ(MulDiv(1, 1, 0), -1);
}

TEST(TransitionGeometry, DerivesXYAndKFromTheLongerSide) {
    TBitmap media = OldPicture(200, 100), picture = NumberedPicture(200, 100);
    TStylePainter wide(TStyleContext{media, picture, R(0, 0, 200, 100), 50, 9});
    EXPECT_EQ(wide.X, 100);
    EXPECT_EQ(wide.Y, 50);
    EXPECT_EQ(wide.K, 20);
    TBitmap tallMedia = OldPicture(30, 70), tallPicture = NumberedPicture(30, 70);
    TStylePainter tall(TStyleContext{tallMedia, tallPicture, R(0, 0, 30, 70), 33, 1});
    EXPECT_EQ(tall.Y, 23); // 70 * 33 / 100 = 23.1
    EXPECT_EQ(tall.X, 10); // 23 * 30 / 70 = 9.86
    EXPECT_EQ(tall.K, 1);  // 70 / 90 rounds to 1
    TBitmap small = OldPicture(10, 10), smallPicture = NumberedPicture(10, 10);
    TStylePainter tiny(TStyleContext{small, smallPicture, R(0, 0, 10, 10), 50, 1});
    EXPECT_EQ(tiny.K, 0);
    EXPECT_EQ(tiny.KDiv(), 1);
    EXPECT_EQ(tiny.GridStep(), 1);
}

TEST(TransitionStyles, ExpandFromRightSqueezesTheWholePictureIntoTheRightHalf) {
    const TBitmap picture = NumberedPicture(200, 100);
    const TBitmap media = Compose(1, 200, 100, 50, 10);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            if (x < 100) ASSERT_EQ(media.Pixel(x, y), OldColor) << x << "," << y;
            // Every other column of the new picture, whole height.
            else
                ASSERT_EQ(media.Pixel(x, y), picture.Pixel(2 * (x - 100) + 1, y)) << x << "," << y;
        }
}

TEST(TransitionStyles, RevealOutFromCentreUncoversTheCentreRectangle) {
    const TBitmap picture = NumberedPicture(200, 100);
    const TBitmap media = Compose(53, 200, 100, 50, 10);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 200; ++x) {
            const bool inside = x >= 50 && x < 150 && y >= 25 && y < 75;
            ASSERT_EQ(media.Pixel(x, y), inside ? picture.Pixel(x, y) : OldColor) << x << "," << y;
        }
}

TEST(TransitionStyles, BlindVerticallyUsesThePeriodWidthOverK) {
    // Step 9 on 200 x 100: K = 20, period 10; at p = 50 each stripe is 5 wide.
    const TBitmap picture = NumberedPicture(200, 100);
    const TBitmap media = Compose(136, 200, 100, 50, 9);
    for (int y = 0; y < 100; y += 7)
        for (int x = 0; x < 200; ++x)
            ASSERT_EQ(media.Pixel(x, y), x % 10 < 5 ? picture.Pixel(x, y) : OldColor) << x;
}

TEST(TransitionStyles, FadeMixesEachChannelAndLeavesTheFourthByte) {
    TBitmap media(3, 1, pf32bit), picture(3, 1, pf32bit);
    const std::uint8_t old[12] = {200, 10, 255, 77, 0, 0, 0, 9, 13, 101, 7, 250};
    const std::uint8_t fresh[12] = {0, 250, 1, 66, 255, 255, 255, 5, 14, 99, 200, 1};
    std::copy(old, old + 12, media.Bits());
    std::copy(fresh, fresh + 12, picture.Bits());
    ApplyTransitionStyle(118, media, picture, 25, 10);
    for (int i = 0; i < 12; ++i) {
        if (i % 4 == 3)
            EXPECT_EQ(media.Bits()[i], old[i]) << i;
        else
            EXPECT_EQ(media.Bits()[i], (3 * old[i] + fresh[i]) / 4) << i;
    }
}

TEST(TransitionStyles, RandomSquaresNeverDisappearAsProgressGrows) {
    for (int step : {1, 4, 10, 37, 100}) {
        TBitmap previous = Compose(127, 90, 60, 1, step);
        int covered = 0;
        for (int p = 2; p < 100; ++p) {
            const TBitmap current = Compose(127, 90, 60, p, step);
            for (int y = 0; y < 60; ++y)
                for (int x = 0; x < 90; ++x) {
                    if (previous.Pixel(x, y) != OldColor) {
                        ASSERT_NE(current.Pixel(x, y), OldColor) << p;
                    }
                }
            previous = current;
        }
        for (int y = 0; y < 60; ++y)
            for (int x = 0; x < 90; ++x) covered += previous.Pixel(x, y) != OldColor;
        EXPECT_GT(covered, 90 * 60 / 2) << step;
        // Reseeded at every step: the same step composes the same squares.
        EXPECT_EQ(Compose(127, 90, 60, 40, step), Compose(127, 90, 60, 40, step));
    }
}

TEST(TransitionStyles, TrianglesSweepsAndUnrollCoverTheirShapes) {
    const TBitmap picture = NumberedPicture(200, 100);
    // "Reveal diagonal from top left" at p = 50: triangle (0, 0), (200, 0), (0, 100).
    const TBitmap diagonal = Compose(110, 200, 100, 50, 10);
    EXPECT_EQ(diagonal.Pixel(10, 10), picture.Pixel(10, 10));
    EXPECT_EQ(diagonal.Pixel(100, 40), picture.Pixel(100, 40));
    EXPECT_EQ(diagonal.Pixel(190, 90), OldColor);
    EXPECT_EQ(diagonal.Pixel(110, 60), OldColor);
    // "Sweep clockwise" at p = 50 covers the right half, starting at twelve o'clock.
    const TBitmap sweep = Compose(143, 200, 100, 50, 10);
    EXPECT_EQ(sweep.Pixel(150, 20), picture.Pixel(150, 20));
    EXPECT_EQ(sweep.Pixel(150, 80), picture.Pixel(150, 80));
    EXPECT_EQ(sweep.Pixel(50, 20), OldColor);
    EXPECT_EQ(sweep.Pixel(50, 80), OldColor);
    // "Sweep anticlockwise" covers the left half instead.
    const TBitmap anti = Compose(144, 200, 100, 50, 10);
    EXPECT_EQ(anti.Pixel(50, 20), picture.Pixel(50, 20));
    EXPECT_EQ(anti.Pixel(150, 20), OldColor);
    // "Unroll from left": the uncovered part unscaled, a mirrored band beyond it.
    const TBitmap unroll = Compose(14, 200, 100, 50, 10);
    for (int x = 0; x < 100; ++x) ASSERT_EQ(unroll.Pixel(x, 30), picture.Pixel(x, 30)) << x;
    EXPECT_NE(unroll.Pixel(105, 30), OldColor);
    EXPECT_EQ(unroll.Pixel(150, 30), OldColor);
    // "Circular reveal from centre" at p = 50: the centre is new, the corners old.
    const TBitmap circle = Compose(84, 200, 100, 50, 10);
    EXPECT_EQ(circle.Pixel(100, 50), picture.Pixel(100, 50));
    EXPECT_EQ(circle.Pixel(1, 1), OldColor);
    // "Circular reveal to centre" at p = 50: the corners are new, the centre old.
    const TBitmap toCentre = Compose(85, 200, 100, 50, 10);
    EXPECT_EQ(toCentre.Pixel(100, 50), OldColor);
    EXPECT_EQ(toCentre.Pixel(1, 1), picture.Pixel(1, 1));
}

TEST(TransitionStyles, BarsFillEveryOtherBarInTheFirstHalf) {
    // "Bars in from right" at p = 20 on 200 x 100: A = 2X = 80, bars in rows 0-4, 10-14, ...
    const TBitmap picture = NumberedPicture(200, 100);
    const TBitmap media = Compose(60, 200, 100, 20, 10);
    EXPECT_EQ(media.Pixel(199, 2), picture.Pixel(199, 2));
    EXPECT_EQ(media.Pixel(130, 12), picture.Pixel(130, 12));
    EXPECT_EQ(media.Pixel(110, 2), OldColor);
    EXPECT_EQ(media.Pixel(199, 7), OldColor);
    // Second half: the first bars are complete, the others run in.
    const TBitmap later = Compose(60, 200, 100, 75, 10);
    EXPECT_EQ(later.Pixel(0, 2), picture.Pixel(0, 2));
    EXPECT_EQ(later.Pixel(199, 7), picture.Pixel(199, 7));
    EXPECT_EQ(later.Pixel(0, 7), OldColor);
}

TEST(TransitionStyles, PushReadsTheOldPictureAsItStoodAtTheStart) {
    // "Push right" at p = 50 on 20 x 10: old picture moves right by 10.
    TBitmap media = NumberedPicture(20, 10);
    const TBitmap old = media;
    TBitmap picture = OldPicture(20, 10);
    ApplyTransitionStyle(128, media, picture, 50, 10);
    for (int x = 10; x < 20; ++x) EXPECT_EQ(media.Pixel(x, 4), old.Pixel(x - 10, 4)) << x;
    for (int x = 0; x < 10; ++x) EXPECT_EQ(media.Pixel(x, 4), OldColor) << x;
}

// Outside "Fade" every composed pixel is either the old picture's or one of
// the new picture's, and nothing reads or writes outside the bitmaps.
void ExpectOnlyOldOrNewPixels(int style, int w, int h, int p, int step, TPixelFormat format) {
    const TBitmap media = Compose(style, w, h, p, step, format);
    ASSERT_EQ(media.Width(), w);
    ASSERT_EQ(media.PixelFormat(), format);
    if (style == 118) return;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const TColor c = media.Pixel(x, y);
            if (c == OldColor) continue;
            const int sx = GetRValue(c) | ((GetBValue(c) & 0x0F) << 8);
            const int sy = GetGValue(c) | ((GetBValue(c) >> 4 & 0x07) << 8);
            ASSERT_TRUE((GetBValue(c) & 0x80) && sx < w && sy < h)
                << "style " << style << " p " << p << " step " << step << " at " << x << "," << y;
        }
}

TEST(TransitionStyles, EveryStyleRunsOnATenByTenPictureWithStepOne) {
    for (int style = 1; style <= TransitionStyleCount; ++style)
        for (int p = 1; p < 100; ++p) ExpectOnlyOldOrNewPixels(style, 10, 10, p, 1, pf24bit);
}

TEST(TransitionStyles, EveryStyleRunsOnTinyPicturesThroughAllSteps) {
    const int sizes[][2] = {{1, 1}, {2, 3}, {7, 5}};
    for (const auto& size : sizes) {
        const TBitmap old = OldPicture(size[0], size[1], pf32bit);
        const TBitmap picture = NumberedPicture(size[0], size[1], pf32bit);
        for (int style = 1; style <= TransitionStyleCount; ++style)
            for (int step = 1; step <= 100; ++step)
                for (int p = 1; p < 100; ++p) {
                    TBitmap media = old;
                    ApplyTransitionStyle(style, media, picture, p, step);
                    ASSERT_EQ(media.Width(), size[0]);
                    ASSERT_EQ(media.PixelFormat(), pf32bit);
                }
    }
}

TEST(TransitionStyles, EveryStyleKeepsToOldAndNewPixelsOnOddSizes) {
    const int sizes[][2] = {{200, 100}, {37, 91}, {3, 64}};
    for (const auto& size : sizes)
        for (int style = 1; style <= TransitionStyleCount; ++style)
            for (int p : {1, 13, 50, 77, 99})
                for (int step : {1, 10, 100})
                    ExpectOnlyOldOrNewPixels(style, size[0], size[1], p, step, style % 2 ? pf24bit : pf32bit);
}

TEST(TransitionStyles, IgnoreProgressOutsideTheStepRangeAndMismatchedBitmaps) {
    const TBitmap untouched = OldPicture(20, 10);
    for (int p : {0, 100, -5, 250}) EXPECT_EQ(Compose(1, 20, 10, p, 10), untouched) << p;
    TBitmap media = OldPicture(20, 10);
    ApplyTransitionStyle(1, media, NumberedPicture(21, 10), 50, 10);
    EXPECT_EQ(media, untouched);
    ApplyTransitionStyle(151, media, NumberedPicture(20, 10), 50, 10);
    EXPECT_EQ(media, untouched);
    // A picture of another form is converted first.
    TBitmap wide = OldPicture(20, 10, pf32bit);
    ApplyTransitionStyle(5, wide, NumberedPicture(20, 10, pf24bit), 50, 10);
    EXPECT_EQ(wide.Pixel(0, 0), NumberedPicture(20, 10).Pixel(0, 0));
}

} // namespace
