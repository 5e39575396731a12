#include "generators/transitions/TransitionStylePainter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <mutex>

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const std::int64_t product = std::int64_t(a) * b;
    const bool negative = (product < 0) != (c < 0);
    const std::int64_t magnitude = std::llabs(product);
    const std::int64_t divisor = std::llabs(std::int64_t(c));
    const std::int64_t rounded = (magnitude + divisor / 2) / divisor;
    return int(negative ? -rounded : rounded);
}

namespace {

struct TAxisPair {
    int To;
    int From;
};

// Destination and source positions along one axis of a scaled copy. A negative
// length runs from start - 1 downwards (a reversed rectangle). Each destination
// pixel samples the source at its centre.
std::vector<TAxisPair> MapAxis(int toStart, int toLength, int toLimit, int fromStart, int fromLength,
                               int fromLimit) {
    std::vector<TAxisPair> pairs;
    const std::int64_t n = std::llabs(std::int64_t(toLength));
    const std::int64_t m = std::llabs(std::int64_t(fromLength));
    if (n == 0 || m == 0) return pairs;
    // Only destination indices that land inside the bitmap matter.
    std::int64_t first = 0, last = n - 1;
    if (toLength > 0) {
        first = std::max<std::int64_t>(first, -std::int64_t(toStart));
        last = std::min<std::int64_t>(last, std::int64_t(toLimit) - 1 - toStart);
    } else {
        first = std::max<std::int64_t>(first, std::int64_t(toStart) - toLimit);
        last = std::min<std::int64_t>(last, std::int64_t(toStart) - 1);
    }
    for (std::int64_t i = first; i <= last; ++i) {
        const std::int64_t to = toLength > 0 ? toStart + i : toStart - 1 - i;
        const std::int64_t offset = ((2 * i + 1) * m) / (2 * n);
        const std::int64_t from = fromLength > 0 ? fromStart + offset : fromStart - 1 - offset;
        if (from < 0 || from >= fromLimit) continue;
        pairs.push_back({int(to), int(from)});
    }
    return pairs;
}

} // namespace

void StretchCopy(TBitmap& dest, const TStyleRect& to, const TBitmap& source, const TStyleRect& from) {
    if (dest.PixelFormat() == pf8bit || dest.PixelFormat() != source.PixelFormat()) return;
    const auto columns =
        MapAxis(to.Left, to.Right - to.Left, dest.Width(), from.Left, from.Right - from.Left, source.Width());
    if (columns.empty()) return;
    const auto rows =
        MapAxis(to.Top, to.Bottom - to.Top, dest.Height(), from.Top, from.Bottom - from.Top, source.Height());
    const int bpp = dest.BytesPerPixel();
    for (const TAxisPair& row : rows) {
        std::uint8_t* out = dest.ScanLine(row.To);
        const std::uint8_t* in = source.ScanLine(row.From);
        for (const TAxisPair& column : columns)
            std::memcpy(out + std::size_t(column.To) * bpp, in + std::size_t(column.From) * bpp, bpp);
    }
}

TStyleMask::TStyleMask(int width, int height)
    : FWidth(std::max(0, width)), FHeight(std::max(0, height)), FBits(std::size_t(FWidth) * FHeight, 0) {}

bool TStyleMask::Contains(int x, int y) const {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return false;
    return FBits[std::size_t(y) * FWidth + x] != 0;
}

void TStyleMask::FillSpan(int y, int left, int right) {
    left = std::max(left, 0);
    right = std::min(right, FWidth);
    if (y < 0 || y >= FHeight || left >= right) return;
    std::memset(FBits.data() + std::size_t(y) * FWidth + left, 1, std::size_t(right - left));
}

void TStyleMask::AddRect(const TStyleRect& rect) {
    const int top = std::max(rect.Top, 0), bottom = std::min(rect.Bottom, FHeight);
    for (int y = top; y < bottom; ++y) FillSpan(y, rect.Left, rect.Right);
}

// Pixels whose centre lies in [from, to) along one axis.
static int FirstCentreAtOrAfter(double edge) {
    const double v = std::ceil(edge - 0.5);
    return v < -1e9 ? -1000000000 : v > 1e9 ? 1000000000 : int(v);
}

void TStyleMask::AddRoundRect(const TStyleRect& rect, int cornerWidth, int cornerHeight) {
    const int width = rect.Right - rect.Left, height = rect.Bottom - rect.Top;
    if (width <= 0 || height <= 0) return;
    const double rx = std::clamp(cornerWidth, 0, width) / 2.0;
    const double ry = std::clamp(cornerHeight, 0, height) / 2.0;
    const int top = std::max(rect.Top, 0), bottom = std::min(rect.Bottom, FHeight);
    for (int y = top; y < bottom; ++y) {
        const double cy = y + 0.5;
        double inset = 0;
        if (rx > 0 && ry > 0) {
            double dy = 0;
            if (cy < rect.Top + ry)
                dy = (rect.Top + ry - cy) / ry;
            else if (cy > rect.Bottom - ry)
                dy = (cy - (rect.Bottom - ry)) / ry;
            if (dy > 1) continue;
            inset = rx * (1.0 - std::sqrt(std::max(0.0, 1.0 - dy * dy)));
        }
        FillSpan(y, FirstCentreAtOrAfter(rect.Left + inset), FirstCentreAtOrAfter(rect.Right - inset));
    }
}

