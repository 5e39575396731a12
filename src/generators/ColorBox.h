#pragma once
// A drop-down colour picker: the standard and extended named colours and one
// custom colour chosen in the colour chooser. Never a system colour, so every
// value it gives is a plain RGB colour.

#include "platform/Bitmap.h"

#include <QComboBox>

class TDialogs;

class TColorBox : public QComboBox {
    Q_OBJECT
  public:
    TColorBox(TDialogs& dialogs, TColor color, QWidget* parent = nullptr);

    TColor Color() const { return FColor; }
    // A named colour selects its entry; any other becomes the custom colour.
    void SetColor(TColor color);
    // The custom entry's row (the first).
    static constexpr int CustomRow = 0;

    // A row picked by the user: the custom row asks the colour chooser for a
    // colour (starting from the present one); cancelling it keeps the old colour.
    void ColorBoxSelect(int row);

  signals:
    void ColorChanged(TColor color);

  private:
    void SetCustom(TColor color);
    void Store(TColor color);

    TDialogs& FDialogs;
    TColor FColor;
};
