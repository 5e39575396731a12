#pragma once
// Small GIF files that declare far more pixels than their data describes, as
// a fuzzer or an attacker writes them. The reader must refuse them without
// allocating much more than their data could decode to. The same bytes are
// kept as fuzzer seeds in fuzz/seeds/gif_reader_fuzz under SeedName.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace hostile {

using Bytes = std::vector<std::uint8_t>;

struct THostileGif {
    std::string SeedName;
    Bytes Data;
};

inline void PutWord(Bytes& out, int value) {
    out.push_back(std::uint8_t(value & 0xFF));
    out.push_back(std::uint8_t((value >> 8) & 0xFF));
}

// "GIF89a", a 1 x 1 screen and a 2-entry global table.
inline Bytes Header() {
    Bytes out{'G', 'I', 'F', '8', '9', 'a'};
    PutWord(out, 1);
    PutWord(out, 1);
    out.insert(out.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255});
    return out;
}

inline void PutDescriptor(Bytes& out, int width, int height) {
    out.push_back(0x2C);
    PutWord(out, 0);
    PutWord(out, 0);
    PutWord(out, width);
    PutWord(out, height);
    out.push_back(0);
}

// About 40 KB of frames of width x height, each with the same 5 bytes of
// image data (minimum code size 2, one sub-block: clear, 0, 0, end).
inline Bytes ManyFrames(int width, int height, std::size_t fileSize = 40000) {
    Bytes out = Header();
    while (out.size() + 16 < fileSize) {
        PutDescriptor(out, width, height);
        out.insert(out.end(), {2, 2, 0x84, 0x51, 0});
    }
    out.push_back(0x3B);
    return out;
}

// One 4097 x 53443 frame (219 million pixels) with about 185 KB of random
// image data behind a minimum code size byte.
inline Bytes HugeFrame(std::uint8_t minCodeSize) {
    Bytes out = Header();
    PutDescriptor(out, 4097, 53443);
    out.push_back(minCodeSize);
    std::mt19937 rng(35);
    for (int block = 0; block < 725; ++block) {
        out.push_back(255);
        for (int i = 0; i < 255; ++i) out.push_back(std::uint8_t(rng()));
    }
    out.push_back(0);
    out.push_back(0x3B);
    return out;
}

// The regression inputs of the reader's memory bound.
inline std::vector<THostileGif> All() {
    return {
        {"many-4096x4096-frames.gif", ManyFrames(4096, 4096)},
        {"many-1024x1024-frames.gif", ManyFrames(1024, 1024)},
        {"huge-frame-code-size-35.gif", HugeFrame(35)},
    };
}

} // namespace hostile
