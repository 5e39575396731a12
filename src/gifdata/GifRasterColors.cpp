// The reduction a picture takes on its way to a frame, chosen by the user.
#include "gifdata/GifData.h"
#include "platform/ColorQuantizer.h"

namespace {

TColorChoice CurrentChoice;

} // namespace

const TColorChoice& PictureColorChoice() {
    return CurrentChoice;
}

void SetPictureColorChoice(const TColorChoice& choice) {
    CurrentChoice = choice;
}

void ReduceToPalette(TBitmap& bitmap, const TColorChoice& choice) {
    if (choice.Reduction == crStandard) {
        ReduceToPalette(bitmap);
        return;
    }
    if (bitmap.PixelFormat() == pf8bit || bitmap.Empty()) return; // already palettised: kept
    switch (choice.Reduction) {
    case crExact:
        if (std::optional<TBitmap> exact = ReduceExact(bitmap)) {
            bitmap = std::move(*exact);
            return;
        }
        break; // more than 256 colours: the best reduction instead
    case crStandard:
    case crQuality:
        break;
    }
    bitmap = ReduceHighQuality(bitmap, choice.Dither);
}
