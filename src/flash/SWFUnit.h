#pragma once
// The "Save As Flash Movie (SWF)" dialog: the user picks a background colour
// and a frame rate, then saves the movie or previews it. The document is only
// read. Errors of an export are shown in a message box and the dialog stays open.

#include "platform/Bitmap.h"

#include <QDialog>
#include <string>

class QFrame;
class QLabel;
class QPushButton;
class QSpinBox;
class TDialogs;
class TGIFData;

class TSWFForm : public QDialog {
    Q_OBJECT
  public:
    // programDir: the folder that receives the preview's temporary movie.
    TSWFForm(const TGIFData& document, TDialogs& dialogs, std::string programDir, QWidget* parent = nullptr);

    // Runs the dialog modally; true when a movie was saved. A document without
    // frames returns false at once and shows nothing.
    bool Execute();

    void Button4Click(); // "Select Color..." and a click on the swatch
    void Button1Click(); // "&Save..."
    void Button2Click(); // "&Preview..."
    void Button3Click(); // "&Cancel"

    // Writes the movie of the document to path at the chosen rate and
    // background. Raises std::exception with the reason on failure.
    void Export(const std::string& path);

    TColor BackgroundColor() const { return FBackground; }
    void SetBackgroundColor(TColor color);
    // The frame rate as the export reads it from the spin box.
    int FrameRate() const;
    // Where the preview's movie is written (last preview; empty before).
    const std::string& PreviewFileName() const { return FPreviewFileName; }

    QFrame* Panel1;
    QFrame* ScrollBox1; // the colour swatch
    QPushButton* Button4;
    QSpinBox* SpinEdit1;
    QPushButton* Button1;
    QPushButton* Button2;
    QPushButton* Button3;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    // Runs work; a failure is shown in a message box. True when it succeeded.
    template <class F> bool Guarded(F work);

    const TGIFData& FDocument;
    TDialogs& FDialogs;
    std::string FProgramDir;
    std::string FPreviewFileName;
    TColor FBackground;
    bool FResult = false;
};

// The temporary movie of the preview: "TmpSWF.swf" in programDir when that
// folder is writable, otherwise in the user's cache folder.
std::string TemporaryMoviePath(const std::string& programDir);
