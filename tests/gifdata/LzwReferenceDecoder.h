#pragma once
// The plain LZW decoder the reader used before strings were copied whole: one
// pixel per call through an output stack, one code assembled from the
// sub-block buffer at a time. Kept as the reference for the fast decoder:
// tests compare pixels, failures and where the stream stands afterwards.

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "gifdata/GifStream.h"

namespace lzwref {

class TReferenceDecoder {
  public:
    static constexpr int TableSize = 4096;
    static constexpr int StackSize = 8192;

    // minCodeSize must be 0..11 (the caller refuses larger values).
    TReferenceDecoder(TStream& stream, int minCodeSize);

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

inline TReferenceDecoder::TReferenceDecoder(TStream& stream, int minCodeSize)
    : Stream(stream), MinCodeSize(minCodeSize), ClearCode(1 << minCodeSize), EndCode(ClearCode + 1),
      CodeSize(minCodeSize + 1), SizeLimit(2 * ClearCode), NextFree(ClearCode + 2) {}

inline int TReferenceDecoder::ReadBits(int n) {
    if (Fresh) { // start with a table reset whether or not the data begins with a clear code
        Fresh = false;
        return ClearCode;
    }
    // The one change from the reader it replaced: a sub-block shorter than a
    // code (1-byte blocks with codes of 9 bits or more) no longer leaves the
    // code short and the position past the buffer; blocks are joined until
    // the code is whole or a block brings no bytes.
    while (BitPosition + n >= BitEnd) {
        if (Done) return -1;
        // Keep the last two bytes: a code may straddle two sub-blocks.
        Buffer[0] = Buffer[std::size_t(BytesInBuffer - 2)];
        Buffer[1] = Buffer[std::size_t(BytesInBuffer - 1)];
        std::uint8_t length;
        if (Stream.Read(&length, 1) != 1) return -1;
        int got = 0;
        if (length == 0) {
            Done = true;
            TerminatorConsumed = true;
        } else {
            std::int64_t left = std::max<std::int64_t>(Stream.Remaining(), 0);
            int wanted = int(std::min<std::int64_t>(length, left)); // a length past the end is cut
            got = int(Stream.Read(Buffer.data() + 2, std::size_t(wanted)));
            if (got == 0) Done = true; // nothing left after the length byte: no more bits will come
        }
        BytesInBuffer = got + 2;
        BitPosition = BitPosition - BitEnd + 16;
        BitEnd = (got + 2) * 8;
        if (got == 0) break;
    }
    // A short last sub-block lets a code run past the valid bits (into stale
    // buffer bytes, as the carried-bytes scheme does), but never past the buffer.
    if (BitPosition + n > int(Buffer.size() - 3) * 8) {
        Done = true;
        return -1;
    }
    std::size_t byte = std::size_t(BitPosition >> 3);
    std::uint32_t bits = std::uint32_t(Buffer[byte]) | std::uint32_t(Buffer[byte + 1]) << 8 |
                         std::uint32_t(Buffer[byte + 2]) << 16;
    int value = int((bits >> (BitPosition & 7)) & ((1u << n) - 1));
    BitPosition += n;
    return value;
}

inline bool TReferenceDecoder::Push(int value) {
    if (StackTop == StackSize) return false;
    Stack[std::size_t(StackTop++)] = value;
    return true;
}

inline void TReferenceDecoder::ResetTable() {
    for (int i = 0; i < ClearCode; ++i) {
        Prefix[std::size_t(i)] = 0;
        Suffix[std::size_t(i)] = i;
    }
    std::fill(Prefix.begin() + ClearCode, Prefix.end(), 0);
    std::fill(Suffix.begin() + ClearCode, Suffix.end(), 0);
    CodeSize = MinCodeSize + 1;
    SizeLimit = 2 * ClearCode;
    NextFree = ClearCode + 2;
    StackTop = 0;
}

inline int TReferenceDecoder::NextCode() {
    if (Finished) return -2;
    int c = ReadBits(CodeSize);
    if (c < 0) return c;

    if (c == ClearCode) {
        ResetTable();
        do c = ReadBits(CodeSize);
        while (c == ClearCode);
        if (c < 0) return c;
        if (c == EndCode) return EndOfData();
        FirstCode = OldCode = c;
        return c;
    }

    if (c == EndCode) return EndOfData();

    int in = c;
    if (c >= NextFree) { // the string being defined: old string plus its own first pixel
        if (!Push(FirstCode)) return Corrupt();
        c = OldCode;
    }
    // Codes are at most 12 bits and prefixes are earlier codes, so c stays in
    // the table; a corrupt table can still loop, which the stack bound stops.
    while (c >= ClearCode) {
        if (!Push(Suffix[std::size_t(c)])) return Corrupt();
        c = Prefix[std::size_t(c)];
    }
    FirstCode = Suffix[std::size_t(c)];
    if (!Push(FirstCode)) return Corrupt();

    if (NextFree < TableSize) {
        Prefix[std::size_t(NextFree)] = OldCode;
        Suffix[std::size_t(NextFree)] = FirstCode;
        ++NextFree;
        if (NextFree >= SizeLimit && SizeLimit < TableSize) {
            SizeLimit *= 2;
            ++CodeSize;
        }
    }
    OldCode = in;
    return Stack[std::size_t(--StackTop)];
}

inline int TReferenceDecoder::EndOfData() {
    Finished = true;
    SkipToTerminator(); // nothing to skip when the bit reader already read the terminator
    return -2;
}

inline int TReferenceDecoder::Corrupt() {
    // A string longer than the output stack can only come from a string table
    // that refers to itself: stop the frame here, keeping what was decoded.
    Finished = true;
    StackTop = 0;
    return -1;
}

inline int TReferenceDecoder::NextPixel() {
    if (StackTop > 0) return Stack[std::size_t(--StackTop)];
    return NextCode();
}

inline void TReferenceDecoder::SkipToTerminator() {
    if (TerminatorConsumed) return;
    TerminatorConsumed = true;
    std::uint8_t length;
    while (Stream.Read(&length, 1) == 1 && length != 0) {
        std::int64_t target = std::min(Stream.Position() + length, Stream.Size());
        if (!Stream.Seek(target)) return;
    }
}

// What DecodeImage does, on a plain pixel vector: pixels start at index 1;
// throws std::runtime_error where the reader reports a failure.
inline void DecodeImageReference(TStream& stream, int Width, int Height, bool interlaced,
                                 std::vector<std::uint8_t>& Pixels) {
    Pixels.assign(std::size_t(Width) * std::size_t(Height), 1);
    const std::int64_t PixelCount = std::int64_t(Pixels.size());
    std::uint8_t minCodeSize;
    if (stream.Read(&minCodeSize, 1) != 1) return;
    if (minCodeSize > 11) throw std::runtime_error("LZW minimum code size above 11");

    auto decoder = std::make_unique<TReferenceDecoder>(stream, minCodeSize);
    auto fill = [&decoder](std::uint8_t* p, std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) {
            int value = decoder->NextPixel();
            if (value < 0) return false;
            p[i] = std::uint8_t(value);
        }
        return true;
    };
    if (PixelCount > 0 && !interlaced) {
        fill(Pixels.data(), PixelCount);
    } else if (PixelCount > 0) {
        int row = 0, pass = 0, step = 8;
        for (int y = 0; y < Height; ++y) {
            if (!fill(Pixels.data() + std::size_t(row) * Width, Width)) break;
            row += step;
            while (row >= Height) {
                if (pass > 0) step /= 2;
                ++pass;
                row = step / 2;
            }
        }
    }
    decoder->NextPixel();
    decoder->SkipToTerminator();
}

} // namespace lzwref
