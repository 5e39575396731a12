#pragma once
// The animation optimiser: rewrites a document so that it encodes into fewer
// bytes while every frame, as a browser composites it, keeps exactly the same
// pixels, delay and extensions. Each frame is cropped to what changed on the
// screen since the previous one, unchanged pixels may become transparent, the
// disposals are chosen so the next frame has the least to draw, and frames
// share one global colour table where their colours fit.
//
// Plain C++, no Qt.

#include <cstdint>
#include <memory>
#include <string>

class TGIFData;

// Level 1: crop, transparency for unchanged pixels, disposals, shared table.
// Level 2: also picks, per frame, whichever of opaque or transparent encodes smaller.
// Level 3: also orders the global table for narrow codes and codes the pixels
//          that repeat the screen string by string, each as transparent or as
//          its colour, whichever lets the encoder's strings grow; tries a local
//          table instead of the global one, and keeps the smallest; and
//          chooses where each frame's data clears its string table.
constexpr int OptimizeLevelMin = 1;
constexpr int OptimizeLevelMax = 3;

// The largest logical screen the optimiser works on (it keeps a few full-screen
// rasters of 32-bit pixels in memory).
constexpr std::int64_t MaxOptimizeScreenPixels = std::int64_t(1) << 24;

// Optimises document in place. On failure the document is unchanged, the
// reason goes to *error (when given) and the result is false. Frames without
// pixels are kept as they are. A level outside 1..3 is refused.
bool OptimizeAnimation(TGIFData& document, int level, std::string* error = nullptr);

// A deep copy of document (frames, palettes, extensions, titles; no thumbnails).
// Null when memory runs out.
std::unique_ptr<TGIFData> CloneDocument(const TGIFData& document);

// The same as document.CompactPalettes() (the same slots move, the same
// pixels, indices and table sizes result) in one pass over the pixels.
void CompactPalettesAtOnce(TGIFData& document);

// The bytes a save of document would write (palettes compacted first, as the
// editor saves), measured on a copy; -1 when it cannot be written.
std::int64_t EstimateSavedSize(const TGIFData& document);
