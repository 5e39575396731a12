#pragma once
// The "Crop Image" dialog: the frame's picture at 1:1 with a rectangle that
// the user drags by its eight handles or its inside, or types as X0, Y0, X1,
// Y1. The rectangle is held as x0, y0 (first column and row inside) and x1, y1
// (first column and row outside); the fields show x0, y0, x1 - 1, y1 - 1.

#include "platform/Bitmap.h"

#include <QDialog>
#include <QImage>
#include <QWidget>

class QLabel;
class QPushButton;
class QScrollArea;
class QSpinBox;
class TDialogs;
class TCropImageForm;

// What a point on the picture hits, in the order the hit test tries them.
enum TCropHit : int {
    chTopLeft,
    chTopRight,
    chBottomRight,
    chBottomLeft,
    chLeft,
    chRight,
    chTop,
    chBottom,
    chMove,
    chOutside,
};

// The picture with the rectangle and its handles drawn over it by exclusive-or.
class TCropPicture : public QWidget {
    Q_OBJECT
  public:
    TCropPicture(TCropImageForm& form, QWidget* parent);
    // Draws the picture again from the original with the form's rectangle.
    void Redraw();
    const QImage& Shown() const { return FShown; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    TCropImageForm& FForm;
    QImage FShown;
};

class TCropImageForm : public QDialog {
    Q_OBJECT
  public:
    TCropImageForm(const TBitmap& picture, QWidget* parent = nullptr);

    // Sets the rectangle (x1, y1 outside) and shows it in the fields and the picture.
    void SetRect(int x0, int y0, int x1, int y1);

    // The pointer on the picture, in picture pixels.
    TCropHit HitTest(int x, int y) const;
    void PictureMouseDown(Qt::MouseButton button, int x, int y);
    void PictureMouseMove(int x, int y, bool leftHeld);
    void PictureMouseUp();
    // The pointer shape for a hit while no drag is going on.
    static Qt::CursorShape HitCursor(TCropHit hit);

    int X0 = 0, Y0 = 0, X1 = 0, Y1 = 0;
    const QImage& Original() const { return FOriginal; }

    QScrollArea* ScrollBox1;
    TCropPicture* Image1;
    QSpinBox* X0Edit;
    QSpinBox* Y0Edit;
    QSpinBox* X1Edit;
    QSpinBox* Y1Edit;
    QLabel* SizeLabel;
    QPushButton* OKButton;
    QPushButton* CancelButton;

  private:
    void EditChange();
    void ShowRect();

    QImage FOriginal;
    int FWidth, FHeight;
    bool FUpdating = false;
    bool FDragging = false;
    TCropHit FHit = chOutside;
    int FLastX = 0, FLastY = 0;
};

// Runs the dialog on a picture. On entry right and bottom are taken as x1 and
// y1; on "OK" the rectangle becomes x0, y0, x1 - 1, y1 - 1 and the result is
// true. "Cancel" or closing the dialog returns false.
bool CropDialog(const TBitmap& picture, int& left, int& top, int& right, int& bottom, TDialogs& dialogs,
                QWidget* parent = nullptr);
