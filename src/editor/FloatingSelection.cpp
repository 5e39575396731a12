#include "editor/FloatingSelection.h"

#include "editor/ImageTransforms.h"

#include <cstring>
#include <unordered_map>

namespace {

// The key colour with the lowest bit of its red value inverted: the dots of the frame.
TColor DotColor(TColor key) {
    return key ^ 1u;
}

void SetPicturePixel(TBitmap& picture, int x, int y, TColor color, TFloatPixel state) {
    std::uint8_t* p = picture.ScanLine(y) + x * 4;
    p[0] = std::uint8_t(GetBValue(color));
    p[1] = std::uint8_t(GetGValue(color));
    p[2] = std::uint8_t(GetRValue(color));
    p[3] = state;
}

TColor PicturePixel(const TBitmap& picture, int x, int y) {
    const std::uint8_t* p = picture.ScanLine(y) + x * 4;
    return RGB(p[2], p[1], p[0]);
}

std::uint8_t PictureState(const TBitmap& picture, int x, int y) {
    return picture.ScanLine(y)[x * 4 + 3];
}

} // namespace

// ---------------------------------------------------------------------------
// The mask

void TSelectionMask::Reset(int width, int height) {
    FWidth = std::max(0, width);
    FHeight = std::max(0, height);
    FBits.assign(std::size_t(FWidth) * std::size_t(FHeight), 0);
}

bool TSelectionMask::Marked(int x, int y) const {
    return x >= 0 && y >= 0 && x < FWidth && y < FHeight && FBits[std::size_t(y) * FWidth + x] != 0;
}

void TSelectionMask::MarkBox(int x0, int y0, int x1, int y1) {
    if (x0 > x1) std::swap(x0, x1);
    if (y0 > y1) std::swap(y0, y1);
    x0 = std::max(x0, 0);
    y0 = std::max(y0, 0);
    x1 = std::min(x1, FWidth - 1);
    y1 = std::min(y1, FHeight - 1);
    for (int y = y0; y <= y1; ++y)
        if (x0 <= x1) std::memset(&FBits[std::size_t(y) * FWidth + x0], 1, std::size_t(x1 - x0 + 1));
}

// ---------------------------------------------------------------------------
// The floating selection

bool TFloatingSelection::Contains(int x, int y) const {
    return Shown && x >= Left && y >= Top && x < Left + Width() && y < Top + Height();
}

void TFloatingSelection::Hide() {
    Shown = false;
    Dragging = false;
}

TColor TFloatingSelection::FindKeyColor(const std::vector<TColor>& palette) {
    // Red counts first, then green, then blue: (0,0,0), (1,0,0), ..., (255,0,0), (0,1,0), ...
    for (std::uint32_t value = 0; value < 0x1000000; ++value) {
        const TColor candidate = RGB(int(value & 0xFF), int((value >> 8) & 0xFF), int(value >> 16));
        if (std::find(palette.begin(), palette.end(), candidate) == palette.end()) return candidate;
    }
    return RGB(0, 0, 0);
}

void TFloatingSelection::DrawRing() {
    const int w = Width(), h = Height();
    if (w <= 0 || h <= 0) return;
    int step = 0;
    ForEachEdgePixel(0, 0, w - 1, h - 1, [&](int x, int y) {
        SetPicturePixel(Picture, x, y, step++ % 2 ? DotColor(KeyColor) : RGB(255, 255, 255), fpRing);
    });
}

bool TFloatingSelection::Lift(const TBitmap& canvas) {
    int left = std::min(SelRect.Left, SelRect.Right), right = std::max(SelRect.Left, SelRect.Right);
    int top = std::min(SelRect.Top, SelRect.Bottom), bottom = std::max(SelRect.Top, SelRect.Bottom);
    if (left == right && top == bottom) return false;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, canvas.Width() - 1);
    bottom = std::min(bottom, canvas.Height() - 1);
    if (right < left || bottom < top || (left == right && top == bottom)) return false;
    SelRect = {left, top, right, bottom};

    const int w = right - left + 3, h = bottom - top + 3;
    Picture = TBitmap(w, h, pf32bit);
    SourceIndices = TBitmap(w, h, pf8bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) SetPicturePixel(Picture, x, y, KeyColor, fpKey);
    for (int y = top; y <= bottom; ++y) {
        const std::uint8_t* row = canvas.ScanLine(y);
        for (int x = left; x <= right; ++x) {
            if (!Mask.Marked(x, y)) continue;
            SetPicturePixel(Picture, x - left + 1, y - top + 1, canvas.PaletteColor(row[x]), fpSelected);
            SourceIndices.ScanLine(y - top + 1)[x - left + 1] = row[x];
        }
    }
    DrawRing();
    ++PictureVersion;
    Left = left - 1;
    Top = top - 1;
    Shown = true;
    return true;
}

