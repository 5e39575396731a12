#pragma once
// The LZW decoder for one frame's image data: a bit reader over the data
// sub-blocks and the string table. TGIFImageData::DecodeImage drives it; the
// decoder can be replaced behind DecodeImage without touching the reader.

#include <array>
#include <cstdint>

#include "gifdata/GifStream.h"

class TGIFLzwDecoder {
  public:
    static constexpr int TableSize = 4096;
    static constexpr int StackSize = 8192;

    // minCodeSize must be 0..11 (the caller refuses larger values).
    TGIFLzwDecoder(TStream& stream, int minCodeSize);

    // The next pixel value (0..4095), -1 when the data is exhausted or
    // corrupt beyond decoding, -2 after the end code.
    int NextPixel();
    // Moves the stream past the data's zero-length terminator when the
    // decoder stopped before reading it (data left after the frame was full,
    // or a corrupt string table), so block parsing resumes after the data.
    void SkipToTerminator();

  private:
    int NextCode();
    int ReadBits(int n);
    bool Push(int value);
    int EndOfData();
    int Corrupt();
    void ResetTable();

    TStream& Stream;
    int MinCodeSize;
    int ClearCode;
    int EndCode;
    int CodeSize;
    int SizeLimit;
    int NextFree;
    int FirstCode = 0;
    int OldCode = 0;
    std::array<int, TableSize> Prefix{};
    std::array<int, TableSize> Suffix{};
    std::array<int, StackSize> Stack{};
    int StackTop = 0;
    // Two carried-over bytes, one sub-block, and slack so that assembling a
    // code never reads outside the array.
    std::array<std::uint8_t, 2 + 255 + 4> Buffer{};
    int BitPosition = 0;
    int BitEnd = 0;
    int BytesInBuffer = 2;
    bool Fresh = true;
    bool Done = false;               // the bit reader has read the zero-length terminator
    bool Finished = false;           // end code seen or string table corrupt: no more codes
    bool TerminatorConsumed = false; // the stream stands after the data's terminator
};
