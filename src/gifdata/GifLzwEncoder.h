#pragma once
// The LZW compressor for GIF image data: minimum code size byte, variable-width
// codes (least significant bit first) in data sub-blocks, and the terminator.
// Codes widen from the minimum code size + 1 up to 12 bits; a clear code goes
// out whenever the next free code would reach 4095, and before each of the
// clear points the encoder is given.

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "gifdata/GifStream.h"
#include "gifdata/GifSubBlockWriter.h"

// Bits needed for n palette entries: 0 for none, otherwise the smallest b >= 1
// with 2^b >= n (1 for 1..2, 2 for 3..4, ..., 8 for 129..256).
int BitsForCount(std::uint32_t n);

// The minimum code size the encoder writes for pixels when asked for
// requestedBits: at least 2, at most 8, and wide enough for the largest index.
int LzwCodeBits(int requestedBits, const std::uint8_t* pixels, std::size_t count);

// String table: open addressing over 16384 slots with linear probing. A slot
// holds key * 4096 + code, the key (prefix code * 256 + pixel, 20 bits) in the
// high bits; high bits all ones mark an empty slot (the key 0xFFFFF, prefix
// 4095, never occurs). At most 4093 entries live between two clears, so the
// table stays at most a quarter full and a probe always ends at an empty slot.
// Any exact table gives the same codes; this one keeps the per-pixel probe
// short: one multiply for the hash, rarely a second slot. Beside it, Pairs
// remembers per prefix code two pixels that extended it one after the other
// and the code they reached: inside long strings (flat areas, repeated
// patterns) the compressor then takes two pixels per read and skips the hash.
class THashTable {
  public:
    static constexpr int SlotCount = 16384;
    static constexpr int NotFound = -1;
    static constexpr std::uint32_t EmptyBelow = 0xFFFFF000u; // entries at or above are empty

    THashTable() { Reset(); }
    void Reset();
    // Whoever fills the table names each filled slot here, so that
    // ResetFilled can empty just those: much less than the whole table for
    // the small frames an optimiser measures by the hundred.
    void NoteFilled(std::uint32_t slot) { Filled[FilledCount++] = std::uint16_t(slot); }
    // As Reset, for a table whose entries all went in through NoteFilled and
    // whose pairs were set only for codes below freeCode.
    void ResetFilled(int freeCode);
    // Returns the slot that now holds the entry.
    std::uint32_t Insert(std::uint32_t key, int code);
    // Empties one slot. Emptying every slot entries were inserted into
    // leaves the table as Reset does (the pairs aside).
    void Empty(std::uint32_t slot) { Slots[slot] = 0xFFFFFFFFu; }
    // The code stored for key, or NotFound.
    int Lookup(std::uint32_t key) const {
        for (std::uint32_t slot = Hash(key);; slot = Rehash(slot)) {
            const std::uint32_t entry = Slots[slot];
            if ((entry >> 12) == key) return int(entry & 0xFFF);
            if (entry >= EmptyBelow) return NotFound;
        }
    }
    static std::uint32_t Hash(std::uint32_t key) { return (key * 0x9E3779B1u) >> 18; }
    static std::uint32_t Rehash(std::uint32_t slot) { return (slot + 1) & (SlotCount - 1); }
    std::uint32_t* Data() { return Slots.data(); }
    std::uint32_t* PairData() { return Pairs.data(); }

  private:
    std::array<std::uint32_t, SlotCount> Slots;
    // Per prefix code, two pixels that were found to extend it one after the
    // other and the code reached: (first | second << 8) << 12 | code.
    std::array<std::uint32_t, 4096> Pairs;
    // At most 4093 entries live between two clears.
    std::array<std::uint16_t, 4096> Filled;
    int FilledCount = 0;
};

// Bit packing, the pixel walk (plain or interlaced) and the frame framing.
class TGIFEncoder {
  public:
    virtual ~TGIFEncoder() = default;
    // Appends code at CodeSize bits.
    virtual void Output(int code);
    virtual void Clear() {}
    virtual void Compress() {}

    // Writes one frame's image data to stream. bits is raised to 2, and to the
    // width of the largest pixel index present, so the data always decodes.
    // Returns false when a write to the stream failed (output cut there).
    bool Encode(TStream& stream, int bits, std::uint32_t count, const std::uint8_t* pixels, bool interlaced,
                int height, int width);
    // Pixel positions in file order, ascending, before which a clear code
    // goes out (the string ending there is written first). Positions out of
    // order or past the pixels are passed over. Kept by pointer: the vector
    // must outlive Encode.
    void SetClearPoints(const std::vector<std::uint32_t>* points) { ClearPoints = points; }

  protected:
    // Steps Cursor to the next pixel in file order; false after the last one.
    bool NextPixelAvailable();
    // Hands the whole bytes of Pending to the sub-block writer.
    void FlushPending(std::uint8_t* end);

    std::uint32_t ColorCount = 0;
    std::uint8_t PixelBits = 2;
    TStream* Target = nullptr;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool Interlace = false;
    const std::uint8_t* Source = nullptr;
    const std::vector<std::uint32_t>* ClearPoints = nullptr;
    std::unique_ptr<TGIFWriter> Writer;
    // Codes are packed into a 64-bit accumulator and stored four bytes at a
    // time into Pending, which goes to Writer when nearly full.
    std::uint64_t Accumulator = 0;
    std::int32_t BitCount = 0;
    static constexpr int PendingSize = 4096;
    std::array<std::uint8_t, PendingSize + 8> Pending;
    std::uint8_t* PendingEnd = nullptr;
    bool ClearFlag = false;
    std::int32_t CodeSize = 0;
    std::int32_t InitialCodeSize = 0;
    std::int32_t MaxCode = 0;
    std::int32_t ClearCode = 0;
    std::int32_t EndCode = 0;
    std::int32_t BaseCode = 0;
    const std::uint8_t* Cursor = nullptr;
    std::int64_t RowPixelsLeft = 0; // 64-bit: a 65535 x 65535 frame is one run
    std::int32_t Row = 0;
    std::int32_t Pass = 0;
};

class TLZWEncoder : public TGIFEncoder {
  public:
    void Output(int code) override;
    void Clear() override;
    void Compress() override;

  protected:
    // Compresses the pixels [from, to) of one run; the hot loop.
    void CompressRun(const std::uint8_t* from, const std::uint8_t* to);

    std::int32_t Prefix = 0;
    std::int32_t FreeCode = 0;
    std::unique_ptr<THashTable> Table;
};
