// The LZW decoder through the reader: sub-blocks shorter than a code, the
// interlaced row order, and GIFs written by ImageMagick decoding to exactly
// the pixels giflib's gif2rgb sees.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "LzwReferenceTools.h"
#include "gifdata/GifData.h"
#include "gifdata/GifLzwEncoder.h"

using lzwtest::Bytes;

namespace {

// Re-cuts the sub-blocks of image data (minimum code size, blocks, terminator) to blockSize bytes.
Bytes Recut(const Bytes& imageData, std::size_t blockSize) {
    const auto joined = lzwtest::JoinSubBlocks(imageData);
    EXPECT_TRUE(joined);
    Bytes out = {imageData[0]};
    for (std::size_t at = 0; at < joined->size(); at += blockSize) {
        const std::size_t n = std::min(blockSize, joined->size() - at);
        out.push_back(std::uint8_t(n));
        out.insert(out.end(), joined->begin() + long(at), joined->begin() + long(at + n));
    }
    out.push_back(0);
    return out;
}

Bytes Encode(const Bytes& pixels, int width, int height, int bits, bool interlaced) {
    TMemoryStream stream;
    TLZWEncoder().Encode(stream, bits, 0, pixels.data(), interlaced, height, width);
    return stream.TakeBytes();
}

std::optional<TGIFData*> Load(TGIFData& document, const Bytes& gif) {
    TMemoryStream stream(gif);
    if (!document.LoadFromStream(stream)) return std::nullopt;
    return &document;
}

} // namespace

TEST(LzwDecoder, OneByteSubBlocksWithWideCodesDecodeExactly) {
    // Legal GIF data: blocks of one byte carry less than one 9-bit code. Each
    // code must be joined from several blocks.
    const int width = 40, height = 30;
    const Bytes pixels = lzwtest::RandomPixels(std::size_t(width) * height, 256, 9);
    for (std::size_t blockSize : {1u, 2u, 3u}) {
        const Bytes gif = lzwtest::WrapInGif(Recut(Encode(pixels, width, height, 8, false), blockSize), width,
                                             height, false);
        TGIFData document;
        ASSERT_TRUE(Load(document, gif)) << blockSize;
        ASSERT_EQ(document.Frames.size(), 1u);
        EXPECT_EQ(document.Frames[0]->Pixels, pixels) << "blocks of " << blockSize;
        if (lzwtest::HaveGif2Rgb()) {
            EXPECT_EQ(lzwtest::DecodeWithGif2Rgb(gif), pixels) << blockSize;
        }
    }
}

TEST(LzwDecoder, InterlacedRowsLandInPassOrder) {
    // Height 3: the data holds rows 0, 2, 1.
    const Bytes dataOrder = {5, 5, 7, 7, 6, 6};
    const Bytes gif = lzwtest::WrapInGif(Encode(dataOrder, 2, 3, 3, false), 2, 3, true);
    TGIFData document;
    ASSERT_TRUE(Load(document, gif));
    EXPECT_EQ(document.Frames[0]->Pixels, (Bytes{5, 5, 6, 6, 7, 7}));
}

TEST(LzwDecoder, InterlacedDataThatStopsEarlyLeavesTheLaterPassesAtIndexOne) {
    // 4 x 10 interlaced, data for the first 5 rows of data order only
    // (rows 0, 8, 4, 2, 6); the end code comes early.
    Bytes first(20);
    for (std::size_t i = 0; i < first.size(); ++i) first[i] = std::uint8_t(2 + i / 4);
    const Bytes gif = lzwtest::WrapInGif(Encode(first, 4, 5, 3, false), 4, 10, true);
    TGIFData document;
    ASSERT_TRUE(Load(document, gif));
    const Bytes& p = document.Frames[0]->Pixels;
    const int dataRow[10] = {0, -1, 3, -1, 2, -1, 4, -1, 1, -1};
    for (int row = 0; row < 10; ++row)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(p[std::size_t(row * 4 + x)], dataRow[row] < 0 ? 1 : 2 + dataRow[row])
                << row << ", " << x;
}

TEST(LzwDecoderInterop, ImageMagickGifsDecodeLikeGiflib) {
    if (!lzwtest::HaveGif2Rgb() || std::system("command -v convert >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "ImageMagick or gif2rgb missing";
    const char* recipes[] = {
        "-size 211x97 plasma:fractal -colors 256",                // photo-like, many clear codes
        "-size 160x120 gradient:red-blue -colors 16",             // smooth runs
        "-size 64x300 pattern:checkerboard -colors 2",            // two colours
        "-size 150x90 plasma:fractal -colors 100 -interlace GIF", // interlaced
        "-size 1x1 xc:orange",                                    // one pixel
    };
    for (const char* recipe : recipes) {
        const auto path = lzwtest::ScratchPath("magick.gif");
        const std::string command =
            std::string("convert -seed 7 ") + recipe + " '" + path.string() + "' 2>/dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << recipe;
        std::ifstream file(path, std::ios::binary);
        const Bytes gif((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::filesystem::remove(path);

        TGIFData document;
        ASSERT_TRUE(Load(document, gif)) << recipe;
        ASSERT_EQ(document.Frames.size(), 1u) << recipe;
        const TGIFImageData& frame = *document.Frames[0];
        // gif2rgb paints the frame on the screen; these files have one full-screen frame.
        ASSERT_EQ(frame.Width, document.ScreenWidth) << recipe;
        ASSERT_EQ(frame.Height, document.ScreenHeight) << recipe;

        const auto out = lzwtest::ScratchPath("magick.rgb");
        const auto in = lzwtest::ScratchPath("magick-in.gif");
        {
            std::ofstream copy(in, std::ios::binary);
            copy.write(reinterpret_cast<const char*>(gif.data()), std::streamsize(gif.size()));
        }
        ASSERT_EQ(std::system(("gif2rgb -1 -o '" + out.string() + "' '" + in.string() + "'").c_str()), 0);
        std::ifstream rgbFile(out, std::ios::binary);
        const Bytes rgb((std::istreambuf_iterator<char>(rgbFile)), std::istreambuf_iterator<char>());
        std::filesystem::remove(in);
        std::filesystem::remove(out);
        ASSERT_EQ(rgb.size(), frame.Pixels.size() * 3) << recipe;
        std::size_t differing = 0;
        for (std::size_t i = 0; i < frame.Pixels.size(); ++i) {
            const TColor colour = frame.Color(frame.Pixels[i]);
            const Bytes expected = {std::uint8_t(colour & 0xFF), std::uint8_t((colour >> 8) & 0xFF),
                                    std::uint8_t((colour >> 16) & 0xFF)};
            if (!std::equal(expected.begin(), expected.end(), rgb.begin() + long(i * 3))) ++differing;
        }
        EXPECT_EQ(differing, 0u) << recipe;
    }
}
