#pragma once
// The undo history of the current frame: whole-frame snapshots of its offset
// and pixel indices. The snapshot at UndoPos matches the frame as it is now;
// undo and redo move along the list and restore the frame from a snapshot.
// No widgets: the main window calls it and refreshes the views.

#include <cstdint>
#include <memory>
#include <vector>

class TGIFImageData;

// One snapshot of a frame.
struct TUndoData {
    std::uint8_t Code = 0; // the tool number that produced it, 0 for a base snapshot
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    std::vector<std::uint8_t> Pixels; // Width x Height palette indices
};

class TUndoHistory {
  public:
    // Snapshots kept, the base snapshot included: at most 20 steps back.
    static constexpr int DefaultLimit = 21;
    // Pixel bytes kept at most over all snapshots; the oldest go first. Large
    // frames get fewer steps rather than the history taking gigabytes.
    static constexpr std::size_t DefaultByteBudget = std::size_t(512) << 20;

    // Records the frame as the newest snapshot, dropping the redo tail and the
    // oldest snapshots beyond the limits. False for no frame, and when memory
    // runs out (the history is then emptied, so it never restores a wrong state).
    bool PushUndo(const TGIFImageData* frame, int code);
    void ClearUndo();
    // Starts the history afresh with the frame's present state as the base.
    void StartHistory(const TGIFImageData* frame);

    // The code of the step that undo would take back (0: none).
    int CanUndo() const;
    // The code of the step that redo would bring back (0: none).
    int CanRedo() const;
    // Restores the frame from the previous snapshot; returns the undone step's
    // code, or 0 when undo is impossible or the snapshot does not fit the frame.
    int UndoStep(TGIFImageData* frame);
    // The mirror image of UndoStep.
    int RedoStep(TGIFImageData* frame);

    int Count() const { return int(UndoList.size()); }
    int Position() const { return UndoPos; }
    const TUndoData& At(int index) const { return *UndoList[std::size_t(index)]; }

    int UndoLimit = DefaultLimit;
    std::size_t ByteBudget = DefaultByteBudget;

  private:
    // Restores the frame from the snapshot at index; false when it does not fit.
    bool Restore(TGIFImageData* frame, int index) const;

    std::vector<std::unique_ptr<TUndoData>> UndoList;
    int UndoPos = -1;
};
