#include "platform/Canvas.h"

#include "platform/CanvasRaster.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <optional>

namespace {

const QColor White(255, 255, 255);

QColor ToQColor(TColor c) {
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

TRect Normalized(const TRect& r) {
    return {std::min(r.Left, r.Right), std::min(r.Top, r.Bottom), std::max(r.Left, r.Right),
            std::max(r.Top, r.Bottom)};
}

TRect Intersect(const TRect& a, const TRect& b) {
    TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
            std::min(a.Bottom, b.Bottom)};
    if (r.IsEmpty()) return {};
    return r;
}

QRectF FillRectF(const TRect& r) {
    return QRectF(r.Left, r.Top, r.Width(), r.Height());
}

QRectF OutlineRectF(const TRect& r) {
    return QRectF(r.Left + 0.5, r.Top + 0.5, r.Width() - 1, r.Height() - 1);
}

QPointF Centre(const TPoint& p) {
    return QPointF(p.X + 0.5, p.Y + 0.5);
}

TRect PointsBounds(const std::vector<TPoint>& points, int margin) {
    TRect b{points[0].X, points[0].Y, points[0].X + 1, points[0].Y + 1};
    for (const TPoint& p : points) {
        b.Left = std::min(b.Left, p.X);
        b.Top = std::min(b.Top, p.Y);
        b.Right = std::max(b.Right, p.X + 1);
        b.Bottom = std::max(b.Bottom, p.Y + 1);
    }
    return {b.Left - margin, b.Top - margin, b.Right + margin, b.Bottom + margin};
}

// Source colour reader for the copies.
TColor SourceColor(const TBitmap& source, const std::uint8_t* row, int x) {
    switch (source.PixelFormat()) {
    case pf8bit: {
        const TColor c = source.PaletteColor(row[x]);
        return c == NoColor ? 0 : c;
    }
    case pf24bit: {
        const std::uint8_t* p = row + std::size_t(x) * 3;
        return RGB(p[2], p[1], p[0]);
    }
    default: {
        const std::uint8_t* p = row + std::size_t(x) * 4;
        return RGB(p[2], p[1], p[0]);
    }
    }
}

} // namespace

// ---- shapes shared with the regions ----

QPainterPath RoundRectFillPath(const TRect& rect, int cornerWidth, int cornerHeight) {
    QPainterPath path;
    path.addRoundedRect(FillRectF(rect), std::abs(cornerWidth) / 2.0, std::abs(cornerHeight) / 2.0);
    return path;
}

QPainterPath RoundRectOutlinePath(const TRect& rect, int cornerWidth, int cornerHeight) {
    QPainterPath path;
    path.addRoundedRect(OutlineRectF(rect), std::max(0.0, (std::abs(cornerWidth) - 1) / 2.0),
                        std::max(0.0, (std::abs(cornerHeight) - 1) / 2.0));
    return path;
}

QPainterPath EllipseFillPath(const TRect& rect) {
    QPainterPath path;
    path.addEllipse(FillRectF(rect));
    return path;
}

QPainterPath EllipseOutlinePath(const TRect& rect) {
    QPainterPath path;
    path.addEllipse(OutlineRectF(rect));
    return path;
}

QPainterPath PolygonFillPath(const std::vector<TPoint>& points, bool winding) {
    QPolygonF polygon;
    for (const TPoint& p : points) polygon << QPointF(p.X, p.Y);
    QPainterPath path;
    path.addPolygon(polygon);
    path.closeSubpath();
    path.setFillRule(winding ? Qt::WindingFill : Qt::OddEvenFill);
    return path;
}

namespace {
void FillAndOutline(QPainter& painter, const QPainterPath& fill, const QPainterPath& outline) {
    painter.fillPath(fill, White);
    QPen pen(White, 0);
    painter.strokePath(outline, pen);
}
} // namespace

void PaintRoundRect(QPainter& painter, const TRect& rect, int cornerWidth, int cornerHeight) {
    FillAndOutline(painter, RoundRectFillPath(rect, cornerWidth, cornerHeight),
                   RoundRectOutlinePath(rect, cornerWidth, cornerHeight));
}

