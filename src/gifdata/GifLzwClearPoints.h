#pragma once
// Where a frame's LZW data clears its string table. The encoder clears when
// the table is full; a clear earlier than that can pay, where the strings the
// table learnt stop matching the pixels that follow, or where codes of fewer
// bits outweigh shorter strings. The choice changes only the codes written,
// never the pixels: any GIF decoder reads a clear code anywhere.

#include <cstddef>
#include <cstdint>
#include <vector>

// The pixel positions (in file order, ascending, each in 1..count-1) before
// which the encoder should write a clear code so that the data is smallest,
// found by a search over clear points a window of pixels apart. Empty when
// clearing only where the table fills is as small. bits is the minimum code
// size (LzwCodeBits in GifLzwEncoder.h).
std::vector<std::uint32_t> ChooseClearPoints(const std::uint8_t* pixels, std::size_t count, int bits);

// The bytes of image data (code size byte, sub-blocks, terminator) the
// encoder writes for count pixels in one row with the given clear points.
std::int64_t LzwEncodedSize(const std::uint8_t* pixels, std::size_t count, int bits,
                            const std::vector<std::uint32_t>& clearPoints);
