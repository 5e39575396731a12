// Clear points: the encoder writes a clear code exactly where it is told (and
// still where the table fills), every decoder reads the result back, and the
// search for them never makes the data larger.

#include <gtest/gtest.h>

#include <algorithm>

#include "LzwReferenceTools.h"
#include "gifdata/GifData.h"
#include "gifdata/GifLzwClearPoints.h"
#include "gifdata/GifLzwEncoder.h"

using lzwtest::Bytes;

namespace {

Bytes EncodeWithPoints(const Bytes& pixels, int width, int height, int bits,
                       const std::vector<std::uint32_t>& points, bool interlaced = false) {
    TMemoryStream stream;
    TLZWEncoder encoder;
    encoder.SetClearPoints(&points);
    EXPECT_TRUE(encoder.Encode(stream, bits, 256, pixels.data(), interlaced, height, width));
    return stream.Bytes();
}

// The pixels our own reader gets from the image data, in file order of rows.
Bytes ReadBack(const Bytes& data, int width, int height, bool interlaced) {
    TMemoryStream stream(lzwtest::WrapInGif(data, width, height, interlaced));
    TGIFData document;
    if (!document.LoadFromStream(stream) || document.Frames.size() != 1) return {};
    return document.Frames[0]->Pixels;
}

// Pixels whose statistics change every few thousand pixels, as in a blend of
// two pictures: noise over a band of colours that moves along.
Bytes ShiftingNoise(std::size_t count, std::uint32_t seed) {
    Bytes pixels = lzwtest::RandomPixels(count, 12, seed);
    for (std::size_t i = 0; i < count; ++i) pixels[i] = std::uint8_t(pixels[i] + (i / 3000) * 9);
    return pixels;
}

std::vector<std::size_t> ClearCodeIndices(const Bytes& data, int bits) {
    const auto joined = lzwtest::JoinSubBlocks(data);
    std::vector<std::size_t> at;
    if (!joined) return at;
    const auto codes = lzwtest::ReadCodes(*joined, bits);
    for (std::size_t i = 0; i < codes.size(); ++i)
        if (codes[i].Value == 1 << bits) at.push_back(i);
    return at;
}

} // namespace

TEST(LzwClearPointsEncoder, TwoPixelsThenAClearThenTwoMore) {
    // Codes of 3 bits: clear 4, 0, 1, clear 4 (the table starts again), 0, 1, end 5.
    const Bytes data = EncodeWithPoints({0, 1, 0, 1}, 4, 1, 2, {2});
    EXPECT_EQ(data, (Bytes{0x02, 0x03, 0x44, 0x88, 0x14, 0x00}));
    // Without the point the second 0 1 is the table's code 6.
    EXPECT_NE(EncodeWithPoints({0, 1, 0, 1}, 4, 1, 2, {}), data);
}

TEST(LzwClearPointsEncoder, ClearCodesGoWhereToldAndEveryReaderGetsThePixelsBack) {
    const int width = 200, height = 150;
    const Bytes pixels = ShiftingNoise(std::size_t(width) * height, 7);
    // First and last pixel, a duplicate, one out of order and one past the end
    // (the last three are passed over), and a run of neighbours.
    const std::vector<std::uint32_t> points = {1, 500, 500, 400, 7000, 7001, 7002, 29999, 30000, 90000};
    const int bits = LzwCodeBits(2, pixels.data(), pixels.size());
    for (const bool interlaced : {false, true}) {
        SCOPED_TRACE(interlaced ? "interlaced" : "progressive");
        const Bytes data = EncodeWithPoints(pixels, width, height, bits, points, interlaced);
        // Interlaced, the points count pixels in the order of the four passes.
        EXPECT_EQ(ReadBack(data, width, height, interlaced), pixels);
        // Seven clears asked for (1, 500, 7000, 7001, 7002, 29999 and the
        // first code's), and the table fills between them at most a few times.
        const auto clears = ClearCodeIndices(data, bits);
        EXPECT_GE(clears.size(), 7u);
        EXPECT_LE(clears.size(), 7u + 12u);
        // Around 7000..7002 each pixel is a string of its own between clears.
        std::size_t adjacent = 0;
        for (std::size_t k = 1; k < clears.size(); ++k) adjacent += clears[k] - clears[k - 1] == 2 ? 1 : 0;
        EXPECT_GE(adjacent, 2u);
        if (lzwtest::HaveGif2Rgb()) {
            const auto decoded =
                lzwtest::DecodeWithGif2Rgb(lzwtest::WrapInGif(data, width, height, interlaced));
            ASSERT_TRUE(decoded);
            EXPECT_EQ(*decoded, pixels);
        }
    }
}

