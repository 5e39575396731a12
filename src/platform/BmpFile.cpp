#include "platform/BmpFile.h"

#include "platform/FileBytes.h"

#include <algorithm>
#include <vector>

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(std::uint8_t(v));
    out.push_back(std::uint8_t(v >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

} // namespace

bool EncodeBitmapFile(const TBitmap& bitmap, std::vector<std::uint8_t>& bytes, std::string& error) {
    if (bitmap.Empty()) {
        error = "The bitmap is empty.";
        return false;
    }
    const bool indexed = bitmap.PixelFormat() == pf8bit;
    const int bits = indexed ? 8 : 24;
    const std::uint64_t stride = (std::uint64_t(bitmap.Width()) * bits / 8 + 3) / 4 * 4;
    const int colours = indexed ? std::max(1, bitmap.PaletteSize()) : 0;
    const std::uint64_t offset = 14 + 40 + std::uint64_t(colours) * 4;
    const std::uint64_t fileSize = offset + stride * std::uint64_t(bitmap.Height());
    if (fileSize > 0xFFFFFFFFu) {
        error = "The bitmap is too large for a bitmap file.";
        return false;
    }

    std::vector<std::uint8_t> head;
    head.push_back('B');
    head.push_back('M');
    Put32(head, std::uint32_t(fileSize));
    Put32(head, 0);
    Put32(head, std::uint32_t(offset));
    Put32(head, 40);
    Put32(head, std::uint32_t(bitmap.Width()));
    Put32(head, std::uint32_t(bitmap.Height())); // positive: bottom-up
    Put16(head, 1);
    Put16(head, std::uint32_t(bits));
    Put32(head, 0); // BI_RGB
    Put32(head, std::uint32_t(stride * std::uint64_t(bitmap.Height())));
    Put32(head, 3780); // 96 dpi in pixels per metre
    Put32(head, 3780);
    Put32(head, std::uint32_t(colours));
    Put32(head, 0);
    for (int i = 0; i < colours; ++i) {
        const TColor c = i < bitmap.PaletteSize() ? bitmap.PaletteColor(i) : 0;
        head.push_back(std::uint8_t(GetBValue(c)));
        head.push_back(std::uint8_t(GetGValue(c)));
        head.push_back(std::uint8_t(GetRValue(c)));
        head.push_back(0);
    }

    std::vector<std::uint8_t> out = std::move(head);
    out.reserve(std::size_t(fileSize));
    std::vector<std::uint8_t> row(stride, 0);
    const int bpp = bitmap.BytesPerPixel();
    for (int y = bitmap.Height() - 1; y >= 0; --y) {
        const std::uint8_t* in = bitmap.ScanLine(y);
        if (indexed) {
            std::copy(in, in + bitmap.Width(), row.begin());
        } else {
            for (int x = 0; x < bitmap.Width(); ++x) {
                row[std::size_t(x) * 3] = in[std::size_t(x) * bpp];
                row[std::size_t(x) * 3 + 1] = in[std::size_t(x) * bpp + 1];
                row[std::size_t(x) * 3 + 2] = in[std::size_t(x) * bpp + 2];
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    bytes = std::move(out);
    return true;
}

bool SaveBitmapFile(const TBitmap& bitmap, const std::string& path, std::string& error) {
    std::vector<std::uint8_t> bytes;
    return EncodeBitmapFile(bitmap, bytes, error) && WriteFileBytes(path, bytes, error);
}
