#include "editor/ComposeWidgets.h"

#include <QPainter>

TImageView::TImageView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TImageView::SetPicture(QImage picture) {
    FPicture = std::move(picture);
    update();
}

void TImageView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (FPicture.isNull()) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    painter.drawImage(rect(), FPicture);
}

TShapeOutline::TShapeOutline(QColor pen, QWidget* parent) : QWidget(parent), FPen(pen) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TShapeOutline::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(FPen);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}
