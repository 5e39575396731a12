// The LZW encoder: exact bytes, code widths and clear points, the interlace
// walk, sub-block packing, write failures, and decoding by giflib.

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "LzwReferenceTools.h"
#include "gifdata/GifLzwEncoder.h"

using lzwtest::Bytes;

namespace {

Bytes EncodeFrame(const Bytes& pixels, int width, int height, int bits, bool interlaced = false) {
    TMemoryStream stream;
    TLZWEncoder encoder;
    EXPECT_TRUE(encoder.Encode(stream, bits, std::uint32_t(1) << bits,
                               pixels.empty() ? nullptr : pixels.data(), interlaced, height, width));
    return stream.Bytes();
}

// A stream that accepts a fixed number of bytes and then fails every write.
class TFailingStream : public TMemoryStream {
  public:
    explicit TFailingStream(std::size_t capacity) : Capacity(capacity) {}
    std::size_t Write(const void* buffer, std::size_t count) override {
        const std::size_t room = Capacity - std::min(Capacity, std::size_t(Size()));
        return TMemoryStream::Write(buffer, std::min(room, count));
    }

  private:
    std::size_t Capacity;
};

} // namespace

TEST(LzwBitsForCount, SmallestWidthHoldingTheColours) {
    EXPECT_EQ(BitsForCount(0), 0);
    EXPECT_EQ(BitsForCount(1), 1);
    EXPECT_EQ(BitsForCount(2), 1);
    EXPECT_EQ(BitsForCount(3), 2);
    EXPECT_EQ(BitsForCount(4), 2);
    EXPECT_EQ(BitsForCount(5), 3);
    EXPECT_EQ(BitsForCount(8), 3);
    EXPECT_EQ(BitsForCount(129), 8);
    EXPECT_EQ(BitsForCount(256), 8);
}

TEST(LzwEncoderBytes, TwoByTwoSingleColourFrame) {
    const Bytes pixels(4, 0);
    EXPECT_EQ(EncodeFrame(pixels, 2, 2, 1), (Bytes{0x02, 0x02, 0x84, 0x51, 0x00}));
}

TEST(LzwEncoderBytes, MinimumCodeSizeIsTwoForOneOrTwoColoursAndEightFor256) {
    const Bytes pixels = {0, 1, 1, 0};
    TMemoryStream one, two, none;
    TLZWEncoder().Encode(one, BitsForCount(1), 1, Bytes(4, 0).data(), false, 2, 2);
    TLZWEncoder().Encode(two, BitsForCount(2), 2, pixels.data(), false, 2, 2);
    TLZWEncoder().Encode(none, BitsForCount(0), 0, Bytes(4, 0).data(), false, 2, 2);
    EXPECT_EQ(one.Bytes()[0], 2);
    EXPECT_EQ(two.Bytes()[0], 2);
    EXPECT_EQ(none.Bytes()[0], 2);

    // 256 colours: minimum code size 8, and the clear code 256 goes out in 9 bits.
    const Bytes wide = lzwtest::RandomPixels(64, 256, 7);
    const Bytes data = EncodeFrame(wide, 8, 8, BitsForCount(256));
    ASSERT_GE(data.size(), 4u);
    EXPECT_EQ(data[0], 8);
    EXPECT_EQ(data[2], 0x00);
    EXPECT_EQ(data[3] & 0x01, 0x01);
    const auto joined = lzwtest::JoinSubBlocks(data);
    ASSERT_TRUE(joined);
    const auto codes = lzwtest::ReadCodes(*joined, 8);
    ASSERT_FALSE(codes.empty());
    EXPECT_EQ(codes.front().Value, 256);
    EXPECT_EQ(codes.front().Width, 9);
}

TEST(LzwEncoderBytes, EmptyFrameWritesOnlyTheEndCode) {
    EXPECT_EQ(EncodeFrame({}, 0, 5, 1), (Bytes{0x02, 0x01, 0x05, 0x00}));
    const Bytes pixels(4, 0);
    TMemoryStream stream;
    TLZWEncoder().Encode(stream, 8, 256, pixels.data(), false, 0, 4);
    // End code 257 in 9 bits: 0x01 0x01.
    EXPECT_EQ(stream.Bytes(), (Bytes{0x08, 0x02, 0x01, 0x01, 0x00}));
}

