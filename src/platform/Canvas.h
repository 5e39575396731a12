#pragma once
// The drawing layer: a canvas bound to a TBitmap with a pen, a brush and a font,
// shapes, flood fill, text, clip regions and bitmap copies (opaque, keyed,
// stretched). Everything is drawn without anti-aliasing, so the pixels are
// exactly the pen, brush or font colour:
//  - on an 8-bit bitmap a colour is first mapped to its nearest palette entry
//    (Euclidean distance in red, green, blue; the lowest index on ties) and
//    only palette indices are written;
//  - on a 32-bit bitmap the fourth byte of every pixel written is set to 0.
// Rectangles are left, top, right, bottom with right and bottom exclusive.
// The header is free of Qt; the implementation uses QPainter/QRegion.

#include "platform/Bitmap.h"

#include <cstdint>
#include <string>
#include <vector>

class QPainterPath;

struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};

struct TSize {
    int Width = 0;
    int Height = 0;
    bool operator==(const TSize&) const = default;
};

// Right and bottom exclusive.
struct TRect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    bool operator==(const TRect&) const = default;
};

// A set of pixels, built from shapes and combined like sets. A pixel belongs to
// a shape when the shape covers it in the canvas's rasterisation (the same
// pixels a filled shape of that kind paints). Stored as disjoint rectangles.
class TRegion {
  public:
    TRegion() = default; // empty
    static TRegion FromRect(const TRect& rect);
    static TRegion FromRect(int left, int top, int right, int bottom) {
        return FromRect({left, top, right, bottom});
    }
    // Rectangle whose corners are quarter ellipses cornerWidth wide and cornerHeight high.
    static TRegion FromRoundRect(const TRect& rect, int cornerWidth, int cornerHeight);
    // Ellipse inscribed in the rectangle.
    static TRegion FromEllipse(const TRect& rect);
    // Polygon through the points (closed automatically); winding or even-odd fill.
    static TRegion FromPolygon(const std::vector<TPoint>& points, bool winding = true);

    TRegion Union(const TRegion& other) const;
    TRegion Intersect(const TRegion& other) const;
    TRegion Xor(const TRegion& other) const;
    TRegion Subtract(const TRegion& other) const;
    TRegion Translated(int dx, int dy) const;

    bool IsEmpty() const { return FRects.empty(); }
    bool Contains(int x, int y) const;
    TRect Bounds() const;
    // Disjoint rectangles whose union is the region (top to bottom, left to right).
    const std::vector<TRect>& Rects() const { return FRects; }
    bool operator==(const TRegion& other) const = default;

  private:
    std::vector<TRect> FRects;
    friend struct TRegionAccess;
};

enum TPenStyle { psSolid, psDot, psClear };
// pmCopy paints the pen/brush colour; pmNot inverts the pixels the shape covers
// (24/32-bit: the colour bits; 8-bit: the index bits).
enum TPenMode { pmCopy, pmNot };
enum TBrushStyle { bsSolid, bsClear };

struct TPen {
    TColor Color = RGB(0, 0, 0);
    int Width = 1; // 1..5 in the editor; values below 1 count as 1
    TPenStyle Style = psSolid;
    TPenMode Mode = pmCopy;
};

struct TBrush {
    TColor Color = RGB(255, 255, 255);
    TBrushStyle Style = bsSolid; // bsClear: shapes are not filled and text has no background
};

// Font style bits.
enum : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

struct TFont {
    std::string Name = "DejaVu Sans";
    // Height in pixels: negative = character (em) height, positive = cell height
    // (ascent + descent), as a logical font describes it. The default, -11, is 8 points.
    int Height = -11;
    // Average character width in pixels; 0 = the face's natural width for Height.
    int Width = 0;
    unsigned Style = 0; // fsBold | fsItalic | fsUnderline | fsStrikeOut
    TColor Color = RGB(0, 0, 0);
    // Rotation of the text about its starting point, tenths of a degree counter-clockwise.
    int Orientation = 0;

    // Size in points at 96 dots per inch (from and to Height).
    int Size() const;
    void SetSize(int points);
    bool operator==(const TFont&) const = default;
};

class TCanvas {
  public:
    explicit TCanvas(TBitmap& bitmap);
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    TBitmap& Bitmap() { return FBitmap; }
    const TBitmap& Bitmap() const { return FBitmap; }

    TPen Pen;
    TBrush Brush;
    TFont Font;

    // Clipping: every drawing operation writes only pixels inside the bitmap and
    // inside the selected region (when one is selected).
    void SelectClipRegion(const TRegion& region);
    void ResetClipRegion();
    bool HasClipRegion() const { return FHasClip; }
    const TRegion& ClipRegion() const { return FClip; }

    // Lines with the pen. LineTo draws from the pen position to (x, y) leaving out
    // the end pixel, then moves the pen position there.
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    TPoint PenPos() const { return FPenPos; }
    // Open line through the points (ends included only as the line rules say).
    void Polyline(const std::vector<TPoint>& points);
    // Cubic Bezier segments: points 0..3, then 3 more per further segment.
    void PolyBezier(const std::vector<TPoint>& points);

    // Filled with the brush (regardless of Brush.Style), no outline.
    void FillRect(const TRect& rect);
    // One-pixel outline of the rectangle in the brush colour.
    void FrameRect(const TRect& rect);
    // Shapes: outline with the pen (unless psClear), inside with the brush (unless bsClear).
    // The shape lies in the rectangle (right and bottom exclusive) for a 1-pixel pen.
    void Rectangle(const TRect& rect);
    void RoundRect(const TRect& rect, int cornerWidth, int cornerHeight);
    void Ellipse(const TRect& rect);
    // Closed polygon (winding fill).
    void Polygon(const std::vector<TPoint>& points);

