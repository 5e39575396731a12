#pragma once
// The editor's standard colour table: 16 basic colours, a 6 x 6 x 6 cube in
// steps of 51, and a grey ramp 10..240. It fills unused palette slots, new
// documents, new local palettes and generated animations.

#include <array>
#include <cstdint>

struct TRGBTriple {
    std::uint8_t Red = 0, Green = 0, Blue = 0;
    bool operator==(const TRGBTriple&) const = default;
};

using TDefaultPalette = std::array<TRGBTriple, 256>;

TDefaultPalette BuildDefaultPalette();
// The table, built once.
const TDefaultPalette& DefaultPalette();
