#pragma once
// The palette strip under the canvas: the fore and back colour swatches, the
// grid of the current frame's 256 palette entries (32 columns by 8 rows of
// 15 x 12 cells), the labels that describe the entry under the pointer and a
// marker that can be shown over one cell.

#include "editor/ColorSwatch.h"
#include "platform/Bitmap.h"

#include <QImage>
#include <QWidget>
#include <array>

class QLabel;

constexpr int PaletteCellWidth = 15;
constexpr int PaletteCellHeight = 12;
constexpr int PaletteColumns = 32;
constexpr int PaletteRows = 8;
constexpr int PaletteGridWidth = PaletteColumns * PaletteCellWidth;    // 480
constexpr int PaletteGridHeight = PaletteRows * PaletteCellHeight + 1; // 97: the last outline row
constexpr TColor PaletteMarkColor = RGB(192, 192, 192);                // silver, combined by exclusive-or

// What one cell shows.
struct TPaletteCell {
    TColor Color = NoColor; // NoColor: an empty cell
    bool Used = true;
    bool TransparentMark = false;
};

// What the whole grid shows. ForeIndex / BackIndex of -1 outline no cell.
struct TPaletteGridContent {
    std::array<TPaletteCell, 256> Cells{};
    int ForeIndex = -1;
    int BackIndex = -1;
    bool MarkUnused = true;
};

// The entry whose cell holds grid point (x, y); -1 outside the 32 x 8 cells.
int PaletteCellAt(int x, int y);

// The grid picture (PaletteGridWidth x PaletteGridHeight, RGB32) on the given background.
QImage DrawPaletteGrid(const TPaletteGridContent& content, QColor background);

// The grid itself (Image1): shows the picture and reports the pointer in grid coordinates.
class TPaletteGrid : public QWidget {
    Q_OBJECT
  public:
    explicit TPaletteGrid(QWidget* parent = nullptr);
    void SetContent(const TPaletteGridContent& content);
    const TPaletteGridContent& Content() const { return FContent; }
    const QImage& Picture() const { return FPicture; }

  signals:
    void Pressed(int x, int y, Qt::MouseButton button);
    void Moved(int x, int y);
    void DoubleClicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    TPaletteGridContent FContent;
    QImage FPicture;
};

// A colour swatch that reports a click.
class TPaletteSwatch : public TColorSwatch {
    Q_OBJECT
  public:
    explicit TPaletteSwatch(QWidget* parent = nullptr);

  signals:
    void Clicked();

  protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The whole strip (ScrollBox1), laid out left to right: swatches, grid, labels.
class TPaletteStrip : public QWidget {
    Q_OBJECT
  public:
    explicit TPaletteStrip(QWidget* parent = nullptr);

    // Shows the marker picture over cell index; any index outside 0..255 hides it.
    void MarkCell(int index);

    TPaletteSwatch* ScrollBox2; // fore colour
    TPaletteSwatch* ScrollBox6; // back colour
    TPaletteGrid* Image1;
    QLabel* Image6; // the marker over one cell
    QLabel* Label3; // "[Global]", "[Local]" or "[-----]"
    QLabel* Label4; // index
    QLabel* Label5; // red
    QLabel* Label6; // green
    QLabel* Label7; // blue
    QLabel* Label1; // used or not
};
