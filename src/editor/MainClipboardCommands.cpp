// The window's Edit menu commands on the floating selection: "Copy", "Paste"
// and "Select All". The clipboard is the system's, through the platform
// layer; the selection work is TComposeCanvas's.
#include "editor/CanvasIcons.h"
#include "editor/ComposeCanvas.h"
#include "editor/MainUnit.h"
#include "gifdata/GifData.h"
#include "platform/Clipboard.h"
#include "platform/Dialogs.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>

#include <new>

namespace {
// The largest picture a paste takes: its frame ring must still fit a frame.
constexpr int MaxPasteSide = 65535 - 2;
} // namespace

void TMainForm::CreateClipboardActions() {
    auto action = [this](const char* name, const char* caption, TCanvasCommandIcon icon, const char* keys,
                         void (TMainForm::*handler)()) {
        auto* a = new QAction(QString::fromUtf8(caption), this);
        a->setObjectName(QString::fromLatin1(name));
        a->setToolTip(QString::fromUtf8(caption));
        if (icon != ciNone) a->setIcon(CanvasCommandIcon(icon));
        a->setShortcut(QKeySequence(QString::fromLatin1(keys)));
        connect(a, &QAction::triggered, this, handler);
        a->setEnabled(false);
        return a;
    };
    Copy1 = action("Copy1", "Copy", ciCopy, "Ctrl+C", &TMainForm::Copy1Click);
    Paste1 = action("Paste1", "Paste", ciPaste, "Ctrl+V", &TMainForm::Paste1Click);
    SelectAll1 = action("SelectAll1", "Select All", ciNone, "Ctrl+A", &TMainForm::SelectAll1Click);
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        FClipboardHasPicture = ClipboardHasPicture();
        connect(clipboard, &QClipboard::dataChanged, this, [this] {
            FClipboardHasPicture = ClipboardHasPicture();
            UpdateCanvasActions();
        });
    }
}

void TMainForm::Copy1Click() {
    if (!CurrentFrame() || !Canvas->Selection.Shown) return;
    try {
        SetClipboardPicture(Canvas->Selection.CopyPicture());
    } catch (const std::bad_alloc&) {
        FDialogs.MessageDlg("Not enough memory for this command.", "Error", mtError, mbOK);
    }
    FClipboardHasPicture = ClipboardHasPicture();
    UpdateCanvasActions();
}

void TMainForm::Paste1Click() {
    if (!CurrentFrame()) return;
    try {
        const TBitmap picture = ClipboardPicture(MaxFramePixels);
        if (picture.Empty()) return;
        if (picture.Width() > MaxPasteSide || picture.Height() > MaxPasteSide) {
            FDialogs.MessageDlg("The picture on the clipboard is too large to paste.", "Error", mtError,
                                mbOK);
            return;
        }
        Canvas->PasteSelection(picture);
    } catch (const std::bad_alloc&) {
        Canvas->DropSelection();
        FDialogs.MessageDlg("Not enough memory for this command.", "Error", mtError, mbOK);
    }
    UpdateCanvasActions();
}

void TMainForm::SelectAll1Click() {
    if (!CurrentFrame()) return;
    try {
        Canvas->SelectAll();
    } catch (const std::bad_alloc&) {
        Canvas->DropSelection();
        FDialogs.MessageDlg("Not enough memory for this command.", "Error", mtError, mbOK);
    }
    UpdateCanvasActions();
}
