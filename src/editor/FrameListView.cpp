#include "editor/FrameListView.h"

#include "editor/QtBitmap.h"
#include "gifdata/GifData.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>

namespace {

constexpr int FrameRole = Qt::UserRole + 1;

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
    setMinimumWidth(ThumbnailWidth + 24);
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

void TFrameListView::mousePressEvent(QMouseEvent* event) {
    emit SelectionChanging();
    QListWidget::mousePressEvent(event);
}

void TFrameListView::keyPressEvent(QKeyEvent* event) {
    emit SelectionChanging();
    QListWidget::keyPressEvent(event);
}
