#include "editor/ToolIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int Size = 28;

void Page(QPainter& p, QRect r, QColor fill) {
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - 6, r.top());
    path.lineTo(r.right(), r.top() + 6);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(QPen(QColor(60, 60, 70), 1.2));
    p.setBrush(fill);
    p.drawPath(path);
}

// A small strip of film: three frames with sprocket holes.
void Film(QPainter& p, QRect r) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(50, 50, 60));
    p.drawRoundedRect(r, 2, 2);
    p.setBrush(QColor(240, 240, 240));
    for (int x = r.left() + 2; x < r.right() - 1; x += 4) {
        p.drawRect(x, r.top() + 1, 2, 2);
        p.drawRect(x, r.bottom() - 2, 2, 2);
    }
    const QColor colours[] = {QColor(230, 25, 75), QColor(255, 225, 25), QColor(67, 99, 216)};
    const int w = (r.width() - 4) / 3;
    for (int i = 0; i < 3; ++i) {
        p.setBrush(colours[i]);
        p.drawRect(r.left() + 2 + i * w, r.top() + 5, w - 1, r.height() - 10);
    }
}

void Plus(QPainter& p, QPoint c) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 160, 60));
    p.drawEllipse(c, 6, 6);
    p.setPen(QPen(Qt::white, 2));
    p.drawLine(c.x() - 3, c.y(), c.x() + 3, c.y());
    p.drawLine(c.x(), c.y() - 3, c.x(), c.y() + 3);
}

void Sheet(QPainter& p, QRect r) {
    p.setPen(QPen(QColor(60, 60, 70), 1.2));
    p.setBrush(QColor(250, 250, 245));
    p.drawRect(r);
    p.setPen(QPen(QColor(120, 120, 140), 1));
    for (int y = r.top() + 4; y < r.bottom() - 2; y += 4) p.drawLine(r.left() + 3, y, r.right() - 3, y);
}

} // namespace

QIcon ToolIcon(TToolIcon kind) {
    QPixmap pixmap(Size, Size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    switch (kind) {
    case tiNewGif:
        Page(p, QRect(5, 2, 17, 23), QColor(255, 255, 255));
        Film(p, QRect(7, 11, 13, 10));
        Plus(p, QPoint(20, 20));
        break;
    case tiOpen: {
        p.setPen(QPen(QColor(120, 85, 20), 1.2));
        p.setBrush(QColor(240, 190, 80));
        p.drawRect(3, 8, 21, 15);
        QPolygonF flap;
        flap << QPointF(6, 12) << QPointF(27, 12) << QPointF(23, 23) << QPointF(3, 23);
        p.setBrush(QColor(255, 215, 110));
        p.drawPolygon(flap);
        break;
    }
    case tiSave:
        p.setPen(QPen(QColor(30, 40, 90), 1.2));
        p.setBrush(QColor(60, 90, 180));
        p.drawRoundedRect(4, 4, 20, 20, 2, 2);
        p.setBrush(QColor(235, 235, 240));
        p.drawRect(8, 4, 12, 8);
        p.setBrush(QColor(200, 200, 210));
        p.drawRect(8, 16, 12, 8);
        break;
    case tiNewFrame:
        Film(p, QRect(2, 7, 20, 14));
        Plus(p, QPoint(20, 20));
        break;
    case tiAddFrame: {
        // A picture (sun over hills) going into the film.
        p.setPen(QPen(QColor(60, 60, 70), 1.2));
        p.setBrush(QColor(200, 230, 255));
        p.drawRect(2, 2, 16, 13);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(250, 200, 40));
        p.drawEllipse(QPoint(13, 6), 2, 2);
        p.setBrush(QColor(60, 160, 70));
        QPolygonF hill;
        hill << QPointF(3, 14) << QPointF(8, 8) << QPointF(14, 14);
        p.drawPolygon(hill);
        Film(p, QRect(8, 15, 18, 11));
        break;
    }
    case tiFrameProperties:
        Film(p, QRect(2, 3, 18, 12));
        Sheet(p, QRect(11, 11, 14, 15));
        break;
    case tiGlobalProperties:
        p.setPen(QPen(QColor(30, 80, 120), 1.4));
        p.setBrush(QColor(120, 190, 230));
        p.drawEllipse(QPoint(12, 12), 9, 9);
        p.drawLine(3, 12, 21, 12);
        p.drawEllipse(QPoint(12, 12), 4, 9);
        Sheet(p, QRect(15, 13, 11, 13));
        break;
    case tiNewTextEffect: {
        // A large "A" with a soft shadow over the film.
        Film(p, QRect(2, 15, 20, 11));
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setBold(true);
        font.setPixelSize(17);
        p.setFont(font);
        p.setPen(QColor(0, 100, 0, 150));
        p.drawText(QRect(6, 1, 20, 18), Qt::AlignCenter, QStringLiteral("A"));
        p.setPen(QColor(0, 200, 0));
        p.drawText(QRect(4, -1, 20, 18), Qt::AlignCenter, QStringLiteral("A"));
        Plus(p, QPoint(21, 21));
        break;
    }
    }
    return QIcon(pixmap);
}
