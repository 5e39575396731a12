// The PNG writer: the chunks it writes, and pictures read back by libpng
// (our decoder) and by ImageMagick equal the bitmaps that were written.
#include "platform/BmpFile.h"
#include "platform/FileBytes.h"
#include "platform/PictureDecoders.h"
#include "platform/PngFile.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "support/ShellRun.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using TBytes = std::vector<std::uint8_t>;

TBytes ReadFileBytesForTest(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t Be32(const TBytes& b, std::size_t at) {
    return std::uint32_t(b[at]) << 24 | std::uint32_t(b[at + 1]) << 16 | std::uint32_t(b[at + 2]) << 8 |
           b[at + 3];
}

// The chunk types in file order, with their data.
std::vector<std::pair<std::string, TBytes>> Chunks(const TBytes& png) {
    std::vector<std::pair<std::string, TBytes>> chunks;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = Be32(png, at);
        if (at + 12 + length > png.size()) break;
        chunks.emplace_back(std::string(png.begin() + long(at) + 4, png.begin() + long(at) + 8),
                            TBytes(png.begin() + long(at) + 8, png.begin() + long(at + 8 + length)));
        at += 12 + length;
    }
    return chunks;
}

const TBytes* Find(const std::vector<std::pair<std::string, TBytes>>& chunks, const std::string& type) {
    for (const auto& [name, data] : chunks)
        if (name == type) return &data;
    return nullptr;
}

// A 5 x 3 8-bit bitmap over a 256-entry palette whose pixels use indices 0..14.
TBitmap IndexedPicture() {
    TBitmap b(5, 3, pf8bit);
    std::vector<TColor> palette(256);
    for (int i = 0; i < 256; ++i) palette[std::size_t(i)] = RGB(i, 255 - i, (i * 7) & 0xFF);
    b.SetPalette(palette);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) b.SetIndex(x, y, std::uint8_t(y * 5 + x));
    return b;
}

// ImageMagick's reading of a picture as R, G, B, A bytes.
TBytes ReadWithImageMagick(const std::string& path) {
    const TShellRun run = RunShell("convert '" + path + "' -depth 8 rgba:-", TShellErrors::Discarded);
    EXPECT_EQ(run.Status, 0);
    return TBytes(run.Output.begin(), run.Output.end());
}

class PngFile : public ::testing::Test {
  protected:
    std::string Path(const std::string& name) const {
        return Folder.filePath(QString::fromStdString(name)).toStdString();
    }
    QTemporaryDir Folder;
};

TEST_F(PngFile, AnIndexedBitmapBecomesAPalettedPngWithAllItsEntries) {
    TBytes png;
    std::string error;
    ASSERT_TRUE(EncodePng(IndexedPicture(), png, error)) << error;
    ASSERT_GE(png.size(), 8u);
    EXPECT_EQ(std::memcmp(png.data(), "\x89PNG\r\n\x1a\n", 8), 0);
    const auto chunks = Chunks(png);
    ASSERT_FALSE(chunks.empty());
    EXPECT_EQ(chunks.front().first, "IHDR");
    const TBytes& header = chunks.front().second;
    ASSERT_EQ(header.size(), 13u);
    EXPECT_EQ(Be32(header, 0), 5u);
    EXPECT_EQ(Be32(header, 4), 3u);
    EXPECT_EQ(header[8], 8); // bit depth
    EXPECT_EQ(header[9], 3); // palette colour type
    const TBytes* palette = Find(chunks, "PLTE");
    ASSERT_NE(palette, nullptr);
    ASSERT_EQ(palette->size(), 256u * 3);
    EXPECT_EQ((*palette)[3 * 200], 200);
    EXPECT_EQ((*palette)[3 * 200 + 1], 55);
    EXPECT_EQ(Find(chunks, "tRNS"), nullptr);
    EXPECT_EQ(chunks.back().first, "IEND");
}

TEST_F(PngFile, ATransparentIndexIsTheOnlyClearEntryOfTheTrnsChunk) {
    TBytes png;
    std::string error;
    ASSERT_TRUE(EncodePng(IndexedPicture(), png, error, 4)) << error;
    const auto chunks = Chunks(png); // Find points into it
    const TBytes* opacity = Find(chunks, "tRNS");
    ASSERT_NE(opacity, nullptr);
    EXPECT_EQ(*opacity, TBytes({255, 255, 255, 255, 0}));
    // An index outside the palette means no transparency.
    ASSERT_TRUE(EncodePng(IndexedPicture(), png, error, 300));
    EXPECT_EQ(Find(Chunks(png), "tRNS"), nullptr);
}

