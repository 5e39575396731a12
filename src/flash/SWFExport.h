#pragma once
// The Flash export: turns a document into an SWF movie where every GIF frame
// becomes one SWF frame showing one full-stage bitmap, the frame drawn over a
// background colour. The document is only read.

#include "flash/SWFMovie.h"
#include "gifdata/GifData.h"
#include "platform/Bitmap.h"

#include <memory>
#include <string>

// The rate the export dialog proposes: 100 div the first frame's delay, kept in
// 1..999. A first delay of 0 proposes 10, the rate at which browsers play
// frames without a delay. 0 for a document without frames.
int ProposedFrameRate(const TGIFData& document);

// Frame i drawn over the background: ScreenWidth x ScreenHeight, 24-bit.
// Transparent pixels (those of the transparent colour) show the background; a
// frame without pixels shows only the background.
TBitmap ComposeSWFFrame(const TGIFImageData& frame, int screenWidth, int screenHeight, TColor background);

// The most frames an exported movie holds: two 16-bit character ids each.
constexpr std::size_t MaxSWFExportFrames = 32767;

// The movie of the document, ready for MakeStream: compressed, version 6, one
// DefineBitsLossless, DefineShape2, PlaceObject2 (depth i) and ShowFrame per
// frame. Rates outside 1..255 are brought to the nearest of them (the file
// cannot hold more than 255). Raises ESWFError for a document with an empty screen
// or more than MaxSWFExportFrames frames.
std::unique_ptr<TSWFMovie> BuildSWFMovie(const TGIFData& document, TColor background, int rate);

// Builds the movie and saves it to path (atomically: an existing file is
// replaced only when the whole movie was written). Returns true; failures raise
// ESWFError with the message to show.
bool ExportSWF(const TGIFData& document, TColor background, int rate, const std::string& path);
