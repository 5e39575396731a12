// Nearest palette entry for a colour, exact (Euclidean distance in red, green,
// blue; the lowest index on ties) and fast on pictures where nearly every
// pixel is a new colour: see TNearestColorMap in Canvas.h.
#include "platform/Canvas.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <limits>

namespace {

// Squared distance from v to the interval lo..hi of one channel, and the
// largest squared distance from v to any value of it.
int LeastAxis(int v, int lo, int hi) {
    const int d = v < lo ? lo - v : v > hi ? v - hi : 0;
    return d * d;
}
int MostAxis(int v, int lo, int hi) {
    const int d = std::max(std::abs(v - lo), std::abs(v - hi));
    return d * d;
}

struct TRgb {
    int R, G, B;
};

TRgb Channels(TColor c) {
    return {int(GetRValue(c)), int(GetGValue(c)), int(GetBValue(c))};
}

// Keeps, of the entries in rising index order, those that can be nearest
// somewhere in the cube of size^3 colours at (r0, g0, b0); the order stays.
void Prune(const std::vector<TColor>& palette, std::vector<std::uint16_t>& entries, int r0, int g0, int b0,
           int size) {
    const int r1 = r0 + size - 1, g1 = g0 + size - 1, b1 = b0 + size - 1;
    // The entry with the least farthest distance (o) bounds every nearest
    // distance in the cube: an entry farther than that from the whole cube is
    // beaten strictly everywhere, so dropping it keeps ties intact.
    int bound = std::numeric_limits<int>::max();
    int o = -1;
    for (const std::uint16_t e : entries) {
        const TRgb p = Channels(palette[e]);
        const int most = MostAxis(p.R, r0, r1) + MostAxis(p.G, g0, g1) + MostAxis(p.B, b0, b1);
        if (most < bound) {
            bound = most;
            o = e;
        }
    }
    const TRgb oc = Channels(palette[std::size_t(o)]);
    std::erase_if(entries, [&](std::uint16_t e) {
        if (e == o) return false;
        const TRgb p = Channels(palette[e]);
        if (LeastAxis(p.R, r0, r1) + LeastAxis(p.G, g0, g1) + LeastAxis(p.B, b0, b1) > bound) return true;
        // d(e, c) - d(o, c) is linear in c, so its least value over the cube
        // is at a corner; where it is 0, o still wins when its index is lower.
        int least = std::numeric_limits<int>::max();
        for (int corner = 0; corner < 8; ++corner) {
            const int r = corner & 1 ? r1 : r0, g = corner & 2 ? g1 : g0, b = corner & 4 ? b1 : b0;
            const int de = (p.R - r) * (p.R - r) + (p.G - g) * (p.G - g) + (p.B - b) * (p.B - b);
            const int dO = (oc.R - r) * (oc.R - r) + (oc.G - g) * (oc.G - g) + (oc.B - b) * (oc.B - b);
            least = std::min(least, de - dO);
        }
        return least > 0 || (least == 0 && o < e);
    });
}

// The 64 offsets of a 4^3 cell in slot order (red fastest).
struct TCellOffsets {
    std::array<int, 64> R, G, B;
    constexpr TCellOffsets() : R(), G(), B() {
        for (int i = 0; i < 64; ++i) {
            R[std::size_t(i)] = i & 3;
            G[std::size_t(i)] = i >> 2 & 3;
            B[std::size_t(i)] = i >> 4;
        }
    }
};
constexpr TCellOffsets CellOffsets;

} // namespace

TNearestColorMap::TNearestColorMap(const std::vector<TColor>& palette)
    : FPalette(palette.begin(), palette.begin() + std::min<std::size_t>(palette.size(), 256)) {
    // Without a palette every colour maps to 0, as with a single black entry.
    if (FPalette.empty()) FPalette.push_back(0);
    for (TColor& c : FPalette) c &= 0x00FFFFFF;
    FCells.assign(std::size_t(1) << 18, 0);
    FBlocks.resize(FPalette.size() * BlockSize);
    for (std::size_t i = 0; i < FPalette.size(); ++i)
        std::fill_n(FBlocks.begin() + std::ptrdiff_t(i * BlockSize), BlockSize, std::uint8_t(i));
    FParents.assign(4096, 0);
}

