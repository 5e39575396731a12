#pragma once
// TBitWriter packs bit fields most-significant bit first into a byte stream and
// writes the little-endian integers, rectangles (RECT) and matrices (MATRIX) of
// the SWF format. Coordinates are twips (20 to a pixel).

#include "flash/SWFStream.h"

#include <cstdint>

struct TSWFMatrix {
    bool HasScale = false;
    bool HasRotate = false;
    std::int32_t ScaleX = 0; // 16.16 fixed point
    std::int32_t ScaleY = 0;
    std::int32_t RotateSkew0 = 0;
    std::int32_t RotateSkew1 = 0;
    std::int32_t TranslateX = 0; // twips
    std::int32_t TranslateY = 0;
};

struct TSWFRect {
    std::int32_t Left = 0;
    std::int32_t Top = 0;
    std::int32_t Right = 0;
    std::int32_t Bottom = 0;
};

// Width of an unsigned field holding u: 0 for 0, else the smallest n with u < 2^n
// (0 for values of 2^31 and more, which no caller passes).
int GetBitsCount(std::uint32_t u);
// Width of a signed field holding v: 0 for 0, else one sign bit plus the width of |v|.
int GetSignedBitsCount(std::int32_t v);
// x * 65536 truncated toward zero.
std::int32_t ToFixed16(double x);

class TBitWriter {
  public:
    explicit TBitWriter(TSWFOutput& target) : Target(target) {}

    // Appends the low count (0..32) bits of value.
    void WriteBits(std::int32_t value, int count);
    void WriteBit(bool flag) { WriteBits(flag ? 1 : 0, 1); }
    void WriteByte(std::uint8_t b);
    void WriteWord(std::uint16_t w);
    void WriteDWord(std::uint32_t d);
    // Byte-aligned raw bytes (pending bits are completed first).
    void WriteBuffer(const std::uint8_t* data, std::size_t count);
    void FlushLastByte(bool pad = true);

    void WriteRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom);
    void WriteRect(const TSWFRect& r) { WriteRect(r.Left, r.Top, r.Right, r.Bottom); }
    void WriteMatrix(const TSWFMatrix& m);

    std::uint8_t PendingBits() const { return BitBuffer; }
    int PendingCount() const { return BitCount; }

  private:
    TSWFOutput& Target;
    std::uint8_t BitBuffer = 0; // pending bits, right-aligned
    std::uint8_t BitCount = 0;  // 0..7
};
