#include "DefaultPalette.h"

TDefaultPalette BuildDefaultPalette() {
    TDefaultPalette palette{};
    static constexpr std::uint8_t Basic[16][3] = {
        {0, 0, 0},     {255, 255, 255}, {128, 128, 128}, {192, 192, 192}, {128, 0, 0},   {255, 0, 0},
        {128, 128, 0}, {255, 255, 0},   {0, 128, 0},     {0, 255, 0},     {0, 128, 128}, {0, 255, 255},
        {0, 0, 128},   {0, 0, 255},     {128, 0, 128},   {255, 0, 255}};
    for (int i = 0; i < 16; ++i) palette[i] = {Basic[i][0], Basic[i][1], Basic[i][2]};
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette[16 + 36 * r + 6 * g + b] = {std::uint8_t(51 * r), std::uint8_t(51 * g),
                                                    std::uint8_t(51 * b)};
    for (int k = 1; k <= 24; ++k)
        palette[231 + k] = {std::uint8_t(10 * k), std::uint8_t(10 * k), std::uint8_t(10 * k)};
    return palette;
}

const TDefaultPalette& DefaultPalette() {
    static const TDefaultPalette palette = BuildDefaultPalette();
    return palette;
}
