// Family 11: the styles that work pixel by pixel on 32-bit bitmaps (24-bit
// bitmaps are handled the same way): "Fade" and the four "Pivot" styles.
#include "generators/transitions/TransitionStylePainter.h"

#include <cmath>
#include <numbers>

namespace {

bool SameTrueColourForm(const TStylePainter& s) {
    return s.Media.PixelFormat() == s.Picture.PixelFormat() && s.Media.PixelFormat() != pf8bit &&
           s.Media.Width() >= s.W && s.Media.Height() >= s.H && s.Picture.Width() >= s.W &&
           s.Picture.Height() >= s.H;
}

// Blue, green and red mixed as ((100 - p) * old + p * new) / 100; the fourth byte is left alone.
void Fade(const TStyleContext& c) {
    TStylePainter s(c);
    if (!SameTrueColourForm(s)) return;
    const int bpp = s.Media.BytesPerPixel();
    const int p = s.P, q = 100 - s.P;
    for (int y = 0; y < s.H; ++y) {
        std::uint8_t* out = s.Media.ScanLine(y);
        const std::uint8_t* in = s.Picture.ScanLine(y);
        for (int x = 0; x < s.W; ++x, out += bpp, in += bpp)
            for (int channel = 0; channel < 3; ++channel)
                out[channel] = std::uint8_t((q * out[channel] + p * in[channel]) / 100);
    }
}

// The new picture rotated by angle t about the corner point (a, b), in 16.16
// fixed point with rows counted from the bottom; pixels whose source falls
// outside the picture keep the old picture.
void Pivot(const TStylePainter& s, int a, int b, double t) {
    if (!SameTrueColourForm(s)) return;
    const std::int64_t sine = std::int64_t(std::sin(-t) * 65536.0);
    const std::int64_t cosine = std::int64_t(std::cos(-t) * 65536.0);
    const int bpp = s.Media.BytesPerPixel();
    for (int y = 0; y < s.H; ++y) {
        const std::int64_t v = s.H - 1 - y;
        std::uint8_t* out = s.Media.ScanLine(y);
        for (int x = 0; x < s.W; ++x) {
            const std::int64_t dx = x + 1 - a, dv = v + 1 - b;
            const std::int64_t sx = a + ((cosine * dx - sine * dv) >> 16);
            const std::int64_t sv = b + ((cosine * dv + sine * dx) >> 16);
            if (sx < 0 || sx >= s.W || sv < 0 || sv >= s.H) continue;
            const std::uint8_t* in = s.Picture.ScanLine(int(s.H - 1 - sv)) + std::size_t(sx) * bpp;
            std::uint8_t* pixel = out + std::size_t(x) * bpp;
            for (int channel = 0; channel < bpp; ++channel) pixel[channel] = in[channel];
        }
    }
}

} // namespace

void AddPixelStyles(TStyleProcTable& t) {
    using C = const TStyleContext&;
    constexpr double pi = std::numbers::pi;
    t[118] = Fade;
    t[119] = [](C c) {
        TStylePainter s(c);
        Pivot(s, -1, -1, (100 - s.P) * pi / 200);
    };
    t[120] = [](C c) {
        TStylePainter s(c);
        Pivot(s, -1, s.H, (s.P - 100) * pi / 200);
    };
    t[121] = [](C c) {
        TStylePainter s(c);
        Pivot(s, s.W, -1, (s.P - 100) * pi / 200);
    };
    t[122] = [](C c) {
        TStylePainter s(c);
        Pivot(s, s.W, s.H, (100 - s.P) * pi / 200);
    };
}
