// Nearest palette entry for a colour, exact (Euclidean distance in red, green,
// blue; the lowest index on ties) and fast on pictures where nearly every
// pixel is a new colour: see TNearestColorMap in Canvas.h.
#include "platform/Canvas.h"

#include <algorithm>
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

} // namespace

TNearestColorMap::TNearestColorMap(const std::vector<TColor>& palette)
    : FPalette(palette.begin(), palette.begin() + std::min<std::size_t>(palette.size(), 256)) {
    for (TColor& c : FPalette) c &= 0x00FFFFFF;
    if (FPalette.empty()) return;
    FCoarse.assign(4096, 0);
    FFine.assign(std::size_t(1) << 18, 0);
    FCandidates.reserve(4096);
    for (int i = 0; i < int(FPalette.size()); ++i) FCandidates.push_back({0, i});
    FCandidates.push_back({std::numeric_limits<int>::max(), -1}); // the whole palette, at 0
}

void TNearestColorMap::MapRow(const std::uint8_t* pixels, int bytesPerPixel, std::uint8_t* indices,
                              int count) {
    // Kept in locals: the byte stores below may alias any member.
    TColor last = FLastColor;
    std::uint8_t lastIndex = FLastIndex;
    for (int x = 0; x < count; ++x, pixels += bytesPerPixel) {
        const TColor c = TColor(pixels[2]) | TColor(pixels[1]) << 8 | TColor(pixels[0]) << 16;
        if (c != last) {
            last = c;
            lastIndex = Lookup(c);
        }
        indices[x] = lastIndex;
    }
    FLastColor = last;
    FLastIndex = lastIndex;
}

// Appends the candidates among the sentinel-ended list from for the cell of
// size^3 colours at (r0, g0, b0), nearest-possible first, with a sentinel.
// Returns the cell's code (see FCoarse).
int TNearestColorMap::BuildList(int fromStart, int r0, int g0, int b0, int size) {
    const int last = size - 1;
    // A copy of the parent list: appending below may move FCandidates.
    FParent.assign(FCandidates.begin() + fromStart,
                   std::find_if(FCandidates.begin() + fromStart, FCandidates.end(), [](const TCandidate& c) {
                       return c.Index < 0;
                   }) + 1);
    const TCandidate* from = FParent.data();
    int bound = std::numeric_limits<int>::max();
    for (const TCandidate* k = from; k->Index >= 0; ++k) {
        const TColor p = FPalette[std::size_t(k->Index)];
        bound =
            std::min(bound, MostAxis(GetRValue(p), r0, r0 + last) + MostAxis(GetGValue(p), g0, g0 + last) +
                                MostAxis(GetBValue(p), b0, b0 + last));
    }
    FScratch.clear();
    for (const TCandidate* k = from; k->Index >= 0; ++k) {
        const TColor p = FPalette[std::size_t(k->Index)];
        const int least = LeastAxis(GetRValue(p), r0, r0 + last) + LeastAxis(GetGValue(p), g0, g0 + last) +
                          LeastAxis(GetBValue(p), b0, b0 + last);
        // An entry farther than bound from the whole cell is beaten strictly
        // everywhere in it by another entry, so leaving it out keeps ties intact.
        if (least <= bound) FScratch.push_back({least, k->Index});
    }
    if (FScratch.size() > 1) {
        // Drop the entries that the entry nearest at its farthest point (o) beats
        // all over the cell. d(e, p) - d(o, p) is linear in p, so its least value
        // over the cell is at one of the eight corners; on a tie there o wins
        // when its index is lower.
        const TCandidate* o = nullptr;
        int oMost = std::numeric_limits<int>::max();
        for (const TCandidate& c : FScratch) {
            const TColor p = FPalette[std::size_t(c.Index)];
            const int most = MostAxis(GetRValue(p), r0, r0 + last) + MostAxis(GetGValue(p), g0, g0 + last) +
                             MostAxis(GetBValue(p), b0, b0 + last);
            if (most < oMost) {
                oMost = most;
                o = &c;
            }
        }
        const TColor oc = FPalette[std::size_t(o->Index)];
        const int oIndex = o->Index;
        auto beaten = [&](const TCandidate& e) {
            if (e.Index == oIndex) return false;
            const TColor ec = FPalette[std::size_t(e.Index)];
            int least = std::numeric_limits<int>::max();
            for (int corner = 0; corner < 8; ++corner) {
                const int r = r0 + (corner & 1 ? last : 0), g = g0 + (corner & 2 ? last : 0),
                          b = b0 + (corner & 4 ? last : 0);
                const int de = (GetRValue(ec) - r) * (GetRValue(ec) - r) +
                               (GetGValue(ec) - g) * (GetGValue(ec) - g) +
                               (GetBValue(ec) - b) * (GetBValue(ec) - b);
                const int dO = (GetRValue(oc) - r) * (GetRValue(oc) - r) +
                               (GetGValue(oc) - g) * (GetGValue(oc) - g) +
                               (GetBValue(oc) - b) * (GetBValue(oc) - b);
                least = std::min(least, de - dO);
            }
            return least > 0 || (least == 0 && oIndex < e.Index);
        };
        FScratch.erase(std::remove_if(FScratch.begin(), FScratch.end(), beaten), FScratch.end());
    }
    if (FScratch.size() == 1) return -FScratch[0].Index - 1;
    std::sort(FScratch.begin(), FScratch.end(), [](const TCandidate& a, const TCandidate& b) {
        return a.LeastDistance != b.LeastDistance ? a.LeastDistance < b.LeastDistance : a.Index < b.Index;
    });
    const int start = int(FCandidates.size());
    FCandidates.insert(FCandidates.end(), FScratch.begin(), FScratch.end());
    FCandidates.push_back({std::numeric_limits<int>::max(), -1});
    return start + 1;
}

