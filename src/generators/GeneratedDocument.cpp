#include "generators/GeneratedDocument.h"

#include "gifdata/DefaultPalette.h"
#include "gifdata/GifData.h"

void ResetDocumentForGeneration(TGIFData& document) {
    // Whoever removes a frame frees all of it; the last frame goes first.
    while (!document.Frames.empty()) document.DeleteFrame(int(document.Frames.size()) - 1);
    document.SetGlobalSorted(false);
    document.AspectRatio = 0;
    document.Looping = true;
    document.LoopCount = 0;
    document.BackgroundIndex = 0;
    const TDefaultPalette& standard = DefaultPalette();
    for (int i = 0; i < 256; ++i) {
        PaletteEntry& entry = document.GlobalPalette[i];
        entry.Red = standard[i].Red;
        entry.Green = standard[i].Green;
        entry.Blue = standard[i].Blue;
        entry.Used = 0;
    }
}

std::string GeneratedSizeProblem(int width, int height, std::int64_t count) {
    const std::int64_t pixels = std::int64_t(width) * height;
    const std::string size = std::to_string(width) + " x " + std::to_string(height);
    if (pixels > MaxGeneratedFramePixels)
        return "a frame of " + size + " pixels is larger than the generators make (at most " +
               std::to_string(MaxGeneratedFramePixels) + " pixels, such as 4096 x 4096)";
    if (pixels * count > MaxGeneratedTotalPixels)
        return std::to_string(count) + " pictures of " + size +
               " pixels are more than the generators hold (at most " +
               std::to_string(MaxGeneratedTotalPixels) + " pixels in all)";
    return {};
}
