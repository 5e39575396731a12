#pragma once
// Turning a true-colour picture into one of at most 256 colours while keeping
// its colours: "Exact" keeps every colour of a picture that has at most 256;
// "High quality" picks a palette by Wu's variance-minimising cuts refined by
// k-means passes, then maps every pixel to its nearest entry, optionally with
// Floyd-Steinberg or ordered dithering. Plain C++ apart from the nearest-colour
// map of the drawing layer. The program's default reduction (16-level bin
// middles) stays in ReduceToPalette.

#include "platform/Bitmap.h"

#include <optional>
#include <string>
#include <vector>

enum TColorReduction {
    crStandard, // 16-level bin middles, the program's historic reduction
    crExact,    // every colour kept when there are at most 256; else crQuality
    crQuality   // our own palette, the best we can do in 256 colours
};

enum TDithering { dtNone, dtFloydSteinberg, dtOrdered };

// How pictures become frames: shared by every path that turns a picture into a frame.
struct TColorChoice {
    TColorReduction Reduction = crStandard;
    TDithering Dither = dtNone;
    bool operator==(const TColorChoice&) const = default;
};

// The words used in the settings file and on the command line:
// "standard", "exact", "quality" and "none", "fs", "ordered".
std::string ColorReductionName(TColorReduction reduction);
std::string DitheringName(TDithering dithering);
std::optional<TColorReduction> ParseColorReduction(const std::string& word);
std::optional<TDithering> ParseDithering(const std::string& word);

// The distinct colours of a 24- or 32-bit picture in order of first
// appearance, or nothing when it has more than maxColors. The fourth byte of
// a 32-bit pixel is not part of its colour.
std::optional<std::vector<TColor>> DistinctColors(const TBitmap& picture, int maxColors = 256);

// An 8-bit copy of a 24- or 32-bit picture with exactly its colours, or
// nothing when it has more than 256.
std::optional<TBitmap> ReduceExact(const TBitmap& picture);

// A palette of at most maxColors (1..256) entries for a 24- or 32-bit picture.
std::vector<TColor> QuantizePalette(const TBitmap& picture, int maxColors = 256);

// An 8-bit copy of a 24- or 32-bit picture on palette, each pixel its nearest
// entry (Euclidean in red, green, blue), with the given dithering.
TBitmap MapWithDithering(const TBitmap& picture, const std::vector<TColor>& palette, TDithering dithering);

// QuantizePalette, then MapWithDithering.
TBitmap ReduceHighQuality(const TBitmap& picture, TDithering dithering);
