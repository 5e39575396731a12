// The fast decoder against the plain reference decoder: the same pixels, the
// same failures and the same stream position afterwards, for sound data from
// our encoder and from a flexible test encoder (no first clear, early clears,
// a full table without clear, odd sub-block sizes, every minimum code size),
// and for truncated, corrupted and random data.

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <random>
#include <string>

#include "LzwReferenceDecoder.h"
#include "LzwReferenceTools.h"
#include "gifdata/GifData.h"
#include "gifdata/GifLzwEncoder.h"

using lzwtest::Bytes;

namespace {

struct TOutcome {
    Bytes Pixels;
    bool Failed = false;
    std::int64_t Position = 0;
    bool operator==(const TOutcome&) const = default;
};

// The image data (minimum code size onwards) followed by a few trailing bytes,
// so that where decoding leaves the stream is visible.
TOutcome DecodeFast(const Bytes& data, int width, int height, bool interlaced) {
    TMemoryStream stream(data);
    TGIFData document;
    TGIFImageData frame(&document);
    frame.Width = std::uint16_t(width);
    frame.Height = std::uint16_t(height);
    frame.SetInterlaced(interlaced);
    frame.SetHasLocalTable(true);
    TOutcome outcome;
    try {
        frame.DecodeImage(stream);
    } catch (const std::exception&) {
        outcome.Failed = true;
    }
    if (!outcome.Failed) { // the usage flags set by decoding are those a full recount gives
        const TPalette decoded = frame.LocalPalette;
        frame.UpdateLocalUsage();
        EXPECT_EQ(decoded, frame.LocalPalette);
    }
    outcome.Pixels = frame.Pixels;
    if (outcome.Pixels.empty()) outcome.Pixels.assign(std::size_t(width) * height, 1);
    outcome.Position = stream.Position();
    return outcome;
}

TOutcome DecodeReference(const Bytes& data, int width, int height, bool interlaced) {
    TMemoryStream stream(data);
    TOutcome outcome;
    try {
        lzwref::DecodeImageReference(stream, width, height, interlaced, outcome.Pixels);
    } catch (const std::exception&) {
        outcome.Failed = true;
    }
    outcome.Pixels.resize(std::size_t(width) * height, 1);
    outcome.Position = stream.Position();
    return outcome;
}

// A configurable LZW encoder for data other encoders do not write.
struct TTestEncoderOptions {
    int MinCodeSize = 8;
    bool InitialClear = true;
    int ClearAfterCodes = 0;   // > 0: a clear code after that many codes (an early clear)
    bool ClearWhenFull = true; // false: keep coding at 12 bits with a full table
    bool EndCode = true;       // false: the codes simply stop
    int ExtraCodes = 0;        // random codes after the end
    int BlockSize = 255;       // data sub-block size
    bool Terminator = true;
    bool EarlyWidth = false; // widen one code early (a common encoder mistake)
};

Bytes TestEncode(const Bytes& pixels, const TTestEncoderOptions& o, std::mt19937& rng) {
    const int clear = 1 << o.MinCodeSize, end = clear + 1;
    std::vector<std::pair<int, int>> codes; // code, width
    int width = o.MinCodeSize + 1, next = clear + 2;
    std::map<std::pair<int, int>, int> table;
    auto emit = [&](int code) { codes.push_back({code, width}); };
    auto reset = [&] {
        table.clear();
        next = clear + 2;
        width = o.MinCodeSize + 1;
    };
    if (o.InitialClear) emit(clear);
    int sinceClear = 0;
    std::size_t i = 0;
    int prefix = -1;
    bool firstAfterClear = true;
    auto add = [&](int code) {
        if (next < 4096) {
            ++next;
            if (next + (o.EarlyWidth ? 1 : 0) >= (1 << width) && width < 12) ++width;
        }
        (void)code;
    };
    // Greedy LZW over pixels, with the decoder's width rule.
    while (i < pixels.size()) {
        int code = pixels[i++] & (clear - 1);
        while (i < pixels.size()) {
            auto it = table.find({code, pixels[i] & (clear - 1)});
            if (it == table.end()) break;
            code = it->second;
            ++i;
        }
        emit(code);
        if (!firstAfterClear) add(code);
        firstAfterClear = false;
        if (i < pixels.size() && next < 4096) table[{code, pixels[i] & (clear - 1)}] = next;
        ++sinceClear;
        const bool full = next >= 4095;
        if ((o.ClearAfterCodes > 0 && sinceClear >= o.ClearAfterCodes) || (full && o.ClearWhenFull)) {
            emit(clear);
            reset();
            sinceClear = 0;
            firstAfterClear = true;
        }
        (void)prefix;
    }
    if (o.EndCode) emit(end);
    for (int k = 0; k < o.ExtraCodes; ++k) emit(int(rng() % 4096) & ((1 << width) - 1));
    // Pack least significant bit first.
    Bytes packed;
    std::uint32_t acc = 0;
    int bits = 0;
    for (auto [code, w] : codes) {
        acc |= std::uint32_t(code) << bits;
        bits += w;
        while (bits >= 8) {
            packed.push_back(std::uint8_t(acc));
            acc >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) packed.push_back(std::uint8_t(acc));
    Bytes data = {std::uint8_t(o.MinCodeSize)};
    for (std::size_t at = 0; at < packed.size(); at += std::size_t(o.BlockSize)) {
        const std::size_t n = std::min(packed.size() - at, std::size_t(o.BlockSize));
        data.push_back(std::uint8_t(n));
        data.insert(data.end(), packed.begin() + long(at), packed.begin() + long(at + n));
    }
    if (o.Terminator) data.push_back(0);
    return data;
}

Bytes Pattern(int kind, std::size_t count, int colours, std::mt19937& rng) {
    Bytes p(count);
    for (std::size_t i = 0; i < count; ++i) {
        switch (kind % 4) {
        case 0:
            p[i] = std::uint8_t(rng() % colours);
            break;
        case 1:
            p[i] = std::uint8_t((i / 7) % colours);
            break;
        case 2:
            p[i] = i > 0 && rng() % 30 ? p[i - 1] : std::uint8_t(rng() % colours);
            break;
        default:
            p[i] = std::uint8_t(colours - 1);
            break;
        }
    }
    return p;
}

Bytes OurEncoding(const Bytes& pixels, int width, int height, int bits, bool interlaced) {
    TMemoryStream stream;
    TLZWEncoder().Encode(stream, bits, 0, pixels.data(), interlaced, height, width);
    return stream.TakeBytes();
}

void ExpectSame(const Bytes& data, int width, int height, bool interlaced, const std::string& what) {
    Bytes withTail = data;
    withTail.insert(withTail.end(), {0x21, 0xFE, 0x01, 0x41, 0x00, 0x3B});
    const TOutcome fast = DecodeFast(withTail, width, height, interlaced);
    const TOutcome reference = DecodeReference(withTail, width, height, interlaced);
    ASSERT_EQ(fast.Failed, reference.Failed) << what;
    ASSERT_EQ(fast.Position, reference.Position) << what;
    ASSERT_EQ(fast.Pixels, reference.Pixels) << what;
}

} // namespace

TEST(LzwDecoderDifferential, OurEncodingsDecodeAlike) {
    std::mt19937 rng(1);
    for (int round = 0; round < 300; ++round) {
        const int width = 1 + int(rng() % (round % 3 ? 60 : 500)),
                  height = 1 + int(rng() % (round % 4 ? 40 : 300));
        const int colours = 1 + int(rng() % 256);
        const bool interlaced = rng() % 2;
        const Bytes pixels = Pattern(int(rng()), std::size_t(width) * height, colours, rng);
        const Bytes data =
            OurEncoding(pixels, width, height, std::max(2, BitsForCount(std::uint32_t(colours))), interlaced);
        ExpectSame(data, width, height, interlaced, "round " + std::to_string(round));
        const TOutcome fast = DecodeFast(data, width, height, interlaced);
        ASSERT_EQ(fast.Pixels, pixels) << "round " << round;
    }
}

TEST(LzwDecoderDifferential, UnusualSoundDataDecodesAlike) {
    std::mt19937 rng(2);
    for (int round = 0; round < 400; ++round) {
        TTestEncoderOptions o;
        o.MinCodeSize = int(rng() % 12);
        o.InitialClear = rng() % 4 != 0;
        o.ClearAfterCodes = rng() % 3 == 0 ? 1 + int(rng() % 600) : 0;
        o.ClearWhenFull = rng() % 3 != 0;
        o.EndCode = rng() % 5 != 0;
        o.ExtraCodes = rng() % 5 == 0 ? int(rng() % 5) : 0;
        o.BlockSize = rng() % 2 ? 255 : 1 + int(rng() % 255);
        o.Terminator = rng() % 8 != 0;
        o.EarlyWidth = rng() % 10 == 0;
        const int width = 1 + int(rng() % 300), height = 1 + int(rng() % 120);
        const int colours = std::max(1, std::min(256, 1 << o.MinCodeSize));
        // Sometimes fewer or more pixels than the frame holds.
        const std::size_t frame = std::size_t(width) * height;
        const std::size_t count = rng() % 4 == 0 ? std::size_t(rng() % (2 * frame + 1)) : frame;
        const Bytes pixels = Pattern(int(rng()), count, colours, rng);
        const Bytes data = TestEncode(pixels, o, rng);
        ExpectSame(data, width, height, rng() % 2, "round " + std::to_string(round));
    }
}

TEST(LzwDecoderDifferential, TruncatedAndCorruptDataDecodesAlike) {
    std::mt19937 rng(3);
    for (int round = 0; round < 600; ++round) {
        const int width = 1 + int(rng() % 120), height = 1 + int(rng() % 90);
        const int colours = 1 + int(rng() % 256);
        const bool interlaced = rng() % 2;
        const Bytes pixels = Pattern(int(rng()), std::size_t(width) * height, colours, rng);
        Bytes data =
            OurEncoding(pixels, width, height, std::max(2, BitsForCount(std::uint32_t(colours))), interlaced);
        switch (round % 4) {
        case 0:
            data.resize(std::size_t(rng() % (data.size() + 1)));
            break; // cut anywhere
        case 1:    // flipped bits
            for (int k = 0, n = 1 + int(rng() % 6); k < n; ++k)
                data[1 + rng() % (data.size() - 1)] ^= std::uint8_t(1 << (rng() % 8));
            break;
        case 2:
            data[1 + rng() % (data.size() - 1)] = std::uint8_t(rng());
            break; // a wrong byte, maybe a length
        default:
            data[0] = std::uint8_t(rng() % 14);
            break; // another minimum code size
        }
        ExpectSame(data, width, height, interlaced, "round " + std::to_string(round));
    }
}

TEST(LzwDecoderDifferential, RandomBitsDecodeAlike) {
    std::mt19937 rng(4);
    for (int round = 0; round < 800; ++round) {
        Bytes data = {std::uint8_t(rng() % 12)};
        const int blocks = int(rng() % 6);
        for (int b = 0; b < blocks; ++b) {
            const int n = 1 + int(rng() % 255);
            data.push_back(std::uint8_t(n));
            for (int k = 0; k < n; ++k) data.push_back(std::uint8_t(rng()));
        }
        if (rng() % 4) data.push_back(0);
        const int width = 1 + int(rng() % 200), height = 1 + int(rng() % 60);
        ExpectSame(data, width, height, rng() % 2, "round " + std::to_string(round));
    }
}

TEST(LzwDecoderDifferential, SelfReferringTablesStopAlike) {
    // After a clear, a first code that is no pixel, then codes that walk
    // through entries defined by themselves: the stack bound stops both.
    std::mt19937 rng(5);
    for (int round = 0; round < 200; ++round) {
        const int m = 2 + int(rng() % 7);
        const int clear = 1 << m;
        std::vector<int> codes = {clear, clear + 2 + int(rng() % 4)};
        for (int k = 0; k < 60; ++k) codes.push_back(clear + 2 + int(rng() % 40));
        Bytes packed;
        std::uint32_t acc = 0;
        int bits = 0, width = m + 1, next = clear + 2;
        bool first = true;
        for (int code : codes) {
            acc |= std::uint32_t(code & ((1 << width) - 1)) << bits;
            bits += width;
            while (bits >= 8) {
                packed.push_back(std::uint8_t(acc));
                acc >>= 8;
                bits -= 8;
            }
            if (code == clear) {
                width = m + 1;
                next = clear + 2;
                first = true;
                continue;
            }
            if (!first && next < 4096 && ++next >= (1 << width) && width < 12) ++width;
            first = false;
        }
        packed.push_back(std::uint8_t(acc));
        Bytes data = {std::uint8_t(m)};
        for (std::size_t at = 0; at < packed.size(); at += 255) {
            const std::size_t n = std::min<std::size_t>(255, packed.size() - at);
            data.push_back(std::uint8_t(n));
            data.insert(data.end(), packed.begin() + long(at), packed.begin() + long(at + n));
        }
        data.push_back(0);
        ExpectSame(data, 50 + int(rng() % 400), 1 + int(rng() % 30), rng() % 2,
                   "round " + std::to_string(round));
    }
}
