#pragma once
// TGetImageSizeForm: the prompt for a frame size ("Width:" and "Height:",
// 1..9999 each) that opens the slide-show wizard.

#include <QDialog>
#include <string>

class QPushButton;
class QSpinBox;
class TDialogs;

class TGetImageSizeForm : public QDialog {
  public:
    explicit TGetImageSizeForm(QWidget* parent = nullptr);

    QSpinBox* SpinEdit1; // "Width:"
    QSpinBox* SpinEdit2; // "Height:"
    QPushButton* OKButton;
    QPushButton* CancelButton;
};

// Runs the prompt with the given caption, starting from width and height.
// False on "Cancel"; true with the edited values otherwise.
bool GetImageSize(TDialogs& dialogs, const std::string& caption, int& width, int& height,
                  QWidget* parent = nullptr);
