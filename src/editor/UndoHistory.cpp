#include "editor/UndoHistory.h"

#include "gifdata/GifData.h"

#include <new>

namespace {

std::size_t BytesOf(const std::vector<std::unique_ptr<TUndoData>>& list) {
    std::size_t bytes = 0;
    for (const auto& snapshot : list) bytes += snapshot->Pixels.size();
    return bytes;
}

} // namespace

bool TUndoHistory::PushUndo(const TGIFImageData* frame, int code) {
    if (!frame) return false;
    std::unique_ptr<TUndoData> snapshot;
    try {
        snapshot = std::make_unique<TUndoData>();
        snapshot->Pixels = frame->Pixels;
    } catch (const std::bad_alloc&) {
        // Without the new snapshot the list no longer describes the frame's history.
        ClearUndo();
        return false;
    }
    snapshot->Code = std::uint8_t(code);
    snapshot->Left = frame->Left;
    snapshot->Top = frame->Top;
    snapshot->Width = frame->Width;
    snapshot->Height = frame->Height;
    UndoList.erase(UndoList.begin() + (UndoPos + 1), UndoList.end());
    UndoList.push_back(std::move(snapshot));
    UndoPos = int(UndoList.size()) - 1;
    std::size_t bytes = BytesOf(UndoList);
    while (UndoList.size() > 1 && (int(UndoList.size()) > std::max(1, UndoLimit) || bytes > ByteBudget)) {
        bytes -= UndoList.front()->Pixels.size();
        UndoList.erase(UndoList.begin());
        --UndoPos;
    }
    return true;
}

void TUndoHistory::ClearUndo() {
    UndoList.clear();
    UndoPos = -1;
}

void TUndoHistory::StartHistory(const TGIFImageData* frame) {
    ClearUndo();
    PushUndo(frame, 0);
}

int TUndoHistory::CanUndo() const {
    if (UndoList.empty() || UndoPos <= 0 || UndoPos >= Count()) return 0;
    return At(UndoPos).Code;
}

int TUndoHistory::CanRedo() const {
    if (UndoList.empty() || UndoPos < 0 || UndoPos >= Count() - 1) return 0;
    return At(UndoPos + 1).Code;
}

bool TUndoHistory::Restore(TGIFImageData* frame, int index) const {
    const TUndoData& snapshot = At(index);
    // The pixel count alone is not enough: a frame reshaped to the same count
    // would take the old rows at the wrong width.
    if (snapshot.Width != frame->Width || snapshot.Height != frame->Height ||
        snapshot.Pixels.size() != frame->Pixels.size())
        return false;
    frame->Left = std::uint16_t(snapshot.Left);
    frame->Top = std::uint16_t(snapshot.Top);
    frame->Pixels = snapshot.Pixels;
    return true;
}

int TUndoHistory::UndoStep(TGIFImageData* frame) {
    const int code = CanUndo();
    if (!frame || code == 0) return 0;
    if (!Restore(frame, UndoPos - 1)) return 0;
    --UndoPos;
    return code;
}

int TUndoHistory::RedoStep(TGIFImageData* frame) {
    const int code = CanRedo();
    if (!frame || code == 0) return 0;
    if (!Restore(frame, UndoPos + 1)) return 0;
    ++UndoPos;
    return code;
}
