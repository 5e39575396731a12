#include "gifdata/GifLzwEncoder.h"

#include "gifdata/GifData.h"

#include <algorithm>
#include <cstring>

int BitsForCount(std::uint32_t n) {
    if (n == 0) return 0;
    int bits = 1;
    while ((std::uint64_t(1) << bits) < n) ++bits;
    return bits;
}

// ---- THashTable

void THashTable::Reset() {
    std::memset(Slots.data(), 0xFF, sizeof(Slots));
}

void THashTable::Insert(std::uint32_t key, int code) {
    int slot = Hash(key);
    while ((Slots[std::size_t(slot)] >> 12) != EmptyKey) slot = Rehash(slot);
    Slots[std::size_t(slot)] = (key << 12) | (std::uint32_t(code) & 0xFFF);
}

int THashTable::Lookup(std::uint32_t key) const {
    int slot = Hash(key);
    for (;;) {
        std::uint32_t entry = Slots[std::size_t(slot)];
        std::uint32_t stored = entry >> 12;
        if (stored == EmptyKey) return NotFound;
        if (stored == key) return int(entry & 0xFFF);
        slot = Rehash(slot);
    }
}

// ---- TGIFEncoder

namespace {

int LargestIndex(const std::uint8_t* pixels, std::size_t count) {
    std::uint8_t largest = 0;
    for (std::size_t i = 0; i < count; ++i) largest = std::max(largest, pixels[i]);
    return largest;
}

} // namespace

bool TGIFEncoder::Encode(TStream& stream, int bits, std::uint32_t count, const std::uint8_t* pixels,
                         bool interlaced, int height, int width) {
    const bool hasPixels = pixels != nullptr && height > 0 && width > 0;
    ColorCount = count;
    Target = &stream;
    Width = width;
    Height = height;
    Interlace = interlaced;
    Source = pixels;
    bits = std::clamp(bits, 2, 8);
    // Stale usage flags can leave indices the counted colours do not cover;
    // codes of that width would be undecodable, so widen to fit them.
    if (hasPixels) {
        const int largest = LargestIndex(pixels, std::size_t(width) * std::size_t(height));
        while ((largest >> bits) != 0) ++bits;
    }
    PixelBits = std::uint8_t(bits);
    InitialCodeSize = bits + 1;

    const std::uint8_t sizeByte = PixelBits;
    if (!stream.WriteExact(&sizeByte, 1)) return false;

    CodeSize = InitialCodeSize;
    MaxCode = (1 << CodeSize) - 1;
    ClearCode = 1 << bits;
    EndCode = ClearCode + 1;
    BaseCode = ClearCode + 2;
    Accumulator = 0;
    BitCount = 0;
    ClearFlag = false;
    RowPixelsLeft = interlaced ? std::int64_t(width) : std::int64_t(width) * std::int64_t(height);
    Row = 0;
    Pass = 0;
    Cursor = pixels;

    Writer = std::make_unique<TGIFWriter>(stream);
    if (hasPixels) Compress();
    Output(EndCode);
    bool ok = Writer->IsDirty() ? Writer->Flush() : !Writer->Failed();
    Writer.reset();

    const std::uint8_t terminator = 0;
    return stream.WriteExact(&terminator, 1) && ok;
}

bool TGIFEncoder::NextPixelAvailable() {
    if (--RowPixelsLeft > 0) return true;
    if (!Interlace) return false;
    RowPixelsLeft = Width;
    static constexpr int Step[4] = {8, 8, 4, 2};
    static constexpr int Start[4] = {0, 4, 2, 1};
    Row += Step[Pass];
    while (Row >= Height && Pass < 3) {
        ++Pass;
        Row = Start[Pass];
    }
    if (Row >= Height) return false;
    Cursor = Source + std::size_t(Row) * std::size_t(Width);
    return true;
}

void TGIFEncoder::Output(int code) {
    if (BitCount > 0)
        Accumulator = (std::uint32_t(code) << BitCount) | (Accumulator & ((1u << BitCount) - 1));
    else
        Accumulator = std::uint32_t(code);
    BitCount += CodeSize;
    while (BitCount >= 8) {
        Writer->WriteByte(std::uint8_t(Accumulator));
        Accumulator >>= 8;
        BitCount -= 8;
    }
    if (code == EndCode) {
        while (BitCount > 0) {
            Writer->WriteByte(std::uint8_t(Accumulator));
            Accumulator >>= 8;
            BitCount -= 8;
        }
    }
}

// ---- TLZWEncoder

void TLZWEncoder::Output(int code) {
    TGIFEncoder::Output(code);
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

void TLZWEncoder::Clear() {
    ClearFlag = true;
    Output(ClearCode);
    Table->Reset();
    FreeCode = ClearCode + 2;
}

void TLZWEncoder::Compress() {
    Table = std::make_unique<THashTable>();
    Clear();
    Cursor = Source;
    Prefix = *Cursor++;
    while (NextPixelAvailable()) {
        const int c = *Cursor++;
        const std::uint32_t key = (std::uint32_t(Prefix) << 8) + std::uint32_t(c);
        const int found = Table->Lookup(key);
        if (found != THashTable::NotFound) {
            Prefix = found;
            continue;
        }
        Output(Prefix);
        Prefix = c;
        if (FreeCode >= 0xFFF) {
            Clear();
        } else {
            Table->Insert(key, FreeCode);
            ++FreeCode;
        }
    }
    Output(Prefix);
    Table.reset();
}

// ---- TGIFImageData

bool TGIFImageData::EncodeImage(TStream& stream) {
    // A buffer that does not match the frame size cannot be encoded truthfully.
    if (Pixels.size() != std::size_t(Width) * std::size_t(Height)) return false;
    const TPalette& palette = HasLocalTable() || Owner == nullptr ? LocalPalette : Owner->GlobalPalette;
    std::uint32_t count = 0;
    for (const PaletteEntry& entry : palette)
        if (entry.Used) ++count;
    try {
        TLZWEncoder encoder;
        return encoder.Encode(stream, BitsForCount(count), count, Pixels.empty() ? nullptr : Pixels.data(),
                              Interlaced(), Height, Width);
    } catch (const std::exception&) {
        return false; // out of memory for the string table
    }
}
