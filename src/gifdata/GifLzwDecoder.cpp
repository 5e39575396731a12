// LZW decoding of GIF image data into a frame's palette indices.

#include "gifdata/GifLzwDecoder.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "gifdata/GifData.h"

TGIFLzwDecoder::TGIFLzwDecoder(const std::uint8_t* data, std::size_t size, int minCodeSize)
    : Data(data), Size(size), MinCodeSize(minCodeSize), ClearCode(1 << minCodeSize), EndCode(ClearCode + 1),
      CodeSize(minCodeSize + 1), SizeLimit(2 * ClearCode), NextFree(ClearCode + 2) {
    for (int i = 0; i < TableSize; ++i) RootPixels[std::size_t(i)] = std::uint8_t(i);
    std::fill(RootPixels.begin() + TableSize, RootPixels.end(), std::uint8_t(0));
    for (int i = 0; i < ClearCode; ++i) {
        Length[std::size_t(i)] = 1;
        Where[std::size_t(i)] = RootPixels.data() + i;
    }
}

// ---- bits

bool TGIFLzwDecoder::Refill() {
    if (Done) return false;
    // Keep the last two bytes: a code may straddle two sub-blocks.
    Buffer[0] = Buffer[std::size_t(BytesInBuffer - 2)];
    Buffer[1] = Buffer[std::size_t(BytesInBuffer - 1)];
    if (At >= Size) return false;
    const std::uint8_t length = Data[At++];
    int got = 0;
    if (length == 0) {
        Done = true;
    } else {
        got = int(std::min<std::size_t>(length, Size - At)); // a length past the end is cut
        std::memcpy(Buffer.data() + 2, Data + At, std::size_t(got));
        At += std::size_t(got);
        if (got == 0) Done = true; // nothing left after the length byte: no more bits will come
    }
    BytesInBuffer = got + 2;
    BitPosition = BitPosition - BitEnd + 16;
    BitEnd = (got + 2) * 8;
    return true;
}

std::int64_t TGIFLzwDecoder::MostPixelsFrom(std::int64_t dataBytes) {
    if (dataBytes <= 0) return 0;
    // Every payload bit, and the two carried-over bytes a last code may take.
    std::int64_t bits = 8 * dataBytes + 16;
    // Minimum code size 0 has the narrowest codes at every step. The first
    // code after the clear the decoder starts with is one pixel; the j-th
    // after it at most j + 2 (a chain through the j entries defined since,
    // one more for the string being defined).
    int codeSize = 1, sizeLimit = 2, nextFree = 3;
    std::int64_t pixels = 0;
    for (std::int64_t j = 0; bits >= codeSize; ++j) {
        bits -= codeSize;
        pixels += j + 2;
        if (j > 0 && nextFree < TableSize) {
            ++nextFree;
            if (nextFree >= sizeLimit && sizeLimit < TableSize) {
                sizeLimit *= 2;
                ++codeSize;
            }
        }
        if (nextFree == TableSize) { // full: every further 12-bit code the same
            const std::int64_t longest = j + 3;
            return pixels + bits / codeSize * longest;
        }
    }
    return pixels;
}

// ---- the table

void TGIFLzwDecoder::ResetTable() {
    for (int i = 0; i < ClearCode; ++i) {
        Prefix[std::size_t(i)] = 0;
        Suffix[std::size_t(i)] = std::uint16_t(i);
    }
    std::fill(Prefix.begin() + ClearCode, Prefix.end(), 0);
    std::fill(Suffix.begin() + ClearCode, Suffix.end(), 0);
    CodeSize = MinCodeSize + 1;
    SizeLimit = 2 * ClearCode;
    NextFree = ClearCode + 2;
    StackTop = 0;
}

int TGIFLzwDecoder::EndOfData() {
    Finished = true;
    return -2;
}

int TGIFLzwDecoder::Corrupt() {
    // A string longer than the output stack can only come from a string table
    // that refers to itself: stop the frame here, keeping what was decoded.
    Finished = true;
    StackTop = 0;
    return -1;
}

// ---- the plain walk

