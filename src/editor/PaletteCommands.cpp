#include "editor/PaletteCommands.h"

#include "platform/Dialogs.h"

TPalette& FramePalette(TGIFImageData& frame) {
    if (frame.HasLocalTable() || !frame.Owner) return frame.LocalPalette;
    return frame.Owner->GlobalPalette;
}

TPaletteScope FramePaletteScope(const TGIFImageData& frame) {
    return frame.HasLocalTable() || !frame.Owner ? psLocal : psGlobal;
}

bool PickColor(TDialogs& dialogs, TColor& color) {
    TColor chosen = color;
    if (!dialogs.ChooseColor(chosen)) return false;
    chosen &= 0x00FFFFFF;
    if (chosen == color) return false;
    color = chosen;
    return true;
}

TPaletteScope SetPaletteColor(TGIFImageData& frame, int index, TColor color) {
    const TPaletteScope scope = FramePaletteScope(frame);
    if (index < 0 || index > 255) return scope;
    PaletteEntry& entry = FramePalette(frame)[std::size_t(index)];
    entry.Red = std::uint8_t(GetRValue(color));
    entry.Green = std::uint8_t(GetGValue(color));
    entry.Blue = std::uint8_t(GetBValue(color));
    return scope;
}

bool UseStandardColors(TGIFImageData& frame, const TDefaultPalette& standard) {
    TPalette& palette = FramePalette(frame);
    bool changed = false;
    for (std::size_t i = 0; i < palette.size(); ++i) {
        if (palette[i].Used) continue;
        palette[i].Red = standard[i].Red;
        palette[i].Green = standard[i].Green;
        palette[i].Blue = standard[i].Blue;
        changed = true;
    }
    return changed;
}

bool ReplaceGlobalPalette(TGIFData& document, TGIFImageData& frame) {
    if (!frame.HasLocalTable()) return false;
    for (std::size_t i = 0; i < 256; ++i) {
        document.GlobalPalette[i].Red = frame.LocalPalette[i].Red;
        document.GlobalPalette[i].Green = frame.LocalPalette[i].Green;
        document.GlobalPalette[i].Blue = frame.LocalPalette[i].Blue;
    }
    frame.SetHasLocalTable(false);
    document.UpdateGlobalUsage();
    if (!document.HasGlobalTable()) {
        // Without the flag the writer leaves the global colours out, and the
        // frame would be saved without any palette of its own.
        int highest = 0;
        for (int i = 0; i < 256; ++i)
            if (document.GlobalPalette[std::size_t(i)].Used) highest = i;
        document.ScreenFlags |= 0x80;
        document.SetGlobalTableSize(SizeCodeFor(highest + 1));
    }
    return true;
}

bool CreateLocalPalette(TGIFData& document, TGIFImageData& frame) {
    if (frame.HasLocalTable()) return false;
    for (std::size_t i = 0; i < 256; ++i) {
        frame.LocalPalette[i].Red = document.GlobalPalette[i].Red;
        frame.LocalPalette[i].Green = document.GlobalPalette[i].Green;
        frame.LocalPalette[i].Blue = document.GlobalPalette[i].Blue;
    }
    frame.SetHasLocalTable(true);
    document.UpdateGlobalUsage();
    frame.UpdateLocalUsage();
    return true;
}
