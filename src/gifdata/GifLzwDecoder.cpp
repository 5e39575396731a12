// LZW decoding of GIF image data into a frame's palette indices.

#include "gifdata/GifLzwDecoder.h"

#include <algorithm>
#include <memory>

#include "gifdata/GifData.h"

TGIFLzwDecoder::TGIFLzwDecoder(TStream& stream, int minCodeSize)
    : Stream(stream), MinCodeSize(minCodeSize), ClearCode(1 << minCodeSize), EndCode(ClearCode + 1),
      CodeSize(minCodeSize + 1), SizeLimit(2 * ClearCode), NextFree(ClearCode + 2) {}

int TGIFLzwDecoder::ReadBits(int n) {
    if (Fresh) { // start with a table reset whether or not the data begins with a clear code
        Fresh = false;
        return ClearCode;
    }
    if (BitPosition + n >= BitEnd) {
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

bool TGIFLzwDecoder::Push(int value) {
    if (StackTop == StackSize) return false;
    Stack[std::size_t(StackTop++)] = value;
    return true;
}

void TGIFLzwDecoder::ResetTable() {
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

int TGIFLzwDecoder::EndOfData() {
    Finished = true;
    SkipToTerminator(); // nothing to skip when the bit reader already read the terminator
    return -2;
}

int TGIFLzwDecoder::Corrupt() {
    // A string longer than the output stack can only come from a string table
    // that refers to itself: stop the frame here, keeping what was decoded.
    Finished = true;
    StackTop = 0;
    return -1;
}

int TGIFLzwDecoder::NextPixel() {
    if (StackTop > 0) return Stack[std::size_t(--StackTop)];
    return NextCode();
}

void TGIFLzwDecoder::SkipToTerminator() {
    if (TerminatorConsumed) return;
    TerminatorConsumed = true;
    std::uint8_t length;
    while (Stream.Read(&length, 1) == 1 && length != 0) {
        std::int64_t target = std::min(Stream.Position() + length, Stream.Size());
        if (!Stream.Seek(target)) return;
    }
}

void TGIFImageData::DecodeImage(TStream& stream) {
    AllocatePixels();
    if (std::int64_t(Width) * Height > 0 && !HasPixels())
        throw EGIFError("Not enough memory for a frame of " + std::to_string(Width) + " x " +
                        std::to_string(Height) + " pixels");

    std::uint8_t minCodeSize;
    if (stream.Read(&minCodeSize, 1) != 1) return;
    if (minCodeSize > 11)
        throw EGIFError("LZW minimum code size " + std::to_string(minCodeSize) + " is above 11");

    auto decoder = std::make_unique<TGIFLzwDecoder>(stream, minCodeSize);
    // Fills count pixels from p on; false when the data stops first.
    auto fill = [&decoder](std::uint8_t* p, std::int64_t count) {
        for (std::int64_t i = 0; i < count; ++i) {
            int value = decoder->NextPixel();
            if (value < 0) return false;
            p[i] = std::uint8_t(value);
        }
        return true;
    };
    if (PixelCount > 0 && !Interlaced()) {
        fill(Pixels.data(), PixelCount);
    } else if (PixelCount > 0) {
        // Rows 0, 8, 16, ...; 4, 12, ...; 2, 6, 10, ...; 1, 3, 5, ...
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
    decoder->NextPixel(); // with well-formed data: the end code, which skips to the terminator
    decoder->SkipToTerminator();
}