int TGIFLzwDecoder::NextPixel() {
    if (StackTop > 0) return Stack[std::size_t(--StackTop)];
    return NextCode();
}

int TGIFLzwDecoder::NextCode() {
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
    return DecodeCode(c);
}

int TGIFLzwDecoder::DecodeCode(int c) {
    const int in = c;
    if (c >= NextFree) { // the string being defined: old string plus its own first pixel
        if (StackTop == StackSize) return Corrupt();
        Stack[std::size_t(StackTop++)] = std::uint16_t(FirstCode);
        c = OldCode;
    }
    // Prefixes of a sound table are earlier codes; a corrupt one can loop,
    // which the stack bound stops.
    while (c >= ClearCode) {
        if (StackTop == StackSize) return Corrupt();
        Stack[std::size_t(StackTop++)] = Suffix[std::size_t(c)];
        c = Prefix[std::size_t(c)];
    }
    FirstCode = Suffix[std::size_t(c)];
    if (StackTop == StackSize) return Corrupt();
    Stack[std::size_t(StackTop++)] = std::uint16_t(FirstCode);
    if (NextFree < TableSize) {
        Prefix[std::size_t(NextFree)] = std::uint16_t(OldCode);
        Suffix[std::size_t(NextFree)] = std::uint16_t(FirstCode);
        ++NextFree;
        if (NextFree >= SizeLimit && SizeLimit < TableSize) {
            SizeLimit *= 2;
            ++CodeSize;
        }
    }
    OldCode = in;
    return Stack[std::size_t(--StackTop)];
}

// ---- whole strings

namespace {

inline void Copy16(std::uint8_t* to, const std::uint8_t* from) {
    std::uint8_t chunk[16];
    std::memcpy(chunk, from, 16);
    std::memcpy(to, chunk, 16);
}

} // namespace