bool TFloatingSelection::Paste(const TBitmap& picture, const std::vector<TColor>& palette) {
    if (picture.Empty() || picture.PixelFormat() == pf8bit) return false;
    const int w = picture.Width() + 2, h = picture.Height() + 2;
    KeyColor = FindKeyColor(palette);
    Picture = TBitmap(w, h, pf32bit);
    SourceIndices = TBitmap();
    // A 32-bit picture carries each pixel's opacity: the transparent ones are not part of it.
    const bool withOpacity = picture.PixelFormat() == pf32bit;
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row = picture.ScanLine(y);
        for (int x = 0; x < picture.Width(); ++x) {
            const bool opaque = !withOpacity || row[x * 4 + 3] >= 128;
            SetPicturePixel(Picture, x + 1, y + 1, opaque ? picture.Pixel(x, y) : KeyColor,
                            opaque ? fpSelected : fpKey);
        }
    }
    DrawRing();
    ++PictureVersion;
    Left = -1;
    Top = -1;
    SelRect = {0, 0, picture.Width() - 1, picture.Height() - 1};
    Shown = true;
    Lifted = true;
    Dragging = false;
    return true;
}

template <typename Paint> TRect TFloatingSelection::Walk(TBitmap& canvas, Paint&& paint) const {
    TRect changed{canvas.Width(), canvas.Height(), 0, 0};
    // The ring is never painted: only the inside of the picture.
    const int x0 = std::max(1, -Left), x1 = std::min(Width() - 1, canvas.Width() - Left);
    const int y0 = std::max(1, -Top), y1 = std::min(Height() - 1, canvas.Height() - Top);
    for (int y = y0; y < y1; ++y) {
        std::uint8_t* row = canvas.ScanLine(y + Top);
        for (int x = x0; x < x1; ++x) {
            if (PictureState(Picture, x, y) != fpSelected) continue;
            row[x + Left] = paint(x, y);
            changed = {std::min(changed.Left, x + Left), std::min(changed.Top, y + Top),
                       std::max(changed.Right, x + Left + 1), std::max(changed.Bottom, y + Top + 1)};
        }
    }
    return changed.IsEmpty() ? TRect{} : changed;
}

TRect TFloatingSelection::PasteDown(TBitmap& canvas) const {
    if (Picture.Empty() || canvas.Empty()) return {};
    const bool indexed = SourceIndices.Width() == Width() && SourceIndices.Height() == Height();
    // Pasted pictures bring colours of their own: each takes its nearest palette entry.
    std::unordered_map<TColor, std::uint8_t> nearest;
    return Walk(canvas, [&](int x, int y) -> std::uint8_t {
        if (indexed) return SourceIndices.ScanLine(y)[x];
        const TColor color = PicturePixel(Picture, x, y);
        auto found = nearest.find(color);
        if (found == nearest.end())
            found = nearest.emplace(color, std::uint8_t(canvas.NearestIndex(color))).first;
        return found->second;
    });
}

TRect TFloatingSelection::EraseSource(TBitmap& canvas, int index) const {
    if (Picture.Empty() || canvas.Empty()) return {};
    return Walk(canvas, [&](int, int) { return std::uint8_t(index); });
}

bool TFloatingSelection::Transform(int kind) {
    if (Picture.Empty() || !TransformBitmap(&Picture, kind)) return false;
    if (!SourceIndices.Empty()) TransformBitmap(&SourceIndices, kind);
    DrawRing();
    ++PictureVersion;
    return true;
}

TBitmap TFloatingSelection::CopyPicture() const {
    if (Width() < 3 || Height() < 3) return {};
    TBitmap copy(Width() - 2, Height() - 2, pf32bit);
    for (int y = 0; y < copy.Height(); ++y) {
        std::uint8_t* row = copy.ScanLine(y);
        for (int x = 0; x < copy.Width(); ++x) {
            const bool selected = PictureState(Picture, x + 1, y + 1) == fpSelected;
            const TColor color = selected ? PicturePixel(Picture, x + 1, y + 1) : KeyColor;
            row[x * 4] = std::uint8_t(GetBValue(color));
            row[x * 4 + 1] = std::uint8_t(GetGValue(color));
            row[x * 4 + 2] = std::uint8_t(GetRValue(color));
            row[x * 4 + 3] = selected ? 255 : 0;
        }
    }
    return copy;
}
