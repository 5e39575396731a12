#include "editor/ComposeWidgets.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>

TImageView::TImageView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TImageView::SetPicture(QImage picture) {
    FPicture = std::move(picture);
    update();
}

void TImageView::UpdateArea(const TBitmap& source, int left, int top, int right, int bottom) {
    if (FPicture.isNull() || source.PixelFormat() != pf8bit || source.Width() != FPicture.width() ||
        source.Height() != FPicture.height())
        return;
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, source.Width());
    bottom = std::min(bottom, source.Height());
    if (right <= left || bottom <= top) return;
    if (FPicture.format() == QImage::Format_Indexed8) {
        for (int y = top; y < bottom; ++y)
            std::copy(source.ScanLine(y) + left, source.ScanLine(y) + right, FPicture.scanLine(y) + left);
    } else {
        // One table lookup per pixel: the palette in the picture's own form.
        QRgb table[256];
        for (int i = 0; i < 256; ++i) {
            const TColor c = source.PaletteColor(i);
            table[i] = c == NoColor ? qRgb(0, 0, 0) : qRgb(GetRValue(c), GetGValue(c), GetBValue(c));
        }
        for (int y = top; y < bottom; ++y) {
            const std::uint8_t* from = source.ScanLine(y);
            auto* to = reinterpret_cast<QRgb*>(FPicture.scanLine(y));
            for (int x = left; x < right; ++x) to[x] = table[from[x]];
        }
    }
    const double sx = double(width()) / FPicture.width(), sy = double(height()) / FPicture.height();
    update(QRect(QPoint(int(left * sx), int(top * sy)),
                 QPoint(int(right * sx + 0.999) - 1, int(bottom * sy + 0.999) - 1)));
}

void TImageView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    if (FPicture.isNull() || width() <= 0 || height() <= 0) {
        painter.fillRect(rect(), palette().window());
        return;
    }
    // The picture pixels under the exposed area, drawn as blocks.
    const QRect exposed = event->rect() & rect();
    const double sx = double(width()) / FPicture.width(), sy = double(height()) / FPicture.height();
    const int left = std::max(0, int(exposed.left() / sx));
    const int top = std::max(0, int(exposed.top() / sy));
    const int right = std::min(FPicture.width(), int((exposed.right() + 1) / sx) + 1);
    const int bottom = std::min(FPicture.height(), int((exposed.bottom() + 1) / sy) + 1);
    if (right <= left || bottom <= top) return;
    const QRect source(left, top, right - left, bottom - top);
    const QRect target(QPoint(int(left * sx + 0.5), int(top * sy + 0.5)),
                       QPoint(int(right * sx + 0.5) - 1, int(bottom * sy + 0.5) - 1));
    painter.drawImage(target, FPicture.copy(source));
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

TPointerLayer::TPointerLayer(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
}

void TPointerLayer::mousePressEvent(QMouseEvent* event) {
    emit MouseDown(event->button(), event->position().toPoint(), event->modifiers());
}

void TPointerLayer::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMove(event->position().toPoint(), event->buttons(), event->modifiers());
}

void TPointerLayer::mouseReleaseEvent(QMouseEvent* event) {
    emit MouseUp(event->button(), event->position().toPoint());
}