std::uint8_t TNearestColorMap::Search(TColor color) {
    const int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
    int& fine = FFine[FineCell(color)];
    if (fine == 0) {
        int& coarse = FCoarse[std::size_t((r >> 4) << 8 | (g >> 4) << 4 | (b >> 4))];
        if (coarse == 0) coarse = BuildList(0, r & 0xF0, g & 0xF0, b & 0xF0, 16);
        if (coarse < 0) {
            fine = coarse; // one entry for the whole 16-cell
        } else {
            const int list = BuildList(coarse - 1, r & 0xFC, g & 0xFC, b & 0xFC, 4);
            if (list < 0) {
                fine = list;
            } else {
                FSubList.push_back(list - 1);
                FSub.resize(FSub.size() + 8, 0);
                fine = int(FSubList.size());
            }
        }
        if (fine < 0) return std::uint8_t(-fine - 1);
    }
    if (fine < 0) return std::uint8_t(-fine - 1);
    const std::size_t subIndex = std::size_t(fine - 1) * 8 + SubCell(color);
    if (FSub[subIndex] == 0) {
        const int code = BuildList(FSubList[std::size_t(fine - 1)], r & 0xFE, g & 0xFE, b & 0xFE, 2);
        FSub[subIndex] = code;
    }
    const int sub = FSub[subIndex];
    if (sub < 0) return std::uint8_t(-sub - 1);
    int best = 0;
    int bestDistance = std::numeric_limits<int>::max();
    // Entries further on cannot come closer than their least distance; an
    // equal one may still win a tie with a lower index. The sentinel stops.
    for (const TCandidate* c = FCandidates.data() + (sub - 1); c->LeastDistance <= bestDistance; ++c) {
        const TColor p = FPalette[std::size_t(c->Index)];
        const int dr = GetRValue(p) - r, dg = GetGValue(p) - g, db = GetBValue(p) - b;
        const int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance || (d == bestDistance && c->Index < best)) {
            bestDistance = d;
            best = c->Index;
        }
    }
    return std::uint8_t(best);
}

void MapToPalette(const TBitmap& source, TBitmap& target) {
    if (target.PixelFormat() != pf8bit || source.Width() != target.Width() ||
        source.Height() != target.Height())
        return;
    TCanvas canvas(target);
    canvas.Draw(0, 0, source);
}
