#include "gifdata/GifRaster.h"

#include <gtest/gtest.h>

namespace {

TColor BinMiddle(int bin) {
    return RGB((bin / 256 & 0xF) * 16 + 7, (bin / 16 & 0xF) * 16 + 7, (bin & 0xF) * 16 + 7);
}

// A frame with a known pattern: index = (x + 2y) mod 4.
TGIFImageData* PatternFrame(TGIFData& doc, int w, int h) {
    TGIFImageData* f = doc.AddFrame(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) f->Pixels[std::size_t(y) * w + x] = std::uint8_t((x + 2 * y) % 4);
    return f;
}

TEST(FrameToBitmap, CopiesIndicesAndTheApplicablePalette) {
    TGIFData doc;
    doc.GlobalPalette[2] = {10, 20, 30, 0};
    TGIFImageData* f = PatternFrame(doc, 5, 3);
    auto b = f->ToBitmap();
    ASSERT_TRUE(b);
    EXPECT_EQ(b->PixelFormat(), pf8bit);
    EXPECT_EQ(b->PaletteSize(), 256);
    EXPECT_EQ(b->Index(4, 2), (4 + 4) % 4);
    EXPECT_EQ(b->Index(1, 1), 3);
    EXPECT_EQ(b->PaletteColor(2), RGB(10, 20, 30));
    f->SetHasLocalTable(true);
    f->LocalPalette[2] = {1, 2, 3, 0};
    EXPECT_EQ(f->ToBitmap()->PaletteColor(2), RGB(1, 2, 3));
}

TEST(FrameToBitmap, NoBitmapWithoutACompletePixelBuffer) {
    TGIFData doc;
    TGIFImageData* f = doc.AddFrame(4, 4);
    f->Width = 5; // buffer no longer matches the size
    EXPECT_FALSE(f->ToBitmap());
    f->Width = 4;
    f->FreePixels();
    EXPECT_FALSE(f->ToBitmap());
}

TEST(FrameToScreenBitmap, FullScreenFrameAtOriginIsItsOwnBitmap) {
    TGIFData doc;
    doc.ScreenWidth = 6;
    doc.ScreenHeight = 4;
    TGIFImageData* f = PatternFrame(doc, 6, 4);
    EXPECT_EQ(*f->ToScreenBitmap(), *f->ToBitmap());
}

TEST(FrameToScreenBitmap, OffsetFrameShowsTheBackgroundAroundIt) {
    TGIFData doc;
    doc.ScreenWidth = 100;
    doc.ScreenHeight = 100;
    doc.BackgroundIndex = 3;
    doc.GlobalPalette[3] = {0, 128, 255, 0};
    doc.GlobalPalette[0] = {9, 9, 9, 0};
    TGIFImageData* f = doc.AddFrame(20, 20);
    std::fill(f->Pixels.begin(), f->Pixels.end(), 0);
    f->Left = 10;
    f->Top = 10;
    auto s = f->ToScreenBitmap();
    ASSERT_TRUE(s);
    ASSERT_EQ(s->Width(), 100);
    ASSERT_EQ(s->Height(), 100);
    EXPECT_EQ(s->Pixel(9, 9), RGB(0, 128, 255));
    EXPECT_EQ(s->Pixel(10, 10), RGB(9, 9, 9));
    EXPECT_EQ(s->Pixel(29, 29), RGB(9, 9, 9));
    EXPECT_EQ(s->Pixel(30, 30), RGB(0, 128, 255));
    f->FreePixels(); // no pixels: only the background
    EXPECT_EQ(f->ToScreenBitmap()->Pixel(15, 15), RGB(0, 128, 255));
}

TEST(FrameCopyIndices, AcceptsOnlyAnEightBitBitmapOfTheFrameSize) {
    TGIFData doc;
    TGIFImageData* f = doc.AddFrame(3, 2);
    TBitmap b(3, 2, pf8bit);
    b.SetIndex(2, 1, 77);
    EXPECT_TRUE(f->CopyIndicesFrom(b));
    EXPECT_EQ(f->Pixels[5], 77);
    TBitmap wrongSize(2, 3, pf8bit);
    EXPECT_FALSE(f->CopyIndicesFrom(wrongSize));
    TBitmap trueColour(3, 2, pf24bit);
    EXPECT_FALSE(f->CopyIndicesFrom(trueColour));
    EXPECT_EQ(f->Pixels[5], 77);
}

TEST(FrameAssignBitmap, RefusesTrueColourAndLeavesTheFrameUnchanged) {
    TGIFData doc;
    TGIFImageData* f = PatternFrame(doc, 4, 4);
    const auto before = f->Pixels;
    TBitmap b(7, 7, pf24bit);
    EXPECT_FALSE(f->AssignBitmap(b, -1));
    EXPECT_EQ(f->Width, 4);
    EXPECT_EQ(f->Pixels, before);
    EXPECT_FALSE(f->HasLocalTable());
}

TEST(FrameAssignBitmap, TakesSizePaletteIndicesAndTransparency) {
    TGIFData doc;
    TGIFImageData* f = doc.AddFrame(1, 1);
    TBitmap b(3, 2, pf8bit);
    b.SetPalette({RGB(1, 2, 3), RGB(4, 5, 6), RGB(7, 8, 9)});
    b.SetIndex(1, 1, 2);
    f->LocalPalette[5] = {50, 50, 50, 0};
    ASSERT_TRUE(f->AssignBitmap(b, 300));
    EXPECT_EQ(f->Width, 3);
    EXPECT_EQ(f->Height, 2);
    EXPECT_EQ(f->Pixels[4], 2);
    EXPECT_TRUE(f->HasLocalTable());
    EXPECT_EQ(f->LocalTableSize(), 7);
    EXPECT_EQ(f->LocalPalette[1], (PaletteEntry{4, 5, 6, 0}));
    EXPECT_EQ(f->LocalPalette[2].Used, 1);
    EXPECT_EQ(f->LocalPalette[5].Red, 50); // entries beyond the bitmap's palette keep their values
    EXPECT_TRUE(f->Control->Transparent());
    EXPECT_EQ(f->Control->TransparentIndex, 44);
    ASSERT_TRUE(f->AssignBitmap(b, -1));
    EXPECT_FALSE(f->Control->Transparent());
    ASSERT_TRUE(f->Thumbnail);
    EXPECT_EQ(f->Thumbnail->Width(), 128);
}

TEST(FrameAssignBitmap, BitmapWithoutPaletteFailsAfterResizing) {
    TGIFData doc;
    TGIFImageData* f = doc.AddFrame(1, 1);
    TBitmap b(4, 3, pf8bit);
    EXPECT_FALSE(f->AssignBitmap(b, -1));
    EXPECT_EQ(f->Width, 4);
    EXPECT_EQ(f->Pixels, std::vector<std::uint8_t>(12, 1));
}

TEST(ReducePalette, ThreePureColoursBecomeTheirBinMiddlesByCount) {
    TBitmap b(10, 6, pf24bit);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x)
            b.SetPixel(x, y, y < 1 ? RGB(0, 0, 255) : y < 3 ? RGB(255, 0, 0) : RGB(0, 255, 0));
    ReduceToPalette(b); // 10 blue, 20 red, 30 green
    ASSERT_EQ(b.PixelFormat(), pf8bit);
    ASSERT_EQ(b.PaletteSize(), 256);
    EXPECT_EQ(b.PaletteColor(0), RGB(7, 247, 7));
    EXPECT_EQ(b.PaletteColor(1), RGB(247, 7, 7));
    EXPECT_EQ(b.PaletteColor(2), RGB(7, 7, 247));
    for (int e = 3; e < 256; ++e) ASSERT_EQ(b.PaletteColor(e), BinMiddle(e)) << e;
    EXPECT_EQ(b.Index(0, 0), 2);
    EXPECT_EQ(b.Index(0, 1), 1);
    EXPECT_EQ(b.Index(9, 5), 0);
}

