// Our SWF player on hand-made movies: shapes of every version, bitmap fills,
// bitmap formats, the display list, and malformed files.
#include "SWFTestSupport.h"
#include "flash/SWFContainer.h"
#include "flash/SWFPlayer.h"
#include "flash/SWFRecords.h"

#include <gtest/gtest.h>
#include <random>

namespace {

// Builds a movie file from complete tags (each written through a fresh writer).
class TMovieMaker {
  public:
    TMovieMaker(int width, int height) : FContainer(0, 0, width, height, 12, true) {}

    void Add(TSWFObject& tag) {
        TBitWriter w(FContainer.Body());
        tag.WriteToStream(w);
    }
    void AddRaw(std::uint16_t code, const std::vector<std::uint8_t>& body) {
        TBitWriter w(FContainer.Body());
        WriteTag(w, code, body);
    }
    void ShowFrame() {
        AddRaw(1, {});
        ++FFrames;
    }
    std::vector<std::uint8_t> File(bool compressed = true) {
        AddRaw(0, {});
        FContainer.SetCompressed(compressed);
        FContainer.SetFrameCount(std::uint16_t(FFrames));
        TSWFMemoryStream out;
        FContainer.SaveToStream(out);
        return out.Bytes();
    }

  private:
    TSWFContainer FContainer;
    int FFrames = 0;
};

TSWFMoviePlayer Play(const std::vector<std::uint8_t>& file, TSWFPlayerLimits limits = {}) {
    return TSWFMoviePlayer(TSWFFile::FromBytes(file.data(), file.size()), limits);
}

// The same movie as an uncompressed file.
std::vector<std::uint8_t> Uncompressed(const std::vector<std::uint8_t>& cws) {
    const std::uint32_t length = TSWFFile::FromBytes(cws.data(), cws.size()).Header.FileLength;
    std::vector<std::uint8_t> fws(cws.begin(), cws.begin() + 8);
    const std::vector<std::uint8_t> body =
        InflateExactly(cws.data() + 8, cws.size() - 8, length - 8, "test movie");
    fws.insert(fws.end(), body.begin(), body.end());
    fws[0] = 'F';
    return fws;
}

// Colour of one rendered pixel as 0x00BBGGRR.
TColor At(const TBitmap& b, int x, int y) {
    const std::uint8_t* p = b.ScanLine(y) + 4 * x;
    EXPECT_EQ(p[3], 255);
    return RGB(p[2], p[1], p[0]);
}

// A rectangle shape (pixels) with the given fills; fill 1 inside.
void AddRectangleShape(TMovieMaker& movie, std::uint16_t code, std::uint16_t id, int x0, int y0, int x1,
                       int y1, std::unique_ptr<TSWFFillStyle> fill) {
    TSWFDefineShape shape;
    shape.TagID = code;
    shape.ShapeId = id;
    shape.HasAlpha = code == 32;
    shape.ShapeBounds = {x0 * 20, y0 * 20, x1 * 20, y1 * 20};
    shape.FillStyles.push_back(shape.Keep(std::move(fill)));
    auto* start = shape.Keep(std::make_unique<TSWFStyleChangeRecord>());
    start->StateFillStyle1 = true;
    start->FillStyle1 = 1;
    start->StateMoveTo = true;
    start->MoveDeltaX = x0 * 20;
    start->MoveDeltaY = y0 * 20;
    const int w = (x1 - x0) * 20, h = (y1 - y0) * 20;
    shape.Records = {start, shape.Keep(std::make_unique<TSWFStraightEdgeRecord>(w, 0)),
                     shape.Keep(std::make_unique<TSWFStraightEdgeRecord>(0, h)),
                     shape.Keep(std::make_unique<TSWFStraightEdgeRecord>(-w, 0)),
                     shape.Keep(std::make_unique<TSWFStraightEdgeRecord>(0, -h))};
    movie.Add(shape);
}

std::unique_ptr<TSWFColorFill> Solid(std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a = 255) {
    auto fill = std::make_unique<TSWFColorFill>();
    fill->Color = {r, g, b, a};
    return fill;
}

std::unique_ptr<TSWFImageFill> BitmapFill(std::uint16_t id, std::uint8_t type, int tx, int ty) {
    auto fill = std::make_unique<TSWFImageFill>();
    fill->FillStyleType = type;
    fill->BitmapId = id;
    fill->BitmapMatrix.HasScale = true;
    fill->BitmapMatrix.ScaleX = fill->BitmapMatrix.ScaleY = ToFixed16(20.0);
    fill->BitmapMatrix.TranslateX = tx;
    fill->BitmapMatrix.TranslateY = ty;
    return fill;
}

void Place(TMovieMaker& movie, std::uint16_t depth, std::uint16_t id, bool move = false, int dx = 0,
           int dy = 0) {
    TSWFPlaceObject2 place;
    place.Depth = depth;
    if (id) place.SetCharacterId(id);
    place.PlaceFlagMove = move;
    if (dx || dy) {
        place.HasMatrix = true;
        place.Matrix.TranslateX = dx;
        place.Matrix.TranslateY = dy;
    }
    movie.Add(place);
}

// 2 x 2 format-5 bitmap: red, green / blue, white.
void AddQuadBitmap(TMovieMaker& movie, std::uint16_t id) {
    TSWFDefineBitsLossless bits;
    bits.CharacterId = id;
    bits.BitmapWidth = bits.BitmapHeight = 2;
    std::vector<std::uint8_t> argb = {255, 255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255};
    bits.Data = ZlibCompress(argb.data(), argb.size());
    movie.Add(bits);
}

constexpr TColor White = RGB(255, 255, 255), Red = RGB(255, 0, 0), Green = RGB(0, 255, 0),
                 Blue = RGB(0, 0, 255);

TEST(SWFPlayer, SolidFillsOfAllThreeShapeVersionsWithAlpha) {
    TMovieMaker movie(10, 10);
    AddRectangleShape(movie, 2, 1, 1, 1, 5, 5, Solid(255, 0, 0));
    AddRectangleShape(movie, 22, 2, 6, 1, 9, 5, Solid(0, 255, 0));
    AddRectangleShape(movie, 32, 3, 3, 3, 8, 8, Solid(0, 0, 255, 128));
    Place(movie, 1, 1);
    Place(movie, 2, 2);
    Place(movie, 3, 3);
    movie.ShowFrame();
    TBitmap frame = Play(movie.File()).RenderFrame(0);
    ASSERT_EQ(frame.Width(), 10);
    ASSERT_EQ(frame.Height(), 10);
    EXPECT_EQ(At(frame, 0, 0), White); // no SetBackgroundColor: white stage
    EXPECT_EQ(At(frame, 1, 1), Red);
    EXPECT_EQ(At(frame, 4, 2), Red);
    EXPECT_EQ(At(frame, 5, 1), White); // right edge excluded
    EXPECT_EQ(At(frame, 6, 1), Green);
    EXPECT_EQ(At(frame, 3, 3), RGB(127, 0, 128));   // half blue over red
    EXPECT_EQ(At(frame, 7, 7), RGB(127, 127, 255)); // half blue over white
    EXPECT_EQ(At(frame, 8, 8), White);
}

TEST(SWFPlayer, OnlyOpaqueFullStageShapesHideWhatLiesBelow) {
    TMovieMaker movie(6, 4);
    AddRectangleShape(movie, 22, 1, 0, 0, 6, 4, Solid(255, 0, 0));      // opaque, whole stage
    AddRectangleShape(movie, 32, 2, 0, 0, 6, 4, Solid(0, 0, 255, 128)); // translucent, whole stage
    AddRectangleShape(movie, 22, 3, 0, 0, 6, 3, Solid(0, 255, 0));      // opaque, one row short
    Place(movie, 1, 1);
    Place(movie, 2, 2);
    movie.ShowFrame();
    Place(movie, 3, 3);
    movie.ShowFrame();
    Place(movie, 4, 1);
    movie.ShowFrame();
    TSWFMoviePlayer player = Play(movie.File());
    EXPECT_EQ(At(player.RenderFrame(0), 5, 3), RGB(127, 0, 128));
    EXPECT_EQ(At(player.RenderFrame(1), 5, 2), Green);
    EXPECT_EQ(At(player.RenderFrame(1), 5, 3), RGB(127, 0, 128));
    EXPECT_EQ(At(player.RenderFrame(2), 5, 3), Red);
    EXPECT_EQ(At(player.RenderFrame(2), 0, 0), Red);
}

TEST(SWFPlayer, DisplayListFollowsPlaceMoveRemoveAndBackground) {
    TMovieMaker movie(8, 4);
    AddRectangleShape(movie, 22, 1, 0, 0, 2, 2, Solid(255, 0, 0));
    movie.AddRaw(9, {0, 0, 255});
    Place(movie, 5, 1);
    movie.ShowFrame();
    Place(movie, 5, 0, true, 80, 40); // move by 4, 2 pixels
    movie.ShowFrame();
    movie.AddRaw(28, {5, 0}); // RemoveObject2 depth 5
    movie.ShowFrame();
    TSWFMoviePlayer player = Play(movie.File());
    ASSERT_EQ(player.FrameCount(), 3);
    TBitmap f0 = player.RenderFrame(0), f1 = player.RenderFrame(1), f2 = player.RenderFrame(2);
    EXPECT_EQ(At(f0, 0, 0), Red);
    EXPECT_EQ(At(f0, 4, 2), Blue);
    EXPECT_EQ(At(f1, 0, 0), Blue);
    EXPECT_EQ(At(f1, 4, 2), Red);
    EXPECT_EQ(At(f1, 5, 3), Red);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(At(f2, x, y), Blue);
    EXPECT_EQ(At(player.RenderFrame(0), 0, 0), Red); // going back replays from the start
}

TEST(SWFPlayer, RepeatingBitmapFillTilesAndClippedFillExtendsItsEdges) {
    TMovieMaker movie(12, 6);
    AddQuadBitmap(movie, 1);
    AddRectangleShape(movie, 22, 2, 0, 0, 6, 6, BitmapFill(1, 0x40, 0, 0));
    AddRectangleShape(movie, 22, 3, 6, 0, 12, 6, BitmapFill(1, 0x43, 120, 0));
    Place(movie, 1, 2);
    Place(movie, 2, 3);
    movie.ShowFrame();
    TBitmap frame = Play(movie.File()).RenderFrame(0);
    const TColor quad[2][2] = {{Red, Green}, {Blue, White}};
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 6; ++x) {
            EXPECT_EQ(At(frame, x, y), quad[y % 2][x % 2]) << x << "," << y;
            EXPECT_EQ(At(frame, 6 + x, y), quad[std::min(y, 1)][std::min(x, 1)]) << x << "," << y;
        }
}

