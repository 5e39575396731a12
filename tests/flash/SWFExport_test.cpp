// The Flash export of a document: the movie's structure, and every frame as our
// player renders it compared with the GIF frame drawn over the background.
#include "SWFTestSupport.h"
#include "flash/SWFExport.h"
#include "flash/SWFPlayer.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct TFrameSpec {
    int Left, Top, Width, Height;
    bool Transparent = false;
    int TransparentIndex = 0;
    int Delay = 10;
    bool Local = false;
};

// A document over a global palette of distinct colours; frame pixels follow a
// pattern that touches many indices.
std::unique_ptr<TGIFData> MakeDocument(int screenWidth, int screenHeight,
                                       const std::vector<TFrameSpec>& specs) {
    auto doc = std::make_unique<TGIFData>();
    doc->ScreenWidth = std::uint16_t(screenWidth);
    doc->ScreenHeight = std::uint16_t(screenHeight);
    for (int i = 0; i < 256; ++i)
        doc->GlobalPalette[i] = {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t((i * 37) & 255), 0};
    int n = 0;
    for (const TFrameSpec& s : specs) {
        TGIFImageData* f = doc->AddFrame(s.Width, s.Height);
        f->Left = std::uint16_t(s.Left);
        f->Top = std::uint16_t(s.Top);
        for (int y = 0; y < s.Height; ++y)
            for (int x = 0; x < s.Width; ++x)
                f->Pixels[std::size_t(y) * s.Width + x] = std::uint8_t((x * 3 + y * 5 + n * 11) % 7 + n * 16);
        f->Control->SetTransparent(s.Transparent);
        f->Control->TransparentIndex = std::uint8_t(s.TransparentIndex);
        f->Control->DelayTime = std::uint16_t(s.Delay);
        if (s.Local) {
            f->SetHasLocalTable(true);
            f->SetLocalTableSize(7);
            for (int i = 0; i < 256; ++i) f->LocalPalette[i] = {std::uint8_t(255 - i), 7, std::uint8_t(i), 0};
        }
        ++n;
    }
    return doc;
}

std::vector<std::uint8_t> MovieBytes(const TGIFData& doc, TColor background, int rate) {
    std::unique_ptr<TSWFMovie> movie = BuildSWFMovie(doc, background, rate);
    movie->MakeStream();
    TSWFMemoryStream out;
    movie->SaveToStream(out);
    return out.Bytes();
}

void ExpectFramesOverBackground(const TGIFData& doc, TColor background) {
    std::vector<std::uint8_t> bytes = MovieBytes(doc, background, 10);
    TSWFMoviePlayer player(TSWFFile::FromBytes(bytes.data(), bytes.size()));
    ASSERT_EQ(player.FrameCount(), int(doc.Frames.size()));
    ASSERT_EQ(player.StageWidth(), doc.ScreenWidth);
    ASSERT_EQ(player.StageHeight(), doc.ScreenHeight);
    for (int i = 0; i < player.FrameCount(); ++i) {
        TBitmap frame = player.RenderFrame(i);
        int wrong = 0;
        for (int y = 0; y < frame.Height(); ++y)
            for (int x = 0; x < frame.Width(); ++x) {
                const std::uint8_t* p = frame.ScanLine(y) + 4 * x;
                TColor want = Expected(doc, *doc.Frames[std::size_t(i)], x, y, background);
                if (RGB(p[2], p[1], p[0]) != want && wrong++ < 5)
                    ADD_FAILURE() << "frame " << i << " pixel " << x << "," << y << " is " << std::hex
                                  << RGB(p[2], p[1], p[0]) << ", expected " << want;
            }
        EXPECT_EQ(wrong, 0) << "frame " << i;
    }
}

std::vector<std::uint16_t> Codes(const TSWFFile& file) {
    std::vector<std::uint16_t> codes;
    for (const TSWFTagInfo& t : file.Tags) codes.push_back(t.Code);
    return codes;
}

std::vector<std::uint8_t> BodyOf(const TSWFFile& file, const TSWFTagInfo& tag) {
    EXPECT_EQ(tag.KeptLength, tag.Length);
    return {file.Body(tag), file.Body(tag) + tag.KeptLength};
}