TEST(LzwClearPointsEncoder, AClearPointAtEachPixelStillDecodes) {
    const Bytes pixels = lzwtest::RandomPixels(300, 4, 2);
    std::vector<std::uint32_t> everywhere(299);
    for (std::uint32_t i = 0; i < everywhere.size(); ++i) everywhere[i] = i + 1;
    const Bytes data = EncodeWithPoints(pixels, 300, 1, 2, everywhere);
    EXPECT_EQ(ReadBack(data, 300, 1, false), pixels);
    EXPECT_EQ(ClearCodeIndices(data, 2).size(), 300u);
}

TEST(LzwClearPointsEncoder, AFrameAfterOneWithClearPointsEncodesAsAlone) {
    // The table passes between frames on a thread and is emptied slot by slot.
    const Bytes small = lzwtest::RandomPixels(64 * 48, 16, 3);
    const Bytes alone = EncodeWithPoints(small, 64, 48, 4, {});
    const Bytes noise = ShiftingNoise(300 * 200, 5);
    EncodeWithPoints(noise, 300, 200, 8, {100, 5000, 5001, 40000});
    EXPECT_EQ(EncodeWithPoints(small, 64, 48, 4, {}), alone);
}

TEST(LzwClearPointsSearch, ChoosesAscendingPointsInsideTheFrameAndNeverGrowsTheData) {
    struct TCase {
        const char* Name;
        Bytes Pixels;
    };
    std::vector<TCase> cases;
    cases.push_back({"shifting noise", ShiftingNoise(60000, 1)});
    cases.push_back({"noise of 256 colours", lzwtest::RandomPixels(50000, 256, 2)});
    cases.push_back({"noise of 3 colours", lzwtest::RandomPixels(80000, 3, 3)});
    Bytes stripes(60000);
    for (std::size_t i = 0; i < stripes.size(); ++i) stripes[i] = std::uint8_t((i / 7) % 5);
    cases.push_back({"stripes", stripes});
    std::size_t withPoints = 0;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const int bits = LzwCodeBits(2, c.Pixels.data(), c.Pixels.size());
        const auto points = ChooseClearPoints(c.Pixels.data(), c.Pixels.size(), bits);
        EXPECT_TRUE(std::is_sorted(points.begin(), points.end()));
        EXPECT_TRUE(std::adjacent_find(points.begin(), points.end()) == points.end());
        for (std::uint32_t p : points) {
            EXPECT_GT(p, 0u);
            EXPECT_LT(p, c.Pixels.size());
        }
        const std::int64_t plain = LzwEncodedSize(c.Pixels.data(), c.Pixels.size(), bits, {});
        const std::int64_t chosen = LzwEncodedSize(c.Pixels.data(), c.Pixels.size(), bits, points);
        EXPECT_LE(chosen, plain);
        if (!points.empty()) {
            ++withPoints;
            EXPECT_LT(chosen, plain) << "points are chosen only where they pay";
        }
    }
    EXPECT_GE(withPoints, 1u) << "shifting noise pays for clears";
}

TEST(LzwClearPointsSearch, ShiftingNoiseGetsSmallerThanTheEncodersOwnClears) {
    const Bytes pixels = ShiftingNoise(60000, 9);
    const int bits = LzwCodeBits(2, pixels.data(), pixels.size());
    const auto points = ChooseClearPoints(pixels.data(), pixels.size(), bits);
    ASSERT_FALSE(points.empty());
    const std::int64_t plain = LzwEncodedSize(pixels.data(), pixels.size(), bits, {});
    const std::int64_t chosen = LzwEncodedSize(pixels.data(), pixels.size(), bits, points);
    EXPECT_LT(chosen * 100, plain * 99) << plain << " -> " << chosen;
}

TEST(LzwClearPointsSearch, SmallOrEmptyInputsGetNoPoints) {
    const Bytes one = {5};
    EXPECT_TRUE(ChooseClearPoints(one.data(), 1, 8).empty());
    EXPECT_TRUE(ChooseClearPoints(nullptr, 0, 8).empty());
    // A flat frame never widens its codes to 12 bits: nothing to win.
    const Bytes flat(100000, 3);
    EXPECT_TRUE(ChooseClearPoints(flat.data(), flat.size(), 2).empty());
}

TEST(LzwCodeBits, AtLeastTwoAndWideEnoughForTheLargestIndex) {
    const Bytes low = {0, 1, 1};
    const Bytes high = {0, 200, 3};
    EXPECT_EQ(LzwCodeBits(2, low.data(), low.size()), 2);
    EXPECT_EQ(LzwCodeBits(1, low.data(), low.size()), 2);
    EXPECT_EQ(LzwCodeBits(2, high.data(), high.size()), 8);
    EXPECT_EQ(LzwCodeBits(5, low.data(), low.size()), 5);
    EXPECT_EQ(LzwCodeBits(12, low.data(), low.size()), 8);
}