void PaintEllipse(QPainter& painter, const TRect& rect) {
    FillAndOutline(painter, EllipseFillPath(rect), EllipseOutlinePath(rect));
}

void PaintPolygonFill(QPainter& painter, const std::vector<TPoint>& points, bool winding) {
    painter.fillPath(PolygonFillPath(points, winding), White);
}

QFont MakeQFont(const TFont& font) {
    QFont f(QString::fromStdString(font.Name));
    f.setStyleStrategy(QFont::StyleStrategy(QFont::NoAntialias | QFont::NoSubpixelAntialias));
    f.setHintingPreference(QFont::PreferFullHinting);
    f.setBold(font.Style & fsBold);
    f.setItalic(font.Style & fsItalic);
    f.setUnderline(font.Style & fsUnderline);
    f.setStrikeOut(font.Style & fsStrikeOut);
    if (font.Name == "Impact" && QFontInfo(f).family() != QStringLiteral("Impact")) {
        f.setFamily(QStringLiteral("DejaVu Sans Condensed"));
        f.setBold(true);
    }
    const int height = font.Height == 0 ? 11 : std::abs(font.Height);
    f.setPixelSize(std::max(1, height));
    if (font.Height > 0) {
        // A positive height is the whole cell; scale the em size down to fit it.
        const int cell = QFontMetrics(f).height();
        if (cell > 0 && cell != height)
            f.setPixelSize(std::max(1, int(std::lround(double(height) * height / cell))));
    }
    if (font.Width > 0) {
        const int natural = QFontMetrics(f).averageCharWidth();
        if (natural > 0) f.setStretch(std::clamp(int(std::lround(100.0 * font.Width / natural)), 1, 4000));
    }
    return f;
}

int TFont::Size() const {
    return int(std::lround(std::abs(Height) * 72.0 / 96.0));
}

void TFont::SetSize(int points) {
    Height = -int(std::lround(points * 96.0 / 72.0));
}

// ---- the canvas ----

// Paints through a transparent marker image: whatever the painter covers is then
// written into the bitmap in the painted colour (or inverted for pmNot), so no
// colour outside the pen, brush and font colours ever reaches the bitmap.
class TCanvasPainter {
  public:
    static void Paint(TCanvas& canvas, const TRect& area, bool invert,
                      const std::function<void(QPainter&)>& paint) {
        TBitmap& bitmap = canvas.FBitmap;
        const TRect bounds = Intersect(area, {0, 0, bitmap.Width(), bitmap.Height()});
        if (bounds.IsEmpty()) return;
        QImage marker(bounds.Width(), bounds.Height(), QImage::Format_ARGB32_Premultiplied);
        marker.fill(0);
        {
            QPainter painter(&marker);
            painter.setRenderHint(QPainter::Antialiasing, false);
            painter.setRenderHint(QPainter::TextAntialiasing, false);
            painter.translate(-bounds.Left, -bounds.Top);
            paint(painter);
        }
        // Only the pen, brush and font colours occur: remember the last mapping.
        const bool indexed = bitmap.PixelFormat() == pf8bit;
        TColor lastColor = NoColor;
        std::uint8_t lastIndex = 0;
        for (int y = 0; y < marker.height(); ++y) {
            const QRgb* row = reinterpret_cast<const QRgb*>(marker.constScanLine(y));
            for (int x = 0; x < marker.width(); ++x) {
                if (qAlpha(row[x]) < 128) continue;
                const int bx = bounds.Left + x, by = bounds.Top + y;
                if (canvas.Clipped(bx, by)) continue;
                if (invert)
                    canvas.InvertPixel(bx, by);
                else if (indexed) {
                    const TColor c = RGB(qRed(row[x]), qGreen(row[x]), qBlue(row[x]));
                    if (c != lastColor) {
                        lastColor = c;
                        lastIndex = std::uint8_t(bitmap.NearestIndex(c));
                    }
                    bitmap.ScanLine(by)[bx] = lastIndex;
                } else
                    canvas.WriteColor(bx, by, RGB(qRed(row[x]), qGreen(row[x]), qBlue(row[x])));
            }
        }
    }
};