void TStyleMask::AddPolygon(const TStylePoint* points, int count) {
    if (count < 3) return;
    int minY = points[0].Y, maxY = points[0].Y;
    for (int i = 1; i < count; ++i) {
        minY = std::min(minY, points[i].Y);
        maxY = std::max(maxY, points[i].Y);
    }
    const int top = std::max(minY, 0), bottom = std::min(maxY + 1, FHeight);
    for (int y = top; y < bottom; ++y) {
        const double cy = y + 0.5;
        FCrossings.clear();
        for (int i = 0; i < count; ++i) {
            const TStylePoint& a = points[i];
            const TStylePoint& b = points[(i + 1) % count];
            if (a.Y == b.Y) continue;
            int direction = 0;
            if (a.Y <= cy && cy < b.Y)
                direction = 1;
            else if (b.Y <= cy && cy < a.Y)
                direction = -1;
            if (direction == 0) continue;
            const double x = a.X + (cy - a.Y) * double(b.X - a.X) / double(b.Y - a.Y);
            FCrossings.push_back({x, direction});
        }
        std::sort(FCrossings.begin(), FCrossings.end());
        int winding = 0;
        for (std::size_t i = 0; i + 1 < FCrossings.size(); ++i) {
            winding += FCrossings[i].second;
            if (winding != 0)
                FillSpan(y, FirstCentreAtOrAfter(FCrossings[i].first),
                         FirstCentreAtOrAfter(FCrossings[i + 1].first));
        }
    }
}

void TStyleMask::Unite(const TStyleMask& other) {
    if (other.FBits.size() != FBits.size()) return;
    for (std::size_t i = 0; i < FBits.size(); ++i) FBits[i] |= other.FBits[i];
}

void TStyleMask::Intersect(const TStyleMask& other) {
    if (other.FBits.size() != FBits.size()) return;
    for (std::size_t i = 0; i < FBits.size(); ++i) FBits[i] &= other.FBits[i];
}

void TStyleMask::Xor(const TStyleMask& other) {
    if (other.FBits.size() != FBits.size()) return;
    for (std::size_t i = 0; i < FBits.size(); ++i) FBits[i] ^= other.FBits[i];
}

int TStyleRandom::Next(int range) {
    if (range <= 0) return 0;
    FSeed = FSeed * 134775813u + 1u;
    return int((std::uint64_t(FSeed) * std::uint32_t(range)) >> 32);
}

namespace {
std::mutex SharedRandomLock;
std::uint32_t SharedRandomState = 0x2F6B3A91u;
} // namespace

void SeedTransitionRandom(std::uint32_t seed) {
    std::lock_guard<std::mutex> guard(SharedRandomLock);
    SharedRandomState = seed;
}

std::uint32_t NextSharedRandomSeed() {
    std::lock_guard<std::mutex> guard(SharedRandomLock);
    SharedRandomState = SharedRandomState * 1664525u + 1013904223u;
    return SharedRandomState ^ (SharedRandomState >> 15);
}

TStylePainter::TStylePainter(const TStyleContext& context)
    : W(context.Rect.Right - context.Rect.Left), H(context.Rect.Bottom - context.Rect.Top), L(std::max(W, H)),
      P(context.Progress), Step(context.Step), Media(context.Media), Picture(context.Picture) {
    if (W >= H) {
        X = MulDiv(W, P, 100);
        Y = W > 0 ? MulDiv(X, H, W) : 0;
    } else {
        Y = MulDiv(H, P, 100);
        X = H > 0 ? MulDiv(Y, W, H) : 0;
    }
    K = MulDiv(L, Step, 90);
}

int TStylePainter::GridStep() const {
    const int k = KDiv();
    return k > 1 ? k / 2 : k;
}

void TStylePainter::Copy(const TStyleRect& to, const TStyleRect& from) {
    StretchCopy(Media, to, Picture, from);
}

void TStylePainter::CopyOld(const TStyleRect& to, const TStyleRect& from) {
    if (!FOld) FOld = Media;
    StretchCopy(Media, to, *FOld, from);
}

void TStylePainter::Through(const TStyleMask& mask) {
    const int width = std::min({W, Media.Width(), Picture.Width(), mask.Width()});
    const int height = std::min({H, Media.Height(), Picture.Height(), mask.Height()});
    if (Media.PixelFormat() != Picture.PixelFormat() || Media.PixelFormat() == pf8bit) return;
    const int bpp = Media.BytesPerPixel();
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* bits = mask.Row(y);
        std::uint8_t* out = Media.ScanLine(y);
        const std::uint8_t* in = Picture.ScanLine(y);
        int x = 0;
        while (x < width) {
            if (!bits[x]) {
                ++x;
                continue;
            }
            const int start = x;
            while (x < width && bits[x]) ++x;
            std::memcpy(out + std::size_t(start) * bpp, in + std::size_t(start) * bpp,
                        std::size_t(x - start) * bpp);
        }
    }
}
