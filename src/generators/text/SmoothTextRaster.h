#pragma once
// The platform text rasteriser as the renderer uses it: a font description,
// text measuring and drawing text in white into a one-byte-per-pixel raster.
// Everything after this first raster is the renderer's own arithmetic.

#include <cstdint>
#include <string>
#include <vector>

#include "platform/Bitmap.h"

struct TSmoothFontDesc {
    std::string Name = "DejaVu Sans";
    int Height = 16; // character (em) height in pixels
    int Width = 0;   // average character width in pixels; 0 keeps the face's own
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    int Escapement = 0; // rotation in tenths of a degree, counter-clockwise
    TColor Color = 0;   // 0x00BBGGRR

    bool operator==(const TSmoothFontDesc&) const = default;
};

// Pixel height of a point size on a 96 dpi screen (points x 96 / 72, rounded).
int PointsToPixels(int points);

// The family the rasteriser really uses for a face name: a face that is not
// installed falls back to a close one ("Impact" to a bold condensed sans).
std::string ResolvedFaceName(const std::string& name);

// Advance width and cell height (ascent + descent) of unrotated text.
void MeasureText(const TSmoothFontDesc& font, const std::string& text, int& width, int& height);

// Number of characters of UTF-8 text.
int TextCharacterCount(const std::string& text);

// A width x height raster (row after row, no padding), all 0, with the text
// drawn in 255 without the rasteriser's own smoothing. (x, y) is the top-left
// corner of the text cell; rotated text turns about that corner.
std::vector<std::uint8_t> RasterizeText(const TSmoothFontDesc& font, const std::string& text, int width,
                                        int height, int x, int y);
