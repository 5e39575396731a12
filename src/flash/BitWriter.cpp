#include "flash/BitWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

int GetBitsCount(std::uint32_t u) {
    if (u == 0) return 0;
    std::uint64_t power = 2;
    for (int n = 1; n <= 31; ++n, power *= 2)
        if (u < power) return n;
    return 0; // 2^31 and more: no caller passes such a value
}

static std::uint32_t Magnitude(std::int32_t v) {
    return v < 0 ? std::uint32_t(0) - std::uint32_t(v) : std::uint32_t(v);
}

int GetSignedBitsCount(std::int32_t v) {
    if (v == 0) return 0;
    return GetBitsCount(Magnitude(v)) + 1;
}

std::int32_t ToFixed16(double x) {
    return std::int32_t(std::trunc(x * 65536.0));
}

void TBitWriter::WriteBits(std::int32_t value, int count) {
    if (count <= 0) return;
    if (count > 32) count = 32;
    std::uint32_t bits = std::uint32_t(value);
    for (int i = count - 1; i >= 0; --i) {
        BitBuffer = std::uint8_t((BitBuffer << 1) | ((bits >> i) & 1u));
        if (++BitCount == 8) {
            Target.WriteBytes(&BitBuffer, 1);
            BitBuffer = 0;
            BitCount = 0;
        }
    }
}

void TBitWriter::FlushLastByte(bool pad) {
    if (BitCount > 0 && pad) WriteBits(0, 8 - BitCount);
    BitBuffer = 0;
    BitCount = 0;
}

void TBitWriter::WriteByte(std::uint8_t b) {
    if (BitCount > 0)
        WriteBits(b, 8);
    else
        Target.WriteBytes(&b, 1);
}

void TBitWriter::WriteWord(std::uint16_t w) {
    FlushLastByte(true);
    std::uint8_t bytes[2] = {std::uint8_t(w), std::uint8_t(w >> 8)};
    Target.WriteBytes(bytes, 2);
}

void TBitWriter::WriteDWord(std::uint32_t d) {
    FlushLastByte(true);
    std::uint8_t bytes[4] = {std::uint8_t(d), std::uint8_t(d >> 8), std::uint8_t(d >> 16),
                             std::uint8_t(d >> 24)};
    Target.WriteBytes(bytes, 4);
}

void TBitWriter::WriteBuffer(const std::uint8_t* data, std::size_t count) {
    FlushLastByte(true);
    Target.WriteBytes(data, count);
}

static std::uint32_t LargestMagnitude(std::initializer_list<std::int32_t> values) {
    std::uint32_t m = 0;
    for (std::int32_t v : values) m = std::max(m, Magnitude(v));
    return m;
}

static int SignedWidth(std::uint32_t magnitude) {
    return magnitude == 0 ? 0 : GetBitsCount(magnitude) + 1;
}

void TBitWriter::WriteRect(std::int32_t left, std::int32_t top, std::int32_t right, std::int32_t bottom) {
    std::int32_t xMin = std::min(left, right), xMax = std::max(left, right);
    std::int32_t yMin = std::min(top, bottom), yMax = std::max(top, bottom);
    int n = SignedWidth(LargestMagnitude({xMin, xMax, yMin, yMax}));
    WriteBits(n, 5);
    WriteBits(xMin, n);
    WriteBits(xMax, n);
    WriteBits(yMin, n);
    WriteBits(yMax, n);
    FlushLastByte(true);
}

void TBitWriter::WriteMatrix(const TSWFMatrix& m) {
    WriteBit(m.HasScale);
    if (m.HasScale) {
        int n = SignedWidth(LargestMagnitude({m.ScaleX, m.ScaleY}));
        WriteBits(n, 5);
        WriteBits(m.ScaleX, n);
        WriteBits(m.ScaleY, n);
    }
    WriteBit(m.HasRotate);
    if (m.HasRotate) {
        int n = SignedWidth(LargestMagnitude({m.RotateSkew0, m.RotateSkew1}));
        WriteBits(n, 5);
        WriteBits(m.RotateSkew0, n);
        WriteBits(m.RotateSkew1, n);
    }
    int n = SignedWidth(LargestMagnitude({m.TranslateX, m.TranslateY}));
    WriteBits(n, 5);
    if (n > 0) {
        WriteBits(m.TranslateX, n);
        WriteBits(m.TranslateY, n);
    }
    FlushLastByte(true);
}
