#pragma once
// Windows BMP file images as the movie builder takes them: reading the headers
// and pixel rows of an uncompressed BMP, and writing a 24-bit one from a bitmap.

#include "flash/SWFStream.h"
#include "platform/Bitmap.h"

#include <cstdint>
#include <vector>

struct TBMPImage {
    int Width = 0;
    int Height = 0;                     // always positive; BottomUp tells the row order
    int BitCount = 0;                   // 1, 4, 8, 16, 24 or 32
    bool BottomUp = true;               // rows stored from the bottom of the picture up
    std::size_t RowStride = 0;          // bytes per stored row, padded to a multiple of 4
    std::vector<std::uint32_t> Palette; // 0x00RRGGBB entries of 1-, 4- and 8-bit images
    std::vector<std::uint8_t> Rows;     // Height * RowStride bytes in file order

    // Row y of the picture (0 = top).
    const std::uint8_t* PictureRow(int y) const {
        return Rows.data() + std::size_t(BottomUp ? Height - 1 - y : y) * RowStride;
    }
};

// Reads a BMP file image from the stream's position. Raises ESWFError with a
// clear message for anything but an uncompressed (BI_RGB) image whose rows are present.
TBMPImage ReadBMPImage(TSWFMemoryStream& stream);

// Writes bitmap (any form; 8-bit through its palette) as an uncompressed 24-bit
// BMP file image with positive height at the stream's position.
void WriteBMP24(TSWFOutput& target, const TBitmap& bitmap);
