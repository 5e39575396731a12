#include "platform/Canvas.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <set>

namespace {

const TColor Black = RGB(0, 0, 0);
const TColor White = RGB(255, 255, 255);
const TColor Red = RGB(255, 0, 0);
const TColor Blue = RGB(0, 0, 255);

TBitmap WhiteBitmap(int w, int h, TPixelFormat format = pf24bit) {
    TBitmap b(w, h, format);
    if (format == pf8bit) b.SetPalette({Black, White, Red, Blue});
    b.Fill(White);
    return b;
}

// The pixels of the bitmap that differ from white, as (x, y) pairs.
std::set<std::pair<int, int>> Painted(const TBitmap& b) {
    std::set<std::pair<int, int>> result;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.Pixel(x, y) != White) result.insert({x, y});
    return result;
}

std::set<std::pair<int, int>> RegionPixels(const TRegion& r) {
    std::set<std::pair<int, int>> result;
    for (const TRect& rect : r.Rects())
        for (int y = rect.Top; y < rect.Bottom; ++y)
            for (int x = rect.Left; x < rect.Right; ++x) result.insert({x, y});
    return result;
}

TEST(CanvasLines, LineToLeavesOutTheEndPixelAndMovesThePen) {
    TBitmap b = WhiteBitmap(10, 10);
    TCanvas c(b);
    c.MoveTo(1, 2);
    c.LineTo(6, 2);
    EXPECT_EQ(Painted(b), (std::set<std::pair<int, int>>{{1, 2}, {2, 2}, {3, 2}, {4, 2}, {5, 2}}));
    EXPECT_EQ(c.PenPos(), (TPoint{6, 2}));
    c.LineTo(6, 5); // continues from the end pixel, which the second line now covers
    EXPECT_EQ(b.Pixel(6, 2), Black);
    EXPECT_EQ(b.Pixel(6, 4), Black);
    EXPECT_EQ(b.Pixel(6, 5), White);
}

TEST(CanvasLines, DottedLinePaintsEveryOtherPixel) {
    TBitmap b = WhiteBitmap(12, 3);
    TCanvas c(b);
    c.Pen.Style = psDot;
    c.MoveTo(0, 1);
    c.LineTo(10, 1);
    for (int x = 0; x < 10; ++x) EXPECT_EQ(b.Pixel(x, 1), x % 2 == 0 ? Black : White) << x;
}

TEST(CanvasLines, WideLineIsWiderThanOnePixel) {
    TBitmap b = WhiteBitmap(30, 30);
    TCanvas c(b);
    c.Pen.Width = 5;
    c.MoveTo(5, 15);
    c.LineTo(25, 15);
    int column = 0;
    for (int y = 0; y < 30; ++y) column += b.Pixel(15, y) == Black;
    EXPECT_EQ(column, 5);
}

TEST(CanvasShapes, RectangleOutlineLiesInsideRightAndBottomExclusive) {
    TBitmap b = WhiteBitmap(12, 12);
    TCanvas c(b);
    c.Brush.Color = Red;
    c.Rectangle({2, 3, 8, 9});
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 12; ++x) {
            const bool inside = x >= 2 && x < 8 && y >= 3 && y < 9;
            const bool edge = inside && (x == 2 || x == 7 || y == 3 || y == 8);
            EXPECT_EQ(b.Pixel(x, y), edge ? Black : inside ? Red : White) << x << "," << y;
        }
}

TEST(CanvasShapes, FillAndFrameRectUseTheBrushColour) {
    TBitmap b = WhiteBitmap(10, 10, pf32bit);
    TCanvas c(b);
    c.Brush.Color = Blue;
    c.FillRect({1, 1, 4, 3});
    EXPECT_EQ(Painted(b).size(), 6u);
    EXPECT_EQ(b.Pixel(3, 2), Blue);
    EXPECT_EQ(b.ScanLine(2)[3 * 4 + 3], 0); // fourth byte stays 0
    c.Brush.Color = Red;
    c.FrameRect({5, 5, 9, 9});
    EXPECT_EQ(b.Pixel(5, 5), Red);
    EXPECT_EQ(b.Pixel(8, 8), Red);
    EXPECT_EQ(b.Pixel(6, 6), White);
    EXPECT_EQ(b.Pixel(9, 9), White);
}

