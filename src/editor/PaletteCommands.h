#pragma once
// The colour commands on the document, without widgets: editing one palette
// entry, filling unused entries with the standard colours, turning a frame's
// local palette into the global one and back.

#include "gifdata/DefaultPalette.h"
#include "gifdata/GifData.h"

class TDialogs;

// Which table an edit went to.
enum TPaletteScope { psLocal, psGlobal };

// The palette the frame is drawn with: its local one when it has it, else the document's global one.
TPalette& FramePalette(TGIFImageData& frame);
TPaletteScope FramePaletteScope(const TGIFImageData& frame);

// Shows the colour chooser starting at color; true, with the chosen colour in
// color, only when the user confirmed a colour that differs from the start.
bool PickColor(TDialogs& dialogs, TColor& color);

// Stores color (red, green, blue) in entry index of the frame's palette; the used flag is kept.
TPaletteScope SetPaletteColor(TGIFImageData& frame, int index, TColor color);

// Gives every unused entry of the frame's palette the standard colour of the
// same index; false when every entry is used (nothing changed).
bool UseStandardColors(TGIFImageData& frame, const TDefaultPalette& standard);

// Copies the frame's local colours over the global ones and lets the frame use
// the global palette. A document without a global table gets one, sized to
// hold every entry the global frames use, so the colours are written with the
// file. False when the frame has no local palette.
bool ReplaceGlobalPalette(TGIFData& document, TGIFImageData& frame);

// Gives the frame a local copy of the global colours; false when it has one already.
bool CreateLocalPalette(TGIFData& document, TGIFImageData& frame);