TEST(SWFExport, OneFrameMovie) {
    auto doc = MakeDocument(100, 50, {{0, 0, 100, 50}});
    std::vector<std::uint8_t> bytes = MovieBytes(*doc, RGB(255, 255, 255), 6);
    TSWFFile file = TSWFFile::FromBytes(bytes.data(), bytes.size());
    EXPECT_EQ(file.Header.Signature, "CWS");
    EXPECT_EQ(file.Header.Version, 6);
    EXPECT_EQ(file.Header.FileLength, file.UncompressedSize);
    EXPECT_EQ(file.Header.FrameRect.Right, 2000);
    EXPECT_EQ(file.Header.FrameRect.Bottom, 1000);
    EXPECT_EQ(file.Header.FrameRate, 0x0600);
    EXPECT_EQ(file.Header.FrameCount, 1);
    EXPECT_EQ(Codes(file), (std::vector<std::uint16_t>{20, 22, 26, 1, 0}));
    EXPECT_TRUE(file.Tags[0].LongHeader);
    std::vector<std::uint8_t> bits = BodyOf(file, file.Tags[0]);
    EXPECT_EQ(Hex({bits.begin(), bits.begin() + 7}), "01 00 05 64 00 32 00"); // id 1, format 5, 100 x 50
    EXPECT_EQ(Hex(BodyOf(file, file.Tags[1])),
              "02 00 60 00 3E 80 00 1F 40 01 41 01 00 D9 40 00 05 00 00 04 BB 00 "
              "10 13 D0 FA 1C AF A3 A2 0C 39 60 C0 00");
    EXPECT_EQ(Hex(BodyOf(file, file.Tags[2])), "02 00 00 02 00");
    // The bitmap data: opaque pixels 0xFF, red, green, blue, rows from the top.
    std::vector<std::uint8_t> argb = Inflate(bits.data() + 7, bits.size() - 7);
    ASSERT_EQ(argb.size(), 100u * 50 * 4);
    const TGIFImageData& f = *doc->Frames[0];
    const PaletteEntry& e = doc->GlobalPalette[f.Pixels[49 * 100 + 99]];
    EXPECT_EQ(Hex({argb.end() - 4, argb.end()}), Hex({0xFF, e.Red, e.Green, e.Blue}));
}

TEST(SWFExport, ThreeFrameMovieNumbersCharactersAndDepths) {
    auto doc = MakeDocument(100, 50, {{0, 0, 100, 50}, {5, 5, 10, 10}, {0, 0, 1, 1}});
    std::vector<std::uint8_t> bytes = MovieBytes(*doc, RGB(0, 0, 0), 12);
    TSWFFile file = TSWFFile::FromBytes(bytes.data(), bytes.size());
    EXPECT_EQ(file.Header.FrameCount, 3);
    EXPECT_EQ(Codes(file), (std::vector<std::uint16_t>{20, 22, 26, 1, 20, 22, 26, 1, 20, 22, 26, 1, 0}));
    for (int i = 0; i < 3; ++i) {
        std::vector<std::uint8_t> bits = BodyOf(file, file.Tags[std::size_t(4 * i)]);
        std::vector<std::uint8_t> shape = BodyOf(file, file.Tags[std::size_t(4 * i + 1)]);
        std::vector<std::uint8_t> place = BodyOf(file, file.Tags[std::size_t(4 * i + 2)]);
        const std::uint8_t bitmapId = std::uint8_t(2 * i + 1), shapeId = std::uint8_t(2 * i + 2);
        EXPECT_EQ(Hex({bits.begin(), bits.begin() + 7}), Hex({bitmapId, 0, 5, 100, 0, 50, 0}));
        EXPECT_EQ(Hex(shape),
                  Hex({shapeId, 0, 0x60, 0x00, 0x3E, 0x80, 0x00, 0x1F, 0x40, 0x01, 0x41, bitmapId, 0}) +
                      " D9 40 00 05 00 00 04 BB 00 10 13 D0 FA 1C AF A3 A2 0C 39 60 C0 00");
        EXPECT_EQ(Hex(place), Hex({0x02, std::uint8_t(i), 0, shapeId, 0}));
    }
}

TEST(SWFExport, FramesEqualTheGifFramesOverTheBackground) {
    auto doc = MakeDocument(64, 48, {{0, 0, 64, 48}, {3, 4, 17, 9}, {0, 0, 64, 48, false, 0, 10, true}});
    ExpectFramesOverBackground(*doc, RGB(12, 34, 56));
}

TEST(SWFExport, SmallFrameLeavesTheRestBackground) {
    auto doc = MakeDocument(100, 100, {{10, 10, 20, 20}});
    ExpectFramesOverBackground(*doc, RGB(255, 255, 255));
    std::vector<std::uint8_t> bytes = MovieBytes(*doc, RGB(255, 255, 255), 10);
    TSWFMoviePlayer player(TSWFFile::FromBytes(bytes.data(), bytes.size()));
    TBitmap frame = player.RenderFrame(0);
    int background = 0;
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) background += frame.Pixel(x, y) == RGB(255, 255, 255);
    EXPECT_EQ(background, 100 * 100 - 20 * 20);
}

