#pragma once
// The "Frame" dialog: title, offset, transparency, interlacing, delay, removal
// method and local colour table of a frame; for a new frame also its size.

#include "gifdata/DefaultPalette.h"

#include <QDialog>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;
class TColorSwatch;
class TDialogs;
class TGIFData;
class TGIFImageData;

// The name of a removal method: "None", "Do not remove", "To backbround color",
// "To previous state" for 0..3, empty for anything else.
std::string DisposalName(int disposal);

class TFrameForm : public QDialog {
    Q_OBJECT
  public:
    // frame: the frame to edit, or none for a new frame of document.
    TFrameForm(TGIFData& document, TGIFImageData* frame, QWidget* parent = nullptr);

    // Copies the frame's values (or the new-frame defaults) into the controls.
    void Fill();
    // Creates the new frame from the controls (appended to the document), or
    // writes the controls into the existing frame. defaults fills a new local table.
    void WriteBack(const TDefaultPalette& defaults);

    bool Accepted = false;
    bool Changed = false;

    QLineEdit* TitleEdit;
    QSpinBox* XEdit;
    QSpinBox* YEdit;
    QSpinBox* WEdit;
    QSpinBox* HEdit;
    QCheckBox* LocalTableCheck;
    QCheckBox* InterlacedCheck;
    QCheckBox* TransparentCheck;
    QSpinBox* TransIndexEdit;
    TColorSwatch* TransSwatch;
    QSpinBox* DelayEdit;
    QComboBox* DisposalCombo;
    QPushButton* OKButton;
    QPushButton* CancelButton;

  private:
    void EditChange();
    void TransparentClick();
    void TransIndexChange();
    void OKClick();
    // The title to store: the field's text without leading and trailing blanks.
    std::string TitleBytes() const;

    TGIFData& FDocument;
    TGIFImageData* FFrame;
    // The frame's title as filled in, so an untouched title keeps its exact bytes.
    std::string FFilledTitle;
};

// Runs the dialog. An existing frame is changed only after "OK" with a change;
// with none, "OK" appends a new frame. True when the model changed.
bool ShowFrameProperties(TGIFData& document, TGIFImageData* frame, const TDefaultPalette& defaults,
                         TDialogs& dialogs, QWidget* parent = nullptr);
