#include "editor/LogicalScreen.h"

#include "gifdata/GifData.h"

#include <algorithm>

bool FitLogicalScreen(TGIFData& document) {
    if (document.Frames.empty()) return false;
    int width = 0, height = 0;
    for (const auto& frame : document.Frames) {
        width = std::max(width, int(frame->Left) + int(frame->Width));
        height = std::max(height, int(frame->Top) + int(frame->Height));
    }
    if (width < 1 || height < 1) return false;
    // The screen size is a 16-bit field; a frame reaching beyond it cannot be
    // described, so the screen stops at the largest size the file can carry.
    width = std::min(width, 0xFFFF);
    height = std::min(height, 0xFFFF);
    if (width == document.ScreenWidth && height == document.ScreenHeight) return false;
    document.ScreenWidth = std::uint16_t(width);
    document.ScreenHeight = std::uint16_t(height);
    return true;
}
