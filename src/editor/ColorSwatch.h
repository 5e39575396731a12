#pragma once
// A small field filled with one colour, shown beside a palette index field.
// NoColor leaves it empty (crossed out); a disabled swatch is drawn greyed.

#include "platform/Bitmap.h"

#include <QFrame>

class TColorSwatch : public QFrame {
    Q_OBJECT
  public:
    explicit TColorSwatch(QWidget* parent = nullptr);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    TColor FColor = NoColor;
};
