// The main window's preview page and frame export commands: the handlers read
// the window's state, call the preview player (PreviewPlayer.h) or the frame
// export (FrameExport.h), and report.

#include "editor/FrameExport.h"
#include "editor/FrameListView.h"
#include "editor/MainUnit.h"
#include "editor/PreviewPage.h"
#include "gifdata/GifData.h"
#include "platform/Dialogs.h"

#include <QAction>
#include <QMenu>
#include <QTabWidget>
#include <QVBoxLayout>

namespace {

// PNG beside the bitmaps: a lossless picture that keeps the frame's transparency.
const char* const ExportFilter = "Bitmaps (*.bmp)|*.bmp|PNG Image File (*.png)|*.png";

// The export file name, or empty when the dialog was cancelled. A name typed
// without an extension becomes a bitmap file (".bmp").
std::string AskExportFileName(TDialogs& dialogs) {
    TFileDialogOptions options;
    options.Filter = ExportFilter;
    options.DefaultExt = "bmp";
    return dialogs.SaveDialog(options);
}

std::string SkippedText(int skipped) {
    return skipped == 1 ? "1 frame has no pixels and was skipped."
                        : std::to_string(skipped) + " frames have no pixels and were skipped.";
}

} // namespace

void TMainForm::CreatePreviewActions() {
    PreviewArea = new TPreviewArea(PreviewPage);
    auto* layout = new QVBoxLayout(PreviewPage);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(PreviewArea);

    auto action = [this](const char* name, const char* caption, void (TMainForm::*handler)()) {
        auto* a = new QAction(QString::fromUtf8(caption), this);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    ExportImage1 = action("ExportImage1", "Export Image...", &TMainForm::ExportImage1Click);
    ExportAllImages1 = action("ExportAllImages1", "Export All Images...", &TMainForm::ExportAllImages1Click);
    PreviewBackgroundColor1 = action("PreviewBackgroundColor1", "Preview Background Color...",
                                     &TMainForm::PreviewBackgroundColor1Click);
    ChangeBackgroundColor1 = action("ChangeBackgroundColor1", "Change Background Color...",
                                    &TMainForm::PreviewBackgroundColor1Click);

    // File: the export commands go in their own group above Exit.
    QAction* beforeExit = Exit1;
    const QList<QAction*> fileActions = File1->actions();
    const qsizetype exitAt = fileActions.indexOf(Exit1);
    if (exitAt > 0 && fileActions[exitAt - 1]->isSeparator()) beforeExit = fileActions[exitAt - 1];
    File1->insertSeparator(beforeExit);
    File1->insertAction(beforeExit, ExportImage1);
    File1->insertAction(beforeExit, ExportAllImages1);
    View1->addSeparator();
    View1->addAction(PreviewBackgroundColor1);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    PopupMenu2->addAction(ChangeBackgroundColor1);
    PreviewArea->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(PreviewArea, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { PopupMenu2->popup(PreviewArea->mapToGlobal(at)); });
    UpdatePreviewActions();
}

void TMainForm::UpdatePreviewActions() {
    if (ExportImage1) ExportImage1->setEnabled(CurrentFrame() != nullptr);
}

void TMainForm::RefreshPreviewPage() {
    if (!PreviewArea) return;
    if (PageControl2->currentWidget() != PreviewPage) {
        PreviewArea->Stop();
        return;
    }
    // The preview plays what a save would write: compacted palettes, the
    // writer's bytes, read back into a copy that editing cannot touch.
    OptimizePalettes();
    try {
        PreviewArea->Play(DecodeSavedCopy(*GIF), PreviewBackground);
    } catch (const std::bad_alloc&) {
        PreviewArea->Stop();
        FDialogs.MessageDlg("There is not enough memory to preview the animation.", "Error", mtError, mbOK);
    }
}

void TMainForm::PreviewBackgroundColor1Click() {
    TColor colour = PreviewBackground;
    if (!FDialogs.ChooseColor(colour)) return;
    PreviewBackground = colour;
    if (PageControl2->currentWidget() == PreviewPage) RefreshPreviewPage();
}

void TMainForm::ExportImage1Click() {
    TGIFImageData* frame = CurrentFrame();
    if (!frame) return;
    const std::string path = AskExportFileName(FDialogs);
    if (path.empty()) return;
    std::string error;
    TFrameExportResult result = erFailed;
    try {
        result = ExportFrame(*frame, path, error);
    } catch (const std::bad_alloc&) {
        error = "There is not enough memory for the picture.";
    }
    if (result == erNoPixels)
        FDialogs.MessageDlg(SkippedText(1), "Export Image", mtInformation, mbOK);
    else if (result == erFailed)
        FDialogs.MessageDlg("Cannot write " + path + ": " + error, "Error", mtError, mbOK);
}

void TMainForm::ExportAllImages1Click() {
    if (GIF->Frames.empty()) return;
    const std::string path = AskExportFileName(FDialogs);
    if (path.empty()) return;
    TExportSummary summary;
    try {
        summary = ExportAllFrames(*GIF, path);
    } catch (const std::bad_alloc&) {
        summary.Failed = true;
        summary.FailedPath = path;
        summary.Error = "There is not enough memory for the pictures.";
    }
    if (summary.Failed)
        FDialogs.MessageDlg("Cannot write " + summary.FailedPath + ": " + summary.Error, "Error", mtError,
                            mbOK);
    if (summary.Skipped > 0)
        FDialogs.MessageDlg(SkippedText(summary.Skipped), "Export All Images", mtInformation, mbOK);
}
