// Families 8 and 12: blinds, stripes and rectangle grids repeated at a fixed
// period across the picture, and squares that appear at random grid points.
#include "generators/transitions/TransitionStylePainter.h"

namespace {

// Stripes of the given period growing from the start of each period (fromEnd:
// from the end of the picture backwards). A period of 0 draws nothing.
void AddStripes(TStyleMask& mask, bool vertical, int period, int progress, bool fromEnd) {
    if (period <= 0) return;
    const int size = vertical ? mask.Height() : mask.Width();
    const int across = vertical ? mask.Width() : mask.Height();
    const int grown = progress * period / 100;
    auto add = [&](int from, int to) {
        mask.AddRect(vertical ? R(0, from, across, to) : R(from, 0, to, across));
    };
    if (fromEnd) {
        for (int k = 0; size - k * period >= 0; ++k) add(size - grown - k * period, size - k * period);
    } else {
        for (int k = 0; k * period < size; ++k) add(k * period, k * period + grown);
    }
}

// Bands of the given period, each 2 * (p * period / 200) thick and centred at
// h(period) + k * period, running across the stripes.
void AddCentredBands(TStyleMask& mask, bool vertical, int period, int progress) {
    if (period <= 0) return;
    const int size = vertical ? mask.Width() : mask.Height();
    const int across = vertical ? mask.Height() : mask.Width();
    const int half = progress * period / 200;
    for (int k = 0; k * period < size; ++k) {
        const int centre = h(period) + k * period;
        mask.AddRect(vertical ? R(centre - half, 0, centre + half, across)
                              : R(0, centre - half, across, centre + half));
    }
}

void DrawStripes(const TStyleContext& c, bool vertical, bool fixedPeriod, bool fromEnd) {
    TStylePainter s(c);
    TStyleMask mask = s.NewMask();
    int period;
    if (fixedPeriod)
        period = (vertical ? s.H : s.W) / s.KDiv();
    else
        period = vertical ? s.Y : s.X;
    AddStripes(mask, vertical, period, s.P, fromEnd);
    s.Through(mask);
}

// Stripes as in the uneven blinds plus centred bands across them.
void DrawBandsAndStripes(const TStyleContext& c, bool vertical, bool fromEnd) {
    TStylePainter s(c);
    TStyleMask mask = s.NewMask();
    AddCentredBands(mask, vertical, (vertical ? s.W : s.H) / s.KDiv(), s.P);
    AddStripes(mask, vertical, vertical ? s.Y : s.X, s.P, fromEnd);
    s.Through(mask);
}

} // namespace

void AddGridStyles(TStyleProcTable& t) {
    using C = const TStyleContext&;
    // Blinds: columns ("vertically") or rows ("horizontally") of the grid period W / K or H / K.
    t[136] = [](C c) { DrawStripes(c, false, true, false); };
    t[137] = [](C c) { DrawStripes(c, true, true, false); };
    t[138] = [](C c) { DrawStripes(c, false, false, false); };
    t[139] = [](C c) { DrawStripes(c, false, false, true); };
    t[140] = [](C c) { DrawStripes(c, true, false, false); };
    t[141] = [](C c) { DrawStripes(c, true, false, true); };
    t[142] = [](C c) {
        TStylePainter s(c);
        const int x = s.X / s.KDiv(), y = s.Y / s.KDiv();
        const int n = s.GridStep();
        const int w = s.W / n, hh = s.H / n;
        TStyleMask mask = s.NewMask();
        if (x > 0 && y > 0) {
            for (int row = 0; row <= n; ++row)
                for (int col = 0; col <= n; ++col)
                    mask.AddRect(R(col * w - x, row * hh - y, col * w + x, row * hh + y));
        }
        s.Through(mask);
    };
    t[145] = [](C c) { DrawBandsAndStripes(c, false, false); };
    t[146] = [](C c) { DrawBandsAndStripes(c, false, true); };
    t[147] = [](C c) { DrawBandsAndStripes(c, true, false); };
    t[148] = [](C c) { DrawBandsAndStripes(c, true, true); };

    // Random squares: reseeded from the picture size at every step, so a grid
    // point draws the same number each time and a square, once shown, stays.
    t[127] = [](C c) {
        TStylePainter s(c);
        TStyleRandom random(std::uint32_t(s.W) * std::uint32_t(s.H));
        const int n = s.GridStep();
        TStyleMask mask = s.NewMask();
        for (int x = 0; x < s.W; x += n)
            for (int y = 0; y < s.H; y += n)
                if (random.Next(100) < s.P) mask.AddRect(R(x - n, y - n, x + n, y + n));
        s.Through(mask);
    };
}
