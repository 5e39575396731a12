#include "editor/ColorSwatch.h"

#include "editor/QtBitmap.h"

#include <QPainter>

TColorSwatch::TColorSwatch(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setMinimumSize(24, 20);
}

void TColorSwatch::SetColor(TColor color) {
    if (color == FColor) return;
    FColor = color;
    update();
}

void TColorSwatch::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QRect inside = contentsRect();
    if (FColor == NoColor) {
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawLine(inside.topLeft(), inside.bottomRight());
        return;
    }
    QColor color = ToQColor(FColor);
    if (!isEnabled())
        color = QColor::fromHsv(color.hue(), color.saturation() / 4, (color.value() + 2 * 192) / 3);
    painter.fillRect(inside, color);
}