TEST(SWFPlayer, PaletteBitmapsAndPremultipliedAlphaBitmaps) {
    TMovieMaker movie(3, 2);
    // Format 3: three colours, rows of 3 indices padded to 4.
    TSWFDefineBitsLossless palette;
    palette.CharacterId = 1;
    palette.BitmapFormat = 3;
    palette.BitmapColorTableSize = 2;
    palette.BitmapWidth = 3;
    palette.BitmapHeight = 1;
    std::vector<std::uint8_t> raw = {255, 0, 0, 0, 255, 0, 0, 0, 255, 2, 1, 0, 0};
    palette.Data = ZlibCompress(raw.data(), raw.size());
    movie.Add(palette);
    // Lossless2 format 5: a half-transparent red (premultiplied) and a clear pixel.
    TSWFDefineBitsLossless2 alpha;
    alpha.CharacterId = 2;
    alpha.BitmapWidth = 2;
    alpha.BitmapHeight = 1;
    std::vector<std::uint8_t> argb = {128, 128, 0, 0, 0, 0, 0, 0};
    alpha.Data = ZlibCompress(argb.data(), argb.size());
    movie.Add(alpha);
    AddRectangleShape(movie, 22, 3, 0, 0, 3, 1, BitmapFill(1, 0x41, 0, 0));
    AddRectangleShape(movie, 32, 4, 0, 1, 2, 2, BitmapFill(2, 0x41, 0, 20));
    Place(movie, 1, 3);
    Place(movie, 2, 4);
    movie.ShowFrame();
    TBitmap frame = Play(movie.File()).RenderFrame(0);
    EXPECT_EQ(At(frame, 0, 0), Blue);
    EXPECT_EQ(At(frame, 1, 0), Green);
    EXPECT_EQ(At(frame, 2, 0), Red);
    EXPECT_EQ(At(frame, 0, 1), RGB(255, 127, 127));
    EXPECT_EQ(At(frame, 1, 1), White);
}