    // Fills the 4-connected area of pixels exactly equal to the one at (x, y)
    // (palette index on 8-bit bitmaps, colour otherwise) with the brush colour.
    void FloodFill(int x, int y);

    void SetPixel(int x, int y, TColor color); // honours the clip region
    TColor Pixel(int x, int y) const { return FBitmap.Pixel(x, y); }

    // Text with Font (needs a QGuiApplication; without one no text is drawn and
    // the extent is 0 x 0). (x, y) is the top-left corner of the text's cell before
    // rotation; the cell is filled with the brush colour first unless Brush.Style
    // is bsClear. TextRect additionally clips to the rectangle.
    void TextOut(int x, int y, const std::string& text);
    void TextRect(const TRect& rect, int x, int y, const std::string& text);
    // Size of the unrotated text cell (advance width by ascent + descent).
    TSize TextExtent(const std::string& text) const;
    int TextWidth(const std::string& text) const { return TextExtent(text).Width; }
    int TextHeight(const std::string& text) const { return TextExtent(text).Height; }

    // Bitmap copies. Source pixels are read through the source's palette when it
    // is 8-bit; into an 8-bit target a colour takes its nearest palette index,
    // except that an 8-bit source with the very same palette copies its indices.
    // Copying from the canvas's own bitmap reads it as it was before the copy.
    void Draw(int x, int y, const TBitmap& source);
    // As Draw, leaving out every source pixel whose colour is key.
    void DrawKeyed(int x, int y, const TBitmap& source, TColor key);
    // Scaled copy of the whole source into dest (nearest neighbour: rows and
    // columns are dropped or repeated, never blended).
    void StretchDraw(const TRect& dest, const TBitmap& source);
    // Scaled copy of sourceRect of source into dest. A rectangle whose right is
    // left of its left (or bottom above its top) is mirrored: the pixels it covers
    // are min..max exclusive, and the copy is mirrored along that axis when exactly
    // one of the two rectangles is reversed. Parts of sourceRect outside the source
    // are not copied (the matching destination pixels stay as they were).
    void CopyRect(const TRect& dest, const TBitmap& source, const TRect& sourceRect);

  private:
    friend class TCanvasPainter;
    TBitmap& FBitmap;
    TRegion FClip;
    bool FHasClip = false;
    int FClipWidth = 0;
    std::vector<std::uint8_t> FClipMask; // one byte per pixel while a region is selected
    TPoint FPenPos;
    bool Clipped(int x, int y) const; // true when (x, y) may not be written
    void WriteColor(int x, int y, TColor color);
    void InvertPixel(int x, int y);
    void Plot(int x, int y, TColor color); // pen pixel: colour or inversion, clipped
    void FillArea(const TRect& rect, TColor color);
    void ThinLine(int x0, int y0, int x1, int y1, bool includeEnd, int& dotPhase);
    void Shape(const TRect& area, const QPainterPath& fill, const QPainterPath& outline);
    void DrawText(const TRect* clip, int x, int y, const std::string& text);
    void Copy(const TRect& dest, const TBitmap& source, const TRect& sourceRect, TColor key);
};

// Maps colours to the nearest entry of a palette (Euclidean distance in red,
// green, blue; the lowest index on ties). Exact, but fast on pictures where
// nearly every pixel is a new colour. Colour space is cut into cells of 4^3
// colours; the first colour met in a cell settles the whole cell at once into
// a 64-byte block of answers, so every later colour costs two table reads and
// no branch that depends on the picture. A cell that maps to one entry shares
// that entry's ready block. Candidates for a cell come from its 16^3 parent
// cell, which keeps only the entries that can be nearest somewhere in it.
class TNearestColorMap {
  public:
    explicit TNearestColorMap(const std::vector<TColor>& palette);
    std::uint8_t Index(TColor color) {
        return Lookup(int(GetRValue(color)), int(GetGValue(color)), int(GetBValue(color)));
    }
    // Maps count pixels of a 24-bit (bytesPerPixel 3) or 32-bit (4) row.
    void MapRow(const std::uint8_t* pixels, int bytesPerPixel, std::uint8_t* indices, int count);

  private:
    static constexpr int BlockSize = 64; // answers for the 4^3 colours of a cell
    static std::size_t CellOf(int r, int g, int b) {
        return std::size_t((r >> 2) | (g >> 2) << 6 | (b >> 2) << 12);
    }
    static std::size_t SlotOf(int r, int g, int b) {
        return std::size_t((r & 3) | (g & 3) << 2 | (b & 3) << 4);
    }
    std::uint8_t Lookup(int r, int g, int b) {
        const std::uint16_t block = FCells[CellOf(r, g, b)];
        if (block == 0) [[unlikely]]
            return Settle(r, g, b);
        return FBlocks[std::size_t(block - 1) * BlockSize + SlotOf(r, g, b)];
    }
    std::uint8_t Settle(int r, int g, int b);
    int ParentList(int r, int g, int b);

    std::vector<TColor> FPalette;
    // Per cell: 0 = not settled yet, n = its answers are block n - 1. Blocks 0
    // to palette size - 1 hold one entry each; settled border cells follow.
    std::vector<std::uint16_t> FCells;
    std::vector<std::uint8_t> FBlocks;
    // Per 16^3 cell: 0 = no list yet, n = its candidate list starts at
    // FLists[n - 1] (a count, then the entries in rising index order).
    std::vector<int> FParents;
    std::vector<std::uint16_t> FLists;
};

// Writes source into the 8-bit target of the same size, each pixel taking the
// nearest entry of the target's palette (the target keeps its palette). Does
// nothing when the sizes differ or the target is not 8-bit.
void MapToPalette(const TBitmap& source, TBitmap& target);
