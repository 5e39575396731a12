#pragma once
// The frame list: one row per frame of the document, drawn as the frame's
// thumbnail card with its index; several rows can be selected, and the first
// selected row is the current frame.

#include <QListWidget>

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

    // The row drawn with the drop marker; -1 for none.
    int DropTargetRow = -1;

  signals:
    // The selection is about to change through the mouse or the keyboard.
    void SelectionChanging();

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
};
