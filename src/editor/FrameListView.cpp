#include "editor/FrameListView.h"

#include "editor/QtBitmap.h"
#include "gifdata/GifData.h"

#include <QDrag>
#include <QDragEnterEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QUrl>

#include <algorithm>

namespace {

constexpr int FrameRole = Qt::UserRole + 1;
// A drag of rows names the list it started in.
const char* const RowDragFormat = "application/x-frameloom-frame-rows";

// Draws a row as its thumbnail card: the index in a light box at the card's
// lower left, a blue frame around selected rows, a blue bar over the drop target.
class TFrameRowDelegate : public QStyledItemDelegate {
  public:
    explicit TFrameRowDelegate(TFrameListView* list) : QStyledItemDelegate(list), FList(list) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int w = TFrameListView::ThumbnailWidth, h = TFrameListView::ThumbnailHeight;
        auto* frame = reinterpret_cast<TGIFImageData*>(index.data(FrameRole).value<quintptr>());
        // A frame that was read from a file has no thumbnail yet: it is drawn
        // when its row first comes into view, so opening a long animation does
        // not wait for the thumbnails of rows nobody looks at.
        if (frame && !frame->Thumbnail) frame->RenderThumbnail();
        QImage card;
        if (frame && frame->Thumbnail && !frame->Thumbnail->Empty())
            card = ToQImage(*frame->Thumbnail).convertToFormat(QImage::Format_RGB32);
        else if (frame && frame->Owner && frame->Owner->ThumbnailTemplate)
            card = ToQImage(*frame->Owner->ThumbnailTemplate).convertToFormat(QImage::Format_RGB32);
        if (card.isNull()) {
            card = QImage(w, h, QImage::Format_RGB32);
            card.fill(QColor(230, 230, 230));
        }
        {
            // The index box goes on a copy of the thumbnail at (6, b - 19) .. (28, b - 6).
            QPainter onCard(&card);
            const int b = card.height();
            onCard.fillRect(QRect(QPoint(6, b - 19), QPoint(27, b - 7)), QColor(230, 230, 230));
            QFont font = onCard.font();
            font.setPixelSize(11);
            onCard.setFont(font);
            onCard.setPen(Qt::black);
            onCard.drawText(QRect(6, b - 19, 40, 13), Qt::AlignLeft | Qt::AlignVCenter,
                            QString::number(index.row()));
        }
        const QRect r = option.rect;
        const int L = r.left(), T = r.top(), R = L + w, B = T + h;
        painter->save();
        painter->fillRect(r, option.palette.base());
        painter->drawImage(QPoint(L, T), card);
        if (option.state & QStyle::State_Selected) {
            painter->setPen(QPen(QColor(0, 0, 255), 3));
            painter->setBrush(Qt::NoBrush);
            const QPoint path[] = {
                {L + 3, T + 3}, {R - 6, T + 3}, {R - 6, B - 7}, {L + 3, B - 7}, {L + 3, T + 3}};
            painter->drawPolyline(path, 5);
        }
        if (index.row() == FList->DropTargetRow) {
            painter->setPen(QPen(QColor(0, 0, 255), 3));
            painter->drawLine(L + 3, T + 1, R - 6, T + 1);
        }
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {TFrameListView::ThumbnailWidth + 2, TFrameListView::ThumbnailHeight};
    }

  private:
    TFrameListView* FList;
};

} // namespace

TFrameListView::TFrameListView(QWidget* parent) : QListWidget(parent) {
    setObjectName(QStringLiteral("ListView1"));
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setViewMode(QListView::ListMode);
    setUniformItemSizes(true);
    setItemDelegate(new TFrameRowDelegate(this));
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalScrollBar()->setSingleStep(ThumbnailHeight / 4);
    setMinimumWidth(ThumbnailWidth + 24);
    setAccessibleName(QStringLiteral("Frames"));
    setDragEnabled(true);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DragDrop);
    setDropIndicatorShown(false);
}

void TFrameListView::AddFrameRow(TGIFImageData* frame) {
    auto* item = new QListWidgetItem(QString(), this);
    item->setData(FrameRole, QVariant::fromValue(reinterpret_cast<quintptr>(frame)));
}

