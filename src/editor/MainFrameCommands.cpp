// The window's frame list commands: the Frame menu, the list's pop-up menu,
// keys and drag and drop on the list, and files dropped on the window. The
// work on the document is in FrameOperations and FrameImport.
#include "editor/MainUnit.h"

#include "editor/FrameImport.h"
#include "editor/FrameListView.h"
#include "editor/FrameOperations.h"
#include "editor/UndoHistory.h"
#include "gifdata/GifData.h"
#include "platform/Dialogs.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QToolBar>

#include <algorithm>
#include <new>

namespace {

const char* const ImportFilter =
    "All (*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.png)|*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf;*.png|"
    "GIF Image (*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|Bitmaps "
    "(*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|Metafiles (*.wmf)|*.wmf|PNG Image "
    "File "
    "(*.png)|*.png";

const char* const MergeHint = "Please hold CTRL KEY to select more frames after current frame.";
const char* const OutOfMemory = "Not enough memory for this command.";

// A film frame with an arrow up or down: the tool bar pictures of Move Up and Move Down.
QIcon MoveIcon(bool up) {
    QPixmap picture(28, 28);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(60, 60, 70), 1.2));
    p.setBrush(QColor(240, 240, 240));
    p.drawRect(QRectF(3.5, up ? 15.5 : 3.5, 21, 9));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(67, 99, 216));
    const qreal tip = up ? 2 : 26, base = up ? 12 : 16;
    const QPointF arrow[] = {{14, tip}, {21, base}, {7, base}};
    p.drawPolygon(arrow, 3);
    return QIcon(picture);
}

std::vector<std::string> ToPaths(const QStringList& files) {
    std::vector<std::string> paths;
    for (const QString& file : files) paths.push_back(file.toStdString());
    return paths;
}

} // namespace

void TMainForm::CreateFrameActions() {
    auto action = [this](const char* name, const char* caption, void (TMainForm::*handler)()) {
        auto* a = new QAction(QString::fromUtf8(caption), this);
        a->setObjectName(QString::fromLatin1(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };
    DeleteImage1 = action("DeleteImage1", "Delete Frame", &TMainForm::DeleteImage1Click);
    DeleteImage1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Delete));
    RemoveAllFrameTitles1 =
        action("RemoveAllFrameTitles1", "Remove All Frame Titles", &TMainForm::RemoveAllFrameTitles1Click);
    RemoveUnnecessaryExtensions1 = action("RemoveUnnecessaryExtensions1", "Remove All Unnecessary Extensions",
                                          &TMainForm::RemoveUnnecessaryExtensions1Click);
    MoveUp1 = action("MoveUp1", "Move Up", &TMainForm::MoveUp1Click);
    MoveUp1->setToolTip(QStringLiteral("Move Up"));
    MoveUp1->setIcon(MoveIcon(true));
    MoveDown1 = action("MoveDown1", "Move Down", &TMainForm::MoveDown1Click);
    MoveDown1->setToolTip(QStringLiteral("Move Down"));
    MoveDown1->setIcon(MoveIcon(false));
    CloneFrame1 = action("CloneFrame1", "Duplicate", &TMainForm::CloneFrame1Click);
    Merge1 = action("Merge1", "Merge", &TMainForm::Merge1Click);

    // Frame menu: New Frame, Add Frame From File... and Frame Properties... are there already.
    Image2->insertAction(Properties1, DeleteImage1);
    Image2->insertSeparator(Properties1);
    Image2->insertAction(Properties1, RemoveAllFrameTitles1);
    Image2->insertAction(Properties1, RemoveUnnecessaryExtensions1);
    Image2->insertSeparator(Properties1);
    Image2->addSeparator();
    Image2->addAction(MoveUp1);
    Image2->addAction(MoveDown1);
    Image2->addSeparator();
    Image2->addAction(CloneFrame1);
    Image2->addAction(Merge1);
    CreateColorsMenu();
}

void TMainForm::ConnectFrameList() {
    ToolBar1->addAction(MoveUp1);
    ToolBar1->addAction(MoveDown1);
    connect(ListView1, &TFrameListView::RowDropped, this, [this](int target) {
        ListView1DragDrop(target);
        UpdateActions();
    });
    connect(ListView1, &TFrameListView::FilesDropped, this, [this](const QStringList& files) {
        FormDragDrop(ToPaths(files));
        UpdateActions();
    });
    connect(ListView1, &TFrameListView::DeletePressed, DeleteImage1, &QAction::trigger);
    connect(ListView1, &TFrameListView::MoveUpPressed, MoveUp1, &QAction::trigger);
    connect(ListView1, &TFrameListView::MoveDownPressed, MoveDown1, &QAction::trigger);
    setAcceptDrops(true);
}

// ---------------------------------------------------------------------------
// Importing pictures

void TMainForm::AddImage1Click() {
    TFileDialogOptions options;
    options.Filter = ImportFilter;
    options.MultiSelect = true;
    options.MustExist = true;
    const std::vector<std::string> files = FDialogs.OpenDialog(options);
    if (files.empty()) return;
    ImportFiles(files);
}

