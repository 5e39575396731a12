// Regions are kept as QRegion-normalised rectangle lists; shapes are rasterised
// with the same painter rules the canvas uses, so a region from a shape is
// exactly the set of pixels the filled shape paints.
#include "platform/CanvasRaster.h"

#include <QImage>
#include <QPainter>
#include <QRegion>
#include <algorithm>

struct TRegionAccess {
    static TRegion FromQRegion(const QRegion& region) {
        TRegion result;
        for (const QRect& r : region)
            result.FRects.push_back({r.left(), r.top(), r.right() + 1, r.bottom() + 1});
        return result;
    }
    static QRegion ToQRegion(const TRegion& region) {
        QRegion result;
        if (region.FRects.empty()) return result;
        std::vector<QRect> rects;
        rects.reserve(region.FRects.size());
        for (const TRect& r : region.FRects) rects.emplace_back(r.Left, r.Top, r.Width(), r.Height());
        result.setRects(rects.data(), int(rects.size()));
        return result;
    }
};

namespace {

// Pixels covered by a painted shape within bounds, as a region.
TRegion FromPainted(const TRect& bounds, const std::function<void(QPainter&)>& paint) {
    if (bounds.IsEmpty()) return {};
    QImage mask(bounds.Width(), bounds.Height(), QImage::Format_ARGB32_Premultiplied);
    mask.fill(0);
    {
        QPainter painter(&mask);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.translate(-bounds.Left, -bounds.Top);
        paint(painter);
    }
    // Runs of covered pixels row by row; rows with the same runs as the row
    // above extend its band, which is the normalised form QRegion keeps.
    std::vector<QRect> rects;
    std::vector<std::pair<int, int>> band, runs;
    std::size_t bandStart = 0;
    for (int y = 0; y < mask.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        runs.clear();
        int x = 0;
        while (x < mask.width()) {
            while (x < mask.width() && qAlpha(row[x]) < 128) ++x;
            const int start = x;
            while (x < mask.width() && qAlpha(row[x]) >= 128) ++x;
            if (x > start) runs.emplace_back(start, x);
        }
        const bool continues = y > 0 && !runs.empty() && runs == band && bandStart < rects.size() &&
                               rects.back().bottom() == bounds.Top + y - 1;
        if (continues) {
            for (std::size_t i = bandStart; i < rects.size(); ++i) rects[i].setBottom(rects[i].bottom() + 1);
            continue;
        }
        bandStart = rects.size();
        band = runs;
        for (const auto& [a, b] : runs) rects.emplace_back(bounds.Left + a, bounds.Top + y, b - a, 1);
    }
    QRegion region;
    if (!rects.empty()) region.setRects(rects.data(), int(rects.size()));
    return TRegionAccess::FromQRegion(region);
}

TRect Normalized(const TRect& r) {
    return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
            std::max(r.Top, r.Bottom)};
}

} // namespace

TRegion TRegion::FromRect(const TRect& rect) {
    TRegion result;
    if (!rect.IsEmpty()) result.FRects.push_back(rect);
    return result;
}

TRegion TRegion::FromRoundRect(const TRect& rect, int cornerWidth, int cornerHeight) {
    const TRect r = Normalized(rect);
    return FromPainted(r, [&](QPainter& painter) { PaintRoundRect(painter, r, cornerWidth, cornerHeight); });
}

TRegion TRegion::FromEllipse(const TRect& rect) {
    const TRect r = Normalized(rect);
    return FromPainted(r, [&](QPainter& painter) { PaintEllipse(painter, r); });
}

TRegion TRegion::FromPolygon(const std::vector<TPoint>& points, bool winding) {
    if (points.size() < 3) return {};
    TRect bounds{points[0].X, points[0].Y, points[0].X, points[0].Y};
    for (const TPoint& p : points) {
        bounds.Left = std::min(bounds.Left, p.X);
        bounds.Top = std::min(bounds.Top, p.Y);
        bounds.Right = std::max(bounds.Right, p.X);
        bounds.Bottom = std::max(bounds.Bottom, p.Y);
    }
    return FromPainted(bounds, [&](QPainter& painter) { PaintPolygonFill(painter, points, winding); });
}

TRegion TRegion::Union(const TRegion& other) const {
    return TRegionAccess::FromQRegion(
        TRegionAccess::ToQRegion(*this).united(TRegionAccess::ToQRegion(other)));
}

TRegion TRegion::Intersect(const TRegion& other) const {
    return TRegionAccess::FromQRegion(
        TRegionAccess::ToQRegion(*this).intersected(TRegionAccess::ToQRegion(other)));
}

TRegion TRegion::Xor(const TRegion& other) const {
    return TRegionAccess::FromQRegion(TRegionAccess::ToQRegion(*this).xored(TRegionAccess::ToQRegion(other)));
}

TRegion TRegion::Subtract(const TRegion& other) const {
    return TRegionAccess::FromQRegion(
        TRegionAccess::ToQRegion(*this).subtracted(TRegionAccess::ToQRegion(other)));
}

TRegion TRegion::Translated(int dx, int dy) const {
    TRegion result = *this;
    for (TRect& r : result.FRects) r = {r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy};
    return result;
}

bool TRegion::Contains(int x, int y) const {
    return std::any_of(FRects.begin(), FRects.end(), [&](const TRect& r) { return r.Contains(x, y); });
}

TRect TRegion::Bounds() const {
    if (FRects.empty()) return {};
    TRect b = FRects.front();
    for (const TRect& r : FRects) {
        b.Left = std::min(b.Left, r.Left);
        b.Top = std::min(b.Top, r.Top);
        b.Right = std::max(b.Right, r.Right);
        b.Bottom = std::max(b.Bottom, r.Bottom);
    }
    return b;
}
