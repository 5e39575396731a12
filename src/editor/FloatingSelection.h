#pragma once
// The floating selection of the compose canvas, without a window: the picture
// lifted from the canvas (or pasted), where it floats in frame pixels, and the
// mask a marquee or lasso draws before the lift.
//
// The picture is one pixel larger than the selection on every side; that ring
// shows the dotted frame and is never painted into the canvas. Each pixel
// carries its colour and whether it belongs to the selection, so a pasted
// picture keeps every colour it has, even one equal to the key colour. Pixels
// lifted from the canvas also remember their palette index: when they are
// pasted down they take the same index again, even where the palette holds
// the same colour twice (a transparent and an opaque black, say).

#include "platform/Bitmap.h"
#include "platform/Canvas.h"

#include <algorithm>
#include <cstdint>
#include <vector>

// What the marquee or lasso has marked, over the whole canvas image.
class TSelectionMask {
  public:
    void Reset(int width, int height);
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    bool Marked(int x, int y) const;
    // Marks every pixel of the box (corners included, in either order), clipped to the mask.
    void MarkBox(int x0, int y0, int x1, int y1);
    // Inverts the pixels whose centres lie inside the triangle. Shared edges of
    // neighbouring triangles belong to one of them only, so a fan of triangles
    // from one point marks the inside of the traced outline by the even-odd rule.
    // visit(x, y) is called for every inverted pixel.
    template <typename Visit> void InvertTriangle(TPoint a, TPoint b, TPoint c, Visit&& visit);

  private:
    int FWidth = 0;
    int FHeight = 0;
    std::vector<std::uint8_t> FBits;
};

// Visits the pixels on the edge of the box (corners included) once each, in
// order round it from the top-left corner: dotted lines alternate along it.
template <typename Visit> void ForEachEdgePixel(int left, int top, int right, int bottom, Visit&& visit) {
    for (int x = left; x <= right; ++x) visit(x, top);
    for (int y = top + 1; y <= bottom; ++y) visit(right, y);
    for (int x = right - 1; x >= left && bottom > top; --x) visit(x, bottom);
    for (int y = bottom - 1; y > top && right > left; --y) visit(left, y);
}

// The state byte of a picture pixel (the fourth byte of the 32-bit picture).
enum TFloatPixel : std::uint8_t {
    fpKey = 0,        // outside the selection: shown transparent, never painted
    fpRing = 1,       // the dotted frame round the picture: shown, never painted
    fpSelected = 255, // part of the selection
};

class TFloatingSelection {
  public:
    // The picture (32-bit: blue, green, red, TFloatPixel) with its one-pixel ring.
    TBitmap Picture;
    // The palette index of every lifted pixel (8-bit, the picture's size);
    // empty for a pasted picture, whose colours are matched to the palette.
    TBitmap SourceIndices;
    // Counts the pictures made (lift, paste, transform), so a view knows when to redraw.
    unsigned PictureVersion = 0;
    // Frame pixel of the picture's top-left ring pixel.
    int Left = 0;
    int Top = 0;
    bool Shown = false;
    // Separated from the canvas: its source was erased (or it was pasted or
    // copied) and it must be painted in when it is committed.
    bool Lifted = false;
    bool Dragging = false;
    // The transparent colour of the picture: a colour none of the palette's entries has.
    TColor KeyColor = RGB(0, 0, 0);
    // The selection's left, top, right and bottom in frame pixels, all inclusive.
    struct TInclusiveRect {
        int Left = 0, Top = 0, Right = 0, Bottom = 0;
    } SelRect;
    // The lasso's previous point.
    TPoint LassoLast;
    TSelectionMask Mask;

    int Width() const { return Picture.Width(); }
    int Height() const { return Picture.Height(); }
    // The frame pixel lies on the shown picture (its ring included).
    bool Contains(int x, int y) const;
    void Hide();
    // The first colour of (0,0,0), (1,0,0) ... (255,0,0), (0,1,0) ... that no palette entry has.
    static TColor FindKeyColor(const std::vector<TColor>& palette);

    // Makes the picture from the canvas pixels inside the selection rectangle
    // that the mask marks (the rectangle is normalised and clipped to the
    // canvas first). False, and nothing shown, when the rectangle is a single
    // pixel. The canvas is not changed.
    bool Lift(const TBitmap& canvas);
    // Makes a lifted picture of a true-colour picture at frame pixel (0, 0). A
    // 32-bit picture's fourth byte is opacity: its transparent pixels stay out.
    bool Paste(const TBitmap& picture, const std::vector<TColor>& palette);
    // Paints the selected pixels into the canvas at the picture's place; returns
    // the rectangle of canvas pixels that changed.
    TRect PasteDown(TBitmap& canvas) const;
    // Paints the canvas under the selected pixels with one palette index.
    TRect EraseSource(TBitmap& canvas, int index) const;
    // Mirrors or rotates the picture (a TTransformKind); its top-left corner stays.
    bool Transform(int kind);
    // The picture without its ring (32-bit, fourth byte opacity): pixels outside
    // the selection in the key colour and transparent.
    TBitmap CopyPicture() const;

  private:
    // Draws the ring: solid white, then dotted in the key colour with its lowest red bit inverted.
    void DrawRing();
    template <typename Paint> TRect Walk(TBitmap& canvas, Paint&& paint) const;
};

// ---------------------------------------------------------------------------

template <typename Visit> void TSelectionMask::InvertTriangle(TPoint a, TPoint b, TPoint c, Visit&& visit) {
    // Edge functions at pixel centres, in doubled coordinates so they stay integral.
    std::int64_t area = std::int64_t(b.X - a.X) * (c.Y - a.Y) - std::int64_t(b.Y - a.Y) * (c.X - a.X);
    if (area == 0) return;
    if (area < 0) std::swap(b, c);
    const TPoint v[3] = {a, b, c};
    // An edge owns the pixel centres lying exactly on it when it is a top or a left edge.
    auto owns = [](TPoint from, TPoint to) {
        const int dx = to.X - from.X, dy = to.Y - from.Y;
        return (dy == 0 && dx > 0) || dy < 0;
    };
    bool own[3];
    for (int i = 0; i < 3; ++i) own[i] = owns(v[i], v[(i + 1) % 3]);
    const int x0 = std::max(0, std::min({a.X, b.X, c.X})),
              x1 = std::min(FWidth - 1, std::max({a.X, b.X, c.X}));
    const int y0 = std::max(0, std::min({a.Y, b.Y, c.Y})),
              y1 = std::min(FHeight - 1, std::max({a.Y, b.Y, c.Y}));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            // The pixel's centre is (x + 0.5, y + 0.5); the vertices sit on centres too,
            // so the centre test is the test of (x, y) against the vertices.
            bool inside = true;
            for (int i = 0; i < 3 && inside; ++i) {
                const TPoint p = v[i], q = v[(i + 1) % 3];
                const std::int64_t e =
                    std::int64_t(q.X - p.X) * (y - p.Y) - std::int64_t(q.Y - p.Y) * (x - p.X);
                inside = e > 0 || (e == 0 && own[i]);
            }
            if (!inside) continue;
            FBits[std::size_t(y) * FWidth + x] ^= 1;
            visit(x, y);
        }
    }
}
