// Families 3 to 5: bars, uneven shreds and speckles, drawn through masks of
// many thin bands.
#include "generators/transitions/TransitionStylePainter.h"

#include <algorithm>

namespace {

// Adds a rectangle given along the bars' own axes: `along` runs with the driver
// (x for horizontal bars), `across` over the rows of bars. Vertical bars swap them.
void AddBand(TStyleMask& mask, bool vertical, int alongFrom, int acrossFrom, int alongTo, int acrossTo) {
    if (vertical)
        mask.AddRect(R(acrossFrom, alongFrom, acrossTo, alongTo));
    else
        mask.AddRect(R(alongFrom, acrossFrom, alongTo, acrossTo));
}

// 5-pixel bars driven by `a` (horizontal: a runs over the width). snap is K, or 0 for no snapping.
void AddBars(TStyleMask& mask, bool vertical, int driver, int kind, int snap) {
    const int size = vertical ? mask.Height() : mask.Width();   // along the driver
    const int extent = vertical ? mask.Width() : mask.Height(); // across the bars
    const bool firstPhase = driver <= size;
    for (int i = firstPhase ? 0 : 5; i < extent + 5; i += 10) {
        if (firstPhase) {
            const int a = size < snap + driver ? size : driver;
            switch (kind) {
            case 1:
            case 5:
                AddBand(mask, vertical, size - a, i, size, i + 5);
                break;
            case 2:
            case 4:
                AddBand(mask, vertical, 0, i, a, i + 5);
                break;
            case 3:
                AddBand(mask, vertical, 0, i + 5, a, i + 10);
                AddBand(mask, vertical, size - a, i, size, i + 5);
                break;
            }
        } else {
            AddBand(mask, vertical, 0, i - 5, size, i);
            if (kind == 1 || kind == 4) AddBand(mask, vertical, 2 * size - driver, i, size, i + 5);
            if (kind == 2 || kind == 5) AddBand(mask, vertical, 0, i, driver - size, i + 5);
        }
    }
}

struct TBars {
    int HorizontalKind = 0; // 0: none
    int VerticalKind = 0;
    bool Double = true; // drivers 2X and 2Y, else X and Y
    bool Snap = true;
};

TStyleMask BarsMask(const TStylePainter& s, const TBars& bars) {
    TStyleMask mask = s.NewMask();
    const int snap = bars.Snap ? s.K : 0;
    if (bars.HorizontalKind) AddBars(mask, false, bars.Double ? 2 * s.X : s.X, bars.HorizontalKind, snap);
    if (bars.VerticalKind) AddBars(mask, true, bars.Double ? 2 * s.Y : s.Y, bars.VerticalKind, snap);
    return mask;
}

void DrawBars(const TStyleContext& c, TBars bars) {
    TStylePainter s(c);
    s.Through(BarsMask(s, bars));
}

// Uneven shreds: bands 5 pixels apart, each (extent mod 5) + 5 thick, with a
// fresh random jitter at every step while the driver has not reached the edge.
void AddShreds(TStyleMask& mask, bool vertical, int driver, int kind, TStyleRandom& random) {
    const int size = vertical ? mask.Height() : mask.Width();
    const int extent = vertical ? mask.Width() : mask.Height();
    const int thickness = extent % 5 + 5;
    const int spread = driver < size ? size / 7 : 0;
    auto jitter = [&] { return random.Next(spread) - random.Next(spread); };
    for (int i = 0; i < extent; i += 5) {
        const int across = i + thickness;
        switch (kind) {
        case 1:
            AddBand(mask, vertical, size - driver + jitter(), i, size, across);
            break;
        case 2:
            AddBand(mask, vertical, 0, i, driver + jitter(), across);
            break;
        case 3: {
            const int j1 = jitter(), j2 = jitter();
            AddBand(mask, vertical, h(size - driver + j1), i, h(size), across);
            AddBand(mask, vertical, h(size), i, h(size + driver + j2), across);
            break;
        }
        case 4: {
            const int j1 = jitter(), j2 = jitter();
            AddBand(mask, vertical, size - h(driver + j1), i, size, across);
            AddBand(mask, vertical, 0, i, h(driver + j2), across);
            break;
        }
        }
    }
}

void DrawShreds(const TStyleContext& c, int horizontalKind, int verticalKind) {
    TStylePainter s(c);
    TStyleRandom random(NextSharedRandomSeed());
    TStyleMask mask = s.NewMask();
    if (horizontalKind) AddShreds(mask, false, s.X, horizontalKind, random);
    if (verticalKind) AddShreds(mask, true, s.Y, verticalKind, random);
    s.Through(mask);
}

// Speckle: the uncovered part plus squares scattered just beyond its edge,
// denser near the edge. fromEnd: the edge moves in from the far side.
void DrawSpeckle(const TStyleContext& c, bool vertical, bool fromEnd) {
    TStylePainter s(c);
    TStyleRandom random(NextSharedRandomSeed());
    TStyleMask mask = s.NewMask();
    const int size = vertical ? s.H : s.W;
    const int extent = vertical ? s.W : s.H;
    const int done = vertical ? s.Y : s.X;
    const int e = done < size ? size / 10 : 0;
    const int f = std::max(e / 20, 2);
    const int squares = e / f;
    const int dense = (3 * e / f) / 4;
    const int edge = fromEnd ? size - done : done;
    for (int band = 0; band < extent; band += f / 2) {
        if (fromEnd)
            AddBand(mask, vertical, edge, band, size, band + f);
        else
            AddBand(mask, vertical, 0, band, edge, band + f);
        for (int i = squares; i >= 1; --i) {
            const int r = random.Next(i);
            const bool present = i <= dense ? r <= 1 : r == 0;
            if (!present) continue;
            if (fromEnd)
                AddBand(mask, vertical, edge - i * f, band, edge - (i - 1) * f, band + f);
            else
                AddBand(mask, vertical, edge + (i - 1) * f, band, edge + i * f, band + f);
        }
    }
    s.Through(mask);
}

} // namespace

