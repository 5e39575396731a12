#pragma once
// The layers of the Compose page inside the canvas panel: the canvas image
// shown stretched (each pixel a block, never blended) and the outlines of the
// logical screen and of the frame.

#include <QImage>
#include <QWidget>

// Shows one picture stretched to the widget's size with nearest-neighbour scaling.
class TImageView : public QWidget {
    Q_OBJECT
  public:
    explicit TImageView(QWidget* parent = nullptr);
    void SetPicture(QImage picture);
    const QImage& Picture() const { return FPicture; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage FPicture;
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