TEST(CanvasShapes, EightBitPaintingWritesOnlyPaletteIndicesWithoutBlending) {
    TBitmap b = WhiteBitmap(40, 40, pf8bit);
    TCanvas c(b);
    c.Pen.Color = RGB(250, 10, 10); // nearest entry: red (2)
    c.Pen.Width = 3;
    c.Brush.Color = RGB(10, 10, 240); // nearest entry: blue (3)
    c.Ellipse({3, 3, 37, 30});
    c.Polygon({{5, 35}, {20, 20}, {35, 38}});
    c.RoundRect({1, 1, 20, 20}, 8, 8);
    std::set<int> indices;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x) indices.insert(b.Index(x, y));
    EXPECT_EQ(indices, (std::set<int>{1, 2, 3}));
}

TEST(CanvasShapes, ClearBrushAndClearPenLeaveTheirPartOut) {
    TBitmap b = WhiteBitmap(20, 20);
    TCanvas c(b);
    c.Brush.Style = bsClear;
    c.Ellipse({0, 0, 20, 20});
    EXPECT_EQ(b.Pixel(10, 10), White);
    EXPECT_EQ(b.Pixel(10, 0), Black);
    c.Pen.Style = psClear;
    c.Brush.Style = bsSolid;
    c.Brush.Color = Red;
    c.Rectangle({2, 2, 6, 6});
    EXPECT_EQ(b.Pixel(2, 2), Red);
}

TEST(CanvasShapes, NotModeInvertsTwiceBackToTheOriginal) {
    TBitmap b = WhiteBitmap(20, 20, pf8bit);
    b.SetIndex(5, 5, 2);
    const TBitmap original = b;
    TCanvas c(b);
    c.Pen.Style = psClear;
    c.Pen.Mode = pmNot;
    c.Polygon({{0, 0}, {19, 0}, {0, 19}});
    EXPECT_EQ(b.Index(5, 5), 255 - 2);
    EXPECT_EQ(b.Index(18, 18), 1);
    c.Polygon({{0, 0}, {19, 0}, {0, 19}});
    EXPECT_EQ(b, original);
}

TEST(CanvasShapes, BezierEndsOnItsEndPoints) {
    TBitmap b = WhiteBitmap(40, 40);
    TCanvas c(b);
    c.PolyBezier({{2, 30}, {10, 0}, {30, 0}, {37, 30}});
    EXPECT_EQ(b.Pixel(2, 30), Black);
    EXPECT_EQ(b.Pixel(37, 30), Black);
    EXPECT_EQ(b.Pixel(20, 30), White);
    EXPECT_GT(Painted(b).size(), 40u);
}

TEST(CanvasFloodFill, FillsTheFourConnectedAreaOfOneColourOnly) {
    TBitmap b = WhiteBitmap(5, 5, pf8bit);
    // A diagonal wall of black: (0,2) (1,1) (2,0) separates the corner.
    b.SetIndex(0, 2, 0);
    b.SetIndex(1, 1, 0);
    b.SetIndex(2, 0, 0);
    TCanvas c(b);
    c.Brush.Color = Red;
    c.FloodFill(4, 4);
    EXPECT_EQ(b.Index(0, 0), 1); // diagonal steps do not connect
    EXPECT_EQ(b.Index(1, 0), 1);
    EXPECT_EQ(b.Index(4, 4), 2);
    EXPECT_EQ(b.Index(1, 1), 0);
    c.Brush.Color = Red; // same colour as the area: no change, no hang
    c.FloodFill(4, 4);
    EXPECT_EQ(b.Index(3, 3), 2);
}