TEST(SWFPlayer, UnknownTagsAndUndrawnCharactersAreSkipped) {
    TMovieMaker movie(4, 4);
    movie.AddRaw(777, {1, 2, 3, 4, 5});
    movie.AddRaw(39, {9, 0, 1, 0, 0, 0}); // a sprite, id 9
    AddRectangleShape(movie, 22, 1, 0, 0, 2, 2, Solid(255, 0, 0));
    Place(movie, 1, 9);
    Place(movie, 2, 1);
    movie.AddRaw(43, {'a', 0}); // frame label
    movie.ShowFrame();
    TSWFMoviePlayer player = Play(movie.File(false));
    EXPECT_EQ(player.File().Header.Signature, "FWS");
    TBitmap frame = player.RenderFrame(0);
    EXPECT_EQ(At(frame, 1, 1), Red);
    EXPECT_EQ(At(frame, 3, 3), White);
}

TEST(SWFPlayer, CompressedAndUncompressedMoviesPlayAlike) {
    auto make = [](bool compressed) {
        TMovieMaker movie(6, 3);
        AddQuadBitmap(movie, 1);
        AddRectangleShape(movie, 22, 2, 1, 0, 5, 3, BitmapFill(1, 0x40, 20, 0));
        Place(movie, 1, 2);
        movie.ShowFrame();
        return movie.File(compressed);
    };
    std::vector<std::uint8_t> cws = make(true), fws = make(false);
    EXPECT_EQ(std::string(cws.begin(), cws.begin() + 3), "CWS");
    EXPECT_EQ(Play(cws).RenderFrame(0), Play(fws).RenderFrame(0));
    EXPECT_EQ(std::vector<std::uint8_t>(cws.begin() + 4, cws.begin() + 8),
              std::vector<std::uint8_t>(fws.begin() + 4, fws.begin() + 8)); // same FileLength
    std::vector<std::uint8_t> inflated = Uncompressed(cws);
    EXPECT_EQ(std::vector<std::uint8_t>(inflated.begin() + 8, inflated.end()),
              std::vector<std::uint8_t>(fws.begin() + 8, fws.end()));
}

