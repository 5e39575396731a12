#pragma once
// Test helpers for the LZW tests: random frames, a code-level reader that
// follows the GIF decoder's width rules, wrapping image data into a minimal GIF
// file, and decoding that file with giflib's gif2rgb as an independent reader.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace lzwtest {

using Bytes = std::vector<std::uint8_t>;

inline Bytes RandomPixels(std::size_t count, int colours, std::uint32_t seed) {
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> pick(0, colours - 1);
    Bytes pixels(count);
    for (auto& p : pixels) p = std::uint8_t(pick(rng));
    return pixels;
}

// Joins the data sub-blocks that follow the minimum code size byte. Returns
// nothing when the chain is malformed or the terminator is not the last byte.
inline std::optional<Bytes> JoinSubBlocks(const Bytes& imageData, std::vector<int>* blockSizes = nullptr) {
    Bytes joined;
    std::size_t at = 1;
    while (at < imageData.size()) {
        const std::size_t n = imageData[at++];
        if (n == 0) {
            if (at != imageData.size()) return std::nullopt;
            return joined;
        }
        if (at + n > imageData.size()) return std::nullopt;
        if (blockSizes) blockSizes->push_back(int(n));
        joined.insert(joined.end(), imageData.begin() + long(at), imageData.begin() + long(at + n));
        at += n;
    }
    return std::nullopt;
}

struct TCode {
    int Value;
    int Width;
};

// Reads the codes of joined LZW data with the widths a GIF decoder uses: width
// m + 1 after a clear, one more bit once the next table entry reaches 2^width
// (at most 12). Stops after the end code.
inline std::vector<TCode> ReadCodes(const Bytes& joined, int minCodeSize) {
    std::vector<TCode> codes;
    const int clear = 1 << minCodeSize;
    const int end = clear + 1;
    int width = minCodeSize + 1;
    int next = clear + 2;
    bool firstAfterClear = true;
    std::size_t bit = 0;
    while (bit + std::size_t(width) <= joined.size() * 8) {
        int value = 0;
        for (int i = 0; i < width; ++i, ++bit)
            if (joined[bit / 8] & (1 << (bit % 8))) value |= 1 << i;
        codes.push_back({value, width});
        if (value == end) break;
        if (value == clear) {
            width = minCodeSize + 1;
            next = clear + 2;
            firstAfterClear = true;
            continue;
        }
        if (firstAfterClear) {
            firstAfterClear = false;
            continue;
        }
        if (next < 4096) {
            ++next;
            if (next == (1 << width) && width < 12) ++width;
        }
    }
    return codes;
}

// A one-frame GIF89a around the image data: screen = frame, a 256-entry global
// table where entry i is (i, i ^ 0x5A, 255 - i), so the red channel is the index.
inline Bytes WrapInGif(const Bytes& imageData, int width, int height, bool interlaced) {
    Bytes gif = {'G', 'I', 'F', '8', '9', 'a'};
    auto put16 = [&](int v) {
        gif.push_back(std::uint8_t(v & 0xFF));
        gif.push_back(std::uint8_t(v >> 8));
    };
    put16(width);
    put16(height);
    gif.push_back(0xF7); // global table of 256 entries
    gif.push_back(0);
    gif.push_back(0);
    for (int i = 0; i < 256; ++i) {
        gif.push_back(std::uint8_t(i));
        gif.push_back(std::uint8_t(i ^ 0x5A));
        gif.push_back(std::uint8_t(255 - i));
    }
    gif.push_back(0x2C);
    put16(0);
    put16(0);
    put16(width);
    put16(height);
    gif.push_back(interlaced ? 0x40 : 0x00);
    gif.insert(gif.end(), imageData.begin(), imageData.end());
    gif.push_back(0x3B);
    return gif;
}

inline std::filesystem::path ScratchPath(const std::string& stem) {
    static int counter = 0;
    return std::filesystem::temp_directory_path() /
           ("frameloom-lzw-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + "-" + stem);
}

// Decodes a one-frame GIF with giflib's gif2rgb; returns the red channel (the
// palette index under WrapInGif's table), or nothing when gif2rgb fails.
inline std::optional<Bytes> DecodeWithGif2Rgb(const Bytes& gif) {
    const auto in = ScratchPath("in.gif");
    const auto out = ScratchPath("out.rgb");
    {
        std::ofstream file(in, std::ios::binary);
        file.write(reinterpret_cast<const char*>(gif.data()), std::streamsize(gif.size()));
    }
    const std::string command = "gif2rgb -1 -o '" + out.string() + "' '" + in.string() + "' 2>/dev/null";
    const int status = std::system(command.c_str());
    std::optional<Bytes> result;
    if (status == 0) {
        std::ifstream file(out, std::ios::binary);
        Bytes rgb((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        Bytes red;
        for (std::size_t i = 0; i + 2 < rgb.size(); i += 3) red.push_back(rgb[i]);
        result = red;
    }
    std::filesystem::remove(in);
    std::filesystem::remove(out);
    return result;
}

inline bool HaveGif2Rgb() {
    return std::system("command -v gif2rgb >/dev/null 2>&1") == 0;
}

} // namespace lzwtest
