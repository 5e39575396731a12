#include "generators/text/SmoothLabel.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

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

std::vector<TColor> Row(const TBitmap& bitmap, int y) {
    std::vector<TColor> row;
    for (int x = 0; x < bitmap.Width(); ++x) row.push_back(bitmap.Pixel(x, y));
    return row;
}

TEST(SmoothLabel, BackgroundModesPlaceThePictureOverTheBackColour) {
    const TColor b = RGB(0, 0, 9), p1 = RGB(1, 0, 0), p2 = RGB(2, 0, 0), p3 = RGB(3, 0, 0), p4 = RGB(4, 0, 0);
    TSmoothLabel label;
    label.SetSize(5, 3);
    label.Effect().SetBackColor(b);
    EXPECT_EQ(label.Color(), b);
    EXPECT_EQ(label.Effect().BackGroundMode(), bmCenter);
    EXPECT_EQ(Row(label.Offscreen(), 1), std::vector<TColor>(5, b)) << "no picture: the back colour alone";

    label.Effect().SetBackGround(TwoByTwo());
    EXPECT_EQ(Row(label.Offscreen(), 0), (std::vector<TColor>{b, p1, p2, b, b})); // centred at (1, 0)
    EXPECT_EQ(Row(label.Offscreen(), 1), (std::vector<TColor>{b, p3, p4, b, b}));
    label.Effect().SetBackGroundMode(bmTiled);
    EXPECT_EQ(Row(label.Offscreen(), 2), (std::vector<TColor>{p1, p2, p1, p2, p1}));
    label.Effect().SetBackGroundMode(bmStretched);
    EXPECT_EQ(Row(label.Offscreen(), 2), (std::vector<TColor>{p3, p3, p3, p4, p4}));
    label.Effect().SetBackGroundMode(bmNormal);
    EXPECT_EQ(Row(label.Offscreen(), 0), (std::vector<TColor>{p1, p2, b, b, b}));
    label.Effect().ClearBackGround();
    EXPECT_EQ(Row(label.Offscreen(), 0), std::vector<TColor>(5, b));
}

// The label's rendering equals the text drawn directly at the laid-out position.
TBitmap DrawnDirectly(const TSmoothLabel& label, int x, int y) {
    TBitmap canvas(label.Width(), label.Height(), pf24bit);
    canvas.Fill(label.Color());
    TSmoothFontEx font;
    font.SetCanvas(&canvas);
    font.Font().Name = label.Font().Name;
    font.Font().Height = PointsToPixels(label.Font().Size);
    font.Font().Color = label.Font().Color;
    font.SetQuality(label.Effect().Quality());
    font.Effect().Assign(label.FontEffect());
    font.TextOut(x, y, label.Caption());
    return canvas;
}

TEST(SmoothLabel, AlignmentAndLayoutPlaceTheTextBox) {
    TSmoothLabel label;
    label.BeginUpdate();
    label.SetSize(200, 90);
    label.SetCaption("Hi");
    label.SetFontSize(20);
    label.SetBorder(6);
    label.FontEffect().Shadow().SetEnabled(true);
    label.EndUpdate();
    TSmoothFontEx probe;
    probe.Font().Height = PointsToPixels(20);
    probe.Font().Name = label.Font().Name;
    probe.Effect().Assign(label.FontEffect());
    probe.SetQuality(label.Effect().Quality());
    int w = 0, h = 0;
    probe.TextExtent("Hi", w, h);

    EXPECT_EQ(label.Offscreen(), DrawnDirectly(label, 6, 6)); // left, top
    label.Effect().SetAlignment(taRightJustify);
    label.Effect().SetLayout(tlBottom);
    EXPECT_EQ(label.Offscreen(), DrawnDirectly(label, 200 - 6 - w, 90 - 6 - h));
    label.Effect().SetAlignment(taCenter);
    label.Effect().SetLayout(tlCenter);
    EXPECT_EQ(label.Offscreen(), DrawnDirectly(label, (200 - w) / 2, (90 - h) / 2));
}

TEST(SmoothLabel, AutoSizeFitsTheClientToTheTextAndBorder) {
    TSmoothLabel label;
    label.SetCaption("Text");
    label.SetBorder(3);
    label.SetAutoSize(true);
    TSmoothFontEx probe;
    probe.Font().Name = label.Font().Name;
    probe.Font().Height = PointsToPixels(label.Font().Size);
    probe.SetQuality(label.Effect().Quality());
    int w = 0, h = 0;
    probe.TextExtent("Text", w, h);
    EXPECT_EQ(label.Width(), w + 6);
    EXPECT_EQ(label.Height(), h + 6);
    EXPECT_EQ(label.Offscreen().Width(), w + 6);
}

TEST(SmoothLabel, EveryEffectiveChangeRendersOnceAndBatchesRenderOnceInAll) {
    TSmoothLabel label;
    int invalidated = 0;
    label.OnInvalidate = [&] { ++invalidated; };
    label.FontEffect().SetAlpha(100); // unchanged
    label.SetCaption("");             // unchanged
    EXPECT_EQ(invalidated, 0);
    label.FontEffect().SetAlpha(50);
    label.FontEffect().Shadow().SetColor(RGB(1, 2, 3));
    label.FontEffect().Gradual().SetEnabled(true);
    label.Effect().SetQuality(aqLow);
    label.SetCaption("x");
    EXPECT_EQ(invalidated, 5);
    label.BeginUpdate();
    label.SetFontSize(30);
    label.SetColor(RGB(9, 9, 9));
    label.FontEffect().Texture().SetPicture(TwoByTwo());
    EXPECT_EQ(invalidated, 5);
    label.EndUpdate();
    EXPECT_EQ(invalidated, 6);
}

TEST(SmoothLabel, PaintingCopiesTheOffscreenBitmapAndATransparentLabelDrawsOverTheCanvas) {
    TSmoothLabel label;
    label.SetSize(120, 50);
    label.SetCaption("Ab");
    label.SetFontSize(18);
    label.Effect().SetBackColor(RGB(200, 200, 0));
    TBitmap screen(120, 50, pf24bit);
    label.PaintTo(screen);
    EXPECT_EQ(screen, label.Offscreen());

    TBitmap wide(130, 60, pf32bit);
    label.PaintTo(wide);
    EXPECT_EQ(wide.Pixel(0, 0), RGB(200, 200, 0));
    EXPECT_EQ(wide.Pixel(125, 55), RGB(0, 0, 0));

    label.Effect().SetTransparent(true);
    TBitmap under(120, 50, pf24bit);
    under.Fill(RGB(0, 0, 200));
    label.PaintTo(under);
    bool inked = false;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 120; ++x) {
            ASSERT_NE(under.Pixel(x, y), RGB(200, 200, 0)) << "a transparent label paints no background";
            inked |= under.Pixel(x, y) != RGB(0, 0, 200);
        }
    EXPECT_TRUE(inked);
}

} // namespace