void TNearestColorMap::MapRow(const std::uint8_t* pixels, int bytesPerPixel, std::uint8_t* indices,
                              int count) {
    // Kept in locals: the byte stores below may alias any member.
    const std::uint16_t* cells = FCells.data();
    const std::uint8_t* blocks = FBlocks.data();
    for (int x = 0; x < count; ++x, pixels += bytesPerPixel) {
        const int r = pixels[2], g = pixels[1], b = pixels[0];
        const std::uint16_t block = cells[CellOf(r, g, b)];
        if (block == 0) [[unlikely]] {
            indices[x] = Settle(r, g, b);
            blocks = FBlocks.data(); // may have grown
            continue;
        }
        indices[x] = blocks[std::size_t(block - 1) * BlockSize + SlotOf(r, g, b)];
    }
}

// Returns where the candidate list of the 16^3 cell holding (r, g, b) starts.
int TNearestColorMap::ParentList(int r, int g, int b) {
    int& parent = FParents[std::size_t((r >> 4) << 8 | (g >> 4) << 4 | (b >> 4))];
    if (parent == 0) {
        std::vector<std::uint16_t> entries(FPalette.size());
        for (std::size_t i = 0; i < entries.size(); ++i) entries[i] = std::uint16_t(i);
        Prune(FPalette, entries, r & 0xF0, g & 0xF0, b & 0xF0, 16);
        parent = int(FLists.size()) + 1;
        FLists.push_back(std::uint16_t(entries.size()));
        FLists.insert(FLists.end(), entries.begin(), entries.end());
    }
    return parent - 1;
}

std::uint8_t TNearestColorMap::Settle(int r, int g, int b) {
    const int list = ParentList(r, g, b);
    std::vector<std::uint16_t> entries(FLists.begin() + list + 1,
                                       FLists.begin() + list + 1 + FLists[std::size_t(list)]);
    const int r0 = r & 0xFC, g0 = g & 0xFC, b0 = b & 0xFC;
    if (entries.size() > 1) Prune(FPalette, entries, r0, g0, b0, 4);
    std::uint16_t& cell = FCells[CellOf(r, g, b)];
    if (entries.size() == 1) {
        cell = std::uint16_t(entries[0] + 1);
        return std::uint8_t(entries[0]);
    }
    // A border cell: every colour of it against the few candidates left, in
    // rising index order so that only a strictly nearer entry takes over.
    std::array<int, BlockSize> best{}, bestDistance;
    bestDistance.fill(std::numeric_limits<int>::max());
    for (const std::uint16_t e : entries) {
        const TRgb p = Channels(FPalette[e]);
        const int dr = p.R - r0, dg = p.G - g0, db = p.B - b0;
        for (std::size_t i = 0; i < BlockSize; ++i) {
            const int x = dr - CellOffsets.R[i], y = dg - CellOffsets.G[i], z = db - CellOffsets.B[i];
            const int d = x * x + y * y + z * z;
            const bool nearer = d < bestDistance[i];
            bestDistance[i] = nearer ? d : bestDistance[i];
            best[i] = nearer ? int(e) : best[i];
        }
    }
    const std::size_t slot = SlotOf(r, g, b);
    const std::size_t blockCount = FBlocks.size() / BlockSize;
    if (std::all_of(best.begin(), best.end(), [&](int e) { return e == best[0]; })) {
        cell = std::uint16_t(best[0] + 1);
    } else if (blockCount < std::numeric_limits<std::uint16_t>::max()) {
        cell = std::uint16_t(blockCount + 1);
        for (const int e : best) FBlocks.push_back(std::uint8_t(e));
    }
    // Past 65535 blocks the cell stays unsettled and is worked out each time.
    return std::uint8_t(best[slot]);
}

void MapToPalette(const TBitmap& source, TBitmap& target) {
    if (target.PixelFormat() != pf8bit || source.Width() != target.Width() ||
        source.Height() != target.Height())
        return;
    TCanvas canvas(target);
    canvas.Draw(0, 0, source);
}