std::int64_t TGIFLzwDecoder::Decode(std::uint8_t* const out, const std::int64_t count) {
    std::uint8_t* dst = out;
    std::uint8_t* const end = out + count;
    // The state the loop touches for every code lives in locals: stores of
    // pixels through dst may alias any member, which would make the compiler
    // reload every member after each string. Sync() puts it back before
    // anything else reads the members.
    int bitPosition = BitPosition, bitEnd = BitEnd;
    int codeSize = CodeSize, sizeLimit = SizeLimit, nextFree = NextFree, oldCode = OldCode;
    const std::uint8_t* previous = Previous;
    const int clearCode = ClearCode, endCode = EndCode;
    const auto sync = [&] {
        BitPosition = bitPosition;
        BitEnd = bitEnd;
        CodeSize = codeSize;
        SizeLimit = sizeLimit;
        NextFree = nextFree;
        OldCode = oldCode;
        Previous = previous;
    };
    const auto load = [&] {
        bitPosition = BitPosition;
        bitEnd = BitEnd;
        codeSize = CodeSize;
        sizeLimit = SizeLimit;
        nextFree = NextFree;
        oldCode = OldCode;
        previous = Previous;
    };
    // The next code, or -1 when the data has no more bits.
    const auto readCode = [&]() -> int {
        if (bitPosition + codeSize >= bitEnd) {
            sync();
            const int c = ReadBits(codeSize); // refills from the next sub-blocks
            load();
            return c;
        }
        std::uint32_t word;
        std::memcpy(&word, Buffer.data() + (bitPosition >> 3), 4);
        word = LittleEndian(word);
        const int value = int((word >> (bitPosition & 7)) & ((1u << codeSize) - 1));
        bitPosition += codeSize;
        return value;
    };
    // Strings are copied in 16-byte steps while at least this much room is
    // left; the bytes a step writes past its string are overwritten by the
    // next string, or restored below when the data stops.
    bool clearPending = Fresh; // the decoder starts with a table reset
    while (dst < end) {
        if (Plain) {
            sync();
            const int value = NextPixel();
            load();
            if (value < 0) break;
            *dst++ = std::uint8_t(value);
            continue;
        }
        if (Finished) break;
        int c;
        if (clearPending) {
            clearPending = false;
            Fresh = false;
            c = clearCode;
        } else {
            c = readCode();
        }
        if (c < 0) break;
        if (c == clearCode) {
            sync();
            ResetTable();
            load();
            do c = readCode();
            while (c == clearCode);
            if (c < 0) break;
            if (c == endCode) {
                EndOfData();
                break;
            }
            FirstCode = oldCode = c;
            *dst = std::uint8_t(c);
            Seen[std::uint8_t(c)] = 1;
            // A first code that is no pixel leaves the table without a picture
            // of the output: the plain walk takes over.
            if (c >= clearCode) Plain = true;
            previous = dst++;
            continue;
        }
        if (c == endCode) {
            EndOfData();
            break;
        }
        if (c > nextFree) { // beyond the table: only the plain walk knows what it means
            Plain = true;
            if (previous) FirstCode = previous[0]; // the first pixel of the last string
            sync();
            const int value = DecodeCode(c);
            load();
            if (value < 0) break;
            *dst++ = std::uint8_t(value);
            continue;
        }

        const std::size_t oldIndex = std::size_t(oldCode);
        const bool defining = c == nextFree; // old string plus its own first pixel
        const int oldLength = Length[oldIndex];
        const int length = defining ? oldLength + 1 : Length[std::size_t(c)];
        const std::uint8_t* const from = defining ? previous : Where[std::size_t(c)];
        const std::uint8_t first = from[0]; // a string's first pixel stands first in its copy
        if (nextFree < TableSize) {
            const std::size_t next = std::size_t(nextFree);
            Prefix[next] = std::uint16_t(oldCode);
            Suffix[next] = first;
            Length[next] = std::uint16_t(oldLength + 1);
            Where[next] = previous; // the old string, followed by this one's first pixel
            ++nextFree;
            if (nextFree >= sizeLimit && sizeLimit < TableSize) {
                sizeLimit *= 2;
                ++codeSize;
            }
        }
        oldCode = c;
        Seen[first] = 1;

        const std::int64_t room = end - dst;
        if (room >= length + 16) {
            const std::uint8_t* s = from;
            std::uint8_t* d = dst;
            std::uint8_t* const stop = dst + length;
            do {
                Copy16(d, s);
                d += 16;
                s += 16;
            } while (d < stop);
            if (defining) dst[length - 1] = first;
        } else if (room >= length) {
            if (defining) {
                std::memcpy(dst, from, std::size_t(length - 1));
                dst[length - 1] = first;
            } else {
                std::memcpy(dst, from, std::size_t(length));
            }
        } else { // the frame ends inside this string: the rest stays on the stack
            std::memcpy(dst, from, std::size_t(room));
            StackTop = int(length - room);
            previous = dst;
            dst = end;
            break;
        }
        previous = dst;
        dst += length;
    }
    if (!Plain && previous) FirstCode = previous[0]; // the first pixel of the last string
    sync();
    // Undo what the last 16-byte step wrote past the data.
    std::fill(dst, std::min(end, dst + 16), std::uint8_t(1));
    return dst - out;
}

void TGIFLzwDecoder::Finish() {
    NextPixel(); // with well-formed data: the end code
}

// ---- the frame

namespace {

// Rows 0, 8, 16, ...; 4, 12, ...; 2, 6, 10, ...; 1, 3, 5, ...: the data row
// that holds frame row r.
int DataRowOf(int r, int height) {
    const int pass0 = (height + 7) / 8;
    const int pass1 = (height + 3) / 8;
    const int pass2 = (height + 1) / 4;
    if (r % 8 == 0) return r / 8;
    if (r % 8 == 4) return pass0 + r / 8;
    if (r % 4 == 2) return pass0 + pass1 + r / 4;
    return pass0 + pass1 + pass2 + r / 2;
}

// Moves the rows of a frame decoded in data order to their interlaced places,
// following each cycle of the permutation with one spare row.
void Deinterlace(std::uint8_t* pixels, int width, int height) {
    std::vector<std::uint8_t> spare(static_cast<std::size_t>(width));
    std::vector<bool> placed(static_cast<std::size_t>(height));
    const std::size_t rowBytes = std::size_t(width);
    for (int start = 0; start < height; ++start) {
        if (placed[std::size_t(start)]) continue;
        std::memcpy(spare.data(), pixels + std::size_t(start) * rowBytes, rowBytes);
        int row = start;
        for (;;) {
            placed[std::size_t(row)] = true;
            const int from = DataRowOf(row, height);
            if (from == start) {
                std::memcpy(pixels + std::size_t(row) * rowBytes, spare.data(), rowBytes);
                break;
            }
            std::memcpy(pixels + std::size_t(row) * rowBytes, pixels + std::size_t(from) * rowBytes,
                        rowBytes);
            row = from;
        }
    }
}

} // namespace