// ---- malformed movies

std::string ErrorOf(const std::vector<std::uint8_t>& file, TSWFPlayerLimits limits = {}) {
    try {
        TSWFMoviePlayer player = Play(file, limits);
        for (int i = 0; i < player.FrameCount(); ++i) player.RenderFrame(i);
        return "";
    } catch (const ESWFFormatError& e) {
        return e.what();
    }
}

TEST(SWFPlayerErrors, NonMoviesAndUnsupportedContainersSayWhy) {
    EXPECT_NE(ErrorOf({'G', 'I', 'F'}).find("too short"), std::string::npos);
    EXPECT_NE(ErrorOf({'G', 'I', 'F', '8', '9', 'a', 0, 0, 0}).find("signature"), std::string::npos);
    EXPECT_NE(ErrorOf({'Z', 'W', 'S', 13, 0, 0, 0, 0, 0}).find("LZMA"), std::string::npos);
    EXPECT_THROW(TSWFFile::FromFile("/nonexistent/movie.swf"), ESWFFormatError);
}

TEST(SWFPlayerErrors, TruncatedAndOversizedDataIsRefused) {
    TMovieMaker movie(4, 4);
    AddQuadBitmap(movie, 1);
    movie.ShowFrame();
    std::vector<std::uint8_t> cws = movie.File(true);
    std::vector<std::uint8_t> cut(cws.begin(), cws.end() - 6);
    EXPECT_NE(ErrorOf(cut).find("truncated"), std::string::npos);

    std::vector<std::uint8_t> fws = Uncompressed(cws);
    std::vector<std::uint8_t> cutTag(fws.begin(), fws.end() - 10);
    EXPECT_NE(ErrorOf(cutTag).find("remain in the file"), std::string::npos);

    std::vector<std::uint8_t> shortLength = cws;
    shortLength[4] = 20; // FileLength smaller than the data
    shortLength[5] = shortLength[6] = shortLength[7] = 0;
    EXPECT_NE(ErrorOf(shortLength).find("file length"), std::string::npos);
}

