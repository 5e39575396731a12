// The reader: block structure, extension filing, image data decoding, and
// how each kind of damaged file ends.

#include <gtest/gtest.h>

#include "GifTestBytes.h"

namespace {

using namespace giftest;

TEST(GifReaderStructure, Gif87aWithoutControlBlocksGetsFrameDefaults) {
    TGifBuilder b;
    b.Header(4, 2, 0x91, 3, 49, "87a")
        .Image(0, 0, 2, 2, {0, 1, 2, 3})
        .Image(1, 1, 3, 1, {3, 2, 1}, 0x40)
        .Trailer();
    TGIFData doc;
    TIOErrorLog log;
    ASSERT_TRUE(Load(doc, b.Data));
    EXPECT_TRUE(log.Messages.empty());
    EXPECT_EQ(doc.Signature, "GIF");
    EXPECT_EQ(doc.Version, "87a");
    EXPECT_EQ(doc.ScreenWidth, 4);
    EXPECT_EQ(doc.ScreenHeight, 2);
    EXPECT_EQ(doc.ScreenFlags, 0x91);
    EXPECT_EQ(doc.BackgroundIndex, 3);
    EXPECT_EQ(doc.AspectRatio, 49);
    EXPECT_EQ(doc.GlobalPalette[3], (PaletteEntry{3, 6, 9, 1}));
    ASSERT_EQ(doc.Frames.size(), 2u);
    for (auto& frame : doc.Frames) {
        EXPECT_EQ(frame->Control->Disposal(), 2);
        EXPECT_EQ(frame->Control->DelayTime, 10);
        EXPECT_FALSE(frame->Control->Transparent());
        EXPECT_TRUE(frame->Extensions.empty());
    }
    EXPECT_EQ(doc.Frames[0]->Pixels, (Bytes{0, 1, 2, 3}));
    EXPECT_EQ(doc.Frames[1]->Left, 1);
    EXPECT_EQ(doc.Frames[1]->Top, 1);
    EXPECT_EQ(doc.Frames[1]->Width, 3);
    EXPECT_EQ(doc.Frames[1]->Height, 1);
    EXPECT_TRUE(doc.Frames[1]->Interlaced());
    EXPECT_EQ(doc.Frames[1]->Pixels, (Bytes{3, 2, 1}));
}

TEST(GifReaderStructure, ControlBlockValuesLandInTheFrame) {
    TGifBuilder b;
    b.Header(1, 1).Control(0xE0 | 0x0C | 0x02 | 0x01, 0x0123, 7).Control(0x05, 300, 2).Image(0, 0, 1, 1, {2});
    b.Control(0xEF, 0x0123, 7).Image(0, 0, 1, 1, {0}).Trailer();
    TGIFData doc;
    ASSERT_TRUE(Load(doc, b.Data));
    ASSERT_EQ(doc.Frames.size(), 2u);
    // A second control block before the same image overwrites the first.
    EXPECT_EQ(doc.Frames[0]->Control->ControlFlags, 0x05);
    EXPECT_EQ(doc.Frames[0]->Control->DelayTime, 300);
    EXPECT_EQ(doc.Frames[0]->Control->TransparentIndex, 2);
    EXPECT_EQ(doc.Frames[1]->Control->ControlFlags, 0xEF);
    EXPECT_EQ(doc.Frames[1]->Control->Disposal(), 3);
    EXPECT_TRUE(doc.Frames[1]->Control->UserInput());
    EXPECT_EQ(doc.Frames[1]->Control->DelayTime, 0x0123);
    // Usage: the transparent index of frame 0 and both frames' pixels, and the background.
    EXPECT_EQ(doc.GlobalPalette[0].Used, 1);
    EXPECT_EQ(doc.GlobalPalette[1].Used, 0);
    EXPECT_EQ(doc.GlobalPalette[2].Used, 1);
    EXPECT_EQ(doc.GlobalPalette[7].Used, 1);
}

TEST(GifReaderStructure, FirstLoopingBlockCountsAndCountZeroMeansForever) {
    TGifBuilder b;
    b.Header(1, 1).Looping(0).Looping(5).Image(0, 0, 1, 1, {0}).Trailer();
    TGIFData doc;
    doc.LoopCount = 99;
    ASSERT_TRUE(Load(doc, b.Data));
    EXPECT_TRUE(doc.Looping);
    EXPECT_EQ(doc.LoopCount, 0);
    EXPECT_TRUE(doc.Frames[0]->Extensions.empty()); // looping blocks are not kept as extensions

    TGifBuilder c;
    c.Header(1, 1).Image(0, 0, 1, 1, {0}).Looping(0x0102).Looping(7).Trailer();
    ASSERT_TRUE(Load(doc, c.Data));
    EXPECT_TRUE(doc.Looping);
    EXPECT_EQ(doc.LoopCount, 0x0102);
}

TEST(GifReaderStructure, FieldsTheFileDoesNotCarryKeepTheirValues) {
    TGIFData doc;
    doc.LoopCount = 42;
    doc.Looping = true;
    doc.GlobalPalette[9] = {9, 9, 9, 0};
    doc.AddFrame(2, 2);
    TGifBuilder b;
    b.Header(1, 1, 0x80).Image(0, 0, 1, 1, {0}).Trailer(); // 2-entry table, no looping block
    ASSERT_TRUE(Load(doc, b.Data));
    EXPECT_FALSE(doc.Looping);
    EXPECT_EQ(doc.LoopCount, 42);
    EXPECT_EQ(doc.GlobalPalette[9], (PaletteEntry{9, 9, 9, 0}));
    EXPECT_EQ(doc.Frames.size(), 1u); // the old frames are gone
}

TEST(GifReaderStructure, NonLoopingNetscapeBlocksAreKeptInTheFollowingFrame) {
    TGifBuilder b;
    b.Header(1, 1)
        .Application("NETSCAPE", "2.0", {1, 5})          // two bytes
        .Application("NETSCAPE", "2.0", {2, 5, 0})       // first byte not 1
        .Application("NETSCAPE", "2.1", {1, 5, 0})       // other auth code
        .Application("XMP DataXMP", "", {'a', 'b', 'c'}) // foreign
        .Image(0, 0, 1, 1, {0})
        .Trailer();
    TGIFData doc;
    ASSERT_TRUE(Load(doc, b.Data));
    EXPECT_FALSE(doc.Looping);
    ASSERT_EQ(doc.Frames[0]->Extensions.size(), 4u);
    auto& first = dynamic_cast<TGIFApplicationExtension&>(*doc.Frames[0]->Extensions[0]);
    EXPECT_EQ(first.Identifier, "NETSCAPE");
    EXPECT_EQ(first.AuthCode, "2.0");
    EXPECT_EQ(first.Data, std::string("\x01\x05", 2));
    auto& third = dynamic_cast<TGIFApplicationExtension&>(*doc.Frames[0]->Extensions[2]);
    EXPECT_EQ(third.AuthCode, "2.1");
    auto& foreign = dynamic_cast<TGIFApplicationExtension&>(*doc.Frames[0]->Extensions[3]);
    EXPECT_EQ(foreign.Identifier, "XMP Data");
    EXPECT_EQ(foreign.AuthCode, "XMP");
    EXPECT_EQ(foreign.Data, "abc");
}

TEST(GifReaderStructure, CommentsLandInTheirImageAndTrailingOnesAreDropped) {
    TGifBuilder b;
    b.Header(1, 1).Comment("before").Image(0, 0, 1, 1, {0}).Comment("after").Trailer();
    TGIFData doc;
    ASSERT_TRUE(Load(doc, b.Data));
    ASSERT_EQ(doc.Frames.size(), 1u);
    ASSERT_EQ(doc.Frames[0]->Extensions.size(), 1u);
    auto& comment = dynamic_cast<TGIFCommentExtension&>(*doc.Frames[0]->Extensions[0]);
    EXPECT_EQ(comment.Text, "before");
}

TEST(GifReaderStructure, PlainTextBlockFieldsAreRead) {
    TGifBuilder b;
    b.Header(1, 1).Raw({0x21, 0x01, 0x0C}).Word(1).Word(2).Word(300).Word(4).Raw({5, 6, 7, 8});
    b.Raw(SubBlocks({'h', 'e', 'y'})).Image(0, 0, 1, 1, {0}).Trailer();
    TGIFData doc;
    ASSERT_TRUE(Load(doc, b.Data));
    auto& text = dynamic_cast<TGIFTextExtension&>(*doc.Frames[0]->Extensions.at(0));
    EXPECT_EQ(text.GridLeft, 1);
    EXPECT_EQ(text.GridTop, 2);
    EXPECT_EQ(text.GridWidth, 300);
    EXPECT_EQ(text.GridHeight, 4);
    EXPECT_EQ(text.CellWidth, 5);
    EXPECT_EQ(text.CellHeight, 6);
    EXPECT_EQ(text.ForegroundIndex, 7);
    EXPECT_EQ(text.BackgroundIndex, 8);
    EXPECT_EQ(text.Text, "hey");
}

TEST(GifReaderStructure, TitleBlockIsUnpackedAndTheLastOneWins) {
    auto titles = [](const std::string& s) { return Bytes(s.begin(), s.end()); };
    TGifBuilder b;
    b.Header(1, 1)
        .Application("KESTRALL", "1.0", titles(std::string("x\0\x01", 3)))
        .Image(0, 0, 1, 1, {0})
        .Application("KESTRALL", "9.9", titles(std::string("one\0two\0\x01", 9))) // auth code not compared
        .Image(0, 0, 1, 1, {0})
        .Trailer();
    TGIFData doc;
    ASSERT_TRUE(Load(doc, b.Data));
    EXPECT_EQ(doc.Frames[0]->Title, "one");
    EXPECT_EQ(doc.Frames[1]->Title, "two");
    EXPECT_TRUE(doc.Frames[1]->Extensions.empty());
    EXPECT_EQ(doc.TitleExtension->AuthCode, "1.0");
}

TEST(GifReaderDecoding, InterlacedHeightThreeFillsRowsZeroTwoOne) {
    TGifBuilder b;
    b.Header(2, 3).Image(0, 0, 2, 3, {0, 0, 2, 2, 3, 3}, 0x40).Trailer();
    TGIFData doc;
    ASSERT_TRUE(Load(doc, b.Data));
    EXPECT_EQ(doc.Frames[0]->Pixels, (Bytes{0, 0, 3, 3, 2, 2}));
}

TEST(GifReaderDecoding, InterlacedTwentyRowsFollowTheFourPasses) {
    Bytes stream; // row r of the file order carries the value r
    for (int r = 0; r < 20; ++r) stream.push_back(std::uint8_t(r));
    TGifBuilder b;
    b.Header(1, 20, 0x84).Image(0, 0, 1, 20, stream, 0x40, 5).Trailer();
    TGIFData doc;
    ASSERT_TRUE(Load(doc, b.Data));
    const int order[20] = {0, 8, 16, 4, 12, 2, 6, 10, 14, 18, 1, 3, 5, 7, 9, 11, 13, 15, 17, 19};
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(doc.Frames[0]->Pixels[std::size_t(order[i])], i) << "row " << order[i];
}

TEST(GifReaderDecoding, TableCodesAndGrowingWidthsDecode) {
    // Hand-coded: clear, 2, 2 (defines 6 = "2 2"), 6 (defines 7; the next free
    // code reaches 8, so codes widen to 4 bits), 8 (not yet defined: "2 2" + "2"), end.
    TCodeWriter w;
    w.Put(4, 3);
    w.Put(2, 3);
    w.Put(2, 3);
    w.Put(6, 3);
    w.Put(8, 4);
    w.Put(5, 4);
    Bytes data{2};
    Bytes blocks = SubBlocks(w.Finish());
    data.insert(data.end(), blocks.begin(), blocks.end());
    TGifBuilder b;
    b.Header(9, 1).Descriptor(0, 0, 9, 1).Raw(data).Trailer();
    TGIFData doc;
    ASSERT_TRUE(Load(doc, b.Data));
    EXPECT_EQ(doc.Frames[0]->Pixels, (Bytes{2, 2, 2, 2, 2, 2, 2, 1, 1}));

    // Many clear codes and full 12-bit widths through the literal coder.
    Bytes noise(20000);
    for (std::size_t i = 0; i < noise.size(); ++i) noise[i] = std::uint8_t((i * 7919 + i / 13) & 0xFF);
    TGifBuilder big;
    big.Header(200, 100, 0x87).Image(0, 0, 200, 100, noise, 0, 8).Trailer();
    ASSERT_TRUE(Load(doc, big.Data));
    EXPECT_EQ(doc.Frames[0]->Pixels, noise);
}

TEST(GifReaderDecoding, ShortImageDataLeavesIndexOneWithoutAMessage) {
    TGifBuilder b;
    b.Header(3, 2).Image(0, 0, 3, 2, {0, 2}).Image(0, 0, 1, 1, {3}).Trailer();
    TGIFData doc;
    TIOErrorLog log;
    ASSERT_TRUE(Load(doc, b.Data));
    EXPECT_TRUE(log.Messages.empty());
    EXPECT_EQ(doc.Frames[0]->Pixels, (Bytes{0, 2, 1, 1, 1, 1}));
    EXPECT_EQ(doc.Frames[1]->Pixels, (Bytes{3})); // parsing went on after the first frame's data
}

TEST(GifReaderDecoding, DataWithoutEndCodeOrClearCodeStillDecodes) {
    // No end code: the data runs out, the terminator ends it.
    TGifBuilder b;
    b.Header(2, 1).Descriptor(0, 0, 2, 1).Raw({2}).Raw(SubBlocks(LiteralCodes(2, {3, 0}, false)));
    // No leading clear code: the decoder starts with a fresh table anyway.
    TCodeWriter w;
    w.Put(2, 3);
    w.Put(5, 3);
    b.Descriptor(0, 0, 1, 1).Raw({2}).Raw(SubBlocks(w.Finish())).Trailer();
    TGIFData doc;
    ASSERT_TRUE(Load(doc, b.Data));
    ASSERT_EQ(doc.Frames.size(), 2u);
    EXPECT_EQ(doc.Frames[0]->Pixels, (Bytes{3, 0}));
    EXPECT_EQ(doc.Frames[1]->Pixels, (Bytes{2}));
}

TEST(GifReaderDecoding, CodesAfterTheLastPixelAreSkippedToTheTerminator) {
    // Five pixels of data for a 2-pixel frame, spread over several sub-blocks.
    Bytes codes = LiteralCodes(2, {1, 2, 3, 0, 1});
    Bytes blocks;
    for (std::uint8_t c : codes) blocks.insert(blocks.end(), {1, c});
    blocks.push_back(0);
    TGifBuilder b;
    b.Header(2, 1).Descriptor(0, 0, 2, 1).Raw({2}).Raw(blocks).Image(0, 0, 1, 1, {3}).Trailer();
    TGIFData doc;
    TIOErrorLog log;
    ASSERT_TRUE(Load(doc, b.Data));
    EXPECT_TRUE(log.Messages.empty());
    ASSERT_EQ(doc.Frames.size(), 2u);
    EXPECT_EQ(doc.Frames[0]->Pixels, (Bytes{1, 2}));
    EXPECT_EQ(doc.Frames[1]->Pixels, (Bytes{3}));
}

TEST(GifReaderDecoding, EarlyEndCodeKeepsTheFrameAndResumesAfterItsData) {
    TCodeWriter w;
    w.Put(4, 3);
    w.Put(2, 3);
    w.Put(5, 3);
    w.Put(3, 3); // after the end code: ignored
    TGifBuilder b;
    b.Header(4, 1).Descriptor(0, 0, 4, 1).Raw({2}).Raw(SubBlocks(w.Finish()));
    b.Image(0, 0, 1, 1, {3}).Trailer();
    TGIFData doc;
    ASSERT_TRUE(Load(doc, b.Data));
    ASSERT_EQ(doc.Frames.size(), 2u);
    EXPECT_EQ(doc.Frames[0]->Pixels, (Bytes{2, 1, 1, 1}));
    EXPECT_EQ(doc.Frames[1]->Pixels, (Bytes{3}));
}

TEST(GifReaderDecoding, EndCodeRightAfterClearEndsTheData) {
    TCodeWriter w;
    w.Put(4, 3);
    w.Put(5, 3);
    TGifBuilder b;
    b.Header(2, 1).Descriptor(0, 0, 2, 1).Raw({2}).Raw(SubBlocks(w.Finish())).Trailer();
    TGIFData doc;
    ASSERT_TRUE(Load(doc, b.Data));
    EXPECT_EQ(doc.Frames[0]->Pixels, (Bytes{1, 1}));
}

TEST(GifReaderDecoding, SelfReferringStringTableStopsTheFrame) {
    // clear, 7 and 6 (codes not yet defined), 7, then 6: codes 6 and 7 now
    // name each other as prefix, a loop the output stack bound stops.
    TCodeWriter w;
    w.Put(4, 3);
    w.Put(7, 3);
    w.Put(6, 3);
    w.Put(7, 3);
    w.Put(6, 4);
    w.Put(1, 4);
    w.Put(1, 4);
    TGifBuilder b;
    b.Header(20, 1).Descriptor(0, 0, 20, 1).Raw({2}).Raw(SubBlocks(w.Finish()));
    b.Image(0, 0, 1, 1, {3}).Trailer();
    TGIFData doc;
    TIOErrorLog log;
    ASSERT_TRUE(Load(doc, b.Data));
    EXPECT_TRUE(log.Messages.empty());
    ASSERT_EQ(doc.Frames.size(), 2u);
    Bytes expected{7, 0, 0, 7, 0, 0, 0, 0};
    expected.resize(20, 1);
    EXPECT_EQ(doc.Frames[0]->Pixels, expected);
    EXPECT_EQ(doc.Frames[1]->Pixels, (Bytes{3}));
}

TEST(GifReaderDecoding, CodesBeyondTheTableDecodeWithoutFault) {
    // Minimum code size 8: 9-bit codes far beyond the table right after a clear.
    TCodeWriter w;
    w.Put(256, 9);
    w.Put(511, 9);
    w.Put(400, 9);
    w.Put(300, 9);
    w.Put(257, 9);
    TGifBuilder b;
    b.Header(4, 1, 0x87).Descriptor(0, 0, 4, 1).Raw({8}).Raw(SubBlocks(w.Finish())).Trailer();
    TGIFData doc;
    ASSERT_TRUE(Load(doc, b.Data));
    EXPECT_EQ(doc.Frames[0]->Pixels, (Bytes{255, 0, 0, 255}));
}

TEST(GifReaderDecoding, SubBlockLongerThanTheFileIsCutToTheBytesPresent) {
    Bytes codes = LiteralCodes(2, {3, 2, 1});
    TGifBuilder b;
    b.Header(4, 1).Descriptor(0, 0, 4, 1).Raw({2, 200}).Raw(codes); // claims 200 bytes, file ends
    TGIFData doc;
    TIOErrorLog log;
    EXPECT_FALSE(Load(doc, b.Data)); // no trailer
    EXPECT_TRUE(log.Messages.empty());
    ASSERT_EQ(doc.Frames.size(), 1u);
    EXPECT_EQ(doc.Frames[0]->Pixels, (Bytes{3, 2, 1, 1}));
}

TEST(GifReaderFailures, MissingTrailerKeepsFramesWithoutAMessage) {
    TGifBuilder b;
    b.Header(1, 1).Image(0, 0, 1, 1, {0}).Image(0, 0, 1, 1, {1});
    TGIFData doc;
    TIOErrorLog log;
    EXPECT_FALSE(Load(doc, b.Data));
    EXPECT_TRUE(log.Messages.empty());
    EXPECT_EQ(doc.Frames.size(), 2u);
}

TEST(GifReaderFailures, UnknownExtensionLabelFailsWithAMessage) {
    TGifBuilder b;
    b.Header(1, 1)
        .Image(0, 0, 1, 1, {0})
        .Comment("x")
        .Raw({0x21, 0x02, 0x00})
        .Image(0, 0, 1, 1, {0})
        .Trailer();
    TGIFData doc;
    TIOErrorLog log;
    EXPECT_FALSE(Load(doc, b.Data));
    ASSERT_EQ(log.Messages.size(), 1u);
    EXPECT_EQ(log.Messages[0], "Unknown extension label 0x02");
    EXPECT_EQ(doc.Frames.size(), 1u);
}

TEST(GifReaderFailures, UnknownBlockFailsWithAMessage) {
    TGifBuilder b;
    b.Header(1, 1).Image(0, 0, 1, 1, {0}).Raw({0x00}).Trailer();
    TGIFData doc;
    TIOErrorLog log;
    EXPECT_FALSE(Load(doc, b.Data));
    ASSERT_EQ(log.Messages.size(), 1u);
    EXPECT_EQ(log.Messages[0].rfind("Unknown block 0x00", 0), 0u);
    EXPECT_EQ(doc.Frames.size(), 1u);
}

TEST(GifReaderFailures, NotAGifFile) {
    for (const std::string& text :
         {std::string("GI"), std::string("gif89a"), std::string("PNG\r\n"), std::string()}) {
        TGIFData doc;
        doc.AddFrame(1, 1);
        TIOErrorLog log;
        EXPECT_FALSE(Load(doc, Bytes(text.begin(), text.end()))) << text;
        EXPECT_EQ(log.Messages, std::vector<std::string>{"Not a GIF file"});
        EXPECT_TRUE(doc.Frames.empty());
    }
}

TEST(GifReaderFailures, TruncatedSubBlockChainFails) {
    TGifBuilder b;
    b.Header(1, 1).Raw({0x21, 0xFE, 5, 'a', 'b'});
    TGIFData doc;
    TIOErrorLog log;
    EXPECT_FALSE(Load(doc, b.Data));
    ASSERT_EQ(log.Messages.size(), 1u);
    EXPECT_NE(log.Messages[0].find("sub-block"), std::string::npos);
}

TEST(GifReaderFailures, StreamEndingAfterAnExtensionFailsWithAMessage) {
    TGifBuilder b;
    b.Header(1, 1).Image(0, 0, 1, 1, {0}).Control(0, 5, 0);
    TGIFData doc;
    TIOErrorLog log;
    EXPECT_FALSE(Load(doc, b.Data));
    EXPECT_EQ(log.Messages.size(), 1u);
    EXPECT_EQ(doc.Frames.size(), 1u);
}

TEST(GifReaderFailures, MinimumCodeSizeAboveElevenFails) {
    for (int size : {12, 31, 255}) {
        TGifBuilder b;
        b.Header(1, 1)
            .Image(0, 0, 1, 1, {0})
            .Descriptor(0, 0, 1, 1)
            .Raw({std::uint8_t(size), 1, 0, 0})
            .Trailer();
        TGIFData doc;
        TIOErrorLog log;
        EXPECT_FALSE(Load(doc, b.Data));
        ASSERT_EQ(log.Messages.size(), 1u);
        EXPECT_EQ(log.Messages[0], "LZW minimum code size " + std::to_string(size) + " is above 11");
        EXPECT_EQ(doc.Frames.size(), 1u);
    }
    TGifBuilder eleven; // 11 is still accepted: 12-bit codes from the start
    eleven.Header(1, 1).Image(0, 0, 2, 1, {5, 2000 & 0xFF}, 0, 11).Trailer();
    TGIFData doc;
    EXPECT_TRUE(Load(doc, eleven.Data));
}

TEST(GifReaderFailures, HugeFrameWithoutDataIsRefused) {
    TGifBuilder b;
    b.Header(1, 1).Image(0, 0, 1, 1, {0}).Descriptor(0, 0, 65535, 65535).Raw({2, 2, 0x84, 0x51, 0}).Trailer();
    TGIFData doc;
    TIOErrorLog log;
    EXPECT_FALSE(Load(doc, b.Data));
    ASSERT_EQ(log.Messages.size(), 1u);
    EXPECT_NE(log.Messages[0].find("65535 x 65535"), std::string::npos);
    EXPECT_EQ(doc.Frames.size(), 1u);

    TGifBuilder wide; // 1025 x 1024 described by 5 bytes
    wide.Header(1, 1).Descriptor(0, 0, 1025, 1024).Raw({2, 2, 0x84, 0x51, 0}).Trailer();
    EXPECT_FALSE(Load(doc, wide.Data));

    // Bytes elsewhere in the file do not count for the frame: only its own data does.
    TGifBuilder commented;
    commented.Header(1, 1).Descriptor(0, 0, 1025, 1024).Raw({2, 2, 0x84, 0x51, 0});
    commented.Comment(std::string(4000, 'p')).Trailer();
    EXPECT_FALSE(Load(doc, commented.Data));

    // The same frame with 40 more bytes of its own data (after the end code,
    // ignored by decoding) could be described by them, and is read.
    TGifBuilder padded;
    padded.Header(1, 1).Descriptor(0, 0, 1025, 1024).Raw({2, 2, 0x84, 0x51, 40});
    padded.Raw(Bytes(40, 0xAA)).Raw({0}).Trailer();
    EXPECT_TRUE(Load(doc, padded.Data));
}

TEST(GifReaderFailures, LargeFrameUpToTheAlwaysAllocatedSizeKeepsIndexOneFill) {
    TGifBuilder b; // 1024 x 1024 with three pixels of data
    b.Header(1, 1).Image(0, 0, 1024, 1024, {0, 0, 0}).Trailer();
    TGIFData doc;
    TIOErrorLog log;
    ASSERT_TRUE(Load(doc, b.Data));
    EXPECT_TRUE(log.Messages.empty());
    const TGIFImageData& frame = *doc.Frames[0];
    EXPECT_EQ(frame.PixelCount, 1024 * 1024);
    EXPECT_EQ(frame.Pixels[2], 0);
    EXPECT_EQ(frame.Pixels[3], 1);
    EXPECT_EQ(frame.Pixels.back(), 1);
}

TEST(GifReaderFailures, TruncatedHeaderAndTablesFailWithAMessage) {
    TGifBuilder b;
    b.Header(3, 3, 0x81).Image(0, 0, 1, 1, {0}, 0x82).Trailer();
    // Cuts inside the screen descriptor, the global table, the image descriptor and the local table.
    for (std::size_t cut :
         {std::size_t(8), std::size_t(14), std::size_t(27), std::size_t(30), std::size_t(40)}) {
        TGIFData doc;
        TIOErrorLog log;
        EXPECT_FALSE(Load(doc, Bytes(b.Data.begin(), b.Data.begin() + long(cut)))) << cut;
        EXPECT_EQ(log.Messages.size(), 1u) << cut;
        EXPECT_TRUE(doc.Frames.empty());
    }
}

TEST(GifReaderFiles, LoadFromFileReportsAMissingFile) {
    TGIFData doc;
    TIOErrorLog log;
    EXPECT_FALSE(doc.LoadFromFile("/nonexistent/folder/x.gif"));
    ASSERT_EQ(log.Messages.size(), 1u);
    EXPECT_NE(log.Messages[0].find("/nonexistent/folder/x.gif"), std::string::npos);

    doc.AddFrame(1, 1);
    EXPECT_FALSE(doc.LoadFromFile("/tmp"));
    ASSERT_EQ(log.Messages.size(), 2u);
    EXPECT_EQ(log.Messages[1], "Cannot open /tmp: it is a folder");
    EXPECT_EQ(doc.Frames.size(), 1u); // the document is untouched
}

} // namespace