TEST(ReducePalette, EqualCountsEndInTheOrderTheQuicksortLeavesThem) {
    // Four bins a < b < c < d with equal counts: the procedure leaves c, d, a, b.
    const TColor colours[4] = {RGB(0, 0, 0x10), RGB(0, 0x10, 0), RGB(0x10, 0, 0), RGB(0x20, 0, 0)};
    TBitmap b(4, 1, pf24bit);
    for (int x = 0; x < 4; ++x) b.SetPixel(x, 0, colours[3 - x]);
    ReduceToPalette(b);
    EXPECT_EQ(b.PaletteColor(0), BinMiddle(0x100));
    EXPECT_EQ(b.PaletteColor(1), BinMiddle(0x200));
    EXPECT_EQ(b.PaletteColor(2), BinMiddle(0x001));
    EXPECT_EQ(b.PaletteColor(3), BinMiddle(0x010));
    EXPECT_EQ(b.PaletteColor(4), BinMiddle(4)); // not sorted away
    EXPECT_EQ(b.Index(0, 0), 1);                // RGB(0x20,0,0) -> its own bin
    EXPECT_EQ(b.Index(3, 0), 2);
}

TEST(ReducePalette, EightBitBitmapIsLeftAsItIs) {
    TBitmap b(2, 2, pf8bit);
    b.SetPalette({RGB(1, 1, 1), RGB(2, 2, 2)});
    b.SetIndex(1, 1, 1);
    const TBitmap before = b;
    ReduceToPalette(b);
    EXPECT_EQ(b, before);
}

