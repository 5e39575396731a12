#pragma once
// Helpers shared by the SWF tests: bytes as hex text, and inflating a zlib stream.

#include "gifdata/GifData.h"

#include <cstdint>
#include <string>
#include <vector>
#include <zlib.h>

inline std::string Hex(const std::vector<std::uint8_t>& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string s;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (i) s += ' ';
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 15];
    }
    return s;
}

inline std::vector<std::uint8_t> Inflate(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> out(1 << 16);
    z_stream z{};
    inflateInit(&z);
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = uInt(size);
    std::size_t produced = 0;
    for (;;) {
        if (produced == out.size()) out.resize(out.size() * 2);
        z.next_out = out.data() + produced;
        z.avail_out = uInt(out.size() - produced);
        int rc = inflate(&z, Z_NO_FLUSH);
        produced = out.size() - z.avail_out;
        if (rc == Z_STREAM_END) break;
        if (rc != Z_OK) {
            produced = 0;
            break;
        }
    }
    inflateEnd(&z);
    out.resize(produced);
    return out;
}

// What stage pixel (x, y) must show: the frame's colour, or the background
// outside the frame and where the frame is transparent.
inline TColor Expected(const TGIFData& doc, const TGIFImageData& f, int x, int y, TColor background) {
    const int fx = x - f.Left, fy = y - f.Top;
    if (fx < 0 || fy < 0 || fx >= f.Width || fy >= f.Height) return background;
    const std::uint8_t index = f.Pixels[std::size_t(fy) * f.Width + fx];
    const TPalette& palette = f.HasLocalTable() ? f.LocalPalette : doc.GlobalPalette;
    auto color = [&](int i) { return RGB(palette[i].Red, palette[i].Green, palette[i].Blue); };
    if (f.Control->Transparent() && color(index) == color(f.Control->TransparentIndex)) return background;
    return color(index);
}
