#include "Bitmap.h"

#include <algorithm>
#include <unordered_map>

TBitmap::TBitmap(int width, int height, TPixelFormat format) : FFormat(format) {
    SetSize(width, height);
}

void TBitmap::SetSize(int width, int height) {
    FWidth = std::max(0, width);
    FHeight = std::max(0, height);
    FData.assign(std::size_t(FWidth) * FHeight * BytesPerPixel(), 0);
}

void TBitmap::SetPalette(const std::vector<TColor>& palette) {
    FPalette.assign(palette.begin(), palette.begin() + std::min<std::size_t>(palette.size(), 256));
    for (TColor& c : FPalette) c &= 0x00FFFFFF;
}

TColor TBitmap::PaletteColor(int index) const {
    if (index < 0 || index >= int(FPalette.size())) return NoColor;
    return FPalette[index];
}

int TBitmap::NearestIndex(TColor color) const {
    int best = 0;
    long bestDistance = -1;
    for (int i = 0; i < int(FPalette.size()); ++i) {
        long dr = GetRValue(FPalette[i]) - GetRValue(color);
        long dg = GetGValue(FPalette[i]) - GetGValue(color);
        long db = GetBValue(FPalette[i]) - GetBValue(color);
        long d = dr * dr + dg * dg + db * db;
        if (bestDistance < 0 || d < bestDistance) {
            bestDistance = d;
            best = i;
            if (d == 0) break;
        }
    }
    return best;
}

TColor TBitmap::Pixel(int x, int y) const {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return NoColor;
    const std::uint8_t* p = ScanLine(y) + std::size_t(x) * BytesPerPixel();
    if (FFormat == pf8bit) {
        TColor c = PaletteColor(*p);
        return c == NoColor ? 0 : c;
    }
    return RGB(p[2], p[1], p[0]);
}

void TBitmap::SetPixel(int x, int y, TColor color) {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return;
    std::uint8_t* p = ScanLine(y) + std::size_t(x) * BytesPerPixel();
    if (FFormat == pf8bit) {
        *p = std::uint8_t(NearestIndex(color));
        return;
    }
    p[0] = std::uint8_t(GetBValue(color));
    p[1] = std::uint8_t(GetGValue(color));
    p[2] = std::uint8_t(GetRValue(color));
}

std::uint8_t TBitmap::Index(int x, int y) const {
    if (FFormat != pf8bit || x < 0 || y < 0 || x >= FWidth || y >= FHeight) return 0;
    return ScanLine(y)[x];
}

void TBitmap::SetIndex(int x, int y, std::uint8_t index) {
    if (FFormat != pf8bit || x < 0 || y < 0 || x >= FWidth || y >= FHeight) return;
    ScanLine(y)[x] = index;
}

void TBitmap::Fill(TColor color) {
    if (FFormat == pf8bit) {
        std::fill(FData.begin(), FData.end(), std::uint8_t(NearestIndex(color)));
        return;
    }
    const int bpp = BytesPerPixel();
    for (std::size_t i = 0; i + bpp <= FData.size(); i += bpp) {
        FData[i] = std::uint8_t(GetBValue(color));
        FData[i + 1] = std::uint8_t(GetGValue(color));
        FData[i + 2] = std::uint8_t(GetRValue(color));
        if (bpp == 4) FData[i + 3] = 0;
    }
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
    if (format == FFormat) return;
    TBitmap target(FWidth, FHeight, format);
    target.FPalette = FPalette;
    std::unordered_map<TColor, std::uint8_t> nearest; // one palette search per distinct colour
    for (int y = 0; y < FHeight; ++y) {
        const std::uint8_t* src = ScanLine(y);
        std::uint8_t* dst = target.ScanLine(y);
        for (int x = 0; x < FWidth; ++x) {
            TColor c = FFormat == pf8bit ? Pixel(x, y)
                                         : RGB(src[x * BytesPerPixel() + 2], src[x * BytesPerPixel() + 1],
                                               src[x * BytesPerPixel()]);
            if (format == pf8bit) {
                auto it = nearest.find(c);
                if (it == nearest.end()) it = nearest.emplace(c, std::uint8_t(NearestIndex(c))).first;
                dst[x] = it->second;
            } else {
                const int bpp = format == pf24bit ? 3 : 4;
                dst[x * bpp] = std::uint8_t(GetBValue(c));
                dst[x * bpp + 1] = std::uint8_t(GetGValue(c));
                dst[x * bpp + 2] = std::uint8_t(GetRValue(c));
            }
        }
    }
    *this = std::move(target);
}