TEST(SWFExport, TransparentPixelsShowTheBackground) {
    // Index 3 is transparent; index 0 (the other colour of the pattern, same
    // colour as 3) is left out too, as the frame is drawn by colour.
    auto doc = MakeDocument(30, 20, {{0, 0, 30, 20, true, 3}});
    doc->GlobalPalette[0] = doc->GlobalPalette[3];
    ExpectFramesOverBackground(*doc, RGB(255, 0, 0));
    std::vector<std::uint8_t> bytes = MovieBytes(*doc, RGB(255, 0, 0), 10);
    TBitmap frame = TSWFMoviePlayer(TSWFFile::FromBytes(bytes.data(), bytes.size())).RenderFrame(0);
    const TGIFImageData& f = *doc->Frames[0];
    int red = 0, transparent = 0;
    for (int i = 0; i < 30 * 20; ++i) {
        transparent += f.Pixels[std::size_t(i)] == 3 || f.Pixels[std::size_t(i)] == 0;
        red += frame.Pixel(i % 30, i / 30) == RGB(255, 0, 0);
    }
    EXPECT_GT(transparent, 0);
    EXPECT_EQ(red, transparent);
}

TEST(SWFExport, FramesPastTheRightAndBottomEdgesAreCut) {
    auto doc = MakeDocument(100, 40, {{90, 0, 20, 10}, {0, 35, 10, 10}, {95, 38, 30, 30}});
    ExpectFramesOverBackground(*doc, RGB(0, 0, 255));
    std::vector<std::uint8_t> bytes = MovieBytes(*doc, RGB(0, 0, 255), 10);
    TSWFFile file = TSWFFile::FromBytes(bytes.data(), bytes.size());
    for (std::size_t i = 0; i < 3; ++i) {
        std::vector<std::uint8_t> bits = BodyOf(file, file.Tags[4 * i]);
        EXPECT_EQ(Hex({bits.begin() + 3, bits.begin() + 7}), "64 00 28 00"); // always 100 x 40
    }
}

TEST(SWFExport, FrameWithoutPixelsShowsTheBackground) {
    auto doc = MakeDocument(8, 8, {{0, 0, 8, 8}, {0, 0, 8, 8}});
    doc->Frames[1]->FreePixels();
    std::vector<std::uint8_t> bytes = MovieBytes(*doc, RGB(1, 2, 3), 10);
    TSWFMoviePlayer player(TSWFFile::FromBytes(bytes.data(), bytes.size()));
    ASSERT_EQ(player.FrameCount(), 2);
    TBitmap frame = player.RenderFrame(1);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(frame.Pixel(x, y), RGB(1, 2, 3));
}

TEST(SWFExport, TheDocumentIsOnlyRead) {
    auto doc = MakeDocument(40, 30, {{0, 0, 40, 30, true, 2}, {5, 6, 7, 8}});
    std::vector<std::vector<std::uint8_t>> pixels;
    for (auto& f : doc->Frames) pixels.push_back(f->Pixels);
    TPalette palette = doc->GlobalPalette;
    MovieBytes(*doc, RGB(9, 9, 9), 10);
    ASSERT_EQ(doc->Frames.size(), 2u);
    EXPECT_EQ(doc->Frames[0]->Pixels, pixels[0]);
    EXPECT_EQ(doc->Frames[1]->Pixels, pixels[1]);
    EXPECT_EQ(doc->Frames[1]->Left, 5);
    EXPECT_EQ(doc->GlobalPalette, palette);
    EXPECT_EQ(doc->ScreenWidth, 40);
}

TEST(SWFExport, ProposedRates) {
    auto rate = [](int delay) {
        auto doc = MakeDocument(4, 4, {{0, 0, 4, 4, false, 0, delay}, {0, 0, 4, 4, false, 0, 3}});
        return ProposedFrameRate(*doc);
    };
    EXPECT_EQ(rate(10), 10);
    EXPECT_EQ(rate(4), 25);
    EXPECT_EQ(rate(1), 100);
    EXPECT_EQ(rate(150), 1);
    EXPECT_EQ(rate(0), 10);
    TGIFData empty;
    EXPECT_EQ(ProposedFrameRate(empty), 0);
}

TEST(SWFExport, RatesOutsideTheFieldAreBroughtIntoIt) {
    auto doc = MakeDocument(4, 4, {{0, 0, 4, 4}});
    auto storedRate = [&](int rate) {
        std::vector<std::uint8_t> bytes = MovieBytes(*doc, 0, rate);
        return TSWFFile::FromBytes(bytes.data(), bytes.size()).Header.FrameRate;
    };
    EXPECT_EQ(storedRate(255), 0xFF00);
    EXPECT_EQ(storedRate(256), 0xFF00);
    EXPECT_EQ(storedRate(999), 0xFF00);
    EXPECT_EQ(storedRate(0), 0x0100);
    EXPECT_EQ(storedRate(-5), 0x0100);
}

