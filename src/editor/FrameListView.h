#pragma once
// The frame list: one row per frame of the document, drawn as the frame's
// thumbnail card with its index; several rows can be selected, and the first
// selected row is the current frame. Rows are dragged within the list (a drop
// line marks the target row); picture files can be dropped on it from outside.

#include <QListWidget>
#include <QStringList>

class TGIFImageData;

class TFrameListView : public QListWidget {
    Q_OBJECT
  public:
    static constexpr int ThumbnailWidth = 128;
    static constexpr int ThumbnailHeight = 100;

    explicit TFrameListView(QWidget* parent = nullptr);

    // Appends a row with an empty caption that carries frame.
    void AddFrameRow(TGIFImageData* frame);
    TGIFImageData* FrameAt(int row) const;
    // Index of the first (lowest) selected row; -1 when none is selected.
    int FirstSelectedRow() const;
    int SelectedRowCount() const;
    // Makes row the only selected row and the focused one.
    void SelectRow(int row);
    // Draws one row again (its frame's thumbnail changed).
    void UpdateRow(int row);

    // The data of a drag of this list's rows; only drags carrying it are accepted as row moves.
    QMimeData* RowDragData() const;
    bool IsOwnDrag(const QMimeData* data) const;

    // The row drawn with the drop marker; -1 for none.
    int DropTargetRow = -1;

  signals:
    // The selection is about to change through the mouse or the keyboard.
    void SelectionChanging();
    // A drag of this list's rows ended on row target (-1: on no row).
    void RowDropped(int target);
    // Files were dropped on the list from outside.
    void FilesDropped(const QStringList& paths);
    // Delete, Ctrl+Up and Ctrl+Down on the list.
    void DeletePressed();
    void MoveUpPressed();
    void MoveDownPressed();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void startDrag(Qt::DropActions supportedActions) override;
    // Accepts a drag of a row or of picture files; true for a row of this list.
    bool AcceptDrag(QDragMoveEvent* event);
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

  private:
    void SetDropTarget(int row);
};

// The local files named by dropped data (file URLs), in order.
QStringList DroppedFiles(const QMimeData* data);
