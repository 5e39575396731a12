// The one place that decides which commands can run: every menu item, tool
// button and pop-up item shares its QAction, so one rule covers all three.
#include "editor/MainUnit.h"

#include "editor/FrameListView.h"
#include "gifdata/GifData.h"

#include <QAction>
#include <QMenu>

void TMainForm::WireUpdateActions() {
    // Connected after each action's handler, so the enabling follows what the command did.
    for (QAction* action : findChildren<QAction*>())
        connect(action, &QAction::triggered, this, &TMainForm::UpdateActions);
}

void TMainForm::UpdateActions() {
    TGIFImageData* frame = CurrentFrame();
    const bool hasFrame = frame != nullptr;

    // Frame menu, the list's pop-up menu and the tool bar.
    const int row = CurrentRow();
    for (QAction* action : {DeleteImage1, Properties1, CloneFrame1, Merge1}) action->setEnabled(hasFrame);
    for (QAction* action : {Rotate1->menuAction(), N901, N180degrees1, N270degrees1, Mirror1->menuAction(),
                            X1, Vertically1, ResizeImage1})
        action->setEnabled(hasFrame);
    MoveUp1->setEnabled(hasFrame && row > 0);
    MoveDown1->setEnabled(hasFrame && row < ListView1->count() - 1);

    // Color menu.
    EditCurrentColor1->setEnabled(hasFrame);
    EditCurrentBackColor1->setEnabled(hasFrame);
    UseStandardColorsForNouseColors1->setEnabled(hasFrame);
    MoveLocalColorsToGlobal1->setEnabled(hasFrame && frame->HasLocalTable());
    CreateLocalPalette1->setEnabled(hasFrame && !frame->HasLocalTable());

    UpdateCanvasActions();
    UpdatePreviewActions();
}
