#include "generators/transitions/TransitionView.h"

#include <QEnterEvent>
#include <QImage>
#include <QPainter>
#include <QThread>

TTransitionView::TTransitionView(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    SetClientSize(width(), height());
}

TTransitionView::~TTransitionView() {
    // The worker calls back into this widget; end it while the widget is whole.
    StopForDestruction();
}

void TTransitionView::paintEvent(QPaintEvent*) {
    PaintBuffer();
    const TBitmap& buffer = Buffer();
    if (!buffer.Empty()) {
        const QImage image(buffer.Bits(), buffer.Width(), buffer.Height(), buffer.BytesPerLine(),
                           QImage::Format_BGR888);
        QPainter painter(this);
        painter.drawImage(0, 0, image);
    }
    PaintDone();
}

void TTransitionView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    SetClientSize(width(), height());
}

void TTransitionView::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    if (OnMouseEnter) OnMouseEnter();
}

void TTransitionView::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (OnMouseLeave) OnMouseLeave();
}

void TTransitionView::RequestClientSize(int width, int height) {
    resize(width, height);
    SetClientSize(this->width(), this->height());
}

void TTransitionView::InvalidateDisplay() {
    if (QThread::currentThread() == thread())
        update();
    else
        QMetaObject::invokeMethod(
            this, [this] { update(); }, Qt::QueuedConnection);
}

bool TTransitionView::ShowComposedStep(bool ownerThread) {
    // On the owner thread the buffer is painted at once (the queued update shows
    // it); a worker's step is painted by the update it queued, which raises the
    // painted signal. A hidden widget never paints, so the buffer is painted here.
    return !ownerThread && isVisible();
}

void TTransitionView::DisplayChanged() {
    update();
}
