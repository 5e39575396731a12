#pragma once
// The layers of the Compose page inside the canvas panel: the canvas image
// shown stretched (each pixel a block, never blended), the outlines of the
// logical screen and of the frame, and the transparent layer that takes the
// pointer.

#include "platform/Bitmap.h"

#include <QImage>
#include <QWidget>

// Shows one picture stretched to the widget's size with nearest-neighbour
// scaling. Only the part of the picture under the repainted area is drawn, so
// a large picture at a large zoom costs what is on screen.
class TImageView : public QWidget {
    Q_OBJECT
  public:
    explicit TImageView(QWidget* parent = nullptr);
    void SetPicture(QImage picture);
    const QImage& Picture() const { return FPicture; }
    // Copies the pixels of an 8-bit bitmap inside the rectangle (picture
    // pixels, right and bottom exclusive) into the picture and repaints them.
    void UpdateArea(const TBitmap& source, int left, int top, int right, int bottom);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage FPicture; // RGB32 or indexed
};

// A rectangle outline drawn with a 1-pixel pen along the widget's edge, no fill;
// pointer events pass through it.
class TShapeOutline : public QWidget {
    Q_OBJECT
  public:
    TShapeOutline(QColor pen, QWidget* parent = nullptr);
    QColor PenColor() const { return FPen; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor FPen;
};

// The transparent layer over the image that receives the pointer: it reports
// presses, movements (with or without a button), releases and wheel turns.
class TPointerLayer : public QWidget {
    Q_OBJECT
  public:
    explicit TPointerLayer(QWidget* parent = nullptr);

  signals:
    void MouseDown(Qt::MouseButton button, QPoint at, Qt::KeyboardModifiers modifiers);
    void MouseMove(QPoint at, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);
    void MouseUp(Qt::MouseButton button, QPoint at);

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};