TEST(LzwEncoderCodes, NoiseClearsAtTwelveBitsWhenTheTableIsFull) {
    const int width = 300, height = 200;
    const Bytes pixels = lzwtest::RandomPixels(std::size_t(width) * height, 256, 11);
    const Bytes data = EncodeFrame(pixels, width, height, 8);
    const auto joined = lzwtest::JoinSubBlocks(data);
    ASSERT_TRUE(joined);
    const auto codes = lzwtest::ReadCodes(*joined, 8);
    ASSERT_GE(codes.size(), 2u);
    EXPECT_EQ(codes.back().Value, 257);

    std::vector<std::size_t> clears;
    for (std::size_t i = 0; i < codes.size(); ++i)
        if (codes[i].Value == 256) clears.push_back(i);
    ASSERT_GE(clears.size(), 4u) << "noise must fill the table several times";
    EXPECT_EQ(clears[0], 0u);
    for (std::size_t k = 1; k < clears.size(); ++k) {
        const std::size_t at = clears[k];
        EXPECT_EQ(codes[at].Width, 12) << "clear code " << k;
        // Codes 258..4094 are assigned, one per code written, plus the code
        // written at the miss that would assign 4095.
        EXPECT_EQ(at - clears[k - 1] - 1, std::size_t(4094 - 256)) << "clear code " << k;
        ASSERT_LT(at + 1, codes.size());
        EXPECT_EQ(codes[at + 1].Width, 9) << "width restarts after clear " << k;
    }
    for (const auto& code : codes) EXPECT_LT(code.Value, 4095);
}

TEST(LzwEncoderWalk, InterlacedHeightThreeIsRowsZeroTwoOne) {
    const Bytes rows = {0, 0, 1, 1, 2, 2}; // 2 x 3, one value per row
    const Bytes reordered = {0, 0, 2, 2, 1, 1};
    EXPECT_EQ(EncodeFrame(rows, 2, 3, 2, true), EncodeFrame(reordered, 2, 3, 2, false));
    EXPECT_NE(EncodeFrame(rows, 2, 3, 2, true), EncodeFrame(rows, 2, 3, 2, false));
}

TEST(LzwEncoderWalk, InterlacedFramesFollowTheFourPasses) {
    for (int height : {1, 2, 4, 5, 8, 9, 10, 17, 33}) {
        for (int width : {1, 3, 7}) {
            const Bytes pixels =
                lzwtest::RandomPixels(std::size_t(width) * height, 16, std::uint32_t(height * 31 + width));
            std::vector<int> order;
            for (auto [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}})
                for (int row = start; row < height; row += step) order.push_back(row);
            ASSERT_EQ(int(order.size()), height);
            Bytes reordered;
            for (int row : order)
                reordered.insert(reordered.end(), pixels.begin() + row * width,
                                 pixels.begin() + (row + 1) * width);
            EXPECT_EQ(EncodeFrame(pixels, width, height, 4, true),
                      EncodeFrame(reordered, width, height, 4, false))
                << width << " x " << height;
        }
    }
}

TEST(LzwEncoderSubBlocks, FullBlocksThenOneShorterBlockThenTerminator) {
    const Bytes pixels = lzwtest::RandomPixels(100 * 100, 256, 3);
    const Bytes data = EncodeFrame(pixels, 100, 100, 8);
    std::vector<int> sizes;
    ASSERT_TRUE(lzwtest::JoinSubBlocks(data, &sizes));
    ASSERT_GE(sizes.size(), 2u);
    for (std::size_t i = 0; i + 1 < sizes.size(); ++i) EXPECT_EQ(sizes[i], 255);
    EXPECT_GT(sizes.back(), 0);
    EXPECT_LE(sizes.back(), 255);
    EXPECT_EQ(data.back(), 0x00);
}

TEST(LzwSubBlockWriter, PacksIntoBlocksOf255AndNeverWritesAnEmptyBlock) {
    Bytes payload(300);
    std::iota(payload.begin(), payload.end(), 0);
    TMemoryStream stream;
    {
        TGIFWriter writer(stream);
        EXPECT_EQ(writer.Write(payload.data(), payload.size()), payload.size());
    }
    ASSERT_EQ(stream.Bytes().size(), 302u);
    EXPECT_EQ(stream.Bytes()[0], 0xFF);
    EXPECT_EQ(stream.Bytes()[256], 0x2D);
    EXPECT_TRUE(std::equal(payload.begin(), payload.end() - 45, stream.Bytes().begin() + 1));
    EXPECT_TRUE(std::equal(payload.end() - 45, payload.end(), stream.Bytes().begin() + 257));

    TMemoryStream exact;
    {
        TGIFWriter writer(exact);
        for (int i = 0; i < 255; ++i) writer.WriteByte(std::uint8_t(i));
        EXPECT_FALSE(writer.IsDirty());
    }
    EXPECT_EQ(exact.Bytes().size(), 256u) << "a full block leaves nothing for the destructor";

    TMemoryStream untouched;
    { TGIFWriter writer(untouched); }
    EXPECT_TRUE(untouched.Bytes().empty());
}

TEST(LzwSubBlockWriter, FailedTargetWriteIsReported) {
    TFailingStream stream(100);
    TGIFWriter writer(stream);
    Bytes payload(300, 7);
    EXPECT_EQ(writer.Write(payload.data(), payload.size()), 0u);
    EXPECT_TRUE(writer.Failed());
    EXPECT_FALSE(writer.Flush());
}

