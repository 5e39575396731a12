#pragma once
// Builds GIF files byte by byte for the codec tests, with a literal-only LZW
// coder that is independent of the program's encoder.

#include <cstdint>
#include <string>
#include <vector>

#include "gifdata/GifData.h"

namespace giftest {

using Bytes = std::vector<std::uint8_t>;

// Codes with explicit widths, packed least significant bit first.
class TCodeWriter {
  public:
    void Put(int code, int width) {
        Accumulator |= std::uint64_t(code) << Count;
        Count += width;
        while (Count >= 8) {
            Out.push_back(std::uint8_t(Accumulator & 0xFF));
            Accumulator >>= 8;
            Count -= 8;
        }
    }
    Bytes Finish() {
        if (Count > 0) Out.push_back(std::uint8_t(Accumulator & 0xFF));
        Count = 0;
        Accumulator = 0;
        return Out;
    }

  private:
    Bytes Out;
    std::uint64_t Accumulator = 0;
    int Count = 0;
};

// Payload split into data sub-blocks of at most 255 bytes, with the terminator.
inline Bytes SubBlocks(const Bytes& payload, bool terminate = true) {
    Bytes out;
    for (std::size_t i = 0; i < payload.size(); i += 255) {
        std::size_t n = std::min<std::size_t>(255, payload.size() - i);
        out.push_back(std::uint8_t(n));
        out.insert(out.end(), payload.begin() + long(i), payload.begin() + long(i + n));
    }
    if (terminate) out.push_back(0);
    return out;
}

// Every pixel as its own code: the code width grows exactly as a decoder's
// table does, and a clear code restarts the table before it fills.
inline Bytes LiteralCodes(int minCodeSize, const Bytes& pixels, bool endCode = true) {
    const int clear = 1 << minCodeSize;
    TCodeWriter w;
    int width = minCodeSize + 1, next = clear + 2;
    bool first = true;
    w.Put(clear, width);
    for (std::uint8_t p : pixels) {
        w.Put(p, width);
        if (!first && next < 4096) {
            ++next;
            if (next >= (1 << width) && width < 12) ++width;
        }
        first = false;
        if (next >= 4000) {
            w.Put(clear, width);
            width = minCodeSize + 1;
            next = clear + 2;
            first = true;
        }
    }
    if (endCode) w.Put(clear + 1, width);
    return w.Finish();
}

// Image data block: minimum code size, sub-blocks, terminator.
inline Bytes ImageData(int minCodeSize, const Bytes& pixels) {
    Bytes out{std::uint8_t(minCodeSize)};
    Bytes blocks = SubBlocks(LiteralCodes(minCodeSize, pixels));
    out.insert(out.end(), blocks.begin(), blocks.end());
    return out;
}

class TGifBuilder {
  public:
    Bytes Data;

    TGifBuilder& Raw(const Bytes& bytes) {
        Data.insert(Data.end(), bytes.begin(), bytes.end());
        return *this;
    }
    TGifBuilder& Text(const std::string& text) {
        Data.insert(Data.end(), text.begin(), text.end());
        return *this;
    }
    TGifBuilder& Word(int value) {
        return Raw({std::uint8_t(value & 0xFF), std::uint8_t((value >> 8) & 0xFF)});
    }
    // Header and screen descriptor; a global table of 2^(code+1) entries when flags say so,
    // entry i being (i, 2i, 3i).
    TGifBuilder& Header(int width, int height, int flags = 0x80, int background = 0, int aspect = 0,
                        const std::string& version = "89a") {
        Text("GIF" + version).Word(width).Word(height);
        Raw({std::uint8_t(flags), std::uint8_t(background), std::uint8_t(aspect)});
        if (flags & 0x80) Palette(flags & 7);
        return *this;
    }
    TGifBuilder& Palette(int sizeCode, int salt = 0) {
        for (int i = 0; i < (2 << sizeCode); ++i)
            Raw({std::uint8_t(i + salt), std::uint8_t(2 * i + salt), std::uint8_t(3 * i + salt)});
        return *this;
    }
    TGifBuilder& Control(int flags, int delay, int transparent) {
        Raw({0x21, 0xF9, 0x04, std::uint8_t(flags)}).Word(delay);
        return Raw({std::uint8_t(transparent), 0x00});
    }
    TGifBuilder& Application(const std::string& id, const std::string& auth, const Bytes& data) {
        Raw({0x21, 0xFF, 0x0B}).Text(id).Text(auth);
        return Raw(SubBlocks(data));
    }
    TGifBuilder& Looping(int count) {
        return Application("NETSCAPE", "2.0", {1, std::uint8_t(count & 0xFF), std::uint8_t(count >> 8)});
    }
    TGifBuilder& Comment(const std::string& text) {
        Raw({0x21, 0xFE});
        return Raw(SubBlocks(Bytes(text.begin(), text.end())));
    }
    TGifBuilder& Descriptor(int left, int top, int width, int height, int flags = 0) {
        Raw({0x2C}).Word(left).Word(top).Word(width).Word(height);
        return Raw({std::uint8_t(flags)});
    }
    // Descriptor, optional local table and literal-coded image data.
    TGifBuilder& Image(int left, int top, int width, int height, const Bytes& pixels, int flags = 0,
                       int minCodeSize = 2) {
        Descriptor(left, top, width, height, flags);
        if (flags & 0x80) Palette(flags & 7, 100);
        return Raw(ImageData(minCodeSize, pixels));
    }
    TGifBuilder& Trailer() { return Raw({0x3B}); }
};

// Records every ShowIOError while alive.
class TIOErrorLog {
  public:
    TIOErrorLog() {
        SetIOErrorHandler([this](const std::string& reason) { Messages.push_back(reason); });
    }
    ~TIOErrorLog() { SetIOErrorHandler(nullptr); }
    std::vector<std::string> Messages;
};

inline bool Load(TGIFData& doc, const Bytes& bytes) {
    TMemoryStream stream(bytes);
    return doc.LoadFromStream(stream);
}

inline Bytes Save(TGIFData& doc) {
    TMemoryStream stream;
    if (!doc.SaveToStream(stream)) return {};
    return stream.TakeBytes();
}

} // namespace giftest
