#pragma once
// Shared machinery of the transition styles: the geometry every style derives
// from the picture size, progress and step; scaled rectangle copies; a pixel
// mask built from rectangles, rounded rectangles and polygons through which the
// new picture is drawn; and the random source of the shreds and speckles.

#include "generators/transitions/TransitionStyles.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// a * b / c with a 64-bit product, rounded to nearest (halves away from zero); -1 when c is 0.
int MulDiv(int a, int b, int c);

// Half of v, truncated toward zero.
constexpr int h(int v) {
    return v / 2;
}

constexpr TStyleRect R(int left, int top, int right, int bottom) {
    return TStyleRect{left, top, right, bottom};
}

// Nearest-neighbour scaled copy of part `from` of source into part `to` of dest.
// Reversed rectangles (right < left or bottom < top) mirror the copy along that
// axis. Pixels outside either bitmap are skipped. Both bitmaps must be 24- or
// 32-bit of the same form.
void StretchCopy(TBitmap& dest, const TStyleRect& to, const TBitmap& source, const TStyleRect& from);

// One byte per pixel of a W x H picture; shapes are clipped to it. A pixel
// belongs to a shape when its centre lies inside the shape.
class TStyleMask {
  public:
    TStyleMask(int width, int height);
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Contains(int x, int y) const;

    void AddRect(const TStyleRect& rect);
    // Rectangle whose corners are quarter ellipses cornerWidth x cornerHeight.
    void AddRoundRect(const TStyleRect& rect, int cornerWidth, int cornerHeight);
    // Closed polygon, non-zero winding fill.
    void AddPolygon(const TStylePoint* points, int count);
    void AddPolygon(const std::vector<TStylePoint>& points) { AddPolygon(points.data(), int(points.size())); }

    void Unite(const TStyleMask& other);
    void Intersect(const TStyleMask& other);
    void Xor(const TStyleMask& other);

    const std::uint8_t* Row(int y) const { return FBits.data() + std::size_t(y) * FWidth; }

  private:
    void FillSpan(int y, int left, int right); // right exclusive, clipped
    int FWidth;
    int FHeight;
    std::vector<std::uint8_t> FBits;
    std::vector<std::pair<double, int>> FCrossings; // scratch for AddPolygon
};

// Uniform integers from a 32-bit linear congruential generator.
class TStyleRandom {
  public:
    explicit TStyleRandom(std::uint32_t seed) : FSeed(seed) {}
    // Uniform in 0..range-1; 0 when range <= 0.
    int Next(int range);

  private:
    std::uint32_t FSeed;
};

// A fresh seed from the shared generator (see SeedTransitionRandom).
std::uint32_t NextSharedRandomSeed();

// The geometry of one step and the drawing operations of the styles.
class TStylePainter {
  public:
    explicit TStylePainter(const TStyleContext& context);

    const int W, H, L; // picture size, L the larger of the two
    const int P;       // progress
    const int Step;
    int X = 0, Y = 0, K = 0;
    // K where it divides: at least 1.
    int KDiv() const { return K < 1 ? 1 : K; }
    // s = K / 2 when K > 1, else K (at least 1).
    int GridStep() const;
    TStyleRect Full() const { return R(0, 0, W, H); }

    // to <- from of the new picture, scaled.
    void Copy(const TStyleRect& to, const TStyleRect& from);
    // to <- the same part of the new picture.
    void Same(const TStyleRect& rect) { Copy(rect, rect); }
    // to <- from of the old picture as it stood when the step began.
    void CopyOld(const TStyleRect& to, const TStyleRect& from);
    // The whole new picture drawn at (0, 0) through mask.
    void Through(const TStyleMask& mask);
    TStyleMask NewMask() const { return TStyleMask(W, H); }

    TBitmap& Media;
    const TBitmap& Picture;

  private:
    std::optional<TBitmap> FOld;
};

using TStyleProcTable = std::array<TTransitionStyleProc, TransitionStyleCount + 1>;

// Each family fills its entries of the table.
void AddRectangleCopyStyles(TStyleProcTable& table); // 1..13, 16..30, 33..57, 128..135
void AddUnrollStyles(TStyleProcTable& table);        // 14, 15, 31, 32
void AddBarStyles(TStyleProcTable& table);           // bars, uneven shreds, speckle
void AddShapeStyles(TStyleProcTable& table);         // curves, triangles, sweeps, rotations
void AddGridStyles(TStyleProcTable& table);          // blinds, rectangle grids, random squares
void AddPixelStyles(TStyleProcTable& table);         // 118..122
