// The production encoder against the plain reference encoder: the same bytes
// for random and structured frames of every shape, plain and interlaced.

#include <gtest/gtest.h>

#include <random>

#include "LzwReferenceEncoder.h"
#include "LzwReferenceTools.h"
#include "gifdata/GifLzwEncoder.h"

using lzwtest::Bytes;

namespace {

Bytes Fast(const Bytes& pixels, int width, int height, int bits, bool interlaced) {
    TMemoryStream stream;
    TLZWEncoder encoder;
    EXPECT_TRUE(encoder.Encode(stream, bits, 0, pixels.data(), interlaced, height, width));
    return stream.Bytes();
}

Bytes Reference(const Bytes& pixels, int width, int height, int bits, bool interlaced) {
    return lzwref::TReferenceEncoder().Encode(bits, pixels.data(), interlaced, height, width);
}

// Frames that exercise different table shapes: long strings, repeats, few and many colours.
enum TPattern {
    ptNoise,
    ptFlat,
    ptStripes,
    ptGradient,
    ptRuns,
    ptTiles,
    ptCheckers,
    ptSparse,
    ptPatternCount
};

Bytes MakeFrame(TPattern pattern, int width, int height, int colours, std::mt19937& rng) {
    Bytes p(std::size_t(width) * height);
    std::uniform_int_distribution<int> pick(0, colours - 1);
    const int a = pick(rng), b = pick(rng);
    const int tile = 1 + int(rng() % 13);
    std::size_t i = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x, ++i) {
            int v = 0;
            switch (pattern) {
            case ptNoise:
                v = pick(rng);
                break;
            case ptFlat:
                v = a;
                break;
            case ptStripes:
                v = (x / tile) % 2 ? a : b;
                break;
            case ptGradient:
                v = (x + y) * colours / (width + height);
                break;
            case ptRuns:
                v = i > 0 && rng() % 40 ? p[i - 1] : pick(rng);
                break;
            case ptTiles:
                v = ((x % tile) * 7 + (y % tile) * 3) % colours;
                break;
            case ptCheckers:
                v = ((x / tile) + (y / tile)) % 2 ? a : b;
                break;
            case ptSparse:
                v = rng() % 97 == 0 ? pick(rng) : a;
                break;
            default:
                break;
            }
            p[i] = std::uint8_t(v % colours);
        }
    }
    return p;
}

} // namespace

TEST(LzwEncoderDifferential, RandomShapesAndPatternsGiveTheReferenceBytes) {
    std::mt19937 rng(20261209);
    const int colourChoices[] = {1, 2, 3, 4, 7, 16, 33, 128, 200, 256};
    int compared = 0;
    for (int round = 0; round < 400; ++round) {
        const int width = 1 + int(rng() % (round % 4 == 0 ? 400 : 40));
        const int height = 1 + int(rng() % (round % 5 == 0 ? 300 : 40));
        const int colours = colourChoices[rng() % std::size(colourChoices)];
        const auto pattern = TPattern(rng() % ptPatternCount);
        const bool interlaced = rng() % 2;
        const int bits = std::max(2, BitsForCount(std::uint32_t(colours)));
        const Bytes pixels = MakeFrame(pattern, width, height, colours, rng);
        ASSERT_EQ(Fast(pixels, width, height, bits, interlaced),
                  Reference(pixels, width, height, bits, interlaced))
            << "round " << round << ": " << width << " x " << height << ", " << colours
            << " colours, pattern " << int(pattern) << (interlaced ? ", interlaced" : "");
        ++compared;
    }
    EXPECT_EQ(compared, 400);
}

TEST(LzwEncoderDifferential, LargeFramesWithManyClearsGiveTheReferenceBytes) {
    std::mt19937 rng(77);
    for (int pattern = 0; pattern < ptPatternCount; ++pattern) {
        for (int colours : {2, 16, 256}) {
            const Bytes pixels = MakeFrame(TPattern(pattern), 700, 500, colours, rng);
            const int bits = std::max(2, BitsForCount(std::uint32_t(colours)));
            for (bool interlaced : {false, true})
                ASSERT_EQ(Fast(pixels, 700, 500, bits, interlaced),
                          Reference(pixels, 700, 500, bits, interlaced))
                    << "pattern " << pattern << ", " << colours << " colours";
        }
    }
}

TEST(LzwEncoderDifferential, EveryMinimumCodeSizeGivesTheReferenceBytes) {
    std::mt19937 rng(5);
    for (int bits = 2; bits <= 8; ++bits) {
        const Bytes pixels = MakeFrame(ptNoise, 150, 120, 1 << bits, rng);
        EXPECT_EQ(Fast(pixels, 150, 120, bits, false), Reference(pixels, 150, 120, bits, false)) << bits;
        // Wider codes than the colours need, as a caller with a larger table would ask.
        const Bytes few = MakeFrame(ptRuns, 150, 120, 3, rng);
        EXPECT_EQ(Fast(few, 150, 120, bits, true), Reference(few, 150, 120, bits, true)) << bits;
    }
}

TEST(LzwEncoderDifferential, LongRunsOfOneColourGiveTheReferenceBytes) {
    // Strings grow to thousands of pixels; codes reach 12 bits without a clear.
    for (int side : {1, 2, 255, 256, 1000, 3000}) {
        const Bytes pixels(std::size_t(side) * 7, 1);
        EXPECT_EQ(Fast(pixels, side, 7, 2, false), Reference(pixels, side, 7, 2, false)) << side;
        EXPECT_EQ(Fast(pixels, 7, side, 2, true), Reference(pixels, 7, side, 2, true)) << side;
    }
}
