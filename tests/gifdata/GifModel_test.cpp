// The document model: defaults, packed flags, frames, palette usage,
// compaction and frame titles.

#include <gtest/gtest.h>

#include "gifdata/GifData.h"

namespace {

void SetGlobal(TGIFData& doc, int index, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
    doc.GlobalPalette[std::size_t(index)].Red = r;
    doc.GlobalPalette[std::size_t(index)].Green = g;
    doc.GlobalPalette[std::size_t(index)].Blue = b;
}

TEST(GifModelDefaults, NewDocumentHasTheDocumentedFields) {
    TGIFData doc;
    EXPECT_EQ(doc.Signature, "GIF");
    EXPECT_EQ(doc.Version, "89a");
    EXPECT_EQ(doc.ScreenWidth, 128);
    EXPECT_EQ(doc.ScreenHeight, 128);
    EXPECT_EQ(doc.ScreenFlags, 0xA3);
    EXPECT_TRUE(doc.HasGlobalTable());
    EXPECT_EQ(doc.ColorResolution(), 2);
    EXPECT_FALSE(doc.GlobalSorted());
    EXPECT_EQ(doc.GlobalTableSize(), 3);
    EXPECT_EQ(doc.BackgroundIndex, 0);
    EXPECT_EQ(doc.AspectRatio, 0);
    EXPECT_EQ(doc.LoopCount, 0);
    EXPECT_FALSE(doc.Looping);
    EXPECT_TRUE(doc.Frames.empty());
    EXPECT_EQ(doc.TitleExtension->Identifier, "KESTRALL");
    EXPECT_EQ(doc.TitleExtension->AuthCode, "1.0");
    EXPECT_TRUE(doc.TitleExtension->Data.empty());
    EXPECT_EQ(doc.TitleExtension->Label, 0xFF);
    for (const PaletteEntry& e : doc.GlobalPalette) EXPECT_EQ(e, PaletteEntry{});
}

TEST(GifModelDefaults, ThumbnailTemplateIsTheShadowedCard) {
    TGIFData doc;
    ASSERT_TRUE(doc.ThumbnailTemplate);
    const TBitmap& card = *doc.ThumbnailTemplate;
    EXPECT_EQ(card.Width(), 128);
    EXPECT_EQ(card.Height(), 100);
    EXPECT_EQ(card.PixelFormat(), pf24bit);
    EXPECT_EQ(card.Pixel(0, 0), RGB(255, 255, 255));    // outside the card
    EXPECT_EQ(card.Pixel(125, 97), RGB(128, 128, 128)); // shadow corner
    EXPECT_EQ(card.Pixel(126, 97), RGB(255, 255, 255)); // right edge of the shadow is exclusive
    EXPECT_EQ(card.Pixel(2, 2), RGB(128, 128, 128));    // outline
    EXPECT_EQ(card.Pixel(123, 95), RGB(128, 128, 128)); // outline, bottom right
    EXPECT_EQ(card.Pixel(3, 3), RGB(230, 230, 230));    // face
    EXPECT_EQ(card.Pixel(122, 94), RGB(230, 230, 230));
    EXPECT_EQ(card.Pixel(124, 50), RGB(128, 128, 128)); // shadow beside the face
    EXPECT_EQ(card.Pixel(4, 97), RGB(255, 255, 255));   // shadow starts at x 5
}

TEST(GifModelDefaults, NewFrameHasDisposalTwoAndDefaultBlocks) {
    TGIFData doc;
    TGIFImageData frame(&doc);
    EXPECT_EQ(frame.Owner, &doc);
    EXPECT_EQ(frame.Control->ControlFlags, 0x08);
    EXPECT_EQ(frame.Control->Disposal(), 2);
    EXPECT_EQ(frame.Control->DelayTime, 10);
    EXPECT_EQ(frame.Control->TransparentIndex, 0);
    EXPECT_FALSE(frame.Control->Transparent());
    EXPECT_FALSE(frame.Control->UserInput());
    EXPECT_EQ(frame.Control->Label, 0xF9);
    EXPECT_TRUE(frame.Pixels.empty());
    EXPECT_EQ(frame.PixelCount, 0);
    EXPECT_FALSE(frame.Thumbnail);
    EXPECT_TRUE(doc.Frames.empty()); // the constructor does not add the frame

    TGIFTextExtension text;
    EXPECT_EQ(text.Label, 0x01);
    EXPECT_EQ(text.GridWidth, 16);
    EXPECT_EQ(text.GridHeight, 8);
    EXPECT_EQ(text.CellWidth, 8);
    EXPECT_EQ(text.CellHeight, 8);
    EXPECT_EQ(text.ForegroundIndex, 1);
    EXPECT_EQ(text.BackgroundIndex, 0);
    EXPECT_EQ(TGIFCommentExtension().Label, 0xFE);
}

TEST(GifModelFlags, SettersChangeOnlyTheirBitsAndIgnoreOutOfRange) {
    TGIFData doc;
    doc.SetGlobalTableSize(8);
    EXPECT_EQ(doc.ScreenFlags, 0xA3);
    doc.SetGlobalTableSize(7);
    EXPECT_EQ(doc.ScreenFlags, 0xA7);
    doc.SetGlobalSorted(true);
    EXPECT_EQ(doc.ScreenFlags, 0xAF);
    doc.SetGlobalSorted(false);
    EXPECT_EQ(doc.ScreenFlags, 0xA7);

    TGIFImageData frame(&doc);
    frame.ImageFlags = 0x18; // reserved bits kept
    frame.SetHasLocalTable(true);
    frame.SetInterlaced(true);
    frame.SetLocalTableSize(5);
    EXPECT_EQ(frame.ImageFlags, 0xDD);
    frame.SetLocalTableSize(9);
    EXPECT_EQ(frame.ImageFlags, 0xDD);
    frame.SetInterlaced(false);
    EXPECT_EQ(frame.ImageFlags, 0x9D);
    EXPECT_FALSE(frame.LocalSorted());

    frame.Control->ControlFlags = 0xE3; // reserved bits, user input, transparent
    frame.Control->SetDisposal(8);
    EXPECT_EQ(frame.Control->ControlFlags, 0xE3);
    frame.Control->SetDisposal(3);
    EXPECT_EQ(frame.Control->ControlFlags, 0xEF);
    EXPECT_EQ(frame.Control->Disposal(), 3);
    EXPECT_TRUE(frame.Control->UserInput());
    frame.Control->SetTransparent(false);
    EXPECT_EQ(frame.Control->ControlFlags, 0xEE);
}

TEST(GifModelFrames, AddFrameAllocatesIndexOnePixels) {
    TGIFData doc;
    TGIFImageData* empty = doc.AddFrame(0, 5);
    EXPECT_TRUE(empty->Pixels.empty());
    EXPECT_EQ(empty->PixelCount, 0);
    EXPECT_EQ(empty->Height, 5);

    TGIFImageData* small = doc.AddFrame(3, 2);
    EXPECT_EQ(small->PixelCount, 6);
    EXPECT_EQ(small->Pixels, std::vector<std::uint8_t>(6, 1));
    EXPECT_EQ(small->Left, 0);
    EXPECT_EQ(small->Top, 0);
    ASSERT_EQ(doc.Frames.size(), 2u);
    EXPECT_EQ(doc.Frames[1].get(), small);
    EXPECT_EQ(small->Owner, &doc);

    small->FreePixels();
    EXPECT_TRUE(small->Pixels.empty());
    EXPECT_EQ(small->PixelCount, 0);
}

TEST(GifModelFrames, FramesBeyondTheMemoryLimitGetNoBuffer) {
    TGIFData doc;
    TGIFImageData* huge = doc.AddFrame(40000, 40000); // 1.6 billion pixels
    EXPECT_TRUE(huge->Pixels.empty());
    EXPECT_EQ(huge->PixelCount, 0);
    EXPECT_FALSE(huge->HasPixels());
    TGIFImageData* clamped = doc.AddFrame(70000, -3);
    EXPECT_EQ(clamped->Width, 65535);
    EXPECT_EQ(clamped->Height, 0);
}

TEST(GifModelFrames, AddFrameRunsTheRegisteredThumbnailRenderer) {
    TGIFData doc;
    doc.AddFrame(1, 1); // no renderer: nothing happens
    EXPECT_FALSE(doc.Frames[0]->Thumbnail);
    std::vector<TGIFImageData*> rendered;
    SetThumbnailRenderer([&rendered](TGIFImageData& frame) { rendered.push_back(&frame); });
    TGIFImageData* frame = doc.AddFrame(2, 2);
    doc.RefreshThumbnails();
    SetThumbnailRenderer(nullptr);
    EXPECT_EQ(rendered, (std::vector<TGIFImageData*>{frame, doc.Frames[0].get(), frame}));
}

TEST(GifModelFrames, DeleteAndMoveRejectBadIndices) {
    TGIFData doc;
    TGIFImageData* a = doc.AddFrame(1, 1);
    TGIFImageData* b = doc.AddFrame(1, 1);
    TGIFImageData* c = doc.AddFrame(1, 1);
    EXPECT_FALSE(doc.MoveFrame(2, 2));
    EXPECT_FALSE(doc.MoveFrame(-1, 0));
    EXPECT_FALSE(doc.MoveFrame(0, 3));
    EXPECT_FALSE(doc.DeleteFrame(3));
    EXPECT_FALSE(doc.DeleteFrame(-1));
    ASSERT_EQ(doc.Frames.size(), 3u);

    EXPECT_TRUE(doc.MoveFrame(0, 2)); // list move: b, c, a
    EXPECT_EQ(doc.Frames[0].get(), b);
    EXPECT_EQ(doc.Frames[1].get(), c);
    EXPECT_EQ(doc.Frames[2].get(), a);
    EXPECT_TRUE(doc.MoveFrame(2, 0)); // a, b, c
    EXPECT_EQ(doc.Frames[0].get(), a);
    EXPECT_TRUE(doc.DeleteFrame(1));
    ASSERT_EQ(doc.Frames.size(), 2u);
    EXPECT_EQ(doc.Frames[1].get(), c);
}

TEST(GifModelColors, ColorLookupsFollowTheTableFlagsAndRange) {
    TGIFData doc;
    SetGlobal(doc, 3, 10, 20, 30);
    EXPECT_EQ(doc.GlobalColor(3), RGB(10, 20, 30));
    EXPECT_EQ(doc.GlobalColor(3), 0x001E140Au);
    EXPECT_EQ(doc.GlobalColor(256), NoColor);
    EXPECT_EQ(doc.GlobalColor(-1), NoColor);
    EXPECT_EQ(doc.IsGlobalColorUsed(300), 0);
    doc.BackgroundIndex = 3;
    EXPECT_EQ(doc.BackgroundColor(), RGB(10, 20, 30));
    doc.ScreenFlags &= 0x7F;
    EXPECT_EQ(doc.BackgroundColor(), NoColor);
    EXPECT_EQ(doc.GlobalColor(3), RGB(10, 20, 30)); // the flag is not consulted

    TGIFImageData* frame = doc.AddFrame(1, 1);
    EXPECT_EQ(frame->Color(3), RGB(10, 20, 30)); // through the owner
    frame->SetHasLocalTable(true);
    frame->LocalPalette[3] = {1, 2, 3, 1};
    EXPECT_EQ(frame->Color(3), RGB(1, 2, 3));
    EXPECT_EQ(frame->Color(256), NoColor);
    EXPECT_EQ(frame->IsColorUsed(3), 1);
    EXPECT_EQ(frame->IsColorUsed(-1), 0);
}

TEST(GifModelUsage, GlobalUsageCountsPixelsTransparencyAndBackground) {
    TGIFData doc;
    TGIFImageData* plain = doc.AddFrame(2, 1);
    plain->Pixels = {4, 7};
    plain->Control->TransparentIndex = 9; // flag clear: not counted
    TGIFImageData* transparent = doc.AddFrame(1, 1);
    transparent->Pixels = {4};
    transparent->Control->SetTransparent(true);
    transparent->Control->TransparentIndex = 12;
    TGIFImageData* local = doc.AddFrame(1, 1);
    local->Pixels = {200};
    local->SetHasLocalTable(true);
    doc.BackgroundIndex = 30;
    doc.ScreenFlags = 0; // the background counts even without a table
    doc.GlobalPalette[100].Used = 1;

    doc.UpdateGlobalUsage();
    std::vector<int> used;
    for (int i = 0; i < 256; ++i)
        if (doc.GlobalPalette[std::size_t(i)].Used) used.push_back(i);
    EXPECT_EQ(used, (std::vector<int>{4, 7, 12, 30}));

    local->Control->SetTransparent(true);
    local->Control->TransparentIndex = 5;
    local->LocalPalette[50].Used = 1;
    local->UpdateLocalUsage();
    used.clear();
    for (int i = 0; i < 256; ++i)
        if (local->LocalPalette[std::size_t(i)].Used) used.push_back(i);
    EXPECT_EQ(used, (std::vector<int>{5, 200}));

    plain->LocalPalette[4].Used = 1; // no local table: left alone
    plain->UpdateLocalUsage();
    EXPECT_EQ(plain->LocalPalette[4].Used, 1);
}

TEST(GifModelPalette, CompactingGlobalSlotsZeroFiveAndTwoHundred) {
    TGIFData doc;
    doc.ScreenFlags = 0xF7;
    SetGlobal(doc, 0, 1, 1, 1);
    SetGlobal(doc, 5, 5, 5, 5);
    SetGlobal(doc, 200, 200, 200, 200);
    TGIFImageData* frame = doc.AddFrame(3, 1);
    frame->Pixels = {0, 5, 200};
    frame->Control->TransparentIndex = 200; // follows even with the flag clear
    TGIFImageData* local = doc.AddFrame(1, 1);
    local->SetHasLocalTable(true);
    local->Pixels = {200};
    local->LocalPalette[200].Used = 1;
    doc.BackgroundIndex = 5;
    doc.UpdateGlobalUsage();
    local->UpdateLocalUsage();

    EXPECT_TRUE(doc.CompactGlobalPalette());
    EXPECT_EQ(frame->Pixels, (std::vector<std::uint8_t>{0, 2, 1}));
    EXPECT_EQ(frame->Control->TransparentIndex, 1);
    EXPECT_EQ(doc.BackgroundIndex, 2);
    EXPECT_EQ(local->Pixels, (std::vector<std::uint8_t>{200})); // own palette: untouched
    EXPECT_EQ(doc.GlobalPalette[1], (PaletteEntry{200, 200, 200, 1}));
    EXPECT_EQ(doc.GlobalPalette[2], (PaletteEntry{5, 5, 5, 1}));
    EXPECT_EQ(doc.GlobalPalette[200].Used, 0);
    EXPECT_EQ(doc.GlobalPalette[200].Red, 200); // the moved-out colour stays
    EXPECT_EQ(doc.GlobalTableSize(), 1);
    EXPECT_EQ(doc.ScreenFlags, 0xF1);
    EXPECT_FALSE(doc.CompactGlobalPalette()); // already compact

    EXPECT_TRUE(doc.CompactPalettes()); // the local palette moves 200 to 0
    EXPECT_EQ(local->Pixels, (std::vector<std::uint8_t>{0}));
    EXPECT_EQ(local->LocalTableSize(), 0);
}

TEST(GifModelPalette, PaletteWithoutTableFlagIsNotCompacted) {
    TGIFData doc;
    doc.ScreenFlags = 0x05;
    TGIFImageData* frame = doc.AddFrame(1, 1);
    frame->Pixels = {9};
    doc.UpdateGlobalUsage();
    EXPECT_FALSE(doc.CompactGlobalPalette());
    EXPECT_EQ(doc.ScreenFlags, 0x05);
    EXPECT_EQ(frame->Pixels[0], 9);

    frame->ImageFlags = 0x06;
    EXPECT_FALSE(frame->CompactLocalPalette());
    EXPECT_EQ(frame->ImageFlags, 0x06);
}

TEST(GifModelPalette, MoveColorRemapsPixelsAndTransparency) {
    TGIFData doc;
    TGIFImageData* frame = doc.AddFrame(3, 1);
    frame->SetHasLocalTable(true);
    frame->Pixels = {3, 1, 3};
    frame->LocalPalette[3] = {9, 8, 7, 1};
    frame->Control->TransparentIndex = 3;
    frame->MoveColor(3, 0);
    EXPECT_EQ(frame->Pixels, (std::vector<std::uint8_t>{0, 1, 0}));
    EXPECT_EQ(frame->LocalPalette[0], (PaletteEntry{9, 8, 7, 1}));
    EXPECT_EQ(frame->LocalPalette[3], (PaletteEntry{9, 8, 7, 0}));
    EXPECT_EQ(frame->Control->TransparentIndex, 0);

    // Without a local table only the indices change; the owner's palette is not touched.
    TGIFImageData* global = doc.AddFrame(2, 1);
    global->Pixels = {4, 5};
    doc.GlobalPalette[4] = {1, 1, 1, 1};
    global->MoveColor(4, 6);
    EXPECT_EQ(global->Pixels, (std::vector<std::uint8_t>{6, 5}));
    EXPECT_EQ(doc.GlobalPalette[6], PaletteEntry{});
}

TEST(GifModelPalette, SizeCodeForIsTheSmallestTableThatHolds) {
    const std::pair<int, int> cases[] = {{0, 0},  {1, 0},  {2, 0},   {3, 1},   {4, 1},   {5, 2},
                                         {8, 2},  {9, 3},  {16, 3},  {17, 4},  {32, 4},  {33, 5},
                                         {64, 5}, {65, 6}, {128, 6}, {129, 7}, {256, 7}, {300, 7}};
    for (auto [n, code] : cases) EXPECT_EQ(SizeCodeFor(n), code) << n;
}

TEST(GifModelTitles, PackAndUnpack) {
    TGIFData doc;
    doc.TitleExtension->Data = "keep";
    doc.PackTitles(); // no frames: data kept
    EXPECT_EQ(doc.TitleExtension->Data, "keep");

    doc.AddFrame(1, 1)->Title = "a";
    doc.AddFrame(1, 1);
    doc.AddFrame(1, 1)->Title = "b";
    doc.PackTitles();
    EXPECT_EQ(doc.TitleExtension->Data, std::string("a\0\0b\0\x01", 6));

    TGIFData two;
    two.AddFrame(1, 1)->Title = "old";
    two.AddFrame(1, 1)->Title = "old";
    two.TitleExtension->Data = doc.TitleExtension->Data;
    two.UnpackTitles();
    EXPECT_EQ(two.Frames[0]->Title, "a");
    EXPECT_EQ(two.Frames[1]->Title, "");
}

TEST(GifModelTitles, UnpackStopsAtTheMarkerAndDropsAnUnterminatedTail) {
    TGIFData doc;
    for (int i = 0; i < 3; ++i) doc.AddFrame(1, 1)->Title = "old";
    doc.TitleExtension->Data = std::string("x\0yz\x01q\0", 7);
    doc.UnpackTitles();
    EXPECT_EQ(doc.Frames[0]->Title, "x");
    EXPECT_EQ(doc.Frames[1]->Title, ""); // "yz" has no 0x00: empty, the rest dropped
    EXPECT_EQ(doc.Frames[2]->Title, "old");

    doc.TitleExtension->Data = std::string("p\0", 2); // no 0x01 marker: nothing happens
    doc.UnpackTitles();
    EXPECT_EQ(doc.Frames[0]->Title, "x");
}

TEST(GifModelExtensions, CloneCopiesClassAndFields) {
    TGIFApplicationExtension app;
    app.Identifier = "ABCDEFGH";
    app.AuthCode = "123";
    app.Data = "xyz";
    auto copy = app.Clone();
    auto* copied = dynamic_cast<TGIFApplicationExtension*>(copy.get());
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->Identifier, "ABCDEFGH");
    EXPECT_EQ(copied->Data, "xyz");
    TGIFGraphicControlExtension control;
    control.DelayTime = 77;
    auto controlCopy = control.Clone();
    EXPECT_EQ(dynamic_cast<TGIFGraphicControlExtension&>(*controlCopy).DelayTime, 77);
}

TEST(GifModelErrors, ShowIOErrorGoesToTheHandlerWhenOneIsSet) {
    ShowIOError("nobody listens"); // no handler: nothing happens
    std::vector<std::string> seen;
    SetIOErrorHandler([&seen](const std::string& reason) { seen.push_back(reason); });
    ShowIOError("first");
    SetIOErrorHandler(nullptr);
    ShowIOError("second");
    EXPECT_EQ(seen, std::vector<std::string>{"first"});
}

} // namespace