TEST(SWFExport, EmptyScreenIsRefused) {
    auto doc = MakeDocument(0, 10, {{0, 0, 4, 4}});
    EXPECT_THROW(BuildSWFMovie(*doc, 0, 10), ESWFError);
}

// ---- files

class SWFExportFile : public ::testing::Test {
  protected:
    void SetUp() override {
        Folder =
            fs::temp_directory_path() /
            ("flash_export_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
             "_" + std::to_string(::getpid())); // runs side by side never share a folder
        fs::remove_all(Folder);
        fs::create_directories(Folder);
    }
    void TearDown() override { fs::remove_all(Folder); }
    static std::string Read(const fs::path& p) {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    fs::path Folder;
};

TEST_F(SWFExportFile, ExportReplacesAnExistingFileAndLeavesNoTemporaryFiles) {
    auto doc = MakeDocument(20, 10, {{0, 0, 20, 10}});
    const fs::path target = Folder / "movie.swf";
    std::ofstream(target) << "old contents";
    EXPECT_TRUE(ExportSWF(*doc, RGB(255, 255, 255), 10, target.string()));
    std::string bytes = Read(target);
    EXPECT_EQ(bytes.substr(0, 3), "CWS");
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder), fs::directory_iterator()), 1);
    std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
    EXPECT_EQ(TSWFMoviePlayer(TSWFFile::FromBytes(data.data(), data.size())).FrameCount(), 1);
}

TEST_F(SWFExportFile, FileThatCannotBeCreatedRaisesTheMessage) {
    auto doc = MakeDocument(20, 10, {{0, 0, 20, 10}});
    const std::string target = (Folder / "missing" / "movie.swf").string();
    try {
        ExportSWF(*doc, 0, 10, target);
        ADD_FAILURE() << "no error";
    } catch (const ESWFError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + target + "\". ", 0), 0u) << e.what();
    }
    EXPECT_FALSE(fs::exists(target));
}

// A movie whose writing fails part-way.
class TFailingMovie : public TSWFMovie {
  public:
    TFailingMovie() : TSWFMovie(0, 0, 10, 10, 12, true) {}
    void SaveToStream(TSWFOutput& target) override {
        std::vector<std::uint8_t> half(100, 0x55);
        target.WriteBytes(half.data(), half.size());
        throw ESWFError("Error");
    }
};

TEST_F(SWFExportFile, FailedSaveKeepsTheOldFile) {
    const fs::path target = Folder / "movie.swf";
    std::ofstream(target) << "the user's movie";
    TFailingMovie movie;
    EXPECT_THROW(movie.SaveToFile(target.string()), ESWFError);
    EXPECT_EQ(Read(target), "the user's movie");
    EXPECT_EQ(std::distance(fs::directory_iterator(Folder), fs::directory_iterator()), 1);
}

TEST(SWFExport, MoreFramesThanTheCharacterIdsHoldAreRefusedWithoutWritingAnything) {
    auto doc = MakeDocument(20, 10, {{0, 0, 20, 10}});
    while (doc->Frames.size() <= MaxSWFExportFrames)
        doc->Frames.push_back(std::make_unique<TGIFImageData>(doc.get()));
    const fs::path target =
        fs::temp_directory_path() / ("frameloom-too-many-" + std::to_string(::getpid()) + ".swf");
    try {
        ExportSWF(*doc, 0, 10, target.string());
        ADD_FAILURE() << "no error";
    } catch (const ESWFError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "The animation has 32768 frames; a Flash movie made from it can hold at most 32767.");
    }
    EXPECT_FALSE(fs::exists(target));
}

TEST_F(SWFExportFile, AHardLinkedMovieKeepsItsLinks) {
    auto doc = MakeDocument(20, 10, {{0, 0, 20, 10}});
    const fs::path target = Folder / "movie.swf", other = Folder / "published.swf";
    std::ofstream(target) << "old movie";
    fs::create_hard_link(target, other);
    EXPECT_TRUE(ExportSWF(*doc, RGB(255, 255, 255), 10, target.string()));
    EXPECT_EQ(fs::hard_link_count(target), 2u);
    EXPECT_EQ(Read(other).substr(0, 3), "CWS");
    EXPECT_EQ(Read(other), Read(target));
}

TEST_F(SWFExportFile, SavedFileKeepsTheOldPermissions) {
    const fs::path target = Folder / "movie.swf";
    std::ofstream(target) << "x";
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    TSWFMovie movie(0, 0, 1, 1, 1, true);
    movie.MakeStream();
    movie.SaveToFile(target.string());
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Read(target).substr(0, 3), "FWS");
}

} // namespace