TEST(CanvasRegions, SetOperations) {
    const TRegion a = TRegion::FromRect(0, 0, 10, 10);
    const TRegion b = TRegion::FromRect(5, 5, 15, 15);
    EXPECT_EQ(RegionPixels(a.Union(b)).size(), 175u);
    EXPECT_EQ(RegionPixels(a.Intersect(b)).size(), 25u);
    EXPECT_EQ(RegionPixels(a.Xor(b)).size(), 150u);
    EXPECT_EQ(RegionPixels(a.Subtract(b)).size(), 75u);
    EXPECT_TRUE(a.Xor(a).IsEmpty());
    EXPECT_EQ(a.Union(b).Bounds(), (TRect{0, 0, 15, 15}));
    EXPECT_TRUE(a.Contains(9, 9));
    EXPECT_FALSE(a.Contains(10, 9));
}

TEST(CanvasRegions, ShapeRegionsAreThePixelsTheFilledShapePaints) {
    TBitmap b = WhiteBitmap(40, 30);
    TCanvas c(b);
    c.Brush.Color = Black;
    c.Ellipse({3, 2, 35, 27});
    EXPECT_EQ(RegionPixels(TRegion::FromEllipse({3, 2, 35, 27})), Painted(b));

    TBitmap r = WhiteBitmap(40, 30);
    TCanvas rc(r);
    rc.Brush.Color = Black;
    rc.RoundRect({1, 1, 39, 29}, 12, 8);
    EXPECT_EQ(RegionPixels(TRegion::FromRoundRect({1, 1, 39, 29}, 12, 8)), Painted(r));
    // Corners are cut; a zero corner is a plain rectangle.
    EXPECT_FALSE(TRegion::FromRoundRect({0, 0, 20, 20}, 10, 10).Contains(0, 0));
    EXPECT_EQ(TRegion::FromRoundRect({0, 0, 20, 20}, 0, 0), TRegion::FromRect(0, 0, 20, 20));
}

TEST(CanvasRegions, PolygonRegionCoversPixelCentresInside) {
    const TRegion tri = TRegion::FromPolygon({{0, 0}, {10, 0}, {0, 10}});
    EXPECT_TRUE(tri.Contains(0, 0));
    EXPECT_TRUE(tri.Contains(8, 0));
    EXPECT_FALSE(tri.Contains(9, 9));
    EXPECT_FALSE(tri.Contains(10, 0));
    // Centres strictly inside, plus at most those lying on the slanted edge.
    EXPECT_GE(RegionPixels(tri).size(), 45u);
    EXPECT_LE(RegionPixels(tri).size(), 55u);
    // The same pixels a polygon without outline paints.
    TBitmap b = WhiteBitmap(12, 12);
    TCanvas c(b);
    c.Pen.Style = psClear;
    c.Brush.Color = Black;
    c.Polygon({{0, 0}, {10, 0}, {0, 10}});
    EXPECT_EQ(RegionPixels(tri), Painted(b));
}

TEST(CanvasRegions, ClipRegionLimitsEveryOperation) {
    TBitmap b = WhiteBitmap(20, 20);
    TBitmap red(20, 20, pf24bit);
    red.Fill(Red);
    TCanvas c(b);
    c.SelectClipRegion(TRegion::FromRect(0, 0, 5, 5).Union(TRegion::FromRect(15, 15, 20, 20)));
    c.Brush.Color = Blue;
    c.FillRect({0, 0, 20, 20});
    EXPECT_EQ(Painted(b).size(), 50u);
    c.Draw(0, 0, red);
    EXPECT_EQ(b.Pixel(4, 4), Red);
    EXPECT_EQ(b.Pixel(10, 10), White);
    c.ResetClipRegion();
    c.FillRect({0, 0, 20, 20});
    EXPECT_EQ(b.Pixel(10, 10), Blue);
}

