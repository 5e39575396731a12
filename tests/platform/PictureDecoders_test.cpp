#include "platform/BmpFile.h"
#include "platform/PictureDecoders.h"

#include <QDir>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>

#include "support/ShellRun.h"
#include <iterator>
#include <vector>

namespace {

const std::string Data = FRAMELOOM_TEST_DATA;

std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

int Alpha(const TBitmap& b, int x, int y) {
    return b.ScanLine(y)[x * 4 + 3];
}

bool Near(TColor a, TColor b, int tolerance) {
    return std::abs(GetRValue(a) - GetRValue(b)) <= tolerance &&
           std::abs(GetGValue(a) - GetGValue(b)) <= tolerance &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tolerance;
}

void Put16(std::vector<std::uint8_t>& v, int x) {
    v.push_back(std::uint8_t(x));
    v.push_back(std::uint8_t(x >> 8));
}
void Put32(std::vector<std::uint8_t>& v, std::int64_t x) {
    Put16(v, int(x & 0xFFFF));
    Put16(v, int((x >> 16) & 0xFFFF));
}

// A placeable metafile of 100 x 50 units at 96 units per inch: a red filled
// rectangle over the left half.
std::vector<std::uint8_t> MakeWmf() {
    std::vector<std::uint8_t> v;
    Put32(v, 0x9AC6CDD7);
    Put16(v, 0);
    Put16(v, 0), Put16(v, 0), Put16(v, 100), Put16(v, 50);
    Put16(v, 96);
    Put32(v, 0);
    int checksum = 0;
    for (int i = 0; i < 20; i += 2) checksum ^= v[i] | v[i + 1] << 8;
    Put16(v, checksum);
    std::vector<std::uint8_t> records;
    auto record = [&](int function, std::vector<int> params) {
        Put32(records, 3 + std::int64_t(params.size()));
        Put16(records, function);
        for (int p : params) Put16(records, p);
    };
    record(0x020B, {0, 0});            // SetWindowOrg
    record(0x020C, {50, 100});         // SetWindowExt (y, x)
    record(0x02FC, {0, 0x00FF, 0, 0}); // CreateBrushIndirect: solid, red
    record(0x012D, {0});               // SelectObject
    record(0x041B, {50, 50, 0, 0});    // Rectangle (bottom, right, top, left)
    record(0x0000, {});                // EOF
    const int words = 9 + int(records.size()) / 2;
    Put16(v, 1);
    Put16(v, 9);
    Put16(v, 0x0300);
    Put32(v, words);
    Put16(v, 1);
    Put32(v, 7);
    Put16(v, 0);
    v.insert(v.end(), records.begin(), records.end());
    return v;
}

// An enhanced metafile of 100 x 50 pixels with a red rectangle on the left half.
std::vector<std::uint8_t> MakeEmf() {
    std::vector<std::uint8_t> body;
    auto rec = [&](int type, std::vector<std::int64_t> values) {
        Put32(body, type);
        Put32(body, 8 + 4 * std::int64_t(values.size()));
        for (auto x : values) Put32(body, x);
    };
    rec(39, {1, 0, 0x000000FF, 0}); // CreateBrushIndirect
    rec(37, {1});                   // SelectObject
    rec(43, {0, 0, 50, 50});        // Rectangle
    rec(14, {0, 16, 20});           // EOF
    std::vector<std::uint8_t> v;
    Put32(v, 1);
    Put32(v, 88);
    Put32(v, 0), Put32(v, 0), Put32(v, 99), Put32(v, 49);     // bounds
    Put32(v, 0), Put32(v, 0), Put32(v, 2620), Put32(v, 1297); // frame, 0.01 mm
    Put32(v, 0x464D4520);
    Put32(v, 0x10000);
    Put32(v, 88 + std::int64_t(body.size()));
    Put32(v, 5);
    Put16(v, 2);
    Put16(v, 0);
    Put32(v, 0), Put32(v, 0), Put32(v, 0);
    Put32(v, 1024), Put32(v, 768);
    Put32(v, 320), Put32(v, 240);
    v.insert(v.end(), body.begin(), body.end());
    return v;
}

class PictureFiles : public ::testing::Test {
  protected:
    QTemporaryDir Dir;
    std::string Path(const std::string& name) {
        return QDir(Dir.path()).filePath(QString::fromStdString(name)).toStdString();
    }
};

TEST_F(PictureFiles, JpegDecodesToOpaqueColours) {
    TBitmap p;
    std::string error;
    ASSERT_TRUE(LoadJPEGFile(Data + "/picture.jpg", p, error)) << error;
    EXPECT_EQ(p.Width(), 16);
    EXPECT_EQ(p.Height(), 12);
    EXPECT_TRUE(Near(p.Pixel(2, 6), RGB(255, 0, 0), 40));
    EXPECT_TRUE(Near(p.Pixel(12, 2), RGB(0, 0, 255), 40));
    EXPECT_TRUE(Near(p.Pixel(12, 10), RGB(255, 255, 255), 40));
    EXPECT_EQ(Alpha(p, 5, 5), 255);
}

TEST_F(PictureFiles, PngKeepsCoverageAndWidensGrey) {
    TBitmap p;
    std::string error;
    ASSERT_TRUE(LoadPNGFile(Data + "/picture_rgba.png", p, error)) << error;
    EXPECT_EQ(p.Width(), 16);
    EXPECT_EQ(p.Pixel(2, 6), RGB(255, 0, 0));
    EXPECT_EQ(Alpha(p, 2, 6), 255);
    EXPECT_EQ(Alpha(p, 12, 10), 0);
    EXPECT_EQ(FlattenPicture(p, RGB(0, 255, 0)).Pixel(12, 10), RGB(0, 255, 0));
    EXPECT_EQ(FlattenPicture(p, RGB(0, 255, 0)).Pixel(12, 2), RGB(0, 0, 255));
    ASSERT_TRUE(LoadPNGFile(Data + "/picture_gray.png", p, error)) << error; // 16-bit grey
    const TColor grey = p.Pixel(2, 6);
    EXPECT_EQ(GetRValue(grey), GetGValue(grey));
    EXPECT_EQ(GetGValue(grey), GetBValue(grey));
    EXPECT_EQ(p.Pixel(12, 10), RGB(255, 255, 255));
}

TEST_F(PictureFiles, BitmapsOfBothDepthsDecodeExactly) {
    for (const char* name : {"/picture24.bmp", "/picture8.bmp"}) {
        TBitmap p;
        std::string error;
        ASSERT_TRUE(LoadBMPFile(Data + name, p, error)) << name << error;
        EXPECT_EQ(p.Width(), 16);
        EXPECT_EQ(p.Height(), 12);
        EXPECT_EQ(p.Pixel(2, 6), RGB(255, 0, 0)) << name;
        EXPECT_EQ(p.Pixel(12, 2), RGB(0, 0, 255)) << name;
        EXPECT_EQ(p.Pixel(12, 10), RGB(255, 255, 255)) << name;
    }
}

TEST_F(PictureFiles, IconGivesItsLargestImage) {
    TBitmap p;
    std::string error;
    ASSERT_TRUE(LoadICOFile(Data + "/picture.ico", p, error)) << error;
    EXPECT_EQ(p.Width(), 32);
    EXPECT_EQ(p.Height(), 32);
    EXPECT_EQ(Alpha(p, 31, 31), 0);
}

TEST_F(PictureFiles, MetafilesAreDrawnAtTheirNaturalSize) {
    WriteBytes(Path("a.wmf"), MakeWmf());
    WriteBytes(Path("a.emf"), MakeEmf());
    for (const char* name : {"a.wmf", "a.emf"}) {
        TBitmap p;
        std::string error;
        ASSERT_TRUE(LoadPictureFile(Path(name), p, error)) << name << ": " << error;
        EXPECT_NEAR(p.Width(), 100, 1) << name;
        EXPECT_NEAR(p.Height(), 50, 1) << name;
        EXPECT_TRUE(Near(p.Pixel(20, 25), RGB(255, 0, 0), 8)) << name << std::hex << p.Pixel(20, 25);
        EXPECT_EQ(Alpha(p, 20, 25), 255) << name;
        EXPECT_EQ(Alpha(p, 80, 25), 0) << name;
    }
}

TEST_F(PictureFiles, DamagedFilesFailWithAReason) {
    const std::vector<std::uint8_t> garbage(300, 0x5A);
    const auto truncate = [](std::vector<std::uint8_t> v, std::size_t n) {
        v.resize(std::min(v.size(), n));
        return v;
    };
    struct TCase {
        std::string Name;
        std::vector<std::uint8_t> Bytes;
    };
    std::vector<TCase> cases = {
        {"g.jpg", garbage}, {"t.jpeg", truncate(ReadBytes(Data + "/picture.jpg"), 20)},
        {"g.png", garbage}, {"t.png", truncate(ReadBytes(Data + "/picture_rgba.png"), 60)},
        {"g.bmp", garbage}, {"t.bmp", truncate(ReadBytes(Data + "/picture24.bmp"), 40)},
        {"g.ico", garbage}, {"t.ico", truncate(ReadBytes(Data + "/picture.ico"), 30)},
        {"g.emf", garbage}, {"t.emf", truncate(MakeEmf(), 100)},
        {"g.wmf", garbage}, {"t.wmf", truncate(MakeWmf(), 30)},
        {"empty.png", {}},
    };
    for (const TCase& c : cases) {
        WriteBytes(Path(c.Name), c.Bytes);
        TBitmap p;
        std::string error;
        EXPECT_FALSE(LoadPictureFile(Path(c.Name), p, error)) << c.Name;
        EXPECT_FALSE(error.empty()) << c.Name;
    }
    TBitmap p;
    std::string error;
    EXPECT_FALSE(LoadPictureFile(Path("missing.png"), p, error));
    EXPECT_FALSE(LoadPictureFile(Data + "/anim2.gif", p, error)); // not a still-picture extension
}

TEST_F(PictureFiles, ExtensionChoosesTheDecoderInAnyCase) {
    std::vector<std::uint8_t> png = ReadBytes(Data + "/picture_rgba.png");
    WriteBytes(Path("MiXeD.PnG"), png);
    TBitmap p;
    std::string error;
    EXPECT_TRUE(LoadPictureFile(Path("MiXeD.PnG"), p, error)) << error;
    EXPECT_TRUE(IsPictureFileName("a.JPEG"));
    EXPECT_FALSE(IsPictureFileName("a.gif"));
    EXPECT_FALSE(IsPictureFileName("png"));
    WriteBytes(Path("wrong.jpg"), png); // a PNG named .jpg is not a JPEG
    EXPECT_FALSE(LoadPictureFile(Path("wrong.jpg"), p, error));
}

// Bitmap files we write: read back by our reader and by ImageMagick.
TEST_F(PictureFiles, BitmapFilesRoundTripThroughOurReaderAndImageMagick) {
    TBitmap indexed(5, 3, pf8bit); // 5 columns: rows need padding
    indexed.SetPalette({RGB(0, 0, 0), RGB(255, 0, 0), RGB(0, 0, 255)});
    indexed.SetIndex(4, 0, 1);
    indexed.SetIndex(0, 2, 2);
    TBitmap colour(5, 3, pf32bit);
    colour.Fill(RGB(10, 20, 30));
    colour.SetPixel(4, 0, RGB(200, 100, 50));
    for (const TBitmap* b : {&indexed, &colour}) {
        const std::string path = Path(b == &indexed ? "i.bmp" : "c.bmp");
        std::string error;
        ASSERT_TRUE(SaveBitmapFile(*b, path, error)) << error;
        TBitmap back;
        ASSERT_TRUE(LoadBMPFile(path, back, error)) << error;
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 5; ++x) EXPECT_EQ(back.Pixel(x, y), b->Pixel(x, y)) << x << "," << y;
        const std::string command = "convert '" + path + "' -format '%w %h %[pixel:p{4,0}]' info:";
        const TShellRun identified = RunShell(command, TShellErrors::Discarded);
        ASSERT_EQ(identified.Status, 0);
        const std::string expected = b == &indexed ? "5 3 srgb(255,0,0)" : "5 3 srgb(200,100,50)";
        EXPECT_EQ(identified.Output, expected);
    }
    const std::vector<std::uint8_t> file = ReadBytes(Path("i.bmp"));
    ASSERT_GE(file.size(), 54u + 12u);
    EXPECT_EQ(file[28], 8);                    // bits per pixel
    EXPECT_EQ(file[46], 3);                    // colours used
    EXPECT_EQ(file.size(), 54u + 12u + 3 * 8); // rows of 5 bytes padded to 8
    std::string error;
    EXPECT_FALSE(SaveBitmapFile(TBitmap(), Path("e.bmp"), error));
    EXPECT_FALSE(SaveBitmapFile(colour, Path("no/such/dir/x.bmp"), error));
}

} // namespace
