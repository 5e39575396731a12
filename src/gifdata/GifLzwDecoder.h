#pragma once
// The LZW decoder for one frame's image data: a bit reader over the data
// sub-blocks and the string table. TGIFImageData::DecodeImage drives it.
//
// Decoding emits whole strings: every table entry knows its length, its first
// pixel and where in the output a copy of it already stands, so a string is
// one forward copy of earlier output. Codes are taken from a 32-bit word of the
// sub-block buffer. Data that breaks the table's rules (a code beyond the next
// free one, a first code after a clear that is not a pixel) switches the rest
// of the frame to the plain one-pixel-at-a-time walk over prefix and suffix,
// which gives such data the same meaning it always had.

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>

class TGIFLzwDecoder {
  public:
    static constexpr int TableSize = 4096;
    static constexpr int StackSize = 8192;

    // data holds the image data's sub-block chain as it stands in the file
    // (length bytes, payloads, terminator), cut where the file ends.
    // minCodeSize must be 0..11 (the caller refuses larger values).
    TGIFLzwDecoder(const std::uint8_t* data, std::size_t size, int minCodeSize);

    // The most pixels any chain with this many payload bytes can decode to:
    // a string is at most one pixel longer than the codes read since the last
    // clear, and codes are as narrow as the growing table allows.
    static std::int64_t MostPixelsFrom(std::int64_t dataBytes);

    // Fills out[0..count) with pixels in data order; returns how many were
    // filled (fewer when the data stops first). Bytes of out past the
    // returned count are left as they were.
    std::int64_t Decode(std::uint8_t* out, std::int64_t count);
    // The request after the last pixel: with well-formed data it reads the end code.
    void Finish();

    // Whether the pixels Decode wrote hold only values marked in SeenValues:
    // every string is made of first pixels of the strings decoded before it.
    // Not known once data that breaks the table's rules was met.
    bool KnowsSeenValues() const { return !Plain; }
    const std::array<std::uint8_t, 256>& SeenValues() const { return Seen; }

  private:
    // The plain walk: one pixel per call from the output stack.
    int NextPixel();
    int NextCode();
    // Steps 4 to 6 of a code: the string onto the stack, the new entry.
    int DecodeCode(int c);
    int ReadBits(int n) {
        if (Fresh) { // start with a table reset whether or not the data begins with a clear code
            Fresh = false;
            return ClearCode;
        }
        // Sub-blocks may be shorter than a code: take more of them until the
        // code is whole or the data ends (a block that brought no bytes).
        if (BitPosition + n >= BitEnd) {
            do {
                if (!Refill()) return -1;
            } while (BitPosition + n >= BitEnd && BitEnd > 16);
        }
        std::uint32_t word;
        __builtin_memcpy(&word, Buffer.data() + (BitPosition >> 3), 4);
        word = LittleEndian(word);
        const int value = int((word >> (BitPosition & 7)) & ((1u << n) - 1));
        BitPosition += n;
        return value;
    }
    static std::uint32_t LittleEndian(std::uint32_t w) {
        if constexpr (std::endian::native == std::endian::little)
            return w;
        else
            return __builtin_bswap32(w);
    }
    bool Refill();
    void ResetTable();
    void AddEntry(int first);
    int EndOfData();
    int Corrupt();

    const std::uint8_t* Data; // the sub-block chain
    std::size_t Size;
    std::size_t At = 0; // next byte of the chain
    int MinCodeSize;
    int ClearCode;
    int EndCode;
    int CodeSize;
    int SizeLimit;
    int NextFree;
    int FirstCode = 0;
    int OldCode = 0;
    // The string table. Prefix and Suffix define it; Length and Where (a copy
    // of the string in the output, or in RootPixels for one pixel) let a
    // string be copied whole. They start uninitialised: only entries
    // below NextFree are read, and ResetTable sets Prefix and Suffix whole.
    std::array<std::uint16_t, TableSize> Prefix;
    std::array<std::uint16_t, TableSize> Suffix;
    std::array<std::uint16_t, TableSize> Length;
    std::array<const std::uint8_t*, TableSize> Where;
    std::array<std::uint8_t, TableSize + 16> RootPixels;
    // Where the previous code's string was written; the next entry starts there.
    const std::uint8_t* Previous = nullptr;
    bool Plain = false; // the rest of the frame goes through NextPixel
    std::array<std::uint16_t, StackSize> Stack;
    std::array<std::uint8_t, 256> Seen{}; // first pixels of the strings decoded so far
    int StackTop = 0;
    // Two carried-over bytes, one sub-block, and slack so that a code's word
    // never reads outside the array.
    std::array<std::uint8_t, 2 + 255 + 5> Buffer{};
    int BitPosition = 0;
    int BitEnd = 0;
    int BytesInBuffer = 2;
    bool Fresh = true;
    bool Done = false;     // the bit reader has read the zero-length terminator
    bool Finished = false; // end code seen or string table corrupt: no more codes
};
