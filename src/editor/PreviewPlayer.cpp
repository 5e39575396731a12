#include "editor/PreviewPlayer.h"

#include "gifdata/GifData.h"
#include "gifdata/GifStream.h"

#include <algorithm>
#include <cstring>

int PreviewFrameDuration(const TGIFImageData& frame) {
    int delay = frame.Control ? frame.Control->DelayTime : 10;
    if (delay == 0) delay = 10;
    if (delay < 3) delay = 3;
    return delay * 12;
}

std::int64_t NextFrameDue(std::int64_t wokeAt, std::int64_t shownAt, int durationMs) {
    const std::int64_t drawing = std::max<std::int64_t>(0, shownAt - wokeAt);
    return shownAt + durationMs - drawing / 2;
}

std::unique_ptr<TGIFData> DecodeSavedCopy(TGIFData& document) {
    TMemoryStream stream;
    if (!document.SaveToStream(stream)) return nullptr;
    stream.Seek(0);
    auto copy = std::make_unique<TGIFData>();
    copy->ThumbnailTemplate.reset(); // the player never shows thumbnails: skip drawing them
    if (!copy->LoadFromStream(stream)) return nullptr;
    return copy;
}

bool TPreviewPlayer::ScreenFits(int screenWidth, int screenHeight) {
    return screenWidth >= 0 && screenHeight >= 0 &&
           std::int64_t(screenWidth) * std::int64_t(screenHeight) <= MaxPreviewPixels;
}

TPreviewPlayer::TPreviewPlayer(std::unique_ptr<TGIFData> animation, TColor background, TPreviewClock clock)
    : FAnimation(std::move(animation)), FBackground(background), FClock(std::move(clock)) {
    if (!FAnimation) FAnimation = std::make_unique<TGIFData>();
    // Without a looping block the animation plays once; a stored count of n
    // repeats it n times after the first pass, as the global properties count plays.
    FPasses = !FAnimation->Looping ? 1 : FAnimation->LoopCount == 0 ? 0 : FAnimation->LoopCount + 1;
    if (ScreenFits(FAnimation->ScreenWidth, FAnimation->ScreenHeight))
        FComposition = TBitmap(FAnimation->ScreenWidth, FAnimation->ScreenHeight, pf24bit);
    else
        FFinished = true;
}

TPreviewPlayer::~TPreviewPlayer() = default;

bool TPreviewPlayer::Step(const std::function<void()>& show) {
    if (FFinished) return false;
    const std::int64_t wokeAt = FClock ? FClock() : 0;
    if (FShown >= 0 && wokeAt < FNextDue) return false;
    if (!Advance()) return false;
    if (show) show();
    if (!FFinished) {
        const std::int64_t shownAt = FClock ? FClock() : wokeAt;
        FNextDue =
            NextFrameDue(wokeAt, shownAt, PreviewFrameDuration(*FAnimation->Frames[std::size_t(FShown)]));
    }
    return true;
}

bool TPreviewPlayer::Advance() {
    if (FFinished) return false;
    const int count = int(FAnimation->Frames.size());
    if (count == 0) {
        FillBackground();
        FFinished = true;
        return true;
    }
    int next = 0;
    if (FShown < 0) {
        FillBackground();
    } else {
        DisposeFrame(FShown);
        next = FShown + 1;
        if (next == count) {
            // A new pass starts from the first frame on a fresh background.
            next = 0;
            ++FPass;
            FillBackground();
        }
    }
    DrawFrame(next);
    FShown = next;
    if (FShown == count - 1 && FPasses != 0 && FPass >= FPasses) FFinished = true;
    return true;
}

void TPreviewPlayer::FillBackground() {
    const std::uint8_t bgr[3] = {std::uint8_t(GetBValue(FBackground)), std::uint8_t(GetGValue(FBackground)),
                                 std::uint8_t(GetRValue(FBackground))};
    for (int y = 0; y < FComposition.Height(); ++y) {
        std::uint8_t* row = FComposition.ScanLine(y);
        for (int x = 0; x < FComposition.Width(); ++x, row += 3) std::memcpy(row, bgr, 3);
    }
}

bool TPreviewPlayer::ClipToScreen(const TGIFImageData& frame, int& left, int& top, int& right,
                                  int& bottom) const {
    left = std::min<int>(frame.Left, FComposition.Width());
    top = std::min<int>(frame.Top, FComposition.Height());
    right = std::min<int>(frame.Left + frame.Width, FComposition.Width());
    bottom = std::min<int>(frame.Top + frame.Height, FComposition.Height());
    return left < right && top < bottom;
}

void TPreviewPlayer::DrawFrame(int index) {
    const TGIFImageData& frame = *FAnimation->Frames[std::size_t(index)];
    int left, top, right, bottom;
    const bool visible = ClipToScreen(frame, left, top, right, bottom);
    const int disposal = frame.Control ? frame.Control->Disposal() : 0;
    FSaved.clear();
    if (visible && disposal == 3) {
        const std::size_t span = std::size_t(right - left) * 3;
        FSaved.resize(span * std::size_t(bottom - top));
        for (int y = top; y < bottom; ++y)
            std::memcpy(FSaved.data() + span * std::size_t(y - top), FComposition.ScanLine(y) + left * 3,
                        span);
    }
    const bool complete = frame.HasPixels() && std::int64_t(frame.Pixels.size()) ==
                                                   std::int64_t(frame.Width) * std::int64_t(frame.Height);
    if (!visible || !complete) return;

    const TPalette& palette = frame.HasLocalTable() ? frame.LocalPalette : FAnimation->GlobalPalette;
    std::uint8_t colours[256][3];
    for (int i = 0; i < 256; ++i) {
        colours[i][0] = palette[std::size_t(i)].Blue;
        colours[i][1] = palette[std::size_t(i)].Green;
        colours[i][2] = palette[std::size_t(i)].Red;
    }
    const bool transparent = frame.Control && frame.Control->Transparent();
    const int clear = transparent ? frame.Control->TransparentIndex : -1;
    for (int y = top; y < bottom; ++y) {
        const std::uint8_t* in =
            frame.Pixels.data() + std::size_t(y - frame.Top) * frame.Width + (left - frame.Left);
        std::uint8_t* out = FComposition.ScanLine(y) + left * 3;
        for (int x = left; x < right; ++x, ++in, out += 3) {
            if (*in == clear) continue;
            std::memcpy(out, colours[*in], 3);
        }
    }
}

void TPreviewPlayer::DisposeFrame(int index) {
    const TGIFImageData& frame = *FAnimation->Frames[std::size_t(index)];
    int left, top, right, bottom;
    if (!ClipToScreen(frame, left, top, right, bottom)) return;
    const int disposal = frame.Control ? frame.Control->Disposal() : 0;
    const std::size_t span = std::size_t(right - left) * 3;
    if (disposal == 2) {
        const std::uint8_t bgr[3] = {std::uint8_t(GetBValue(FBackground)),
                                     std::uint8_t(GetGValue(FBackground)),
                                     std::uint8_t(GetRValue(FBackground))};
        for (int y = top; y < bottom; ++y) {
            std::uint8_t* out = FComposition.ScanLine(y) + left * 3;
            for (int x = left; x < right; ++x, out += 3) std::memcpy(out, bgr, 3);
        }
    } else if (disposal == 3 && FSaved.size() == span * std::size_t(bottom - top)) {
        for (int y = top; y < bottom; ++y)
            std::memcpy(FComposition.ScanLine(y) + left * 3, FSaved.data() + span * std::size_t(y - top),
                        span);
    }
    // 0 and 1 leave the frame in place; values above 3 have no meaning and do the same.
}