void AddBarStyles(TStyleProcTable& t) {
    using C = const TStyleContext&;
    t[60] = [](C c) { DrawBars(c, {1, 0}); };
    t[61] = [](C c) { DrawBars(c, {2, 0}); };
    t[62] = [](C c) { DrawBars(c, {4, 0}); };
    t[63] = [](C c) { DrawBars(c, {5, 0}); };
    t[64] = [](C c) { DrawBars(c, {3, 0, false, false}); };
    t[71] = [](C c) { DrawBars(c, {0, 1}); };
    t[72] = [](C c) { DrawBars(c, {0, 2}); };
    t[73] = [](C c) { DrawBars(c, {0, 4}); };
    t[74] = [](C c) { DrawBars(c, {0, 5}); };
    t[75] = [](C c) { DrawBars(c, {0, 3, false, false}); };
    t[86] = [](C c) { DrawBars(c, {1, 1}); };
    t[87] = [](C c) { DrawBars(c, {1, 2}); };
    t[88] = [](C c) { DrawBars(c, {2, 1}); };
    t[89] = [](C c) { DrawBars(c, {2, 2}); };
    t[90] = [](C c) { DrawBars(c, {4, 4}); };
    t[91] = [](C c) { DrawBars(c, {4, 5}); };
    t[92] = [](C c) { DrawBars(c, {5, 4}); };
    t[93] = [](C c) { DrawBars(c, {5, 5}); };
    t[94] = [](C c) { DrawBars(c, {1, 3, false}); };
    t[95] = [](C c) { DrawBars(c, {2, 3, false}); };
    t[96] = [](C c) { DrawBars(c, {3, 1, false}); };
    t[97] = [](C c) { DrawBars(c, {3, 2, false}); };
    t[98] = [](C c) { DrawBars(c, {3, 3, false, false}); };
    t[99] = [](C c) {
        TStylePainter s(c);
        TStyleMask mask = BarsMask(s, {1, 1});
        mask.Intersect(BarsMask(s, {2, 2}));
        s.Through(mask);
    };

    t[65] = [](C c) { DrawShreds(c, 1, 0); };
    t[66] = [](C c) { DrawShreds(c, 2, 0); };
    t[67] = [](C c) { DrawShreds(c, 3, 0); };
    t[68] = [](C c) { DrawShreds(c, 4, 0); };
    t[76] = [](C c) { DrawShreds(c, 0, 1); };
    t[77] = [](C c) { DrawShreds(c, 0, 2); };
    t[78] = [](C c) { DrawShreds(c, 0, 3); };
    t[79] = [](C c) { DrawShreds(c, 0, 4); };
    t[100] = [](C c) { DrawShreds(c, 1, 1); };
    t[101] = [](C c) { DrawShreds(c, 1, 2); };
    t[102] = [](C c) { DrawShreds(c, 2, 1); };
    t[103] = [](C c) { DrawShreds(c, 2, 2); };
    t[104] = [](C c) { DrawShreds(c, 1, 3); };
    t[105] = [](C c) { DrawShreds(c, 2, 3); };
    t[106] = [](C c) { DrawShreds(c, 3, 1); };
    t[107] = [](C c) { DrawShreds(c, 3, 2); };
    t[108] = [](C c) { DrawShreds(c, 3, 3); };
    t[109] = [](C c) { DrawShreds(c, 4, 4); };

    t[123] = [](C c) { DrawSpeckle(c, false, true); };
    t[124] = [](C c) { DrawSpeckle(c, false, false); };
    t[125] = [](C c) { DrawSpeckle(c, true, true); };
    t[126] = [](C c) { DrawSpeckle(c, true, false); };
}
