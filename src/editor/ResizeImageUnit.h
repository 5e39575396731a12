#pragma once
// The "Resize Image" dialog: the operation ("Resize" cuts or extends the
// picture, "Stretch" scales it) and the new width and height of a frame.

#include <QDialog>

class QComboBox;
class QPushButton;
class QSpinBox;
class TDialogs;

class TResizeImageForm : public QDialog {
    Q_OBJECT
  public:
    TResizeImageForm(TDialogs& dialogs, QWidget* parent = nullptr);

    // Fills the fields; changes after this count as the user's.
    void Fill(int width, int height);

    // A number field was changed by the user after Fill.
    bool Changed = false;

    QComboBox* ComboBox1; // "Operate:"
    QSpinBox* WidthEdit;
    QSpinBox* HeightEdit;
    QPushButton* OKButton;
    QPushButton* CancelButton;

  private:
    void OKClick();
    void EditChange();

    TDialogs& FDialogs;
    bool FWatching = false;
};

// Runs the dialog on a frame's width and height. Returns roNone (-1) unless
// "OK" closed it after a number field was changed; then width and height hold
// the fields' values and the result is the operation (roResize or roStretch).
int ResizeDialog(int& width, int& height, TDialogs& dialogs, QWidget* parent = nullptr);