TEST(CanvasCopies, StretchRepeatsAndDropsWholePixelsAndMirrors) {
    TBitmap src(2, 1, pf24bit);
    src.SetPixel(0, 0, Red);
    src.SetPixel(1, 0, Blue);
    TBitmap b = WhiteBitmap(4, 2);
    TCanvas c(b);
    c.StretchDraw({0, 0, 4, 2}, src);
    EXPECT_EQ(b.Pixel(0, 0), Red);
    EXPECT_EQ(b.Pixel(1, 1), Red);
    EXPECT_EQ(b.Pixel(2, 0), Blue);
    EXPECT_EQ(b.Pixel(3, 1), Blue);
    c.CopyRect({4, 0, 0, 1}, src, {0, 0, 2, 1}); // reversed destination: mirrored
    EXPECT_EQ(b.Pixel(0, 0), Blue);
    EXPECT_EQ(b.Pixel(3, 0), Red);
    TBitmap small = WhiteBitmap(1, 1);
    TCanvas sc(small);
    sc.StretchDraw({0, 0, 1, 1}, src); // shrinking picks one whole source pixel
    EXPECT_TRUE(small.Pixel(0, 0) == Red || small.Pixel(0, 0) == Blue);
}

TEST(CanvasCopies, CopyFromItsOwnBitmapReadsTheOldPicture) {
    TBitmap b(4, 1, pf24bit);
    for (int x = 0; x < 4; ++x) b.SetPixel(x, 0, RGB(x * 10, 0, 0));
    TCanvas c(b);
    c.CopyRect({1, 0, 4, 1}, b, {0, 0, 3, 1});
    EXPECT_EQ(b.Pixel(1, 0), RGB(0, 0, 0));
    EXPECT_EQ(b.Pixel(2, 0), RGB(10, 0, 0));
    EXPECT_EQ(b.Pixel(3, 0), RGB(20, 0, 0));
}

TEST(CanvasCopies, SourceOutsideItsBitmapLeavesTheTargetAlone) {
    TBitmap src(2, 2, pf24bit);
    src.Fill(Red);
    TBitmap b = WhiteBitmap(4, 4);
    TCanvas c(b);
    c.CopyRect({0, 0, 4, 4}, src, {0, 0, 4, 4});
    EXPECT_EQ(b.Pixel(1, 1), Red);
    EXPECT_EQ(b.Pixel(3, 3), White);
    c.Draw(-1, -1, src); // partly outside the target
    EXPECT_EQ(b.Pixel(0, 0), Red);
}

TEST(CanvasCopies, KeyedDrawLeavesTheKeyColourOut) {
    TBitmap src(2, 1, pf24bit);
    src.SetPixel(0, 0, Red);
    src.SetPixel(1, 0, Blue);
    TBitmap b = WhiteBitmap(2, 1);
    TCanvas c(b);
    c.DrawKeyed(0, 0, src, Blue);
    EXPECT_EQ(b.Pixel(0, 0), Red);
    EXPECT_EQ(b.Pixel(1, 0), White);
}

TEST(CanvasCopies, IntoEightBitTakesNearestIndexLowestOnTies) {
    TBitmap target(3, 1, pf8bit);
    target.SetPalette({RGB(0, 0, 0), RGB(100, 0, 0), RGB(200, 0, 0), RGB(100, 0, 0)});
    TBitmap src(3, 1, pf24bit);
    src.SetPixel(0, 0, RGB(50, 0, 0));  // tie between 0 and 1 -> 0
    src.SetPixel(1, 0, RGB(101, 0, 0)); // entries 1 and 3 equal -> 1
    src.SetPixel(2, 0, RGB(180, 0, 0)); // -> 2
    TCanvas c(target);
    c.Draw(0, 0, src);
    EXPECT_EQ(target.Index(0, 0), 0);
    EXPECT_EQ(target.Index(1, 0), 1);
    EXPECT_EQ(target.Index(2, 0), 2);
}

TEST(CanvasCopies, EightBitWithTheSamePaletteCopiesIndices) {
    // Two entries of the same colour: a colour mapping would merge them.
    TBitmap src(2, 1, pf8bit);
    src.SetPalette({Red, Red});
    src.SetIndex(1, 0, 1);
    TBitmap target(2, 1, pf8bit);
    target.SetPalette({Red, Red});
    TCanvas c(target);
    c.Draw(0, 0, src);
    EXPECT_EQ(target.Index(1, 0), 1);
}