void TMainForm::ImportFiles(const std::vector<std::string>& files) {
    CommitPendingEdit();
    TImportResult result;
    {
        // A file that cannot be read is reported once, by name, below.
        SetIOErrorHandler(nullptr);
        try {
            result = ImportFrameFiles(*GIF, files);
        } catch (const std::bad_alloc&) {
            result.Stop = isLoadFailed;
            result.Message = OutOfMemory;
        }
        InstallIOErrorHandler();
    }
    if (result.FramesAdded > 0) Modified = true;
    if (result.Stop == isLoadFailed) FDialogs.MessageDlg(result.Message, "Error", mtError, mbOK);
    if (result.ScreenChanged) ListView1->viewport()->update();
    FillFrameList();
    if (ListView1->count() > 0) {
        ListView1->SelectRow(ListView1->count() - 1);
        ListView1->scrollToBottom();
    }
    UpdateStatusBar();
}

void TMainForm::FormDragDrop(const std::vector<std::string>& files) {
    if (!files.empty()) ImportFiles(files);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFiles(event->mimeData()).isEmpty()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        QMainWindow::dragEnterEvent(event);
    }
}

void TMainForm::dropEvent(QDropEvent* event) {
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty()) {
        QMainWindow::dropEvent(event);
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    FormDragDrop(ToPaths(files));
    UpdateActions();
}

// ---------------------------------------------------------------------------
// Deleting and moving

void TMainForm::DeleteImage1Click() {
    const int row = CurrentRow();
    if (!CurrentFrame()) {
        UpdateStatusBar();
        return;
    }
    CancelPendingEdit();
    // The row goes before its frame, so no row ever refers to a destroyed frame.
    delete ListView1->takeItem(row);
    GIF->DeleteFrame(row);
    UndoHistory->ClearUndo();
    LastFrameIndex = -1;
    ListView1->clearSelection();
    CurrentFrameChanged();
    if (FitLogicalScreen()) GIF->RefreshThumbnails();
    ListView1->viewport()->update();
    Modified = true;
    UpdateStatusBar();
}

void TMainForm::MoveCurrentFrame(int target) {
    const int row = CurrentRow();
    CommitPendingEdit();
    if (!MoveFrameTo(*GIF, row, target)) return;
    QListWidgetItem* item = ListView1->takeItem(row);
    ListView1->insertItem(target, item);
    LastFrameIndex = -1;
    ListView1->SelectRow(target);
    CurrentFrameChanged();
    ListView1->viewport()->update();
    Modified = true;
}

void TMainForm::MoveUp1Click() {
    const int row = CurrentRow();
    if (!CurrentFrame() || row <= 0) return;
    MoveCurrentFrame(row - 1);
}

void TMainForm::MoveDown1Click() {
    const int row = CurrentRow();
    if (!CurrentFrame() || row >= ListView1->count() - 1) return;
    MoveCurrentFrame(row + 1);
}

void TMainForm::ListView1DragDrop(int target) {
    if (target < 0 || target >= ListView1->count() || !CurrentFrame()) return;
    if (ListView1->item(target)->isSelected()) return;
    MoveCurrentFrame(target);
}

// ---------------------------------------------------------------------------
// Duplicate and merge

void TMainForm::CloneFrame1Click() {
    TGIFImageData* source = CurrentFrame();
    if (!source) return;
    CommitPendingEdit();
    TGIFImageData* copy = nullptr;
    try {
        copy = DuplicateFrame(*GIF, *source);
    } catch (const std::bad_alloc&) {
        copy = nullptr;
    }
    if (!copy) {
        FDialogs.MessageDlg(OutOfMemory, "Error", mtError, mbOK);
        return;
    }
    Modified = true;
    if (FitLogicalScreen()) GIF->RefreshThumbnails();
    FillFrameList();
    UpdateStatusBar();
    ListView1->SelectRow(ListView1->count() - 1);
    ListView1->scrollToBottom();
}

void TMainForm::Merge1Click() {
    if (ListView1->SelectedRowCount() < 2) {
        FDialogs.MessageDlg(MergeHint, "Information", mtInformation, mbOK);
        return;
    }
    CommitPendingEdit();
    std::vector<int> rows;
    for (const QModelIndex& index : ListView1->selectionModel()->selectedIndexes())
        rows.push_back(index.row());
    std::sort(rows.begin(), rows.end());
    TGIFImageData* target = ListView1->FrameAt(rows.front());
    bool merged = false;
    try {
        merged = MergeFrames(*GIF, rows);
    } catch (const std::bad_alloc&) {
        FDialogs.MessageDlg(OutOfMemory, "Error", mtError, mbOK);
    }
    if (!merged) return;
    Modified = true;
    ListView1->viewport()->update();
    LastFrameIndex = rows.front();
    UndoHistory->ClearUndo();
    UndoHistory->PushUndo(target, 0);
    ShowFrame(target);
    DrawPalette(target);
}

// ---------------------------------------------------------------------------
// Titles and extension blocks

void TMainForm::RemoveAllFrameTitles1Click() {
    if (!RemoveAllFrameTitles(*GIF)) return;
    ListView1->viewport()->update();
    Modified = true;
}

void TMainForm::RemoveUnnecessaryExtensions1Click() {
    if (RemoveUnnecessaryExtensions(*GIF)) Modified = true;
}
