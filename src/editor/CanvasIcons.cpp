#include "editor/CanvasIcons.h"

#include "editor/ComposeCanvas.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

const QColor Ink(30, 30, 40);
const QColor Wood(200, 150, 80);
const QColor Metal(150, 155, 170);
const QColor Paint(40, 110, 220);

// The tool's picture inside r (about 16 x 16), shared by buttons and pointers.
void DrawGlyph(QPainter& p, int tool, const QRectF& r) {
    p.save();
    p.translate(r.topLeft());
    p.scale(r.width() / 16.0, r.height() / 16.0);
    p.setRenderHint(QPainter::Antialiasing, true);
    QPen pen(Ink, 1.2);
    pen.setJoinStyle(Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    switch (tool) {
    case tlMarqee: {
        QPen dash(Ink, 1.2, Qt::DashLine);
        p.setPen(dash);
        p.drawRect(QRectF(2, 3, 12, 10));
        break;
    }
    case tlLasso:
        p.drawEllipse(QRectF(2, 2, 12, 8));
        p.drawLine(QPointF(5, 9.5), QPointF(4, 15));
        break;
    case tlGetColor: // a dropper, tip at the lower left
        p.setBrush(Metal);
        p.drawPolygon(
            QPolygonF({QPointF(1, 15), QPointF(2, 11), QPointF(9, 4), QPointF(12, 7), QPointF(5, 14)}));
        p.setBrush(Ink);
        p.drawEllipse(QRectF(10, 1, 5, 5));
        break;
    case tlPen: // a pencil, tip at the lower left
        p.setBrush(Wood);
        p.drawPolygon(
            QPolygonF({QPointF(1, 15), QPointF(2, 11), QPointF(12, 1), QPointF(15, 4), QPointF(5, 14)}));
        p.setBrush(Ink);
        p.drawPolygon(QPolygonF({QPointF(1, 15), QPointF(1.6, 12.6), QPointF(3.4, 14.4)}));
        break;
    case tlBrush: // a brush, bristles at the lower left
        p.setBrush(Wood);
        p.drawPolygon(QPolygonF({QPointF(7, 7), QPointF(14, 0.5), QPointF(15.5, 2), QPointF(9, 9)}));
        p.setBrush(Paint);
        p.drawPath([] {
            QPainterPath path;
            path.moveTo(7, 7);
            path.cubicTo(3, 8, 4, 13, 1, 15);
            path.cubicTo(5, 15, 9, 13, 9, 9);
            path.closeSubpath();
            return path;
        }());
        break;
    case tlFill: // a tipping bucket pouring at the lower left
        p.setBrush(Metal);
        p.drawPolygon(QPolygonF({QPointF(4, 6), QPointF(10, 1), QPointF(15, 7), QPointF(9, 12)}));
        p.setBrush(Paint);
        p.drawPath([] {
            QPainterPath path;
            path.moveTo(4, 6);
            path.cubicTo(1, 8, 1, 12, 1.5, 15);
            path.cubicTo(3, 13, 3, 10, 6, 8);
            path.closeSubpath();
            return path;
        }());
        break;
    case tlSpray: // a can with a mist at the upper left
        p.setBrush(Metal);
        p.drawRect(QRectF(8, 6, 6, 9));
        p.drawRect(QRectF(9.5, 3, 3, 3));
        p.setPen(Qt::NoPen);
        p.setBrush(Paint);
        for (QPointF dot :
             {QPointF(2, 2), QPointF(5, 1.5), QPointF(3.5, 4.5), QPointF(1.5, 6), QPointF(6, 5)})
            p.drawEllipse(dot, 0.9, 0.9);
        break;
    case tlLine:
        p.drawLine(QPointF(2, 14), QPointF(14, 2));
        break;
    case tlCurve:
        p.drawPath([] {
            QPainterPath path;
            path.moveTo(1.5, 14);
            path.cubicTo(3, 0, 13, 16, 14.5, 2);
            return path;
        }());
        break;
    case tlRectangle:
        p.drawRect(QRectF(2, 4, 12, 9));
        break;
    case tlRoundRect:
        p.drawRoundedRect(QRectF(2, 4, 12, 9), 3, 3);
        break;
    case tlEllipse:
        p.drawEllipse(QRectF(1.5, 3.5, 13, 9));
        break;
    case tlPolyline:
        p.drawPolyline(QPolygonF({QPointF(1.5, 13), QPointF(5, 3), QPointF(9, 12), QPointF(14.5, 3)}));
        break;
    case tlPolygon:
        p.drawPolygon(
            QPolygonF({QPointF(2, 13), QPointF(4, 3), QPointF(12, 2), QPointF(14.5, 9), QPointF(8, 14)}));
        break;
    case tlText: {
        QFont font(QStringLiteral("DejaVu Serif"));
        font.setPixelSize(15);
        font.setBold(true);
        p.setFont(font);
        p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("A"));
        break;
    }
    case tlMoveImage: {
        p.drawLine(QPointF(8, 1), QPointF(8, 15));
        p.drawLine(QPointF(1, 8), QPointF(15, 8));
        p.setBrush(Ink);
        p.drawPolygon(QPolygonF({QPointF(8, 0.5), QPointF(5.5, 3.5), QPointF(10.5, 3.5)}));
        p.drawPolygon(QPolygonF({QPointF(8, 15.5), QPointF(5.5, 12.5), QPointF(10.5, 12.5)}));
        p.drawPolygon(QPolygonF({QPointF(0.5, 8), QPointF(3.5, 5.5), QPointF(3.5, 10.5)}));
        p.drawPolygon(QPolygonF({QPointF(15.5, 8), QPointF(12.5, 5.5), QPointF(12.5, 10.5)}));
        break;
    }
    default:
        break;
    }
    p.restore();
}