TEST(SWFPlayerErrors, HugeDeclaredSizesAllocateNothing) {
    TMovieMaker huge(4, 4);
    TSWFDefineBitsLossless bits;
    bits.CharacterId = 1;
    bits.BitmapWidth = bits.BitmapHeight = 65535;
    bits.Data = {0x78, 0x9C, 0x03, 0x00};
    huge.Add(bits);
    huge.ShowFrame();
    EXPECT_NE(ErrorOf(huge.File(), {std::int64_t(1) << 26, std::int64_t(1) << 40}).find("far too short"),
              std::string::npos);
    EXPECT_NE(ErrorOf(huge.File()).find("larger than the player handles"), std::string::npos);

    TMovieMaker stage(30000, 30000);
    stage.ShowFrame();
    EXPECT_NE(ErrorOf(stage.File()).find("stage of 30000 x 30000"), std::string::npos);
    TMovieMaker empty(0, 0);
    empty.ShowFrame();
    EXPECT_NE(ErrorOf(empty.File()).find("stage is empty"), std::string::npos);
}

TEST(SWFPlayerErrors, BadReferencesAndFramesAreNamed) {
    TMovieMaker undefinedCharacter(4, 4);
    Place(undefinedCharacter, 1, 42);
    undefinedCharacter.ShowFrame();
    EXPECT_NE(ErrorOf(undefinedCharacter.File()).find("places character 42"), std::string::npos);

    TMovieMaker badStyle(4, 4);
    // DefineShape2 without fill styles whose style change record picks fill 3
    // (2 fill bits): 000100 11, then the end record.
    badStyle.AddRaw(22, {1, 0, 0, 0, 0, 0x20, 0x13, 0x00});
    badStyle.ShowFrame();
    EXPECT_NE(ErrorOf(badStyle.File()).find("fill style"), std::string::npos);

    TMovieMaker oneFrame(4, 4);
    oneFrame.ShowFrame();
    TSWFMoviePlayer player = Play(oneFrame.File());
    EXPECT_THROW(player.RenderFrame(1), ESWFFormatError);
    EXPECT_THROW(player.RenderFrame(-1), ESWFFormatError);
}

TEST(SWFPlayerErrors, EveryPrefixAndThousandsOfMutationsFailCleanly) {
    TMovieMaker movie(16, 8);
    AddQuadBitmap(movie, 1);
    AddRectangleShape(movie, 22, 2, 0, 0, 8, 8, BitmapFill(1, 0x40, 0, 0));
    AddRectangleShape(movie, 32, 3, 4, 2, 16, 8, Solid(1, 2, 3, 4));
    Place(movie, 1, 2);
    Place(movie, 2, 3);
    movie.ShowFrame();
    Place(movie, 2, 0, true, -40, 20);
    movie.AddRaw(28, {1, 0});
    movie.ShowFrame();
    std::vector<std::uint8_t> cws = movie.File(true);
    std::vector<std::uint8_t> fws = Uncompressed(cws);
    TSWFPlayerLimits small{1 << 16, 1 << 16};
    int failures = 0;
    for (const auto* file : {&cws, &fws})
        for (std::size_t n = 0; n < file->size(); ++n)
            failures += !ErrorOf({file->begin(), file->begin() + n}, small).empty();
    EXPECT_GT(failures, 0);
    std::mt19937 random(1234);
    int rendered = 0;
    for (int i = 0; i < 3000; ++i) {
        std::vector<std::uint8_t> mutated = fws;
        for (int k = 0, flips = 1 + int(random() % 4); k < flips; ++k)
            mutated[8 + random() % (mutated.size() - 8)] ^= std::uint8_t(1u << (random() % 8));
        rendered += ErrorOf(mutated, small).empty(); // a clean error or a rendered movie; never a crash
    }
    EXPECT_GT(rendered, 100); // the mutations reach the renderer, not only the parser
}

} // namespace
