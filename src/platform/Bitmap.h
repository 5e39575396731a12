#pragma once
// A plain raster in one of three forms: 8-bit with a palette of up to 256
// entries, 24-bit (blue, green, red per pixel) and 32-bit (blue, green, red,
// reserved/alpha per pixel). Rows are stored top first, tightly packed
// (no row padding). Free of Qt so the codecs can use it.

#include <cstdint>
#include <vector>

// Colour values exchanged with the drawing layer: 0x00BBGGRR.
using TColor = std::uint32_t;
constexpr TColor NoColor = 0x1FFFFFFF;

constexpr TColor RGB(int r, int g, int b) {
    return TColor(r & 0xFF) | (TColor(g & 0xFF) << 8) | (TColor(b & 0xFF) << 16);
}
constexpr int GetRValue(TColor c) {
    return int(c & 0xFF);
}
constexpr int GetGValue(TColor c) {
    return int((c >> 8) & 0xFF);
}
constexpr int GetBValue(TColor c) {
    return int((c >> 16) & 0xFF);
}

enum TPixelFormat { pf8bit, pf24bit, pf32bit };

class TBitmap {
  public:
    TBitmap() = default;
    TBitmap(int width, int height, TPixelFormat format);

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Empty() const { return FWidth <= 0 || FHeight <= 0; }
    TPixelFormat PixelFormat() const { return FFormat; }
    int BytesPerPixel() const { return FFormat == pf8bit ? 1 : FFormat == pf24bit ? 3 : 4; }
    int BytesPerLine() const { return FWidth * BytesPerPixel(); }

    // Resizes to width x height; content is reset to zero bytes. Negative sizes count as 0.
    void SetSize(int width, int height);
    // Changes the form, converting the pixels: 8 -> 24/32 through the palette;
    // 24/32 -> 8 by nearest-colour mapping into the current palette (Euclidean
    // distance in red, green, blue; the lowest index on ties). 24 <-> 32 copies
    // the colour bytes and sets the fourth byte to 0.
    void SetPixelFormat(TPixelFormat format);

    std::uint8_t* ScanLine(int y) { return FData.data() + std::size_t(y) * BytesPerLine(); }
    const std::uint8_t* ScanLine(int y) const { return FData.data() + std::size_t(y) * BytesPerLine(); }
    std::uint8_t* Bits() { return FData.data(); }
    const std::uint8_t* Bits() const { return FData.data(); }

    // Palette of an 8-bit bitmap (ignored by the other forms but kept).
    const std::vector<TColor>& Palette() const { return FPalette; }
    void SetPalette(const std::vector<TColor>& palette); // at most 256 entries are kept
    int PaletteSize() const { return int(FPalette.size()); }
    TColor PaletteColor(int index) const; // NoColor outside the palette

    // Colour of one pixel (8-bit: through the palette; NoColor outside the bitmap).
    TColor Pixel(int x, int y) const;
    // Sets one pixel to a colour; an 8-bit bitmap stores the nearest palette index.
    void SetPixel(int x, int y, TColor color);
    // 8-bit only: raw index access (0 outside the bitmap / ignored).
    std::uint8_t Index(int x, int y) const;
    void SetIndex(int x, int y, std::uint8_t index);

    // Fills the whole bitmap with one colour (8-bit: its nearest palette index).
    void Fill(TColor color);
    // Nearest palette index for a colour (Euclidean in RGB, lowest index on ties); 0 with no palette.
    int NearestIndex(TColor color) const;

    bool operator==(const TBitmap& other) const = default;

  private:
    int FWidth = 0;
    int FHeight = 0;
    TPixelFormat FFormat = pf24bit;
    std::vector<std::uint8_t> FData;
    std::vector<TColor> FPalette;
};