TEST(ReducePalette, ManyColoursMapToTheNearestPaletteEntry) {
    TBitmap b(64, 64, pf32bit);
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) b.SetPixel(x, y, RGB(x * 4, y * 4, (x * y) & 0xFF));
    const TBitmap original = b;
    ReduceToPalette(b);
    ASSERT_EQ(b.PixelFormat(), pf8bit);
    for (int y = 0; y < 64; y += 7)
        for (int x = 0; x < 64; x += 5)
            ASSERT_EQ(b.Index(x, y), b.NearestIndex(original.Pixel(x, y))) << x << "," << y;
}

TEST(FrameFromBitmap, AddingAFrameReducesAndAssigns) {
    TGIFData doc;
    TBitmap b(30, 20, pf24bit);
    b.Fill(RGB(255, 0, 0));
    ASSERT_TRUE(AddFrameFromBitmap(doc, b, -1));
    ASSERT_EQ(doc.Frames.size(), 1u);
    const TGIFImageData& f = *doc.Frames[0];
    EXPECT_EQ(f.Width, 30);
    EXPECT_EQ(f.Height, 20);
    EXPECT_EQ(f.Left, 0);
    EXPECT_EQ(f.Color(f.Pixels[0]), RGB(247, 7, 7));
}

TEST(FrameFromBitmap, AFailedConversionLeavesNoStrayFrame) {
    TGIFData doc;
    doc.AddFrame(5, 5);
    TBitmap empty;
    EXPECT_FALSE(AddFrameFromBitmap(doc, empty, -1));
    EXPECT_EQ(doc.Frames.size(), 1u);
    EXPECT_FALSE(SetFrameFromBitmap(nullptr, &empty, -1));
    EXPECT_FALSE(SetFrameFromBitmap(doc.Frames[0].get(), nullptr, -1));
}

