// The reader's memory bound: a frame gets pixels only as far as its own image
// data could decode to them, plus a small allowance per load for short data,
// so a small file cannot make the reader allocate much whatever its frame count.

#include <gtest/gtest.h>

#include <fstream>
#include <random>

#include "GifTestBytes.h"
#include "gifdata/GifLzwDecoder.h"
#include "support/HostileGifs.h"

namespace {

using namespace giftest;

std::int64_t TotalPixels(const TGIFData& doc) {
    std::int64_t total = 0;
    for (const auto& frame : doc.Frames) total += std::int64_t(frame->Pixels.size());
    return total;
}

TEST(GifMemoryBound, ManyLargeFramesWithTinyDataAreRefusedAtTheFirstOne) {
    const Bytes file = hostile::ManyFrames(4096, 4096);
    TGIFData doc;
    TIOErrorLog log;
    EXPECT_FALSE(Load(doc, file));
    ASSERT_EQ(log.Messages.size(), 1u);
    EXPECT_EQ(log.Messages[0], "Frame of 4096 x 4096 pixels has far too little image data");
    EXPECT_TRUE(doc.Frames.empty());
}

TEST(GifMemoryBound, ShortDataFramesShareOneAllowancePerLoad) {
    // Each 1024 x 1024 frame alone is allowed with short data; the 2665 of
    // them in 40 KB would take 2.8 GB. Sixteen fit the load's allowance.
    const Bytes file = hostile::ManyFrames(1024, 1024);
    TGIFData doc;
    TIOErrorLog log;
    EXPECT_FALSE(Load(doc, file));
    ASSERT_EQ(log.Messages.size(), 1u);
    EXPECT_EQ(log.Messages[0], "Frame of 1024 x 1024 pixels has far too little image data");
    EXPECT_EQ(doc.Frames.size(), 16u);
    EXPECT_LE(TotalPixels(doc), MaxUncoveredLoadPixels + 16 * TGIFLzwDecoder::MostPixelsFrom(5));
    EXPECT_EQ(doc.Frames[15]->Pixels[3], 0); // decoded: clear, 0, 6 (0 0), 0, end
    EXPECT_EQ(doc.Frames[15]->Pixels[4], 1); // the rest stays index 1
    EXPECT_EQ(doc.Frames[15]->Pixels.back(), 1);

    // A second load starts with the whole allowance again.
    EXPECT_FALSE(Load(doc, file));
    EXPECT_EQ(doc.Frames.size(), 16u);
}

TEST(GifMemoryBound, BadMinimumCodeSizeIsRefusedBeforeTheFrameIsAllocated) {
    const Bytes file = hostile::HugeFrame(35);
    TGIFData doc;
    TIOErrorLog log;
    EXPECT_FALSE(Load(doc, file));
    ASSERT_EQ(log.Messages.size(), 1u);
    EXPECT_EQ(log.Messages[0], "LZW minimum code size 35 is above 11");
    EXPECT_TRUE(doc.Frames.empty());
}

TEST(GifMemoryBound, AllocationStaysWithinWhatTheDataCanDecodeToWhateverTheFrameCount) {
    std::mt19937 rng(21);
    for (int round = 0; round < 40; ++round) {
        TGifBuilder b;
        b.Header(1, 1);
        std::int64_t decodable = 0;
        const int frames = 1 + int(rng() % 200);
        for (int i = 0; i < frames; ++i) {
            const int width = 1 + int(rng() % 3000), height = 1 + int(rng() % 3000);
            Bytes payload(rng() % 600);
            for (auto& byte : payload) byte = std::uint8_t(rng());
            b.Descriptor(0, 0, width, height).Raw({std::uint8_t(2 + rng() % 7)}).Raw(SubBlocks(payload));
            decodable += std::min<std::int64_t>(std::int64_t(width) * height,
                                                TGIFLzwDecoder::MostPixelsFrom(std::int64_t(payload.size())));
        }
        b.Trailer();
        TGIFData doc;
        TIOErrorLog log;
        Load(doc, b.Data);
        EXPECT_LE(TotalPixels(doc), decodable + MaxUncoveredLoadPixels) << round;
    }
}

// The most compressible frames there are (one colour, so every code is the
// longest string yet) decode to no more than the bound, and load.
TEST(GifMemoryBound, TheBoundHoldsForTheBestCompressedData) {
    for (int size : {1, 7, 64, 300, 1000, 4096}) {
        TGIFData source;
        source.ScreenWidth = source.ScreenHeight = std::uint16_t(size);
        TGIFImageData* frame = source.AddFrame(size, size);
        std::fill(frame->Pixels.begin(), frame->Pixels.end(), std::uint8_t(0));
        TMemoryStream data;
        ASSERT_TRUE(frame->EncodeImage(data));
        const Bytes& bytes = data.Bytes(); // minimum code size, sub-blocks, terminator
        std::int64_t payload = 0;
        for (std::size_t at = 1; at < bytes.size() && bytes[at] != 0; at += bytes[at] + 1u)
            payload += bytes[at];
        EXPECT_LE(std::int64_t(size) * size, TGIFLzwDecoder::MostPixelsFrom(payload)) << size;

        TGIFData doc;
        TIOErrorLog log;
        ASSERT_TRUE(Load(doc, Save(source))) << size;
        EXPECT_TRUE(log.Messages.empty());
        ASSERT_EQ(doc.Frames.size(), 1u);
        EXPECT_EQ(doc.Frames[0]->Pixels, frame->Pixels);
    }
    // The bound grows with the data: a handful of bytes describes a few hundred
    // pixels at most, a full table's worth of codes about 2730 pixels per byte.
    EXPECT_EQ(TGIFLzwDecoder::MostPixelsFrom(0), 0);
    EXPECT_LT(TGIFLzwDecoder::MostPixelsFrom(5), 200);
    EXPECT_LT(TGIFLzwDecoder::MostPixelsFrom(100000), 100000 * 2731);
    EXPECT_GT(TGIFLzwDecoder::MostPixelsFrom(100000), 100000 * 2600);
}

TEST(GifMemoryBound, TheFuzzerSeedsAreTheCraftedFiles) {
    for (const hostile::THostileGif& gif : hostile::All()) {
        std::ifstream in(std::string(FRAMELOOM_TEST_DATA) + "/../../fuzz/seeds/gif_reader_fuzz/" +
                             gif.SeedName,
                         std::ios::binary);
        ASSERT_TRUE(in) << gif.SeedName;
        const Bytes seed{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(seed, gif.Data) << gif.SeedName;
    }
}

} // namespace
