#include "generators/text/SmoothFont.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

const TColor Background = RGB(10, 20, 30);

struct TDrawing {
    TBitmap Canvas{220, 120, pf24bit};
    TSmoothFontEx Font;
    TDrawing() {
        Canvas.Fill(Background);
        Font.SetCanvas(&Canvas);
        Font.Font().Name = "DejaVu Sans";
        Font.Font().Height = 40;
        Font.Font().Color = RGB(255, 0, 0);
        Font.SetQuality(aqHigh);
    }
};

TEST(SmoothFont, ShadowOffsetsGrowTheExtentByTheirMagnitudes) {
    TDrawing d;
    int w = 0, h = 0;
    d.Font.TextExtent("Text", w, h);
    d.Font.Effect().Shadow().SetOffsetX(-7);
    d.Font.Effect().Shadow().SetOffsetY(3);
    int sw = 0, sh = 0;
    d.Font.TextExtent("Text", sw, sh);
    EXPECT_EQ(sw, w) << "a disabled shadow takes no room";
    d.Font.Effect().Shadow().SetEnabled(true);
    d.Font.TextExtent("Text", sw, sh);
    EXPECT_EQ(sw, w + 7);
    EXPECT_EQ(sh, h + 3);
    EXPECT_EQ(d.Font.TextWidth("Text"), w + 7);
    EXPECT_EQ(d.Font.TextHeight("Text"), h + 3);
}

TEST(SmoothFont, AngleMeasuresTheRotatedBoxAndIsUndoneAfterwards) {
    TDrawing d;
    int w = 0, h = 0;
    d.Font.TextExtent("Text", w, h);
    d.Font.Effect().SetAngle(90);
    int rw = 0, rh = 0;
    d.Font.TextExtent("Text", rw, rh);
    int bw = 0, bh = 0, sx = 0, sy = 0;
    RotatedTextBox(w, h, 900, bw, bh, sx, sy);
    EXPECT_EQ(rw, bw);
    EXPECT_EQ(rh, bh);
    EXPECT_EQ(d.Font.Font().Escapement, 0);
    d.Font.TextOut(0, 0, "Text");
    EXPECT_EQ(d.Font.Font().Escapement, 0);
    EXPECT_EQ(d.Font.Mask().Width(), bw);
    EXPECT_EQ(d.Font.Mask().Height(), bh);
}

TEST(SmoothFont, NothingIsDrawnWithoutCanvasOrText) {
    TDrawing d;
    const TBitmap before = d.Canvas;
    d.Font.TextOut(5, 5, "");
    EXPECT_EQ(d.Canvas, before);
    d.Font.SetCanvas(nullptr);
    d.Font.TextOut(5, 5, "Text");
    d.Font.SetCanvas(&d.Canvas);
    EXPECT_EQ(d.Canvas, before);
}

TEST(SmoothFont, TextStaysInsideItsExtentBoxAndFullInkIsTheFontColour) {
    TDrawing d;
    d.Font.Effect().SetAngle(5);
    d.Font.Effect().Shadow().SetEnabled(true);
    d.Font.Effect().Shadow().SetOffsetX(4);
    d.Font.Effect().Shadow().SetOffsetY(-3);
    int w = 0, h = 0;
    d.Font.TextExtent("Text", w, h);
    const int x0 = 20, y0 = 15;
    d.Font.TextOut(x0, y0, "Text");
    bool fullInk = false;
    for (int y = 0; y < d.Canvas.Height(); ++y)
        for (int x = 0; x < d.Canvas.Width(); ++x) {
            const bool inside = x >= x0 && x < x0 + w && y >= y0 && y < y0 + h;
            if (!inside) {
                ASSERT_EQ(d.Canvas.Pixel(x, y), Background) << x << "," << y;
            }
            fullInk |= d.Canvas.Pixel(x, y) == RGB(255, 0, 0);
        }
    EXPECT_TRUE(fullInk);
}

