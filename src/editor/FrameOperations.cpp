#include "editor/FrameOperations.h"

#include "gifdata/GifData.h"
#include "platform/Canvas.h"

namespace {

int IndexOf(const TGIFData& document, const TGIFImageData& frame) {
    for (std::size_t i = 0; i < document.Frames.size(); ++i)
        if (document.Frames[i].get() == &frame) return int(i);
    return -1;
}

void RefreshUsage(TGIFData& document, TGIFImageData& frame) {
    if (frame.HasLocalTable())
        frame.UpdateLocalUsage();
    else
        document.UpdateGlobalUsage();
}

} // namespace

bool MoveFrameTo(TGIFData& document, int from, int to) {
    return document.MoveFrame(from, to);
}

TGIFImageData* DuplicateFrame(TGIFData& document, const TGIFImageData& source) {
    if (IndexOf(document, source) < 0 || !source.HasPixels()) return nullptr;
    TGIFImageData* copy = document.AddFrame(source.Width, source.Height);
    if (!copy->HasPixels() || copy->Pixels.size() != source.Pixels.size()) {
        document.DeleteFrame(int(document.Frames.size()) - 1);
        return nullptr;
    }
    copy->Title = source.Title;
    copy->Left = source.Left;
    copy->Top = source.Top;
    copy->SetHasLocalTable(source.HasLocalTable());
    if (source.HasLocalTable()) {
        copy->SetLocalTableSize(source.LocalTableSize());
        for (std::size_t i = 0; i < 256; ++i) {
            copy->LocalPalette[i].Red = source.LocalPalette[i].Red;
            copy->LocalPalette[i].Green = source.LocalPalette[i].Green;
            copy->LocalPalette[i].Blue = source.LocalPalette[i].Blue;
        }
    }
    copy->Control->SetTransparent(source.Control->Transparent());
    copy->Control->TransparentIndex = source.Control->TransparentIndex;
    copy->SetInterlaced(source.Interlaced());
    copy->Control->DelayTime = source.Control->DelayTime;
    copy->Control->SetDisposal(source.Control->Disposal());
    copy->Pixels = source.Pixels;
    copy->RenderThumbnail();
    RefreshUsage(document, *copy);
    return copy;
}

bool MergeFrames(TGIFData& document, const std::vector<int>& rows) {
    const int count = int(document.Frames.size());
    if (rows.size() < 2) return false;
    for (int row : rows)
        if (row < 0 || row >= count) return false;
    TGIFImageData& target = *document.Frames[std::size_t(rows.front())];
    std::unique_ptr<TBitmap> canvasImage = target.ToBitmap();
    if (!canvasImage) return false;
    {
        TCanvas canvas(*canvasImage);
        for (int row : rows) {
            const TGIFImageData& frame = *document.Frames[std::size_t(row)];
            const std::unique_ptr<TBitmap> picture = frame.ToBitmap();
            if (!picture) continue;
            const int x = int(frame.Left) - int(target.Left), y = int(frame.Top) - int(target.Top);
            if (frame.Control->Transparent())
                canvas.DrawKeyed(x, y, *picture, picture->PaletteColor(frame.Control->TransparentIndex));
            else
                canvas.Draw(x, y, *picture);
        }
    }
    if (!target.CopyIndicesFrom(*canvasImage)) return false;
    target.RenderThumbnail();
    RefreshUsage(document, target);
    return true;
}

bool RemoveAllFrameTitles(TGIFData& document) {
    bool removed = false;
    for (auto& frame : document.Frames) {
        if (frame->Title.empty()) continue;
        frame->Title.clear();
        frame->RenderThumbnail();
        removed = true;
    }
    return removed;
}

bool RemoveUnnecessaryExtensions(TGIFData& document) {
    bool removed = false;
    for (auto& frame : document.Frames) {
        if (frame->Extensions.empty()) continue;
        frame->Extensions.clear();
        removed = true;
    }
    return removed;
}