TCanvas::TCanvas(TBitmap& bitmap) : FBitmap(bitmap) {}

void TCanvas::SelectClipRegion(const TRegion& region) {
    FClip = region;
    FHasClip = true;
    FClipWidth = FBitmap.Width();
    FClipMask.assign(std::size_t(FBitmap.Width()) * std::max(0, FBitmap.Height()), 0);
    const TRect all{0, 0, FBitmap.Width(), FBitmap.Height()};
    for (const TRect& r : region.Rects()) {
        const TRect c = Intersect(r, all);
        for (int y = c.Top; y < c.Bottom; ++y)
            std::memset(FClipMask.data() + std::size_t(y) * FClipWidth + c.Left, 1, std::size_t(c.Width()));
    }
}

void TCanvas::ResetClipRegion() {
    FClip = TRegion();
    FHasClip = false;
    FClipMask.clear();
}

bool TCanvas::Clipped(int x, int y) const {
    if (x < 0 || y < 0 || x >= FBitmap.Width() || y >= FBitmap.Height()) return true;
    if (!FHasClip) return false;
    // The bitmap may have been resized since the region was selected.
    if (FBitmap.Width() != FClipWidth || std::size_t(y) * FClipWidth + x >= FClipMask.size())
        return !FClip.Contains(x, y);
    return FClipMask[std::size_t(y) * FClipWidth + x] == 0;
}

void TCanvas::WriteColor(int x, int y, TColor color) {
    std::uint8_t* p = FBitmap.ScanLine(y) + std::size_t(x) * FBitmap.BytesPerPixel();
    switch (FBitmap.PixelFormat()) {
    case pf8bit:
        *p = std::uint8_t(FBitmap.NearestIndex(color));
        break;
    case pf24bit:
        p[0] = std::uint8_t(GetBValue(color));
        p[1] = std::uint8_t(GetGValue(color));
        p[2] = std::uint8_t(GetRValue(color));
        break;
    case pf32bit:
        p[0] = std::uint8_t(GetBValue(color));
        p[1] = std::uint8_t(GetGValue(color));
        p[2] = std::uint8_t(GetRValue(color));
        p[3] = 0;
        break;
    }
}

void TCanvas::InvertPixel(int x, int y) {
    std::uint8_t* p = FBitmap.ScanLine(y) + std::size_t(x) * FBitmap.BytesPerPixel();
    if (FBitmap.PixelFormat() == pf8bit) {
        *p = std::uint8_t(~*p);
        return;
    }
    p[0] = std::uint8_t(~p[0]);
    p[1] = std::uint8_t(~p[1]);
    p[2] = std::uint8_t(~p[2]);
}

void TCanvas::Plot(int x, int y, TColor color) {
    if (Clipped(x, y)) return;
    if (Pen.Mode == pmNot)
        InvertPixel(x, y);
    else
        WriteColor(x, y, color);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
    if (!Clipped(x, y)) WriteColor(x, y, color);
}

void TCanvas::FillArea(const TRect& rect, TColor color) {
    const TRect r = Intersect(Normalized(rect), {0, 0, FBitmap.Width(), FBitmap.Height()});
    if (r.IsEmpty()) return;
    const int bpp = FBitmap.BytesPerPixel();
    std::uint8_t pixel[4] = {std::uint8_t(GetBValue(color)), std::uint8_t(GetGValue(color)),
                             std::uint8_t(GetRValue(color)), 0};
    if (bpp == 1) pixel[0] = std::uint8_t(FBitmap.NearestIndex(color));
    for (int y = r.Top; y < r.Bottom; ++y) {
        std::uint8_t* row = FBitmap.ScanLine(y);
        for (int x = r.Left; x < r.Right; ++x) {
            if (FHasClip && Clipped(x, y)) continue;
            std::memcpy(row + std::size_t(x) * bpp, pixel, std::size_t(bpp));
        }
    }
}

// ---- lines ----