TEST(LzwEncoderFailure, WriteFailureAnywhereReturnsFalse) {
    const Bytes pixels = lzwtest::RandomPixels(64 * 64, 256, 5);
    TMemoryStream whole;
    ASSERT_TRUE(TLZWEncoder().Encode(whole, 8, 256, pixels.data(), false, 64, 64));
    for (std::size_t capacity :
         {std::size_t(0), std::size_t(1), std::size_t(100), whole.Bytes().size() - 1}) {
        TFailingStream stream(capacity);
        EXPECT_FALSE(TLZWEncoder().Encode(stream, 8, 256, pixels.data(), false, 64, 64)) << capacity;
    }
}

TEST(LzwEncoderMend, IndicesBeyondTheCountedColoursWidenTheCodes) {
    // Stale usage flags: two colours counted, but the frame uses index 5.
    const Bytes pixels = {0, 5, 1, 5, 5, 0};
    const Bytes data = EncodeFrame(pixels, 3, 2, BitsForCount(2));
    EXPECT_EQ(data[0], 3);
    EXPECT_EQ(data, EncodeFrame(pixels, 3, 2, 3)) << "same bytes as a frame counted with 8 colours";
    const Bytes top = {0, 200, 255};
    EXPECT_EQ(EncodeFrame(top, 3, 1, 2)[0], 8);
    if (lzwtest::HaveGif2Rgb()) {
        EXPECT_EQ(lzwtest::DecodeWithGif2Rgb(lzwtest::WrapInGif(data, 3, 2, false)), pixels);
    }
}

TEST(LzwEncoderInterop, Gif2RgbDecodesEveryShape) {
    if (!lzwtest::HaveGif2Rgb()) GTEST_SKIP() << "gif2rgb is not installed";
    struct TCase {
        int Width, Height, Colours;
        bool Interlaced;
    };
    const TCase cases[] = {{1, 1, 2, false},    {2, 2, 1, false},       {7, 3, 4, true},
                           {33, 17, 16, true},  {300, 200, 256, false}, {257, 130, 256, true},
                           {640, 10, 2, false}, {1, 500, 3, false}};
    std::uint32_t seed = 100;
    for (const auto& c : cases) {
        const Bytes pixels = lzwtest::RandomPixels(std::size_t(c.Width) * c.Height, c.Colours, seed++);
        const Bytes data =
            EncodeFrame(pixels, c.Width, c.Height, BitsForCount(std::uint32_t(c.Colours)), c.Interlaced);
        const auto decoded =
            lzwtest::DecodeWithGif2Rgb(lzwtest::WrapInGif(data, c.Width, c.Height, c.Interlaced));
        ASSERT_TRUE(decoded) << c.Width << " x " << c.Height;
        EXPECT_EQ(*decoded, pixels) << c.Width << " x " << c.Height;
    }
    // Flat areas and long runs: strings grow long, codes reach 12 bits without clears.
    Bytes flat(400 * 300);
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) flat[std::size_t(y) * 400 + x] = std::uint8_t((x / 50 + y / 40) % 5);
    const auto decoded =
        lzwtest::DecodeWithGif2Rgb(lzwtest::WrapInGif(EncodeFrame(flat, 400, 300, 3), 400, 300, false));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(*decoded, flat);
}

TEST(LzwSubBlockWriter, BytesAfterAFlushInsideOneWriteAreNotLost) {
    TMemoryStream stream;
    {
        TGIFWriter writer(stream);
        writer.WriteByte(1);
        Bytes rest(256, 2); // fills the block and leaves two bytes behind
        writer.Write(rest.data(), rest.size());
        EXPECT_TRUE(writer.IsDirty());
        writer.Write(rest.data(), 0); // nothing to write: no empty block either
    }
    ASSERT_EQ(stream.Bytes().size(), 259u);
    EXPECT_EQ(stream.Bytes()[256], 2);
}

TEST(LzwEncoderReuse, AFrameEncodesTheSameAfterOthersOnTheSameThread) {
    // The string table passes from one frame to the next: nothing of an
    // earlier frame (a full table of noise, an interlaced walk, a narrower
    // code size) may show in the next one's bytes.
    const Bytes first = lzwtest::RandomPixels(64 * 48, 16, 3);
    const Bytes alone = EncodeFrame(first, 64, 48, 4);
    EncodeFrame(lzwtest::RandomPixels(300 * 200, 256, 5), 300, 200, 8);
    EncodeFrame(Bytes(40 * 30, 1), 40, 30, 1, true);
    EXPECT_EQ(EncodeFrame(first, 64, 48, 4), alone);
    const Bytes noise = lzwtest::RandomPixels(300 * 200, 256, 5);
    const Bytes noiseAlone = EncodeFrame(noise, 300, 200, 8);
    EncodeFrame(first, 64, 48, 4);
    EXPECT_EQ(EncodeFrame(noise, 300, 200, 8), noiseAlone);
    EXPECT_TRUE(lzwtest::JoinSubBlocks(noiseAlone));
}
