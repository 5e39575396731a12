#include "flash/BMPImage.h"

#include <algorithm>
#include <string>

namespace {
std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}
std::uint16_t U16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | (p[1] << 8));
}
void Put16(std::vector<std::uint8_t>& v, std::uint16_t x) {
    v.push_back(std::uint8_t(x));
    v.push_back(std::uint8_t(x >> 8));
}
void Put32(std::vector<std::uint8_t>& v, std::uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(std::uint8_t(x >> (8 * i)));
}
[[noreturn]] void Fail(const std::string& why) {
    throw ESWFError("Invalid bitmap image: " + why);
}
} // namespace

TBMPImage ReadBMPImage(TSWFMemoryStream& stream) {
    std::size_t start = stream.Position();
    std::uint8_t fileHeader[14];
    if (stream.Read(fileHeader, 14) != 14 || fileHeader[0] != 'B' || fileHeader[1] != 'M')
        Fail("not a BMP file");
    std::uint32_t pixelOffset = U32(fileHeader + 10);
    std::uint8_t info[40];
    if (stream.Read(info, 40) != 40) Fail("truncated header");
    std::uint32_t infoSize = U32(info);
    if (infoSize < 40) Fail("unsupported header");
    std::int32_t width = std::int32_t(U32(info + 4));
    std::int32_t height = std::int32_t(U32(info + 8));
    TBMPImage image;
    image.BitCount = U16(info + 14);
    std::uint32_t compression = U32(info + 16);
    std::uint32_t colorsUsed = U32(info + 32);
    if (compression != 0) Fail("compressed images are not supported");
    if (width <= 0 || width > 65535 || height == 0 || height < -65535 || height > 65535)
        Fail("bad size " + std::to_string(width) + " x " + std::to_string(height));
    switch (image.BitCount) {
    case 1:
    case 4:
    case 8:
    case 16:
    case 24:
    case 32:
        break;
    default:
        Fail(std::to_string(image.BitCount) + " bits per pixel");
    }
    image.Width = width;
    image.BottomUp = height > 0;
    image.Height = height > 0 ? height : -height;
    image.RowStride = ((std::size_t(width) * image.BitCount + 31) / 32) * 4;

    if (image.BitCount <= 8) {
        std::size_t entries = colorsUsed ? colorsUsed : (std::size_t(1) << image.BitCount);
        if (entries > 256) Fail("palette too large");
        stream.Seek(start + 14 + infoSize);
        for (std::size_t i = 0; i < entries; ++i) {
            std::uint8_t q[4];
            if (stream.Read(q, 4) != 4) Fail("truncated palette");
            image.Palette.push_back((std::uint32_t(q[2]) << 16) | (std::uint32_t(q[1]) << 8) | q[0]);
        }
    }
    std::size_t size = image.RowStride * std::size_t(image.Height);
    if (start + pixelOffset > stream.Size() || stream.Size() - (start + pixelOffset) < size)
        Fail("pixel rows missing");
    stream.Seek(start + pixelOffset);
    image.Rows.resize(size);
    stream.Read(image.Rows.data(), size);
    return image;
}

void WriteBMP24(TSWFOutput& target, const TBitmap& bitmap) {
    const int w = bitmap.Width(), h = bitmap.Height();
    const std::size_t stride = ((std::size_t(w) * 24 + 31) / 32) * 4;
    const std::uint32_t pixelBytes = std::uint32_t(stride * std::size_t(h));
    std::vector<std::uint8_t> header;
    header.push_back('B');
    header.push_back('M');
    Put32(header, 54 + pixelBytes);
    Put32(header, 0);
    Put32(header, 54);
    Put32(header, 40);
    Put32(header, std::uint32_t(w));
    Put32(header, std::uint32_t(h));
    Put16(header, 1);
    Put16(header, 24);
    Put32(header, 0);
    Put32(header, pixelBytes);
    Put32(header, 2835); // 72 dots per inch
    Put32(header, 2835);
    Put32(header, 0);
    Put32(header, 0);
    target.WriteBytes(header.data(), header.size());

    std::vector<std::uint8_t> row(stride, 0);
    for (int y = h - 1; y >= 0; --y) {
        if (bitmap.PixelFormat() == pf24bit) {
            std::copy(bitmap.ScanLine(y), bitmap.ScanLine(y) + std::size_t(w) * 3, row.begin());
        } else {
            for (int x = 0; x < w; ++x) {
                TColor c = bitmap.Pixel(x, y);
                row[std::size_t(x) * 3] = std::uint8_t(GetBValue(c));
                row[std::size_t(x) * 3 + 1] = std::uint8_t(GetGValue(c));
                row[std::size_t(x) * 3 + 2] = std::uint8_t(GetRValue(c));
            }
        }
        target.WriteBytes(row.data(), row.size());
    }
}