QIcon IconOf(const std::function<void(QPainter&)>& paint) {
    QPixmap pixmap(20, 20);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paint(painter);
    painter.end();
    return QIcon(pixmap);
}

// A crosshair with its centre at (7, 7), outlined in white so it shows on any colour.
void Crosshair(QPainter& p) {
    for (const auto& [colour, width] :
         {std::pair{QColor(Qt::white), 3.0}, std::pair{QColor(Qt::black), 1.0}}) {
        QPen pen(colour, width);
        pen.setCapStyle(Qt::FlatCap);
        p.setPen(pen);
        p.drawLine(QLineF(7.5, 0, 7.5, 6));
        p.drawLine(QLineF(7.5, 9, 7.5, 15));
        p.drawLine(QLineF(0, 7.5, 6, 7.5));
        p.drawLine(QLineF(9, 7.5, 15, 7.5));
    }
}

// A white halo behind a glyph: the glyph drawn thick in white, then normally.
void Halo(QPainter& p, int tool, const QRectF& r) {
    QPixmap halo(32, 32);
    halo.fill(Qt::transparent);
    {
        QPainter h(&halo);
        DrawGlyph(h, tool, r);
    }
    QPixmap white(32, 32);
    white.fill(Qt::transparent);
    {
        QPainter w(&white);
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) w.drawPixmap(dx, dy, halo);
        w.setCompositionMode(QPainter::CompositionMode_SourceIn);
        w.fillRect(white.rect(), Qt::white);
    }
    p.drawPixmap(0, 0, white);
    p.drawPixmap(0, 0, halo);
}

QCursor MakeCursor(int tool) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    switch (tool) {
    case tlGetColor:
    case tlPen:
    case tlBrush:
    case tlFill:
        // The tool itself, its working end on the hot spot at the lower left.
        Halo(p, tool, QRectF(1, 1, 20, 20));
        p.end();
        return QCursor(pixmap, 2, 20);
    case tlSpray:
        Halo(p, tool, QRectF(1, 1, 20, 20));
        p.end();
        return QCursor(pixmap, 3, 3);
    case tlText: {
        for (const auto& [colour, width] :
             {std::pair{QColor(Qt::white), 3.0}, std::pair{QColor(Qt::black), 1.0}}) {
            p.setPen(QPen(colour, width));
            p.drawLine(QLineF(7.5, 2, 7.5, 14));
            p.drawLine(QLineF(4.5, 1.5, 10.5, 1.5));
            p.drawLine(QLineF(4.5, 14.5, 10.5, 14.5));
        }
        p.end();
        return QCursor(pixmap, 7, 7);
    }
    default:
        // Drawing shapes and selections: a crosshair with the tool's picture beside it.
        Crosshair(p);
        Halo(p, tool, QRectF(14, 14, 14, 14));
        p.end();
        return QCursor(pixmap, 7, 7);
    }
}

QHash<QString, QCursor>& Registry() {
    static QHash<QString, QCursor> registry;
    return registry;
}

// Tool number -> pointer number: the pointer images are numbered in the order they were drawn.
int CursorNumber(int tool) {
    static const int numbers[LastTool + 1] = {0, 1, 2, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 3, 14, 15, 0};
    return tool >= FirstTool && tool <= LastTool ? numbers[tool] : 0;
}

} // namespace