TEST_F(PngFile, ImageMagickReadsTheIndexedPictureWithItsTransparency) {
    const TBitmap picture = IndexedPicture();
    std::string error;
    ASSERT_TRUE(SavePngFile(picture, Path("indexed.png"), error, 7)) << error;
    const TBytes rgba = ReadWithImageMagick(Path("indexed.png"));
    ASSERT_EQ(rgba.size(), 5u * 3 * 4);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) {
            const std::uint8_t* p = &rgba[std::size_t(y * 5 + x) * 4];
            const TColor c = picture.Pixel(x, y);
            SCOPED_TRACE(testing::Message() << x << "," << y);
            EXPECT_EQ(p[3], picture.Index(x, y) == 7 ? 0 : 255);
            if (p[3] == 0) continue;
            EXPECT_EQ(p[0], GetRValue(c));
            EXPECT_EQ(p[1], GetGValue(c));
            EXPECT_EQ(p[2], GetBValue(c));
        }
}

TEST_F(PngFile, TrueColourBitmapsRoundTripThroughOurDecoderAndImageMagick) {
    TBitmap rgb(4, 2, pf24bit);
    TBitmap rgba(4, 2, pf32bit);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            rgb.SetPixel(x, y, RGB(x * 60, y * 200, 17 + x));
            std::uint8_t* p = rgba.ScanLine(y) + x * 4;
            p[0] = std::uint8_t(10 * x), p[1] = std::uint8_t(20 + y), p[2] = 250, p[3] = std::uint8_t(x * 85);
        }
    std::string error;
    ASSERT_TRUE(SavePngFile(rgb, Path("rgb.png"), error)) << error;
    ASSERT_TRUE(SavePngFile(rgba, Path("rgba.png"), error)) << error;
    const auto rgbChunks = Chunks(ReadFileBytesForTest(Path("rgb.png")));
    const auto rgbaChunks = Chunks(ReadFileBytesForTest(Path("rgba.png")));
    ASSERT_NE(Find(rgbChunks, "IHDR"), nullptr);
    ASSERT_NE(Find(rgbaChunks, "IHDR"), nullptr);
    EXPECT_EQ(Find(rgbChunks, "IHDR")->at(9), 2);
    EXPECT_EQ(Find(rgbaChunks, "IHDR")->at(9), 6);

    TBitmap back;
    ASSERT_TRUE(LoadPNGFile(Path("rgb.png"), back, error)) << error;
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(back.Pixel(x, y), rgb.Pixel(x, y));
    const TBytes magick = ReadWithImageMagick(Path("rgba.png"));
    ASSERT_EQ(magick.size(), 4u * 2 * 4);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            const std::uint8_t* want = rgba.ScanLine(y) + x * 4;
            const std::uint8_t* got = &magick[std::size_t(y * 4 + x) * 4];
            EXPECT_EQ(got[3], want[3]);
            if (want[3] == 0) continue;
            EXPECT_EQ(got[0], want[2]);
            EXPECT_EQ(got[1], want[1]);
            EXPECT_EQ(got[2], want[0]);
        }
}

TEST_F(PngFile, AnEmptyBitmapOrAnUnwritablePathIsRefusedWithAReason) {
    std::string error;
    EXPECT_FALSE(SavePngFile(TBitmap(), Path("empty.png"), error));
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Path("empty.png"))));
    error.clear();
    EXPECT_FALSE(SavePngFile(IndexedPicture(), Path("no/such/folder/x.png"), error));
    EXPECT_FALSE(error.empty());
}

TEST_F(PngFile, BitmapFilesAreTheEncodedBytes) {
    const TBitmap picture = IndexedPicture();
    TBytes encoded;
    std::string error;
    ASSERT_TRUE(EncodeBitmapFile(picture, encoded, error)) << error;
    ASSERT_TRUE(SaveBitmapFile(picture, Path("x.bmp"), error)) << error;
    EXPECT_EQ(ReadFileBytesForTest(Path("x.bmp")), encoded);
    // 14 + 40 header bytes, 256 palette entries, 3 rows of 8 bytes (5 padded to 4).
    EXPECT_EQ(encoded.size(), 14u + 40 + 256 * 4 + 3 * 8);
}

} // namespace
