// Nearest palette entry for a colour, exact (Euclidean distance in red, green,
// blue; the lowest index on ties) but fast on pictures with many colours:
// every colour seen is remembered, and a new colour is compared only with the
// entries that can be nearest anywhere in its 16 x 16 x 16 cell of colour space.
#include "platform/Canvas.h"

#include <algorithm>
#include <limits>

namespace {

int Distance(TColor a, TColor b) {
    const int dr = GetRValue(a) - GetRValue(b);
    const int dg = GetGValue(a) - GetGValue(b);
    const int db = GetBValue(a) - GetBValue(b);
    return dr * dr + dg * dg + db * db;
}

// Squared distance from v to the interval lo..hi of one channel, and the
// largest squared distance from v to any value of it.
int MinAxis(int v, int lo, int hi) {
    const int d = v < lo ? lo - v : v > hi ? v - hi : 0;
    return d * d;
}
int MaxAxis(int v, int lo, int hi) {
    const int d = std::max(std::abs(v - lo), std::abs(v - hi));
    return d * d;
}

std::uint32_t Hash(std::uint32_t key) {
    key *= 0x9E3779B1u;
    return key ^ (key >> 15);
}

} // namespace

TNearestColorMap::TNearestColorMap(const std::vector<TColor>& palette)
    : FPalette(palette.begin(), palette.begin() + std::min<std::size_t>(palette.size(), 256)) {
    for (TColor& c : FPalette) c &= 0x00FFFFFF;
    FKeys.assign(1024, 0);
    FValues.assign(1024, 0);
    FCells.resize(CellCount);
}

const std::vector<std::uint8_t>& TNearestColorMap::Candidates(TColor color) {
    const int r = GetRValue(color) >> 4, g = GetGValue(color) >> 4, b = GetBValue(color) >> 4;
    std::vector<std::uint8_t>& cell = FCells[(r << 8) | (g << 4) | b];
    if (!cell.empty()) return cell;
    const int r0 = r << 4, g0 = g << 4, b0 = b << 4;
    int bound = std::numeric_limits<int>::max();
    for (TColor p : FPalette) {
        const int farthest = MaxAxis(GetRValue(p), r0, r0 + 15) + MaxAxis(GetGValue(p), g0, g0 + 15) +
                             MaxAxis(GetBValue(p), b0, b0 + 15);
        bound = std::min(bound, farthest);
    }
    for (int i = 0; i < int(FPalette.size()); ++i) {
        const TColor p = FPalette[i];
        const int nearest = MinAxis(GetRValue(p), r0, r0 + 15) + MinAxis(GetGValue(p), g0, g0 + 15) +
                            MinAxis(GetBValue(p), b0, b0 + 15);
        // An entry farther than bound from the whole cell is beaten strictly by
        // another entry everywhere in it, so leaving it out keeps ties intact.
        if (nearest <= bound) cell.push_back(std::uint8_t(i));
    }
    return cell;
}

std::uint8_t TNearestColorMap::Search(TColor color) {
    if (FPalette.empty()) return 0;
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    for (std::uint8_t i : Candidates(color)) {
        const int d = Distance(FPalette[i], color);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return std::uint8_t(best);
}

void TNearestColorMap::Grow() {
    std::vector<std::uint32_t> keys(FKeys.size() * 2, 0);
    std::vector<std::uint8_t> values(keys.size(), 0);
    const std::size_t mask = keys.size() - 1;
    for (std::size_t i = 0; i < FKeys.size(); ++i) {
        if (FKeys[i] == 0) continue;
        std::size_t slot = Hash(FKeys[i]) & mask;
        while (keys[slot] != 0) slot = (slot + 1) & mask;
        keys[slot] = FKeys[i];
        values[slot] = FValues[i];
    }
    FKeys.swap(keys);
    FValues.swap(values);
}

std::uint8_t TNearestColorMap::Index(TColor color) {
    color &= 0x00FFFFFF;
    const std::uint32_t key = color + 1;
    std::size_t mask = FKeys.size() - 1;
    std::size_t slot = Hash(key) & mask;
    while (FKeys[slot] != 0) {
        if (FKeys[slot] == key) return FValues[slot];
        slot = (slot + 1) & mask;
    }
    const std::uint8_t index = Search(color);
    if ((FCount + 1) * 2 > FKeys.size()) {
        Grow();
        mask = FKeys.size() - 1;
        slot = Hash(key) & mask;
        while (FKeys[slot] != 0) slot = (slot + 1) & mask;
    }
    FKeys[slot] = key;
    FValues[slot] = index;
    ++FCount;
    return index;
}

void MapToPalette(const TBitmap& source, TBitmap& target) {
    if (target.PixelFormat() != pf8bit || source.Width() != target.Width() ||
        source.Height() != target.Height())
        return;
    TCanvas canvas(target);
    canvas.Draw(0, 0, source);
}
