#pragma once
// Windows bitmap files (uncompressed, bottom-up rows padded to 4 bytes).

#include "platform/Bitmap.h"

#include <cstdint>
#include <string>
#include <vector>

// The bytes of a bitmap file: an 8-bit bitmap with its palette, or a 24-bit
// bitmap; a 32-bit bitmap is written as 24-bit. False with a reason in error
// when the bitmap is empty or too large for the format.
bool EncodeBitmapFile(const TBitmap& bitmap, std::vector<std::uint8_t>& bytes, std::string& error);
// Writes an 8-bit bitmap with its palette, or a 24-bit bitmap; a 32-bit bitmap
// is written as 24-bit. False with a reason in error when the bitmap is empty
// or the file cannot be written (the old file stays whole); the bytes go through WriteFileBytes.
bool SaveBitmapFile(const TBitmap& bitmap, const std::string& path, std::string& error);