TEST(SmoothFont, NegativeShadowOffsetsMoveTheTextAndPutTheShadowAtTheBoxCorner) {
    // With an invisible shadow, text drawn with offsets (-5, -4) lands where
    // plain text drawn 5 right and 4 down does.
    TDrawing plain;
    plain.Font.TextOut(15, 14, "Text");
    TDrawing shadowed;
    TSmoothShadow& shadow = shadowed.Font.Effect().Shadow();
    shadow.SetEnabled(true);
    shadow.SetAlpha(0);
    shadow.SetOffsetX(-5);
    shadow.SetOffsetY(-4);
    shadowed.Font.TextOut(10, 10, "Text");
    EXPECT_EQ(shadowed.Canvas, plain.Canvas);

    // A visible, sharp shadow: full shadow ink at the box corner shows the
    // shadow colour wherever the text has no ink.
    TDrawing d;
    TSmoothShadow& visible = d.Font.Effect().Shadow();
    visible.SetEnabled(true);
    visible.SetAlpha(100);
    visible.SetBlur(0);
    visible.SetColor(RGB(0, 0, 255));
    visible.SetOffsetX(-5);
    visible.SetOffsetY(-4);
    d.Font.TextOut(10, 10, "Text");
    const TSmoothMask& mask = d.Font.Mask();
    auto coverage = [&](int x, int y) {
        return (x < 0 || y < 0 || x >= mask.Width() || y >= mask.Height()) ? 0 : int(mask.ScanLine(y)[x]);
    };
    int checked = 0;
    for (int y = 0; y < mask.Height() + 4; ++y)
        for (int x = 0; x < mask.Width() + 5; ++x) {
            const int shadowInk = coverage(x, y), textInk = coverage(x - 5, y - 4);
            if (textInk == 255) {
                ASSERT_EQ(d.Canvas.Pixel(10 + x, 10 + y), RGB(255, 0, 0));
            } else if (textInk == 0 && shadowInk == 255) {
                ASSERT_EQ(d.Canvas.Pixel(10 + x, 10 + y), RGB(0, 0, 255));
                ++checked;
            }
        }
    EXPECT_GT(checked, 0);
}

TEST(SmoothFont, MirroredTextIsThePlainMaskReversed) {
    TDrawing plain;
    plain.Font.TextOut(0, 0, "Text");
    TDrawing mirrored;
    mirrored.Font.Effect().SetHorzMirror(true);
    mirrored.Font.Effect().SetVertMirror(true);
    mirrored.Font.TextOut(0, 0, "Text");
    const TSmoothMask& a = plain.Font.Mask();
    const TSmoothMask& b = mirrored.Font.Mask();
    ASSERT_EQ(a.Width(), b.Width());
    ASSERT_EQ(a.Height(), b.Height());
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            ASSERT_EQ(b.ScanLine(a.Height() - 1 - y)[a.Width() - 1 - x], a.ScanLine(y)[x]);
}

TEST(SmoothFont, GradientFillColoursTheInkByColumn) {
    TDrawing d;
    d.Font.Effect().Gradual().SetEnabled(true);
    d.Font.Effect().Gradual().SetStyle(gsTopToBottom);
    d.Font.Effect().Gradual().SetStartColor(RGB(0, 255, 0));
    d.Font.Effect().Gradual().SetEndColor(RGB(0, 0, 255));
    d.Font.TextOut(0, 0, "Text");
    const TSmoothMask& mask = d.Font.Mask();
    const int n = mask.Height();
    int checked = 0;
    for (int y = 0; y < mask.Height(); ++y)
        for (int x = 0; x < mask.Width(); ++x)
            if (mask.ScanLine(y)[x] == 255) {
                ASSERT_EQ(d.Canvas.Pixel(x, y), RGB(0, 255 - y * 255 / n, y * 255 / n));
                ++checked;
            }
    EXPECT_GT(checked, 0);
}

TEST(SmoothFont, EmptyTextureFallsThroughToTheFontColour) {
    TDrawing a;
    a.Font.Effect().Texture().SetEnabled(true);
    a.Font.TextOut(0, 0, "Text");
    TDrawing b;
    b.Font.TextOut(0, 0, "Text");
    EXPECT_EQ(a.Canvas, b.Canvas);
}

TEST(SmoothFont, BlurAndOutlineChangeTheInk) {
    TDrawing plain;
    plain.Font.TextOut(0, 0, "Text");
    TDrawing outlined;
    outlined.Font.Effect().SetOutline(true);
    outlined.Font.TextOut(0, 0, "Text");
    EXPECT_NE(outlined.Canvas, plain.Canvas);
    TDrawing blurred;
    blurred.Font.Effect().SetBlur(100);
    blurred.Font.TextOut(0, 0, "Text");
    EXPECT_NE(blurred.Canvas, plain.Canvas);
}

TEST(SmoothFont, ImpactFallsBackToABoldCondensedFace) {
    const std::string face = ResolvedFaceName("Impact");
    EXPECT_FALSE(face.empty());
    if (face != "Impact") {
        EXPECT_NE(face.find("DejaVu Sans"), std::string::npos) << face;
    }
}

} // namespace
