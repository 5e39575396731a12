#pragma once
// The LZW compressor for GIF image data: minimum code size byte, variable-width
// codes (least significant bit first) in data sub-blocks, and the terminator.
// Codes widen from the minimum code size + 1 up to 12 bits; a clear code goes
// out whenever the next free code would reach 4095.

#include <array>
#include <cstdint>
#include <memory>

#include "gifdata/GifStream.h"
#include "gifdata/GifSubBlockWriter.h"

// Bits needed for n palette entries: 0 for none, otherwise the smallest b >= 1
// with 2^b >= n (1 for 1..2, 2 for 3..4, ..., 8 for 129..256).
int BitsForCount(std::uint32_t n);

// String table: open addressing over 8009 slots. A slot holds key * 4096 + code,
// the key (prefix code * 256 + pixel) in the high 20 bits; high bits all ones
// mark an empty slot.
class THashTable {
  public:
    static constexpr int SlotCount = 8009;
    static constexpr int NotFound = -1;

    THashTable() { Reset(); }
    void Reset();
    void Insert(std::uint32_t key, int code);
    // The code stored for key, or NotFound.
    int Lookup(std::uint32_t key) const;
    static int Hash(std::uint32_t key) { return int(((key >> 4) ^ key) % SlotCount); }
    static int Rehash(int slot) {
        int step = slot == 0 ? 1 : SlotCount - slot;
        slot -= step;
        return slot < 0 ? slot + SlotCount : slot;
    }

  private:
    static constexpr std::uint32_t EmptyKey = 0xFFFFF;
    std::array<std::uint32_t, SlotCount> Slots;
};

// Bit packing, the pixel walk (plain or interlaced) and the frame framing.
class TGIFEncoder {
  public:
    virtual ~TGIFEncoder() = default;
    virtual void Output(int code);
    virtual void Clear() {}
    virtual void Compress() {}

    // Writes one frame's image data to stream. bits is raised to 2, and to the
    // width of the largest pixel index present, so the data always decodes.
    // Returns false when a write to the stream failed (output cut there).
    bool Encode(TStream& stream, int bits, std::uint32_t count, const std::uint8_t* pixels, bool interlaced,
                int height, int width);

  protected:
    // Steps Cursor to the next pixel in file order; false after the last one.
    bool NextPixelAvailable();

    std::uint32_t ColorCount = 0;
    std::uint8_t PixelBits = 2;
    TStream* Target = nullptr;
    std::int32_t Width = 0;
    std::int32_t Height = 0;
    bool Interlace = false;
    const std::uint8_t* Source = nullptr;
    std::unique_ptr<TGIFWriter> Writer;
    std::uint32_t Accumulator = 0;
    std::int32_t BitCount = 0;
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
    std::int32_t Prefix = 0;
    std::int32_t FreeCode = 0;
    std::unique_ptr<THashTable> Table;
};