TEST(NearestColorMap, AgreesWithABruteForceSearchIncludingTies) {
    std::mt19937 random(7);
    for (int round = 0; round < 4; ++round) {
        std::vector<TColor> palette;
        const int size = round == 0 ? 1 : round == 1 ? 16 : 256;
        for (int i = 0; i < size; ++i) {
            // Coarse values make ties frequent.
            palette.push_back(RGB(random() % 6 * 51, random() % 6 * 51, random() % 6 * 51));
        }
        TBitmap reference(1, 1, pf8bit);
        reference.SetPalette(palette);
        TNearestColorMap map(palette);
        for (int i = 0; i < 20000; ++i) {
            const TColor c = round == 3 ? RGB(random() % 11 * 25, random() % 11 * 25, random() % 11 * 25)
                                        : TColor(random() & 0xFFFFFF);
            ASSERT_EQ(map.Index(c), reference.NearestIndex(c)) << std::hex << c;
        }
    }
}

// The palettes that palette reduction makes: middles of 16^3 bins, so every
// channel value 15 mod 16 lies exactly between two entries and the lower
// index must win.
TEST(NearestColorMap, BinMiddlePaletteTiesGoToTheLowerIndexEverywhere) {
    std::mt19937 random(11);
    std::vector<TColor> palette;
    for (int bin = 0; bin < 4096; bin += 16 + int(random() % 3))
        palette.push_back(RGB((bin & 15) * 16 + 7, (bin >> 4 & 15) * 16 + 7, (bin >> 8) * 16 + 7));
    std::shuffle(palette.begin(), palette.end(), random);
    palette.resize(std::min<std::size_t>(palette.size(), 256));
    TBitmap reference(1, 1, pf8bit);
    reference.SetPalette(palette);
    TNearestColorMap map(palette);
    std::vector<std::uint8_t> row(3 * 64), indices(64);
    for (int b = 96; b < 160; ++b) {
        for (int g = 96; g < 160; ++g) {
            for (int r = 0; r < 64; ++r) {
                row[std::size_t(r) * 3] = std::uint8_t(b);
                row[std::size_t(r) * 3 + 1] = std::uint8_t(g);
                row[std::size_t(r) * 3 + 2] = std::uint8_t(r * 4 + (g & 3));
            }
            map.MapRow(row.data(), 3, indices.data(), 64);
            for (int r = 0; r < 64; ++r) {
                const TColor c = RGB(r * 4 + (g & 3), g, b);
                ASSERT_EQ(indices[std::size_t(r)], reference.NearestIndex(c)) << std::hex << c;
            }
        }
    }
}

TEST(NearestColorMap, EmptyAndRepeatedPalettes) {
    TNearestColorMap none({});
    EXPECT_EQ(none.Index(RGB(255, 255, 255)), 0);
    EXPECT_EQ(none.Index(RGB(0, 0, 0)), 0);
    // Equal entries: the first of them, wherever the colour is.
    TNearestColorMap repeated({RGB(9, 9, 9), RGB(200, 10, 10), RGB(9, 9, 9), RGB(200, 10, 10)});
    for (int v = 0; v < 256; v += 5) {
        const std::uint8_t index = repeated.Index(RGB(v, 10, 10));
        EXPECT_TRUE(index == 0 || index == 1) << v;
    }
}

