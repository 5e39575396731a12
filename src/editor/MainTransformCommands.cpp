// The window's geometry commands on the current frame: "Mirror" and "Rotate"
// on the Frame menu (of the floating selection instead while one is shown),
// "Resize Image..." (also on the frame list's pop-up menu) and "Crop...".
// The pixel work is in ImageTransforms; the handlers apply
// it to the canvas image, write it back into the frame and refresh the views.
#include "editor/ComposeCanvas.h"
#include "editor/CropImageUnit.h"
#include "editor/FrameListView.h"
#include "editor/ImageTransforms.h"
#include "editor/MainUnit.h"
#include "editor/ResizeImageUnit.h"
#include "editor/UndoHistory.h"
#include "gifdata/GifData.h"
#include "platform/Dialogs.h"

#include <QAction>
#include <QMenu>

#include <new>
#include <utility>

namespace {
const char* const OutOfMemory = "Not enough memory for this command.";
} // namespace

void TMainForm::CreateTransformActions() {
    auto action = [this](const char* name, const char* caption, void (TMainForm::*handler)()) {
        auto* a = new QAction(QString::fromUtf8(caption), this);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    N901 = action("N901", "90 Degrees", &TMainForm::N901Click);
    N180degrees1 = action("N180degrees1", "180 Degrees", &TMainForm::N180degrees1Click);
    N270degrees1 = action("N270degrees1", "270 Degrees", &TMainForm::N270degrees1Click);
    X1 = action("X1", "Horizontally", &TMainForm::X1Click);
    Vertically1 = action("Vertically1", "Vertically", &TMainForm::Vertically1Click);

    // After "Frame Properties...": the geometry of the current frame.
    QAction* before = Properties1;
    const QList<QAction*> items = Image2->actions();
    const qsizetype at = items.indexOf(Properties1);
    if (at >= 0 && at + 1 < items.size()) before = items[at + 1];
    Image2->insertSeparator(before);
    Rotate1 = new QMenu(QStringLiteral("Rotate"), Image2);
    Rotate1->setObjectName(QStringLiteral("Rotate1"));
    Rotate1->addAction(N901);
    Rotate1->addAction(N180degrees1);
    Rotate1->addAction(N270degrees1);
    Image2->insertMenu(before, Rotate1);
    Mirror1 = new QMenu(QStringLiteral("Mirror"), Image2);
    Mirror1->setObjectName(QStringLiteral("Mirror1"));
    Mirror1->addAction(X1);
    Mirror1->addAction(Vertically1);
    Image2->insertMenu(before, Mirror1);

    ResizeImage1 = action("ResizeImage1", "Resize Image...", &TMainForm::ResizeImage1Click);
    Image2->insertAction(before, ResizeImage1);
    Crop1 = action("Crop1", "Crop...", &TMainForm::Crop1Click);
    Image2->insertAction(before, Crop1);
    // The pop-up menu: "Global Properties...", "Frame Properties...", a separator,
    // "Resize Image..." and "Delete Frame".
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(ResizeImage1);
}

// ---------------------------------------------------------------------------
// Mirror and rotate

void TMainForm::TransformCurrentFrame(int kind) {
    TGIFImageData* frame = CurrentFrame();
    if (!frame) return;
    if (Canvas->Selection.Shown) {
        // Only the floating selection turns; the frame changes where its source is erased.
        try {
            Canvas->TransformSelection(kind);
        } catch (const std::bad_alloc&) {
            Canvas->DropSelection();
            ShowFrame(frame);
            FDialogs.MessageDlg(OutOfMemory, "Error", mtError, mbOK);
        }
        UpdateCanvasActions();
        return;
    }
    // Typed text goes into the frame first, so the whole picture turns together.
    CommitPendingEdit();
    TBitmap& image = Canvas->CanvasImage;
    const int oldWidth = image.Width(), oldHeight = image.Height();
    try {
        if (!TransformBitmap(&image, kind)) return;
        if (image.Width() != oldWidth || image.Height() != oldHeight) {
            // The rotation turns about the frame's top-left corner: the offset stays.
            frame->FreePixels();
            frame->Width = std::uint16_t(image.Width());
            frame->Height = std::uint16_t(image.Height());
            frame->AllocatePixels();
            if (!frame->HasPixels()) throw std::bad_alloc();
            if (FitLogicalScreen()) {
                GIF->RefreshThumbnails();
                ListView1->viewport()->update();
            }
        }
        CommitCanvas(Canvas->CurrentTool);
    } catch (const std::bad_alloc&) {
        // The frame keeps its picture; only a frame whose new buffer could not be had
        // is left at its old size with the pixels of the canvas backup.
        if (frame->Width != oldWidth || frame->Height != oldHeight) {
            frame->Width = std::uint16_t(oldWidth);
            frame->Height = std::uint16_t(oldHeight);
            frame->AllocatePixels();
            if (frame->HasPixels()) frame->CopyIndicesFrom(Canvas->CanvasBackup);
        }
        ShowFrame(frame);
        FDialogs.MessageDlg(OutOfMemory, "Error", mtError, mbOK);
        return;
    }
    ShowFrame(frame);
    ShowFrameInfo(frame);
    UndoHistory->ClearUndo();
    UndoHistory->PushUndo(frame, 0);
    Modified = true;
    UpdateCanvasActions();
}

void TMainForm::X1Click() {
    TransformCurrentFrame(tkMirrorHorizontally);
}

void TMainForm::Vertically1Click() {
    TransformCurrentFrame(tkMirrorVertically);
}

void TMainForm::N901Click() {
    TransformCurrentFrame(tkRotate90);
}

void TMainForm::N180degrees1Click() {
    TransformCurrentFrame(tkRotate180);
}

void TMainForm::N270degrees1Click() {
    TransformCurrentFrame(tkRotate270);
}

// ---------------------------------------------------------------------------
// Resize

void TMainForm::ResizeImage1Click() {
    TGIFImageData* frame = CurrentFrame();
    if (!frame) return;
    int width = frame->Width, height = frame->Height;
    const int operation = ResizeDialog(width, height, FDialogs, this);
    if (operation == roNone || (width == frame->Width && height == frame->Height)) return;
    // Typed text is written into the frame first rather than lost when the canvas reloads.
    CommitPendingEdit();
    bool resized = false;
    try {
        resized = ResizeFrame(*frame, width, height, operation);
    } catch (const std::bad_alloc&) {
        resized = false;
    }
    if (!resized) {
        FDialogs.MessageDlg(OutOfMemory, "Error", mtError, mbOK);
        return;
    }
    FitLogicalScreen();
    GIF->RefreshThumbnails();
    ListView1->viewport()->update();
    ShowFrame(frame);
    ShowFrameInfo(frame);
    DrawPalette(frame);
    Modified = true;
}

// ---------------------------------------------------------------------------
// Crop

void TMainForm::Crop1Click() {
    TGIFImageData* frame = CurrentFrame();
    if (!frame) return;
    CommitPendingEdit();
    // The top-left quarter to start with.
    int left = 0, top = 0, right = frame->Width / 2, bottom = frame->Height / 2;
    if (!CropDialog(Canvas->CanvasImage, left, top, right, bottom, FDialogs, this)) return;
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    // The kept pixels stay where they were on the logical screen.
    if (frame->Left + left > 0xFFFF || frame->Top + top > 0xFFFF) {
        FDialogs.MessageDlg("The cropped frame would lie outside the largest logical screen.", "Error",
                            mtError, mbOK);
        return;
    }
    try {
        TBitmap cropped = CroppedBitmap(Canvas->CanvasImage, left, top, right, bottom);
        if (cropped.Empty()) throw std::bad_alloc();
        const std::uint16_t oldWidth = frame->Width, oldHeight = frame->Height;
        frame->Width = std::uint16_t(cropped.Width());
        frame->Height = std::uint16_t(cropped.Height());
        frame->AllocatePixels();
        if (!frame->HasPixels()) {
            frame->Width = oldWidth;
            frame->Height = oldHeight;
            frame->AllocatePixels();
            if (frame->HasPixels()) frame->CopyIndicesFrom(Canvas->CanvasImage);
            throw std::bad_alloc();
        }
        frame->Left = std::uint16_t(frame->Left + left);
        frame->Top = std::uint16_t(frame->Top + top);
        Canvas->CanvasImage = std::move(cropped);
    } catch (const std::bad_alloc&) {
        ShowFrame(frame);
        FDialogs.MessageDlg(OutOfMemory, "Error", mtError, mbOK);
        return;
    }
    CommitCanvas(0);
    Modified = true;
    if (FitLogicalScreen()) GIF->RefreshThumbnails();
    ListView1->viewport()->update();
    LastFrameIndex = CurrentRow();
    UndoHistory->ClearUndo();
    UndoHistory->PushUndo(frame, 0);
    ShowFrame(frame);
    ShowFrameInfo(frame);
    UpdateCanvasActions();
}
