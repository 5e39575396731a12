// "New Text Effect GIF...": the open document becomes a text effect animation
// designed in the text effect wizard.

#include "editor/ComposeCanvas.h"
#include "editor/FrameListView.h"
#include "editor/MainUnit.h"

#include "generators/GeneratedDocument.h"
#include "generators/text/TextEffectUnit.h"
#include "gifdata/GifData.h"
#include "platform/Dialogs.h"

#include <QStatusBar>

#include <new>

void TMainForm::NewText1Click() {
    // The wizard is modal; a second start while it runs (or generates) is refused.
    if (TextEffectForm->Running()) return;
    if (!ConfirmSave()) return;

    // Rows refer to frames: the list goes first, and the views follow it.
    CancelPendingEdit();
    ListView1->clear();
    CurrentFrameChanged();
    ResetDocumentForGeneration(*GIF);
    Canvas->Zoom = 1;
    FillFrameList();
    ShowFrame(nullptr);
    FileName.clear();
    setWindowTitle(BaseCaption);
    Modified = false;
    UpdateStatusBar();

    TextEffectForm->OnProgress = [this](int done, int total) {
        if (total > 0)
            StatusBar1->showMessage(QStringLiteral("Generating frame %1 of %2...").arg(done).arg(total));
        else
            StatusBar1->clearMessage();
    };
    bool added = false;
    try {
        added = TextEffectForm->Run(*GIF);
    } catch (const std::bad_alloc&) {
        // The wizard frees what it generated when memory runs out; whatever is
        // left is shown below rather than lost.
        added = !GIF->Frames.empty();
        FDialogs.MessageDlg("Not enough memory to generate the animation.", "Error", mtError, mbOK);
    }
    TextEffectForm->OnProgress = nullptr;
    StatusBar1->clearMessage();
    if (!added) return;

    Canvas->Zoom = 1;
    FileName.clear();
    setWindowTitle(BaseCaption);
    Modified = true;
    if (FitLogicalScreen()) GIF->RefreshThumbnails();
    FillFrameList();
    if (ListView1->count() > 0) {
        ListView1->SelectRow(ListView1->count() - 1);
        ListView1->scrollToBottom();
    }
    UpdateStatusBar();
}