// Every colour once, through 32-bit rows: the map settles every cell of the
// colour space, more border cells than it keeps blocks for, and must stay
// exact past that point.
TEST(NearestColorMap, WholeColourSpaceStaysExact) {
    std::mt19937 random(5);
    std::vector<TColor> palette;
    for (int i = 0; i < 256; ++i) palette.push_back(TColor(random() & 0xFFFFFF));
    TBitmap reference(1, 1, pf8bit);
    reference.SetPalette(palette);
    TNearestColorMap map(palette);
    std::vector<std::uint8_t> row(256 * 4), indices(256);
    std::vector<std::uint8_t> all(std::size_t(1) << 24);
    for (int b = 0; b < 256; ++b) {
        for (int g = 0; g < 256; ++g) {
            for (int r = 0; r < 256; ++r) {
                row[std::size_t(r) * 4] = std::uint8_t(b);
                row[std::size_t(r) * 4 + 1] = std::uint8_t(g);
                row[std::size_t(r) * 4 + 2] = std::uint8_t(r);
                row[std::size_t(r) * 4 + 3] = 0xFF;
            }
            map.MapRow(row.data(), 4, all.data() + (std::size_t(b) << 16 | std::size_t(g) << 8), 256);
        }
    }
    for (int i = 0; i < 40000; ++i) {
        const TColor c = TColor(random() & 0xFFFFFF);
        const std::size_t at =
            std::size_t(GetBValue(c)) << 16 | std::size_t(GetGValue(c)) << 8 | GetRValue(c);
        ASSERT_EQ(all[at], reference.NearestIndex(c)) << std::hex << c;
        ASSERT_EQ(map.Index(c), reference.NearestIndex(c)) << std::hex << c;
    }
}

TEST(CanvasText, TextCellIsFilledOrLeftTransparent) {
    TBitmap b = WhiteBitmap(80, 30, pf8bit);
    TCanvas c(b);
    c.Brush.Color = Red;
    const TSize extent = c.TextExtent("Hg");
    ASSERT_GT(extent.Width, 0);
    ASSERT_GT(extent.Height, 0);
    c.TextOut(2, 2, "Hg");
    EXPECT_EQ(b.Index(2, 2), 2); // the cell's corner shows the brush
    EXPECT_EQ(b.Index(2 + extent.Width - 1, 2 + extent.Height - 1), 2);
    std::set<int> indices;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x) indices.insert(b.Index(x, y));
    EXPECT_EQ(indices, (std::set<int>{0, 1, 2})); // text black, cell red, rest white

    TBitmap t = WhiteBitmap(80, 30);
    TCanvas tc(t);
    tc.Brush.Style = bsClear;
    tc.Font.Color = Blue;
    tc.TextOut(2, 2, "Hg");
    std::set<TColor> colours;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 80; ++x) colours.insert(t.Pixel(x, y));
    EXPECT_EQ(colours, (std::set<TColor>{White, Blue}));
}

TEST(CanvasText, TextRectClipsAndBiggerFontsMeasureBigger) {
    TBitmap b = WhiteBitmap(100, 40);
    TCanvas c(b);
    c.Brush.Style = bsClear;
    c.TextRect({0, 0, 10, 40}, 0, 0, "WWWWWWWW");
    for (const auto& [x, y] : Painted(b)) EXPECT_LT(x, 10);
    EXPECT_FALSE(Painted(b).empty());
    const TSize small = c.TextExtent("Text");
    c.Font.Height = -40;
    const TSize big = c.TextExtent("Text");
    EXPECT_GT(big.Width, small.Width * 2);
    EXPECT_GT(big.Height, small.Height * 2);
    c.Font.Style = fsBold;
    EXPECT_GE(c.TextExtent("Text").Width, big.Width);
}

TEST(CanvasText, RotatedTextTurnsCounterClockwise) {
    TBitmap b = WhiteBitmap(60, 100);
    TCanvas c(b);
    c.Brush.Style = bsClear;
    c.Font.Orientation = 900; // up the page
    c.Font.Height = -20;
    c.TextOut(10, 90, "IIIIII");
    int top = 100, bottom = -1, left = 60, right = -1;
    for (const auto& [x, y] : Painted(b)) {
        top = std::min(top, y);
        bottom = std::max(bottom, y);
        left = std::min(left, x);
        right = std::max(right, x);
    }
    ASSERT_GE(bottom, 0);
    EXPECT_GT(bottom - top, right - left); // taller than wide
    EXPECT_LE(bottom, 90);
}

} // namespace
