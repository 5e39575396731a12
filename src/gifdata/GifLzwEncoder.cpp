#include "gifdata/GifLzwEncoder.h"

#include <algorithm>
#include <cstring>

#include "gifdata/GifData.h"

int BitsForCount(std::uint32_t n) {
    if (n == 0) return 0;
    int bits = 1;
    while ((std::uint64_t(1) << bits) < n) ++bits;
    return bits;
}

int LzwCodeBits(int requestedBits, const std::uint8_t* pixels, std::size_t count) {
    int bits = std::clamp(requestedBits, 2, 8);
    std::uint8_t largest = 0;
    for (std::size_t i = 0; i < count; ++i) largest = std::max(largest, pixels[i]);
    while ((largest >> bits) != 0) ++bits;
    return bits;
}

// ---- THashTable

void THashTable::Reset() {
    std::memset(Slots.data(), 0xFF, sizeof(Slots));
    std::memset(Pairs.data(), 0xFF, sizeof(Pairs));
    FilledCount = 0;
}

void THashTable::ResetFilled(int freeCode) {
    for (int i = 0; i < FilledCount; ++i) Slots[Filled[std::size_t(i)]] = 0xFFFFFFFFu;
    FilledCount = 0;
    std::memset(Pairs.data(), 0xFF, sizeof(std::uint32_t) * std::size_t(std::clamp(freeCode, 0, 4096)));
}

std::uint32_t THashTable::Insert(std::uint32_t key, int code) {
    std::uint32_t slot = Hash(key);
    while (Slots[slot] < EmptyBelow) slot = Rehash(slot);
    Slots[slot] = (key << 12) | (std::uint32_t(code) & 0xFFF);
    return slot;
}

// ---- TGIFEncoder