TEST(Thumbnail, LayoutScalesTheScreenIntoThePictureArea) {
    EXPECT_EQ(ThumbnailLayout(320, 200).Picture, (TRect{6, 8, 119, 78}));
    EXPECT_EQ(ThumbnailLayout(320, 200).Scale, float(113.0 / 320.0));
    EXPECT_EQ(ThumbnailLayout(128, 128).Picture, (TRect{25, 6, 99, 80}));
    EXPECT_EQ(ThumbnailLayout(50, 40).Picture, (TRect{37, 23, 87, 63}));  // fits: unscaled
    EXPECT_EQ(ThumbnailLayout(100, 148).Picture, (TRect{37, 6, 87, 80})); // only the width fits
    EXPECT_EQ(ThumbnailLayout(226, 50).Picture, (TRect{6, 31, 119, 56})); // only the height fits
    EXPECT_EQ(ThumbnailLayout(113, 74).Picture, (TRect{6, 6, 119, 80}));
}

TEST(Thumbnail, DelayShowsSecondsWithTwoDecimals) {
    EXPECT_EQ(FormatDelay(250), "2.50");
    EXPECT_EQ(FormatDelay(10), "0.10");
    EXPECT_EQ(FormatDelay(0), "0.00");
}

TEST(Thumbnail, CardShowsTheScaledScreenInItsFrame) {
    TGIFData doc;
    doc.ScreenWidth = 320;
    doc.ScreenHeight = 200;
    TGIFImageData* f = doc.AddFrame(320, 200);
    f->SetHasLocalTable(true);
    f->LocalPalette[1] = {0, 0, 200, 0};
    f->RenderThumbnail();
    ASSERT_TRUE(f->Thumbnail);
    const TBitmap& t = *f->Thumbnail;
    EXPECT_EQ(t.Pixel(6, 8), RGB(0, 0, 200));
    EXPECT_EQ(t.Pixel(118, 77), RGB(0, 0, 200));
    EXPECT_EQ(t.Pixel(5, 7), RGB(200, 200, 200)); // the grey rim
    EXPECT_EQ(t.Pixel(119, 78), RGB(200, 200, 200));
    EXPECT_EQ(t.Pixel(7, 79), RGB(250, 250, 250));   // the light picture area
    EXPECT_EQ(t.Pixel(2, 2), RGB(128, 128, 128));    // the card outline
    EXPECT_EQ(t.Pixel(125, 97), RGB(128, 128, 128)); // the template's shadow survives
    // Delay text in black and the title's underscores in grey on the card colour.
    bool black = false, grey = false;
    for (int y = 81; y < 100; ++y)
        for (int x = 30; x < 128; ++x) {
            black |= x < 60 && t.Pixel(x, y) == RGB(0, 0, 0);
            grey |= x >= 60 && t.Pixel(x, y) == RGB(130, 130, 130);
            const bool outsideTitle = x >= 120 || y >= 95;
            if (outsideTitle) {
                EXPECT_NE(t.Pixel(x, y), RGB(130, 130, 130)) << x << "," << y;
            }
        }
    EXPECT_TRUE(black);
    EXPECT_TRUE(grey);
}

TEST(Thumbnail, EmptyTitleShowsThirteenUnderscoresAndOtherDelaysDiffer) {
    TGIFData doc;
    TGIFImageData* a = doc.AddFrame(10, 10);
    TGIFImageData* b = doc.AddFrame(10, 10);
    b->Title = "_____________";
    a->RenderThumbnail();
    b->RenderThumbnail();
    EXPECT_EQ(*a->Thumbnail, *b->Thumbnail);
    b->Title = "x";
    b->RenderThumbnail();
    EXPECT_NE(*a->Thumbnail, *b->Thumbnail);
    b->Title.clear();
    b->Control->DelayTime = 250;
    b->RenderThumbnail();
    EXPECT_NE(*a->Thumbnail, *b->Thumbnail);
}

TEST(Thumbnail, NothingWithoutTheCardTemplate) {
    TGIFData doc;
    TGIFImageData* f = doc.AddFrame(4, 4);
    f->Thumbnail.reset();
    doc.ThumbnailTemplate.reset();
    f->RenderThumbnail();
    EXPECT_FALSE(f->Thumbnail);
}

} // namespace
