#pragma once
// The "Global" dialog: background colour index and looping of the document;
// the logical screen size is shown but cannot be edited.

#include <QDialog>

class QCheckBox;
class QPushButton;
class QSpinBox;
class TColorSwatch;
class TDialogs;
class TGIFData;

class TGlobalForm : public QDialog {
    Q_OBJECT
  public:
    TGlobalForm(const TGIFData& document, QWidget* parent = nullptr);

    // Copies the document's values into the controls.
    void Fill();
    // Writes the controls back into the document.
    void WriteBack(TGIFData& document) const;

    // Set by "OK"; cleared when the dialog opens.
    bool Accepted = false;
    // Set by every edit; cleared right before the dialog is shown.
    bool Changed = false;

    QSpinBox* WidthEdit;
    QSpinBox* HeightEdit;
    QSpinBox* BackIndexEdit;
    TColorSwatch* BackSwatch;
    QSpinBox* LoopingEdit;
    QCheckBox* InfiniteCheck;
    QPushButton* OKButton;
    QPushButton* CancelButton;

  private:
    void EditChange();
    void InfiniteClick();
    void BackIndexChange();
    void OKClick();

    const TGIFData& FDocument;
};

// Runs the dialog on the document. True when values were written back: after
// "OK" with a change, or after "OK" at all when force is set (a new document).
bool ShowGlobalProperties(TGIFData& document, TDialogs& dialogs, bool force, QWidget* parent = nullptr);