void TCanvas::ThinLine(int x0, int y0, int x1, int y1, bool includeEnd, int& dotPhase) {
    // Bresenham; the end pixel is left out unless asked for, as the line rules want.
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int err = dx + dy;
    int x = x0, y = y0;
    while (true) {
        const bool atEnd = x == x1 && y == y1;
        if (atEnd && !includeEnd) break;
        if (Pen.Style != psDot || (dotPhase & 1) == 0) Plot(x, y, Pen.Color);
        ++dotPhase;
        if (atEnd) break;
        const int e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

namespace {
QPen MakeQPen(const TPen& Pen, bool flatCap) {
    QPen pen(ToQColor(Pen.Mode == pmNot ? RGB(255, 255, 255) : Pen.Color));
    const int width = std::max(1, Pen.Width);
    pen.setWidth(width == 1 ? 0 : width);
    pen.setCapStyle(flatCap ? Qt::FlatCap : Qt::SquareCap);
    pen.setJoinStyle(width == 1 ? Qt::MiterJoin : Qt::RoundJoin);
    if (Pen.Style == psDot) pen.setDashPattern({1.0, 1.0});
    return pen;
}
} // namespace

void TCanvas::MoveTo(int x, int y) {
    FPenPos = {x, y};
}

void TCanvas::LineTo(int x, int y) {
    Polyline({FPenPos, {x, y}});
    FPenPos = {x, y};
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
    if (points.size() < 2 || Pen.Style == psClear) return;
    if (Pen.Width <= 1) {
        int phase = 0;
        for (std::size_t i = 1; i < points.size(); ++i)
            ThinLine(points[i - 1].X, points[i - 1].Y, points[i].X, points[i].Y, false, phase);
        return;
    }
    QPainterPath path;
    path.moveTo(Centre(points[0]));
    for (std::size_t i = 1; i < points.size(); ++i) path.lineTo(Centre(points[i]));
    const QPen pen = MakeQPen(Pen, true);
    TCanvasPainter::Paint(*this, PointsBounds(points, Pen.Width + 1), Pen.Mode == pmNot,
                          [&](QPainter& painter) { painter.strokePath(path, pen); });
}

void TCanvas::PolyBezier(const std::vector<TPoint>& points) {
    if (points.size() < 4 || (points.size() - 1) % 3 != 0 || Pen.Style == psClear) return;
    QPainterPath path;
    path.moveTo(Centre(points[0]));
    for (std::size_t i = 1; i + 2 < points.size(); i += 3)
        path.cubicTo(Centre(points[i]), Centre(points[i + 1]), Centre(points[i + 2]));
    if (Pen.Width <= 1) {
        // Flatten and draw as connected thin lines, ending on the last point.
        const QPolygonF flat = path.toFillPolygon();
        std::vector<TPoint> line;
        for (int i = 0; i < flat.size(); ++i) {
            const TPoint p{int(std::floor(flat[i].x())), int(std::floor(flat[i].y()))};
            if (line.empty() || !(line.back() == p)) line.push_back(p);
        }
        // toFillPolygon closes the outline back to the start; drop that closing run.
        while (line.size() > 1 && line.back() == line.front() && !(points.back() == points.front()))
            line.pop_back();
        while (line.size() > 1 && !(line.back() == points.back())) {
            const auto it = std::find(line.begin(), line.end(), points.back());
            if (it == line.end()) break;
            line.erase(it + 1, line.end());
        }
        int phase = 0;
        for (std::size_t i = 1; i < line.size(); ++i)
            ThinLine(line[i - 1].X, line[i - 1].Y, line[i].X, line[i].Y, i + 1 == line.size(), phase);
        if (line.size() == 1) Plot(line[0].X, line[0].Y, Pen.Color);
        return;
    }
    const QPen pen = MakeQPen(Pen, false);
    TCanvasPainter::Paint(*this, PointsBounds(points, Pen.Width + 1), Pen.Mode == pmNot,
                          [&](QPainter& painter) { painter.strokePath(path, pen); });
}

// ---- rectangles and shapes ----

void TCanvas::FillRect(const TRect& rect) {
    FillArea(rect, Brush.Color);
}

void TCanvas::FrameRect(const TRect& rect) {
    const TRect r = Normalized(rect);
    if (r.IsEmpty()) return;
    FillArea({r.Left, r.Top, r.Right, r.Top + 1}, Brush.Color);
    FillArea({r.Left, r.Bottom - 1, r.Right, r.Bottom}, Brush.Color);
    FillArea({r.Left, r.Top, r.Left + 1, r.Bottom}, Brush.Color);
    FillArea({r.Right - 1, r.Top, r.Right, r.Bottom}, Brush.Color);
}

void TCanvas::Shape(const TRect& area, const QPainterPath& fill, const QPainterPath& outline) {
    const bool invert = Pen.Mode == pmNot;
    const bool filled = Brush.Style != bsClear;
    const bool outlined = Pen.Style != psClear;
    if (!filled && !outlined) return;
    const QColor brush = ToQColor(invert ? RGB(255, 255, 255) : Brush.Color);
    const QPen pen = MakeQPen(Pen, false);
    TCanvasPainter::Paint(*this,
                          {area.Left - Pen.Width - 1, area.Top - Pen.Width - 1, area.Right + Pen.Width + 1,
                           area.Bottom + Pen.Width + 1},
                          invert, [&](QPainter& painter) {
                              if (filled) painter.fillPath(fill, brush);
                              if (outlined) painter.strokePath(outline, pen);
                          });
}

void TCanvas::Rectangle(const TRect& rect) {
    const TRect r = Normalized(rect);
    if (r.IsEmpty()) return;
    QPainterPath fill, outline;
    fill.addRect(FillRectF(r));
    outline.addRect(OutlineRectF(r));
    Shape(r, fill, outline);
}

void TCanvas::RoundRect(const TRect& rect, int cornerWidth, int cornerHeight) {
    const TRect r = Normalized(rect);
    if (r.IsEmpty()) return;
    Shape(r, RoundRectFillPath(r, cornerWidth, cornerHeight),
          RoundRectOutlinePath(r, cornerWidth, cornerHeight));
}

void TCanvas::Ellipse(const TRect& rect) {
    const TRect r = Normalized(rect);
    if (r.IsEmpty()) return;
    Shape(r, EllipseFillPath(r), EllipseOutlinePath(r));
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
    if (points.size() < 2) return;
    QPainterPath outline;
    outline.moveTo(Centre(points[0]));
    for (std::size_t i = 1; i < points.size(); ++i) outline.lineTo(Centre(points[i]));
    outline.closeSubpath();
    const TRect b = PointsBounds(points, 0);
    if (Pen.Width <= 1 && Pen.Style != psClear) {
        // Fill through the painter, then the outline as exact thin lines.
        const TPenStyle style = Pen.Style;
        Pen.Style = psClear;
        Shape(b, PolygonFillPath(points, true), outline);
        Pen.Style = style;
        int phase = 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const TPoint& a = points[i];
            const TPoint& c = points[(i + 1) % points.size()];
            ThinLine(a.X, a.Y, c.X, c.Y, false, phase);
        }
        return;
    }
    Shape(b, PolygonFillPath(points, true), outline);
}

// ---- flood fill ----

void TCanvas::FloodFill(int x, int y) {
    if (Clipped(x, y)) return;
    const int w = FBitmap.Width(), h = FBitmap.Height();
    const int bpp = FBitmap.BytesPerPixel();
    const int compare = std::min(bpp, 3); // the fourth byte of a 32-bit pixel is not colour
    std::uint8_t seed[4] = {};
    std::memcpy(seed, FBitmap.ScanLine(y) + std::size_t(x) * bpp, std::size_t(compare));
    auto matches = [&](int px, int py) {
        return std::memcmp(FBitmap.ScanLine(py) + std::size_t(px) * bpp, seed, std::size_t(compare)) == 0;
    };
    std::vector<std::uint8_t> seen(std::size_t(w) * h, 0);
    std::vector<TPoint> stack{{x, y}};
    seen[std::size_t(y) * w + x] = 1;
    std::vector<TPoint> area;
    while (!stack.empty()) {
        const TPoint p = stack.back();
        stack.pop_back();
        area.push_back(p);
        const TPoint next[4] = {{p.X - 1, p.Y}, {p.X + 1, p.Y}, {p.X, p.Y - 1}, {p.X, p.Y + 1}};
        for (const TPoint& n : next) {
            if (n.X < 0 || n.Y < 0 || n.X >= w || n.Y >= h) continue;
            std::uint8_t& s = seen[std::size_t(n.Y) * w + n.X];
            if (s || Clipped(n.X, n.Y) || !matches(n.X, n.Y)) continue;
            s = 1;
            stack.push_back(n);
        }
    }
    // The area is found first and painted afterwards, so the fill colour may
    // equal the seed colour without trouble.
    for (const TPoint& p : area) WriteColor(p.X, p.Y, Brush.Color);
}

// ---- text ----

namespace {
bool CanDrawText() {
    return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;
}
} // namespace

TSize TCanvas::TextExtent(const std::string& text) const {
    if (!CanDrawText()) return {};
    const QFontMetrics metrics(MakeQFont(Font));
    return {metrics.horizontalAdvance(QString::fromStdString(text)), metrics.height()};
}

void TCanvas::DrawText(const TRect* clip, int x, int y, const std::string& text) {
    if (!CanDrawText()) return;
    const QFont font = MakeQFont(Font);
    const QFontMetrics metrics(font);
    const QString s = QString::fromStdString(text);
    const int width = metrics.horizontalAdvance(s);
    const int height = metrics.height();
    const bool filled = Brush.Style != bsClear;
    const double angle = -Font.Orientation / 10.0; // Qt turns clockwise for positive angles
    TRect area{x - height, y - height, x + width + 2 * height, y + 2 * height};
    if (Font.Orientation % 3600 != 0) {
        const int reach = width + 2 * height;
        area = {x - reach, y - reach, x + reach + 1, y + reach + 1};
    }
    if (clip) area = Intersect(area, Normalized(*clip));
    const QColor textColor = ToQColor(Font.Color);
    const QColor background = ToQColor(Brush.Color);
    TCanvasPainter::Paint(*this, area, false, [&](QPainter& painter) {
        if (clip) painter.setClipRect(FillRectF(Normalized(*clip)));
        painter.translate(x, y);
        painter.rotate(angle);
        if (filled) painter.fillRect(QRectF(0, 0, width, height), background);
        painter.setFont(font);
        painter.setPen(textColor);
        painter.drawText(QPointF(0, metrics.ascent()), s);
    });
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
    if (text.empty()) return;
    DrawText(nullptr, x, y, text);
}

void TCanvas::TextRect(const TRect& rect, int x, int y, const std::string& text) {
    const TRect r = Normalized(rect);
    if (r.IsEmpty()) return;
    // The rectangle is filled even without text, as the background of the cell.
    if (Brush.Style != bsClear) FillArea(r, Brush.Color);
    if (text.empty()) return;
    DrawText(&r, x, y, text);
}

// ---- copies ----

void TCanvas::Draw(int x, int y, const TBitmap& source) {
    CopyRect({x, y, x + source.Width(), y + source.Height()}, source,
             {0, 0, source.Width(), source.Height()});
}

void TCanvas::DrawKeyed(int x, int y, const TBitmap& source, TColor key) {
    Copy({x, y, x + source.Width(), y + source.Height()}, source, {0, 0, source.Width(), source.Height()},
         key & 0x00FFFFFF);
}

void TCanvas::StretchDraw(const TRect& dest, const TBitmap& source) {
    CopyRect(dest, source, {0, 0, source.Width(), source.Height()});
}

void TCanvas::CopyRect(const TRect& dest, const TBitmap& source, const TRect& sourceRect) {
    Copy(dest, source, sourceRect, NoColor);
}

void TCanvas::Copy(const TRect& dest, const TBitmap& sourceIn, const TRect& sourceRect, TColor key) {
    if (sourceIn.Empty() || FBitmap.Empty()) return;
    // A copy from the canvas's own bitmap reads the picture as it was before.
    std::optional<TBitmap> snapshot;
    if (&sourceIn == &FBitmap) snapshot.emplace(sourceIn);
    const TBitmap& source = snapshot ? *snapshot : sourceIn;

    const TRect d = Normalized(dest), s = Normalized(sourceRect);
    if (d.IsEmpty() || s.IsEmpty()) return;
    const bool mirrorX = (dest.Right < dest.Left) != (sourceRect.Right < sourceRect.Left);
    const bool mirrorY = (dest.Bottom < dest.Top) != (sourceRect.Bottom < sourceRect.Top);
    const TRect visible = Intersect(d, {0, 0, FBitmap.Width(), FBitmap.Height()});
    if (visible.IsEmpty()) return;

    // Source column and row of every destination column and row: the source
    // pixel under the destination pixel's centre (-1 = outside the source).
    auto sample = [](int i, int dn, int s0, int sn, bool mirror, int limit) {
        const long long j = (2LL * i + 1) * sn / (2LL * dn);
        const long long v = mirror ? s0 + sn - 1 - j : s0 + j;
        return v < 0 || v >= limit ? -1 : int(v);
    };
    std::vector<int> columns(std::size_t(visible.Width()));
    for (int x = visible.Left; x < visible.Right; ++x)
        columns[std::size_t(x - visible.Left)] =
            sample(x - d.Left, d.Width(), s.Left, s.Width(), mirrorX, source.Width());

    const TPixelFormat targetFormat = FBitmap.PixelFormat();
    const int targetBpp = FBitmap.BytesPerPixel();
    const bool sameIndices = targetFormat == pf8bit && source.PixelFormat() == pf8bit &&
                             source.Palette() == FBitmap.Palette() && key == NoColor;
    std::optional<TNearestColorMap> map;
    if (targetFormat == pf8bit && !sameIndices) map.emplace(FBitmap.Palette());

    // The common heavy case, a true-colour picture into an 8-bit bitmap
    // (palette reduction, pasting photos), in a loop of its own.
    if (map && !FHasClip && key == NoColor && source.PixelFormat() != pf8bit) {
        const int sourceBpp = source.BytesPerPixel();
        const bool identity = !mirrorX && d.Width() == s.Width();
        const int shift = s.Left - d.Left;
        for (int y = visible.Top; y < visible.Bottom; ++y) {
            const int sy = sample(y - d.Top, d.Height(), s.Top, s.Height(), mirrorY, source.Height());
            if (sy < 0) continue;
            const std::uint8_t* srcRow = source.ScanLine(sy);
            std::uint8_t* dstRow = FBitmap.ScanLine(y);
            if (identity) {
                const int first = std::max(visible.Left, -shift);
                const int end = std::min(visible.Right, source.Width() - shift);
                if (end > first)
                    map->MapRow(srcRow + std::size_t(first + shift) * sourceBpp, sourceBpp, dstRow + first,
                                end - first);
                continue;
            }
            for (int x = visible.Left; x < visible.Right; ++x) {
                const int sx = columns[std::size_t(x - visible.Left)];
                if (sx < 0) continue;
                const std::uint8_t* p = srcRow + std::size_t(sx) * sourceBpp;
                dstRow[x] = map->Index(TColor(p[2]) | TColor(p[1]) << 8 | TColor(p[0]) << 16);
            }
        }
        return;
    }

    for (int y = visible.Top; y < visible.Bottom; ++y) {
        const int sy = sample(y - d.Top, d.Height(), s.Top, s.Height(), mirrorY, source.Height());
        if (sy < 0) continue;
        const std::uint8_t* srcRow = source.ScanLine(sy);
        std::uint8_t* dstRow = FBitmap.ScanLine(y);
        for (int x = visible.Left; x < visible.Right; ++x) {
            const int sx = columns[std::size_t(x - visible.Left)];
            if (sx < 0 || (FHasClip && Clipped(x, y))) continue;
            if (sameIndices) {
                dstRow[x] = srcRow[sx];
                continue;
            }
            const TColor c = SourceColor(source, srcRow, sx);
            if (c == key) continue;
            std::uint8_t* p = dstRow + std::size_t(x) * targetBpp;
            if (map) {
                *p = map->Index(c);
            } else {
                p[0] = std::uint8_t(GetBValue(c));
                p[1] = std::uint8_t(GetGValue(c));
                p[2] = std::uint8_t(GetRValue(c));
                if (targetBpp == 4) p[3] = 0;
            }
        }
    }
}
