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
