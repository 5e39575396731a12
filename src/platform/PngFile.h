#pragma once
// PNG pictures written with libpng, losslessly: an 8-bit bitmap becomes a
// paletted PNG with its own palette (and a tRNS chunk for a transparent
// index), a 24-bit bitmap an RGB PNG, a 32-bit bitmap an RGBA PNG whose alpha
// is the bitmap's fourth byte.

#include "platform/Bitmap.h"

#include <cstdint>
#include <string>
#include <vector>

// transparentIndex: for an 8-bit bitmap, the palette index that is fully
// transparent; -1 (or an index outside the palette) for none. Ignored for the
// other forms. False with a reason in error for an empty bitmap.
bool EncodePng(const TBitmap& bitmap, std::vector<std::uint8_t>& bytes, std::string& error,
               int transparentIndex = -1);
// EncodePng written to path through WriteFileBytes, replacing any file of that name.
bool SavePngFile(const TBitmap& bitmap, const std::string& path, std::string& error,
                 int transparentIndex = -1);