namespace {

// The sub-block chain of the frame being read. Its storage is kept for the
// next frame of the thread (a load reads frame after frame) unless it grew
// large, and is never zeroed: only bytes that were read are used.
class TChainBuffer {
  public:
    TChainBuffer() : FStore(Kept()) { FStore.Size = 0; }
    ~TChainBuffer() {
        if (FStore.Capacity > (std::size_t(4) << 20)) FStore = TStore{};
    }
    TChainBuffer(const TChainBuffer&) = delete;
    TChainBuffer& operator=(const TChainBuffer&) = delete;

    const std::uint8_t* Data() const { return FStore.Bytes.get(); }
    std::size_t Size() const { return FStore.Size; }
    std::uint8_t operator[](std::size_t i) const { return FStore.Bytes[i]; }
    // Room for more bytes after Size(); Append(n) then takes n of them.
    std::uint8_t* Reserve(std::size_t more) {
        if (FStore.Size + more > FStore.Capacity) {
            const std::size_t capacity = std::max(2 * FStore.Capacity, FStore.Size + more);
            auto bytes = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
            if (FStore.Size) std::memcpy(bytes.get(), FStore.Bytes.get(), FStore.Size);
            FStore.Bytes = std::move(bytes);
            FStore.Capacity = capacity;
        }
        return FStore.Bytes.get() + FStore.Size;
    }
    void Append(std::size_t n) { FStore.Size += n; }
    void Truncate(std::size_t size) { FStore.Size = std::min(FStore.Size, size); }

