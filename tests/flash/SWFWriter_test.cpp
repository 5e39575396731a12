// Exact bytes of the bit writer, the container, the tag records and the movie builder.
#include "SWFTestSupport.h"
#include "flash/BitWriter.h"
#include "flash/SWFContainer.h"
#include "flash/SWFMovie.h"
#include "flash/SWFRecords.h"

#include <gtest/gtest.h>

namespace {

struct TBytes {
    TSWFMemoryStream Stream;
    TBitWriter Writer{Stream};
    std::string Hex() {
        Writer.FlushLastByte(true);
        return ::Hex(Stream.Bytes());
    }
};

std::string TagHex(TSWFObject& tag) {
    TBytes out;
    tag.WriteToStream(out.Writer);
    return out.Hex();
}

// ---- bit writer

TEST(BitWriter, BitCountsFollowSignPlusMagnitudeRule) {
    EXPECT_EQ(GetBitsCount(0), 0);
    EXPECT_EQ(GetBitsCount(1), 1);
    EXPECT_EQ(GetBitsCount(2), 2);
    EXPECT_EQ(GetBitsCount(255), 8);
    EXPECT_EQ(GetBitsCount(256), 9);
    EXPECT_EQ(GetBitsCount(0x7FFFFFFF), 31);
    EXPECT_EQ(GetBitsCount(0x80000000u), 0);
    EXPECT_EQ(GetSignedBitsCount(0), 0);
    EXPECT_EQ(GetSignedBitsCount(-1), 2);
    EXPECT_EQ(GetSignedBitsCount(-2), 3);
    EXPECT_EQ(GetSignedBitsCount(5), 4);
    EXPECT_EQ(GetSignedBitsCount(-5), 4);
    EXPECT_EQ(GetSignedBitsCount(2000), 12);
}

TEST(BitWriter, ToFixed16TruncatesTowardZero) {
    EXPECT_EQ(ToFixed16(20.0), 0x00140000);
    EXPECT_EQ(ToFixed16(1.5), 0x00018000);
    EXPECT_EQ(ToFixed16(-1.00001), -65536);
    EXPECT_EQ(ToFixed16(0.99999), 65535);
}

TEST(BitWriter, ZeroCountWritesNothingAndKeepsPendingBits) {
    TBytes out;
    out.Writer.WriteBits(0b101, 3);
    out.Writer.WriteBits(-1, 0);
    EXPECT_EQ(out.Writer.PendingCount(), 3);
    EXPECT_EQ(out.Writer.PendingBits(), 0b101);
    EXPECT_EQ(out.Stream.Size(), 0u);
    EXPECT_EQ(out.Hex(), "A0");
}

TEST(BitWriter, BitsRunMostSignificantFirstAcrossBytes) {
    TBytes out;
    out.Writer.WriteBits(1, 1);
    out.Writer.WriteBits(-2, 4); // 1110
    out.Writer.WriteBits(0x1FF, 9);
    out.Writer.WriteBits(0x12345678, 32);
    EXPECT_EQ(out.Hex(), "F7 FC 48 D1 59 E0");
}

TEST(BitWriter, ByteContinuesAnUnalignedStreamButWordsAlignFirst) {
    TBytes out;
    out.Writer.WriteBits(1, 1);
    out.Writer.WriteByte(0xFF);   // continues the bit stream
    out.Writer.WriteWord(0x1234); // pads the partial byte first
    out.Writer.WriteDWord(0xAABBCCDD);
    EXPECT_EQ(out.Hex(), "FF 80 34 12 DD CC BB AA");
}

TEST(BitWriter, RectOfAHundredByFiftyStage) {
    TBytes out;
    out.Writer.WriteRect(0, 0, 2000, 1000);
    EXPECT_EQ(out.Hex(), "60 00 3E 80 00 1F 40");
}

TEST(BitWriter, RectIsNormalisedAndZeroRectIsOneByte) {
    TBytes swapped;
    swapped.Writer.WriteRect(2000, 1000, 0, 0);
    EXPECT_EQ(swapped.Hex(), "60 00 3E 80 00 1F 40");
    TBytes zero;
    zero.Writer.WriteRect(0, 0, 0, 0);
    EXPECT_EQ(zero.Hex(), "00");
}

TEST(BitWriter, MatrixWithScaleTwentyAndQuarterPixelShift) {
    TSWFMatrix m;
    m.HasScale = true;
    m.ScaleX = m.ScaleY = 0x00140000;
    m.TranslateX = m.TranslateY = -5;
    TBytes out;
    out.Writer.WriteMatrix(m);
    EXPECT_EQ(out.Hex(), "D9 40 00 05 00 00 04 BB");
}

TEST(BitWriter, IdentityMatrixIsOneZeroByte) {
    TBytes out;
    out.Writer.WriteMatrix(TSWFMatrix{});
    EXPECT_EQ(out.Hex(), "00");
}

// ---- tag headers

TEST(TagHeader, ShowFrameAndEndAreBareWords) {
    TSWFShowFrame show;
    EXPECT_EQ(TagHex(show), "40 00");
    TBytes end;
    WriteTag(end.Writer, 0, {});
    EXPECT_EQ(end.Hex(), "00 00");
}

TEST(TagHeader, SixtyTwoBytesShortSixtyThreeLong) {
    TBytes shortTag;
    WriteTag(shortTag.Writer, 9, std::vector<std::uint8_t>(62, 0xAB));
    EXPECT_EQ(shortTag.Stream.Size(), 64u);
    EXPECT_EQ(Hex({shortTag.Stream.Bytes()[0], shortTag.Stream.Bytes()[1]}), "7E 02");

    TBytes longTag;
    WriteTag(longTag.Writer, 9, std::vector<std::uint8_t>(63, 0xAB));
    EXPECT_EQ(longTag.Stream.Size(), 69u);
    std::vector<std::uint8_t> head(longTag.Stream.Bytes().begin(), longTag.Stream.Bytes().begin() + 6);
    EXPECT_EQ(Hex(head), "7F 02 3F 00 00 00");
}

TEST(TagHeader, DefineBitsLosslessAlwaysTakesTheLongForm) {
    TSWFDefineBitsLossless tag;
    tag.CharacterId = 1;
    tag.BitmapWidth = 1;
    tag.BitmapHeight = 1;
    tag.Data = {0x78, 0x9C};
    EXPECT_EQ(TagHex(tag), "3F 05 09 00 00 00 01 00 05 01 00 01 00 78 9C");
    EXPECT_EQ(tag.BodySize, 9u);
    TSWFDefineBitsLossless2 alpha;
    EXPECT_EQ(TagHex(alpha).substr(0, 5), "3F 09");
}

TEST(TagHeader, ColorTableSizeOnlyForFormatThree) {
    TSWFDefineBitsLossless tag;
    tag.BitmapFormat = 3;
    tag.BitmapColorTableSize = 15;
    tag.CharacterId = 7;
    EXPECT_EQ(TagHex(tag), "3F 05 08 00 00 00 07 00 03 00 00 00 00 0F");
}

// ---- records

std::unique_ptr<TSWFImageFill> ExportFill() {
    auto fill = std::make_unique<TSWFImageFill>();
    fill->BitmapId = 1;
    fill->BitmapMatrix.HasScale = true;
    fill->BitmapMatrix.ScaleX = fill->BitmapMatrix.ScaleY = ToFixed16(20.0);
    fill->BitmapMatrix.TranslateX = fill->BitmapMatrix.TranslateY = -5;
    return fill;
}

TEST(Records, DefineShape2OfAHundredByFiftyFrame) {
    TSWFDefineShape shape;
    shape.TagID = 22;
    shape.ShapeId = 2;
    shape.ShapeBounds = {0, 0, 2000, 1000};
    shape.FillStyles.push_back(shape.Keep(ExportFill()));
    auto* start = shape.Keep(std::make_unique<TSWFStyleChangeRecord>());
    start->StateFillStyle1 = true;
    start->FillStyle1 = 1;
    shape.Records = {start,
                     shape.Keep(std::make_unique<TSWFStraightEdgeRecord>(2000, 0)),
                     shape.Keep(std::make_unique<TSWFStraightEdgeRecord>(0, 1000)),
                     shape.Keep(std::make_unique<TSWFStraightEdgeRecord>(-2000, 0)),
                     shape.Keep(std::make_unique<TSWFStraightEdgeRecord>(0, -1000)),
                     shape.Keep(std::make_unique<TSWFEndShapeRecord>())};
    EXPECT_EQ(TagHex(shape),
              "A3 05 02 00 60 00 3E 80 00 1F 40 01 41 01 00 D9 40 00 05 00 00 04 BB 00 10 13 D0 FA "
              "1C AF A3 A2 0C 39 60 C0 00");
}

TEST(Records, EndRecordIsAddedWhenMissingAndInnerEndsAreSkipped) {
    TSWFDefineShape shape;
    shape.ShapeId = 1;
    EXPECT_EQ(TagHex(shape), "87 00 01 00 00 00 00 00 00"); // no styles, widths 0, end record
    auto* innerEnd = shape.Keep(std::make_unique<TSWFEndShapeRecord>());
    auto* edge = shape.Keep(std::make_unique<TSWFStraightEdgeRecord>(0, 4));
    shape.Records = {innerEnd, edge};
    // 11 (edge, straight) 0010 (n=4) 0 1 (vertical) 0100, then end 000000
    EXPECT_EQ(TagHex(shape), "89 00 01 00 00 00 00 00 C9 40 00");
}

TEST(Records, TwoHundredFiftyFiveFillStylesUseTheExtendedCount) {
    TSWFDefineShape shape;
    for (int i = 0; i < 255; ++i) shape.FillStyles.push_back(shape.Keep(std::make_unique<TSWFColorFill>()));
    TBytes out;
    shape.WriteTagBody(out.Writer);
    std::vector<std::uint8_t> bytes = out.Stream.Bytes();
    // id (2), empty rect (1), then the count
    EXPECT_EQ(Hex({bytes[3], bytes[4], bytes[5]}), "FF FF 00");
}

TEST(Records, StyleChangeSettingOnlyFillStyle1IsSevenBits) {
    TSWFStyleChangeRecord record;
    record.StateFillStyle1 = true;
    record.FillStyle1 = 1;
    record.NumFillBits = 1;
    TBytes out;
    record.WriteToStream(out.Writer);
    EXPECT_EQ(out.Writer.PendingCount(), 7);
    EXPECT_EQ(out.Writer.PendingBits(), 0b0001001);
    EXPECT_EQ(out.Stream.Size(), 0u);
}

TEST(Records, StyleChangeWithoutStylesAlwaysCarriesAMove) {
    TSWFStyleChangeRecord record; // nothing set: the move flag keeps it from reading as an end record
    TBytes out;
    record.WriteToStream(out.Writer);
    EXPECT_EQ(out.Writer.PendingCount(), 11 - 8);
    EXPECT_EQ(Hex(out.Stream.Bytes()), "04");
}

TEST(Records, ZeroStraightEdgeContributesNoBits) {
    TSWFStraightEdgeRecord edge(0, 0);
    TBytes out;
    edge.WriteToStream(out.Writer);
    EXPECT_EQ(out.Writer.PendingCount(), 0);
    EXPECT_EQ(out.Stream.Size(), 0u);
}

TEST(Records, GeneralAndOversizedEdges) {
    TBytes out;
    TSWFStraightEdgeRecord(-1, 1).WriteToStream(out.Writer); // 11 0000 1 11 01
    EXPECT_EQ(out.Hex(), "C3 A0");
    TBytes tooLong;
    EXPECT_THROW(TSWFStraightEdgeRecord(65536, 0).WriteToStream(tooLong.Writer), ESWFError);
    TBytes longest;
    EXPECT_NO_THROW(TSWFStraightEdgeRecord(-65535, 65535).WriteToStream(longest.Writer));
}

TEST(Records, PlaceObject2OfCharacterTwoAtDepthZero) {
    TSWFPlaceObject3 place;
    place.Depth = 0;
    place.SetCharacterId(2);
    EXPECT_EQ(TagHex(place), "85 06 02 00 00 02 00");
    EXPECT_TRUE(place.WriteAsPlaceObject2);
    EXPECT_EQ(place.TagID, 26);
    EXPECT_EQ(place.MinVersion(), 3);
}

TEST(Records, PlaceObjectWithBlendModeBecomesPlaceObject3) {
    TSWFPlaceObject3 place;
    place.Depth = 1;
    place.BlendMode = 2;
    place.HasBlendMode = true;
    EXPECT_EQ(TagHex(place), "85 11 00 02 01 00 02");
    EXPECT_EQ(place.MinVersion(), 8);
}

// ---- container

TEST(Container, HeaderOfAnUncompressedMovie) {
    TSWFContainer c(0, 0, 100, 50, 6, true);
    EXPECT_EQ(c.FrameRect().Right, 2000);
    EXPECT_EQ(c.FrameRect().Bottom, 1000);
    EXPECT_EQ(c.HeaderSize(), 12 + 7);
    c.SetFrameCount(3);
    TSWFMemoryStream out;
    c.SaveToStream(out);
    EXPECT_EQ(Hex(out.Bytes()), "46 57 53 05 13 00 00 00 60 00 3E 80 00 1F 40 00 06 03 00");
    TSWFMemoryStream lead;
    c.WriteHeader(lead, 1);
    EXPECT_EQ(Hex(lead.Bytes()), "46 57 53 05 13 00 00 00");
    TSWFMemoryStream rest;
    c.WriteHeader(rest, 2);
    EXPECT_EQ(Hex(rest.Bytes()), "60 00 3E 80 00 1F 40 00 06 03 00");
}

TEST(Container, TwipUnitsAndZeroStage) {
    TSWFContainer twips(0, 0, 2000, 1000, 12, false);
    EXPECT_EQ(twips.UnitScale(), 1);
    EXPECT_EQ(twips.FrameRect().Right, 2000);
    TSWFContainer empty(0, 0, 0, 0, 1, true);
    EXPECT_EQ(empty.HeaderSize(), 13);
}

TEST(Container, VersionRules) {
    TSWFContainer c(0, 0, 1, 1, 1, true);
    EXPECT_EQ(c.Version(), 5);
    c.SetCompressed(true);
    EXPECT_EQ(c.Version(), 6);
    c.SetVersion(5);
    EXPECT_EQ(c.Version(), 6);
    c.SetVersion(8);
    EXPECT_EQ(c.Version(), 8);
    TSWFContainer plain(0, 0, 1, 1, 1, true);
    plain.SetVersion(4);
    EXPECT_EQ(plain.Version(), 4);
}

TEST(Container, FrameRatesAboveTheFieldAreCappedNotWrapped) {
    TSWFContainer c(0, 0, 1, 1, 6, true);
    EXPECT_EQ(c.FrameRate(), 0x0600);
    c.SetFrameRate(255);
    EXPECT_EQ(c.FrameRate(), 0xFF00);
    c.SetFrameRate(256); // would wrap to 0 in the 8.8 field
    EXPECT_EQ(c.FrameRate(), 0xFF00);
    c.SetFrameRate(999);
    EXPECT_EQ(c.FrameRate(), 0xFF00);
    c.SetFrameRate(12.5);
    EXPECT_EQ(c.FrameRate(), 0x0C80);
}

TEST(Container, CompressedFileKeepsTheLeadUncompressedAndCountsTheWholeLength) {
    TSWFContainer c(0, 0, 100, 50, 6, true);
    c.SetCompressed(true);
    std::vector<std::uint8_t> tag = {0x40, 0x00, 0x00, 0x00};
    c.Body().WriteBytes(tag.data(), tag.size());
    c.SetFrameCount(1);
    TSWFMemoryStream out;
    c.SaveToStream(out);
    const std::vector<std::uint8_t>& file = out.Bytes();
    ASSERT_GT(file.size(), 10u);
    EXPECT_EQ(std::string(file.begin(), file.begin() + 3), "CWS");
    EXPECT_EQ(file[3], 6);
    std::uint32_t length = file[4] | (file[5] << 8) | (file[6] << 16) | (std::uint32_t(file[7]) << 24);
    std::vector<std::uint8_t> rest = Inflate(file.data() + 8, file.size() - 8);
    EXPECT_EQ(length, 8 + rest.size());
    EXPECT_EQ(length, 19u + 4u);
    EXPECT_EQ(Hex(rest), "60 00 3E 80 00 1F 40 00 06 01 00 40 00 00 00");
    EXPECT_EQ(file[8], 0x78); // zlib header
}

// ---- movie builder

TEST(Movie, EmptyMovieIsTheEndWordAndNoFrames) {
    TSWFMovie movie(0, 0, 10, 10, 12, true);
    movie.MakeStream();
    EXPECT_EQ(Hex(movie.Body().Bytes()), "00 00");
    EXPECT_EQ(movie.FrameCount(), 0);
}

TEST(Movie, ShowFrameZeroAddsOneFrame) {
    TSWFMovie movie(0, 0, 10, 10, 12, true);
    movie.ShowFrame(0);
    EXPECT_EQ(movie.FrameCount(), 1);
    EXPECT_EQ(movie.CurrentFrame, 0);
    movie.ShowFrame(2);
    EXPECT_EQ(movie.FrameCount(), 3);
    EXPECT_EQ(movie.CurrentFrame, 2);
    movie.MakeStream();
    EXPECT_EQ(Hex(movie.Body().Bytes()), "40 00 40 00 40 00 00 00");
    EXPECT_EQ(movie.FrameCount(), 3);
}

TEST(Movie, PlacementWithoutShowFrameStillShowsOneFrame) {
    TSWFMovie movie(0, 0, 10, 10, 12, true);
    TMovieShape* shape = movie.AddShape();
    movie.PlaceObject(shape, 4);
    EXPECT_EQ(movie.MaxDepth, 4);
    movie.MakeStream();
    EXPECT_EQ(movie.FrameCount(), 1);
    const auto& body = movie.Body().Bytes();
    ASSERT_GE(body.size(), 4u);
    EXPECT_EQ(Hex({body.end() - 4, body.end()}), "40 00 00 00");
}

TEST(Movie, LongLinesAreSplitIntoEqualPieces) {
    TSWFMovie movie(0, 0, 10, 10, 12, true);
    TMovieShape* shape = movie.AddShape();
    shape->Edges->LineDelta(4000, 0);
    ASSERT_EQ(shape->EdgeRecords.size(), 3u);
    auto* a = static_cast<TSWFStraightEdgeRecord*>(shape->EdgeRecords[1].get());
    auto* b = static_cast<TSWFStraightEdgeRecord*>(shape->EdgeRecords[2].get());
    EXPECT_EQ(a->DeltaX, 40000);
    EXPECT_EQ(b->DeltaX, 40000);
    shape->Edges->LineDelta(3276, 0);
    ASSERT_EQ(shape->EdgeRecords.size(), 4u);
    EXPECT_EQ(static_cast<TSWFStraightEdgeRecord*>(shape->EdgeRecords[3].get())->DeltaX, 65520);
    EXPECT_EQ(shape->Edges->CurrentX, 80000 + 65520);
}

TEST(Movie, UnevenSplitsSumExactly) {
    TSWFMovie movie(0, 0, 10, 10, 12, true);
    TMovieShape* shape = movie.AddShape();
    shape->Edges->LineDelta(-10001, 7); // -200020 twips over 4 pieces, 140 twips
    std::int64_t sumX = 0, sumY = 0;
    for (std::size_t i = 1; i < shape->EdgeRecords.size(); ++i) {
        auto* e = static_cast<TSWFStraightEdgeRecord*>(shape->EdgeRecords[i].get());
        EXPECT_LE(std::abs(e->DeltaX), 65535);
        sumX += e->DeltaX;
        sumY += e->DeltaY;
    }
    EXPECT_EQ(shape->EdgeRecords.size(), 5u);
    EXPECT_EQ(sumX, -200020);
    EXPECT_EQ(sumY, 140);
}

TEST(Movie, MoveToOriginAtCreationRecordsNoMove) {
    TSWFMovie movie(0, 0, 10, 10, 12, true);
    TMovieShape* shape = movie.AddRectangle(0, 0, 5, 5);
    auto* first = static_cast<TSWFStyleChangeRecord*>(shape->EdgeRecords[0].get());
    EXPECT_FALSE(first->StateMoveTo);
    TMovieShape* moved = movie.AddRectangle(2, 3, 5, 5);
    auto* start = static_cast<TSWFStyleChangeRecord*>(moved->EdgeRecords[0].get());
    EXPECT_TRUE(start->StateMoveTo);
    EXPECT_EQ(start->MoveDeltaX, 40);
    EXPECT_EQ(start->MoveDeltaY, 60);
    EXPECT_EQ(moved->Edges->StartX, 40);
}

TEST(Movie, AddFillStyleDoesNotDuplicate) {
    TSWFMovie movie(0, 0, 10, 10, 12, true);
    TMovieImage* image = movie.AddImage("");
    TMovieShape* shape = movie.AddRectangle(0, 0, 10, 10);
    TSWFImageFill* fill = shape->SetImageFill(*image, 0, 1.0, 1.0);
    shape->AddFillStyle(fill);
    EXPECT_EQ(shape->FillStyles.size(), 1u);
    EXPECT_EQ(shape->FillStyle1Index, 1);
    auto* first = static_cast<TSWFStyleChangeRecord*>(shape->EdgeRecords[0].get());
    EXPECT_TRUE(first->StateFillStyle1);
    EXPECT_EQ(first->FillStyle1, 1);
    EXPECT_EQ(fill->FillStyleType, 0x41);
    EXPECT_EQ(fill->BitmapMatrix.ScaleX, 0x00140000);
    EXPECT_EQ(fill->BitmapMatrix.TranslateX, -5);
}

TEST(Movie, ImageAddedAfterItsShapeMovesBeforeIt) {
    TSWFMovie movie(0, 0, 10, 10, 12, true);
    TMovieShape* shape = movie.AddRectangle(0, 0, 10, 10);
    TMovieImage* image = movie.AddImage("");
    shape->SetImageFill(*image, 0, 1.0, 1.0);
    EXPECT_EQ(movie.Objects[0].get(), image);
    EXPECT_EQ(movie.Objects[1].get(), shape);
    EXPECT_EQ(image->GetCharacterId(), 2);
    EXPECT_EQ(shape->GetCharacterId(), 1);
}

TEST(Movie, RectangleShapeWritesTheExportsDefineShape2) {
    TSWFMovie movie(0, 0, 100, 50, 6, true);
    TMovieImage* image = movie.AddImage("");
    TMovieShape* shape = movie.AddRectangle(0, 0, 100, 50);
    shape->SetImageFill(*image, 0, 1.0, 1.0);
    TBytes out;
    shape->WriteToStream(out.Writer);
    EXPECT_EQ(out.Hex(),
              "A3 05 02 00 60 00 3E 80 00 1F 40 01 41 01 00 D9 40 00 05 00 00 04 BB 00 10 13 D0 FA "
              "1C AF A3 A2 0C 39 60 C0 00");
}

TEST(Movie, ImageDataIsOpaqueArgbRowsFromTheTop) {
    // A 2 x 2 24-bit BMP: bottom row blue, red; top row green, white.
    TBitmap bitmap(2, 2, pf24bit);
    bitmap.SetPixel(0, 0, RGB(0, 255, 0));
    bitmap.SetPixel(1, 0, RGB(255, 255, 255));
    bitmap.SetPixel(0, 1, RGB(0, 0, 255));
    bitmap.SetPixel(1, 1, RGB(255, 0, 0));
    TSWFMemoryStream bmp;
    WriteBMP24(bmp, bitmap);
    EXPECT_EQ(bmp.Size(), 54u + 2 * 8);
    bmp.Seek(0);
    TMovieImage image;
    image.LoadDataFromStream(bmp);
    EXPECT_EQ(image.Width, 2);
    EXPECT_EQ(image.Height, 2);
    EXPECT_EQ(image.BitmapFormat, 5);
    EXPECT_EQ(image.RowPixels, 2);
    EXPECT_EQ(image.DataState, 2);
    EXPECT_FALSE(image.HasAlpha);
    image.MakeData();
    EXPECT_EQ(Hex(Inflate(image.Data.data(), image.Data.size())),
              "FF 00 FF 00 FF FF FF FF FF 00 00 FF FF FF 00 00");
    image.SetCharacterId(1);
    TBytes out;
    image.WriteToStream(out.Writer);
    const auto& tag = out.Stream.Bytes();
    EXPECT_EQ(Hex({tag.begin(), tag.begin() + 13}),
              "3F 05 " + Hex({std::uint8_t(7 + image.Data.size()), 0, 0, 0}) + " 01 00 05 02 00 02 00");
}

TEST(Movie, BadBMPImagesAreRefusedWithAReason) {
    TSWFMemoryStream notBmp(std::vector<std::uint8_t>(60, 0));
    TMovieImage image;
    EXPECT_THROW(image.LoadDataFromStream(notBmp), ESWFError);
    TBitmap bitmap(3, 3, pf24bit);
    TSWFMemoryStream bmp;
    WriteBMP24(bmp, bitmap);
    std::vector<std::uint8_t> cut(bmp.Bytes().begin(), bmp.Bytes().end() - 1);
    TSWFMemoryStream truncated(cut);
    EXPECT_THROW(image.LoadDataFromStream(truncated), ESWFError);
}

} // namespace