namespace {

inline void StoreLittle32(std::uint8_t* at, std::uint64_t value) {
    const std::uint8_t bytes[4] = {std::uint8_t(value), std::uint8_t(value >> 8), std::uint8_t(value >> 16),
                                   std::uint8_t(value >> 24)};
    std::memcpy(at, bytes, 4);
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
    // Stale usage flags can leave indices the counted colours do not cover;
    // codes of that width would be undecodable, so widen to fit them.
    bits = hasPixels ? LzwCodeBits(bits, pixels, std::size_t(width) * std::size_t(height))
                     : std::clamp(bits, 2, 8);
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
    PendingEnd = Pending.data();
    ClearFlag = false;
    RowPixelsLeft = interlaced ? std::int64_t(width) : std::int64_t(width) * std::int64_t(height);
    Row = 0;
    Pass = 0;
    Cursor = pixels;

    Writer = std::make_unique<TGIFWriter>(stream);
    if (hasPixels) Compress();
    Output(EndCode);
    FlushPending(PendingEnd);
    const bool ok = Writer->IsDirty() ? Writer->Flush() : !Writer->Failed();
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

void TGIFEncoder::FlushPending(std::uint8_t* end) {
    Writer->Write(Pending.data(), std::size_t(end - Pending.data()));
    PendingEnd = Pending.data();
}

void TGIFEncoder::Output(int code) {
    Accumulator |= std::uint64_t(code) << BitCount;
    BitCount += CodeSize;
    if (BitCount >= 32) {
        StoreLittle32(PendingEnd, Accumulator);
        PendingEnd += 4;
        Accumulator >>= 32;
        BitCount -= 32;
    }
    if (code == EndCode) { // the last byte is completed with zero bits
        for (; BitCount > 0; BitCount -= 8, Accumulator >>= 8) *PendingEnd++ = std::uint8_t(Accumulator);
        BitCount = 0;
    }
    if (PendingEnd - Pending.data() >= PendingSize) FlushPending(PendingEnd);
}

// ---- TLZWEncoder

void TLZWEncoder::Output(int code) {
    TGIFEncoder::Output(code);
    // The width check follows the write: a code goes out at the old width and
    // the next one at the new, which is when a GIF decoder widens.
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
    Table->ResetFilled(FreeCode);
    FreeCode = ClearCode + 2;
}

namespace {

// The string table of the last compression on this thread, kept for the next:
// a fresh one for every frame would cost the memory system more than its
// clearing does.
thread_local std::unique_ptr<THashTable> SpareTable;

} // namespace

void TLZWEncoder::Compress() {
    Table = SpareTable ? std::move(SpareTable) : std::make_unique<THashTable>();
    Clear(); // resets the table
    Cursor = Source;
    Prefix = *Cursor++;
    std::uint64_t position = 1; // of the pixel at Cursor, in file order
    const std::uint32_t* clearPoint = ClearPoints ? ClearPoints->data() : nullptr;
    const std::uint32_t* const clearEnd = ClearPoints ? clearPoint + ClearPoints->size() : nullptr;
    // The walk is taken a run at a time: the whole frame, or one row when
    // interlaced. NextPixelAvailable then only moves between rows.
    std::int64_t count = RowPixelsLeft - 1;
    for (;;) {
        for (; clearPoint != clearEnd && *clearPoint < position + std::uint64_t(count); ++clearPoint) {
            if (*clearPoint < position) continue;
            const auto before = std::int64_t(*clearPoint - position);
            CompressRun(Cursor, Cursor + before);
            Output(Prefix);
            Clear();
            Cursor += before;
            Prefix = *Cursor++;
            position += std::uint64_t(before) + 1;
            count -= before + 1;
        }
        CompressRun(Cursor, Cursor + count);
        Cursor += count;
        position += std::uint64_t(count);
        RowPixelsLeft = 1;
        if (!NextPixelAvailable()) break;
        count = RowPixelsLeft;
    }
    Output(Prefix);
    Table->ResetFilled(FreeCode); // the next frame's Clear finds it empty
    SpareTable = std::move(Table);
}

// Output and Clear of the per-pixel loop, with the state held in locals.
void TLZWEncoder::CompressRun(const std::uint8_t* from, const std::uint8_t* to) {
    std::uint32_t* const slots = Table->Data();
    const std::uint8_t* const pendingLimit = Pending.data() + PendingSize;
    std::uint64_t accumulator = Accumulator;
    int bitCount = BitCount;
    std::uint8_t* out = PendingEnd;
    int codeSize = CodeSize;
    int maxCode = MaxCode;
    int freeCode = FreeCode;
    std::uint32_t prefix = std::uint32_t(Prefix);

    auto put = [&](std::uint32_t code) {
        accumulator |= std::uint64_t(code) << bitCount;
        bitCount += codeSize;
        if (bitCount >= 32) {
            StoreLittle32(out, accumulator);
            out += 4;
            accumulator >>= 32;
            bitCount -= 32;
            if (out >= pendingLimit) {
                FlushPending(out);
                out = PendingEnd;
            }
        }
    };

    std::uint32_t* const pairs = Table->PairData();
    // The step before, while it was a string found in the table: where it
    // started and with which pixel (all ones: it was not).
    std::uint32_t lastPrefix = 0xFFFFFFFFu, lastPixel = 0;
    const std::uint8_t* p = from;
    while (p != to) {
        // Long strings go two pixels per table read.
        if (to - p >= 2) {
            const std::uint32_t pair = std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8;
            const std::uint32_t two = pairs[prefix];
            if ((two >> 12) == pair) {
                prefix = two & 0xFFF;
                p += 2;
                lastPrefix = 0xFFFFFFFFu;
                continue;
            }
        }
        const std::uint32_t c = *p++;
        std::uint32_t found;
        const std::uint32_t key = (prefix << 8) | c;
        std::uint32_t slot = THashTable::Hash(key);
        std::uint32_t entry = slots[slot];
        while ((entry >> 12) != key) {
            if (entry >= THashTable::EmptyBelow) goto miss;
            slot = THashTable::Rehash(slot);
            entry = slots[slot];
        }
        found = entry & 0xFFF;
        goto hit;
    miss:
        put(prefix);
        if (freeCode > maxCode) {
            ++codeSize;
            maxCode = codeSize == 12 ? 4096 : (1 << codeSize) - 1;
        }
        prefix = c;
        lastPrefix = 0xFFFFFFFFu;
        if (freeCode < 0xFFF) {
            slots[slot] = (key << 12) | std::uint32_t(freeCode); // the empty slot that ended the probe
            Table->NoteFilled(slot);
            ++freeCode;
        } else {
            put(std::uint32_t(ClearCode));
            codeSize = InitialCodeSize;
            maxCode = (1 << codeSize) - 1;
            Table->ResetFilled(freeCode);
            freeCode = ClearCode + 2;
        }
        continue;
    hit:
        if (lastPrefix != 0xFFFFFFFFu) pairs[lastPrefix] = (lastPixel | c << 8) << 12 | found;
        lastPrefix = prefix;
        lastPixel = c;
        prefix = found;
    }

    Accumulator = accumulator;
    BitCount = bitCount;
    PendingEnd = out;
    CodeSize = codeSize;
    MaxCode = maxCode;
    FreeCode = freeCode;
    Prefix = std::int32_t(prefix);
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
        // Encode widens the codes to fit the largest index, so 2 asks for the narrowest.
        if (!ClearPoints.empty()) encoder.SetClearPoints(&ClearPoints);
        return encoder.Encode(stream, TightCodeSize ? 2 : BitsForCount(count), count,
                              Pixels.empty() ? nullptr : Pixels.data(), Interlaced(), Height, Width);
    } catch (const std::exception&) {
        return false; // out of memory for the string table
    }
}