QIcon DrawingToolIcon(int tool) {
    return IconOf([tool](QPainter& p) { DrawGlyph(p, tool, QRectF(2, 2, 16, 16)); });
}

QIcon LineWidthIcon(int width) {
    return IconOf([width](QPainter& p) { p.fillRect(QRect(2, 10 - width / 2, 16, width), Ink); });
}

QIcon FillIcon(bool on) {
    return IconOf([on](QPainter& p) {
        p.setPen(QPen(Ink, 1));
        p.setBrush(on ? QBrush(Paint) : QBrush(Qt::NoBrush));
        p.drawRect(QRect(3, 4, 13, 11));
        if (!on) {
            p.setPen(QPen(QColor(200, 40, 40), 1.5));
            p.drawLine(4, 14, 15, 5);
        }
    });
}

QIcon CanvasCommandIcon(TCanvasCommandIcon kind) {
    QPixmap pixmap(28, 28);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, true);
    switch (kind) {
    case ciCopy:
    case ciPaste: {
        // Two sheets (copy), or a sheet on a clipboard board (paste).
        p.setPen(QPen(QColor(60, 60, 70), 1.5));
        if (kind == ciCopy) {
            p.setBrush(QColor(235, 240, 250));
            p.drawRect(QRectF(4.5, 4.5, 13, 16));
            p.drawRect(QRectF(10.5, 8.5, 13, 16));
        } else {
            p.setBrush(QColor(190, 140, 80));
            p.drawRoundedRect(QRectF(4.5, 4.5, 17, 21), 2, 2);
            p.setBrush(QColor(200, 200, 205));
            p.drawRect(QRectF(9.5, 2.5, 7, 4));
            p.setBrush(QColor(250, 250, 252));
            p.drawRect(QRectF(11.5, 10.5, 13, 15));
        }
        break;
    }
    case ciUndo:
    case ciRedo: {
        // A bent arrow turning back (undo) or forward (redo).
        if (kind == ciRedo) {
            p.translate(28, 0);
            p.scale(-1, 1);
        }
        QPen pen(QColor(40, 90, 170), 3);
        pen.setCapStyle(Qt::RoundCap);
        p.setPen(pen);
        QPainterPath path;
        path.moveTo(8, 11);
        path.lineTo(17, 11);
        path.cubicTo(26, 11, 26, 23, 17, 23);
        path.lineTo(11, 23);
        p.drawPath(path);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 90, 170));
        p.drawPolygon(QPolygonF({QPointF(2, 11), QPointF(10, 4), QPointF(10, 18)}));
        break;
    }
    default: {
        // A magnifying glass with plus, minus or "1".
        p.setPen(QPen(QColor(60, 60, 70), 3));
        p.drawLine(QPointF(18, 18), QPointF(25, 25));
        p.setPen(QPen(QColor(60, 60, 70), 2));
        p.setBrush(QColor(225, 240, 255));
        p.drawEllipse(QPointF(11.5, 11.5), 8.5, 8.5);
        p.setPen(QPen(QColor(30, 30, 40), 2));
        if (kind == ciActualSize) {
            p.drawLine(QPointF(12, 7), QPointF(12, 16));
            p.drawLine(QPointF(10, 8.5), QPointF(12, 7));
        } else {
            p.drawLine(QPointF(7.5, 11.5), QPointF(15.5, 11.5));
            if (kind == ciZoomIn) p.drawLine(QPointF(11.5, 7.5), QPointF(11.5, 15.5));
        }
        break;
    }
    }
    p.end();
    return QIcon(pixmap);
}

void RegisterToolCursors() {
    if (!Registry().isEmpty()) return;
    for (int tool = FirstTool; tool <= LastTool; ++tool)
        if (const int number = CursorNumber(tool))
            Registry().insert(QStringLiteral("CURSOR%1").arg(number), MakeCursor(tool));
}

QCursor RegisteredCursor(const QString& name) {
    const auto found = Registry().constFind(name);
    return found == Registry().constEnd() ? QCursor(Qt::ArrowCursor) : *found;
}

QString ToolCursorName(int tool) {
    const int number = CursorNumber(tool);
    return number ? QStringLiteral("CURSOR%1").arg(number) : QString();
}

QCursor ToolCursor(int tool) {
    if (tool == tlMoveImage) return QCursor(Qt::SizeAllCursor);
    const QString name = ToolCursorName(tool);
    return name.isEmpty() ? QCursor(Qt::ArrowCursor) : RegisteredCursor(name);
}
