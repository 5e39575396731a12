// "Optimize Animation...": the animation optimiser on the open document. The
// optimiser works on a copy; the user sees the estimated file sizes before and
// after and the copy replaces the document only on OK, so Cancel (or simply
// not saving) keeps the animation as it was.

#include "editor/FrameListView.h"
#include "editor/MainUnit.h"
#include "gifdata/GifData.h"
#include "gifdata/GifOptimizer.h"
#include "platform/Dialogs.h"

#include <new>
#include <string>

namespace {

const char* const OptimizeCaption = "Optimize Animation";

std::string Bytes(std::int64_t size) {
    return size < 0 ? std::string("unknown") : std::to_string(size) + " bytes";
}

} // namespace

void TMainForm::OptimizeAnimation1Click() {
    CommitPendingEdit();
    if (GIF->Frames.empty()) return;
    try {
        std::unique_ptr<TGIFData> optimized = CloneDocument(*GIF);
        std::string reason;
        if (!optimized) throw std::bad_alloc();
        if (!OptimizeAnimation(*optimized, OptimizeLevelMax, &reason)) {
            FDialogs.MessageDlg("The animation cannot be optimized: " + reason + ".", OptimizeCaption,
                                mtError, mbOK);
            return;
        }
        const std::int64_t before = EstimateSavedSize(*GIF);
        const std::int64_t after = EstimateSavedSize(*optimized);
        const std::string question =
            "Estimated size before: " + Bytes(before) + "\nEstimated size after: " + Bytes(after) +
            "\n\nEvery frame keeps its pixels, delay and comments. Optimize the animation?";
        if (FDialogs.MessageDlg(question, OptimizeCaption, mtConfirmation, mbOKCancel) != mrOk) return;

        const int row = CurrentRow();
        ListView1->clear(); // the rows point at the frames about to go
        CurrentFrameChanged();
        std::swap(GIF->Frames, optimized->Frames);
        for (auto& frame : GIF->Frames) frame->Owner = GIF.get();
        for (auto& frame : optimized->Frames) frame->Owner = optimized.get();
        std::swap(GIF->GlobalPalette, optimized->GlobalPalette);
        std::swap(GIF->ScreenFlags, optimized->ScreenFlags);
        std::swap(GIF->BackgroundIndex, optimized->BackgroundIndex);
        optimized.reset();

        Modified = true;
        FitLogicalScreen();
        GIF->RefreshThumbnails();
        FillFrameList();
        if (ListView1->count() > 0) ListView1->SelectRow(row >= 0 && row < ListView1->count() ? row : 0);
        UpdateStatusBar();
    } catch (const std::bad_alloc&) {
        FDialogs.MessageDlg("Not enough memory to optimize the animation.", OptimizeCaption, mtError, mbOK);
    }
}