TGIFImageData* TFrameListView::FrameAt(int row) const {
    const QListWidgetItem* row_item = item(row);
    return row_item ? reinterpret_cast<TGIFImageData*>(row_item->data(FrameRole).value<quintptr>()) : nullptr;
}

int TFrameListView::FirstSelectedRow() const {
    int first = -1;
    for (const QModelIndex& index : selectionModel()->selectedIndexes())
        if (first < 0 || index.row() < first) first = index.row();
    return first;
}

int TFrameListView::SelectedRowCount() const {
    return int(selectionModel()->selectedIndexes().size());
}

void TFrameListView::SelectRow(int row) {
    if (row < 0 || row >= count()) return;
    setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
}

void TFrameListView::UpdateRow(int row) {
    if (QListWidgetItem* row_item = item(row)) viewport()->update(visualItemRect(row_item));
}

void TFrameListView::mousePressEvent(QMouseEvent* event) {
    emit SelectionChanging();
    QListWidget::mousePressEvent(event);
}

void TFrameListView::keyPressEvent(QKeyEvent* event) {
    const bool ctrl = event->modifiers() & Qt::ControlModifier;
    if (event->key() == Qt::Key_Delete && !ctrl) {
        emit DeletePressed();
        return;
    }
    if (ctrl && event->key() == Qt::Key_Up) {
        emit MoveUpPressed();
        return;
    }
    if (ctrl && event->key() == Qt::Key_Down) {
        emit MoveDownPressed();
        return;
    }
    emit SelectionChanging();
    QListWidget::keyPressEvent(event);
}

QMimeData* TFrameListView::RowDragData() const {
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(RowDragFormat), QByteArray::number(reinterpret_cast<quintptr>(this)));
    return data;
}

bool TFrameListView::IsOwnDrag(const QMimeData* data) const {
    return data && data->data(QString::fromLatin1(RowDragFormat)) ==
                       QByteArray::number(reinterpret_cast<quintptr>(this));
}

void TFrameListView::startDrag(Qt::DropActions) {
    // The drop moves the frame itself; the view must not remove the dragged rows afterwards.
    auto* drag = new QDrag(this);
    drag->setMimeData(RowDragData());
    if (const QListWidgetItem* current = currentItem())
        drag->setPixmap(viewport()->grab(visualItemRect(current)).scaledToWidth(64));
    drag->exec(Qt::MoveAction);
    SetDropTarget(-1);
}

void TFrameListView::SetDropTarget(int row) {
    if (row == DropTargetRow) return;
    DropTargetRow = row;
    viewport()->update();
}

bool TFrameListView::AcceptDrag(QDragMoveEvent* event) {
    // A row of this list moves; picture files from elsewhere are copied in.
    const bool own = IsOwnDrag(event->mimeData());
    if (own || !DroppedFiles(event->mimeData()).isEmpty()) {
        event->setDropAction(own ? Qt::MoveAction : Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
    return own;
}

void TFrameListView::dragEnterEvent(QDragEnterEvent* event) {
    AcceptDrag(event);
}

void TFrameListView::dragMoveEvent(QDragMoveEvent* event) {
    if (AcceptDrag(event)) SetDropTarget(indexAt(event->position().toPoint()).row());
}

void TFrameListView::dragLeaveEvent(QDragLeaveEvent* event) {
    SetDropTarget(-1);
    event->accept();
}

void TFrameListView::dropEvent(QDropEvent* event) {
    if (IsOwnDrag(event->mimeData())) {
        const int target = indexAt(event->position().toPoint()).row();
        SetDropTarget(-1);
        event->setDropAction(Qt::MoveAction);
        event->accept();
        emit RowDropped(target);
        return;
    }
    const QStringList files = DroppedFiles(event->mimeData());
    if (files.isEmpty()) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    emit FilesDropped(files);
}

QStringList DroppedFiles(const QMimeData* data) {
    QStringList files;
    if (!data || !data->hasUrls()) return files;
    for (const QUrl& url : data->urls())
        if (url.isLocalFile()) files << url.toLocalFile();
    return files;
}
