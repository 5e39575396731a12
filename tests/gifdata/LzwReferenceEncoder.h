#pragma once
// A plain, one-pixel-at-a-time LZW encoder kept as the reference for the fast
// production encoder: the same string table (8009 hashed slots), the same
// code widths and clear points, the same interlace walk and sub-block
// packing, written the most direct way. Tests compare their bytes.

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace lzwref {

class TReferenceEncoder {
  public:
    // Image data for one frame: minimum code size, sub-blocks, terminator.
    std::vector<std::uint8_t> Encode(int bits, const std::uint8_t* pixels, bool interlaced, int height,
                                     int width) {
        Out.clear();
        if (bits < 2) bits = 2;
        Interlace = interlaced;
        Width = width;
        Height = height;
        Source = pixels;
        InitialCodeSize = bits + 1;
        Out.push_back(std::uint8_t(bits));
        CodeSize = InitialCodeSize;
        MaxCode = (1 << CodeSize) - 1;
        ClearCode = 1 << bits;
        EndCode = ClearCode + 1;
        Accumulator = 0;
        BitCount = 0;
        ClearFlag = false;
        RowPixelsLeft = interlaced ? std::int64_t(width) : std::int64_t(width) * height;
        Row = 0;
        Pass = 0;
        Fill = 1;
        if (pixels && height > 0 && width > 0) Compress();
        Output(EndCode);
        if (Fill > 1) FlushBlock();
        Out.push_back(0);
        return Out;
    }

  private:
    static constexpr int Slots = 8009;

    void Reset() { std::memset(Table.data(), 0xFF, sizeof(Table)); }
    static int Hash(std::uint32_t key) { return int(((key >> 4) ^ key) % Slots); }
    static int Rehash(int h) {
        int step = h == 0 ? 1 : Slots - h;
        h -= step;
        return h < 0 ? h + Slots : h;
    }
    int Lookup(std::uint32_t key) const {
        for (int h = Hash(key);; h = Rehash(h)) {
            if ((Table[std::size_t(h)] >> 12) == 0xFFFFF) return -1;
            if ((Table[std::size_t(h)] >> 12) == key) return int(Table[std::size_t(h)] & 0xFFF);
        }
    }
    void Insert(std::uint32_t key, int code) {
        int h = Hash(key);
        while ((Table[std::size_t(h)] >> 12) != 0xFFFFF) h = Rehash(h);
        Table[std::size_t(h)] = (key << 12) | std::uint32_t(code & 0xFFF);
    }

    void PutByte(std::uint8_t b) {
        Block[std::size_t(Fill++)] = b;
        if (Fill == 256) FlushBlock();
    }
    void FlushBlock() {
        Block[0] = std::uint8_t(Fill - 1);
        Out.insert(Out.end(), Block.begin(), Block.begin() + Fill);
        Fill = 1;
    }

    void Output(int code) {
        if (BitCount > 0)
            Accumulator = (std::uint32_t(code) << BitCount) | (Accumulator & ((1u << BitCount) - 1));
        else
            Accumulator = std::uint32_t(code);
        BitCount += CodeSize;
        while (BitCount >= 8) {
            PutByte(std::uint8_t(Accumulator));
            Accumulator >>= 8;
            BitCount -= 8;
        }
        if (code == EndCode)
            while (BitCount > 0) {
                PutByte(std::uint8_t(Accumulator));
                Accumulator >>= 8;
                BitCount -= 8;
            }
        if (FreeCode > MaxCode || ClearFlag) {
            if (ClearFlag) {
                CodeSize = InitialCodeSize;
                MaxCode = (1 << CodeSize) - 1;
                ClearFlag = false;
            } else {
                ++CodeSize;
                MaxCode = CodeSize == 12 ? 4096 : (1 << CodeSize) - 1;
            }
        }
    }

    void Clear() {
        ClearFlag = true;
        Output(ClearCode);
        Reset();
        FreeCode = ClearCode + 2;
    }

    bool NextPixelAvailable() {
        if (--RowPixelsLeft > 0) return true;
        if (!Interlace) return false;
        RowPixelsLeft = Width;
        static constexpr int Step[4] = {8, 8, 4, 2};
        static constexpr int Start[4] = {0, 4, 2, 1};
        Row += Step[Pass];
        while (Row >= Height && Pass < 3) Row = Start[++Pass];
        if (Row >= Height) return false;
        Cursor = Source + std::size_t(Row) * std::size_t(Width);
        return true;
    }

    void Compress() {
        Clear();
        Cursor = Source;
        int prefix = *Cursor++;
        while (NextPixelAvailable()) {
            int c = *Cursor++;
            std::uint32_t key = (std::uint32_t(prefix) << 8) + std::uint32_t(c);
            int found = Lookup(key);
            if (found >= 0) {
                prefix = found;
                continue;
            }
            Output(prefix);
            prefix = c;
            if (FreeCode >= 4095)
                Clear();
            else
                Insert(key, FreeCode++);
        }
        Output(prefix);
    }

    std::vector<std::uint8_t> Out;
    std::array<std::uint8_t, 256> Block{};
    int Fill = 1;
    std::array<std::uint32_t, Slots> Table{};
    bool Interlace = false;
    int Width = 0, Height = 0;
    const std::uint8_t* Source = nullptr;
    const std::uint8_t* Cursor = nullptr;
    std::int64_t RowPixelsLeft = 0;
    int Row = 0, Pass = 0;
    std::uint32_t Accumulator = 0;
    int BitCount = 0;
    bool ClearFlag = false;
    int CodeSize = 0, InitialCodeSize = 0, MaxCode = 0, ClearCode = 0, EndCode = 0;
    int FreeCode = 0;
};

} // namespace lzwref