  private:
    struct TStore {
        std::unique_ptr<std::uint8_t[]> Bytes;
        std::size_t Size = 0;
        std::size_t Capacity = 0;
    };
    static TStore& Kept() {
        thread_local TStore store;
        return store;
    }
    TStore& FStore;
};

// Makes pixels count bytes long. The bytes are then zero (a vector cannot
// leave them unset); decoding overwrites them. A fresh buffer's pages are
// asked for in one call rather than one page fault at a time; memory used
// before (the allocator's own) is resident already and needs no such call.
bool AllocateForDecoding(std::vector<std::uint8_t>& pixels, std::int64_t count) {
    try {
        pixels.reserve(std::size_t(count));
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
#if defined(MADV_POPULATE_WRITE)
    static const std::uintptr_t page = std::uintptr_t(sysconf(_SC_PAGESIZE));
    const std::uintptr_t begin = (std::uintptr_t(pixels.data()) + page - 1) / page * page;
    const std::uintptr_t end = (std::uintptr_t(pixels.data()) + std::uintptr_t(count)) / page * page;
    if (page > 0 && end > begin) {
        const std::uintptr_t middle = begin + (end - begin) / 2 / page * page;
        unsigned char resident = 1;
        if (mincore(reinterpret_cast<void*>(middle), page, &resident) == 0 && !(resident & 1))
            madvise(reinterpret_cast<void*>(begin), end - begin, MADV_POPULATE_WRITE);
    }
#endif
    pixels.resize(std::size_t(count));
    return true;
}

// Reads the image data's sub-block chain as it stands (length bytes, payloads,
// terminator), up to and including the terminator or the end of the stream.
// Returns the number of payload bytes. The stream is read in large pieces;
// what was read past the terminator is given back with a seek.
std::int64_t ReadSubBlockChain(TStream& stream, TChainBuffer& chain) {
    // Appends the next piece of the stream; false at its end.
    auto readMore = [&stream, &chain] {
        constexpr std::size_t piece = std::size_t(64) << 10;
        const std::size_t got = stream.Read(chain.Reserve(piece), piece);
        chain.Append(got);
        return got > 0;
    };
    std::int64_t payload = 0;
    std::size_t next = 0; // the next length byte
    for (;;) {
        if (next >= chain.Size() && !readMore()) break;
        const std::size_t length = chain[next];
        if (length == 0) {
            ++next;
            break;
        }
        const std::size_t blockEnd = next + 1 + length;
        while (chain.Size() < blockEnd && readMore()) {
        }
        if (chain.Size() < blockEnd) { // the stream ends inside this sub-block
            payload += std::int64_t(chain.Size() - next - 1);
            next = chain.Size();
            break;
        }
        payload += std::int64_t(length);
        next = blockEnd;
    }
    if (chain.Size() > next) {
        stream.Seek(stream.Position() - std::int64_t(chain.Size() - next));
        chain.Truncate(next);
    }
    return payload;
}

} // namespace

void TGIFImageData::DecodeImage(TStream& stream) {
    FreePixels();
    // The minimum code size and the frame's own data are read before any
    // pixel is allocated: the data bounds how many pixels may be.
    std::uint8_t minCodeSize = 0;
    const bool hasData = stream.Read(&minCodeSize, 1) == 1;
    if (hasData && minCodeSize > 11)
        throw EGIFError("LZW minimum code size " + std::to_string(minCodeSize) + " is above 11");
    TChainBuffer chain;
    const std::int64_t dataBytes = hasData ? ReadSubBlockChain(stream, chain) : 0;

    const std::int64_t pixels = std::int64_t(Width) * Height;
    const std::int64_t uncovered = pixels - TGIFLzwDecoder::MostPixelsFrom(dataBytes);
    if (uncovered > 0) {
        std::int64_t alone = MaxUncoveredLoadPixels; // a frame without a document
        std::int64_t& left = Owner ? Owner->FUncoveredPixelsLeft : alone;
        if (uncovered > MaxUncoveredFramePixels || uncovered > left)
            throw EGIFError("Frame of " + std::to_string(Width) + " x " + std::to_string(Height) +
                            " pixels has far too little image data");
        left -= uncovered;
    }

    if (pixels > 0 && (pixels > MaxFramePixels || !AllocateForDecoding(Pixels, pixels)))
        throw EGIFError("Not enough memory for a frame of " + std::to_string(Width) + " x " +
                        std::to_string(Height) + " pixels");
    PixelCount = std::int32_t(pixels);

    std::int64_t decoded = 0;
    std::unique_ptr<TGIFLzwDecoder> decoder;
    if (hasData) {
        decoder = std::make_unique<TGIFLzwDecoder>(chain.Data(), chain.Size(), minCodeSize);
        if (PixelCount > 0) decoded = decoder->Decode(Pixels.data(), PixelCount);
        decoder->Finish();
    }
    // Pixels the data did not reach are index 1. Interlaced rows, decoded in
    // data order, then move into place, undecoded ones with them.
    std::fill(Pixels.begin() + decoded, Pixels.end(), std::uint8_t(1));
    if (Interlaced() && PixelCount > 0) Deinterlace(Pixels.data(), Width, Height);

    // The usage flags of a local table, from what the decoder saw when it can
    // tell, without another pass over the pixels.
    if (!HasLocalTable()) return;
    if (decoder && !decoder->KnowsSeenValues()) {
        UpdateLocalUsage();
        return;
    }
    for (int i = 0; i < 256; ++i)
        LocalPalette[std::size_t(i)].Used = decoder ? decoder->SeenValues()[std::size_t(i)] : 0;
    if (decoded < PixelCount) LocalPalette[1].Used = 1;
    if (Control->Transparent()) LocalPalette[Control->TransparentIndex].Used = 1;
}
