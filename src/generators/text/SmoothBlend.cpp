#include "generators/text/SmoothBlend.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "generators/text/SmoothFont.h"

TSmoothBlend::TSmoothBlend(TSmoothFont* ownerFont) : FOwner(ownerFont), FRandom(0xB1E4D) {}

template <class PixelColor>
void TSmoothBlend::Mix(int x, int y, const TSmoothMask& mask, int alpha, PixelColor colorAt) {
    TBitmap* canvas = FOwner ? FOwner->Canvas() : nullptr;
    if (!canvas || canvas->PixelFormat() == pf8bit || mask.Width() == 0 || mask.Height() == 0) return;
    const int a = alpha * 256 / 100; // 100 % gives 256
    const int w = mask.Width(), h = mask.Height();
    const int bytes = canvas->BytesPerPixel();
    // The text goes over what the canvas already holds: mix in a copy of that area.
    FWork.SetSize(w, h);
    const int left = std::max(0, x), right = std::min(canvas->Width(), x + w);
    const int top = std::max(0, y), bottom = std::min(canvas->Height(), y + h);
    for (int cy = top; cy < bottom; ++cy) {
        const std::uint8_t* in = canvas->ScanLine(cy) + std::size_t(left) * bytes;
        std::uint8_t* out = FWork.ScanLine(cy - y) + std::size_t(left - x) * 3;
        for (int cx = left; cx < right; ++cx, in += bytes, out += 3) std::memcpy(out, in, 3);
    }
    for (int my = 0; my < h; ++my) {
        const std::uint8_t* coverage = mask.ScanLine(my);
        std::uint8_t* d = FWork.ScanLine(my);
        for (int mx = 0; mx < w; ++mx, d += 3) {
            const int m = coverage[mx] * a;
            if (m < 256) continue;
            const TColor color = colorAt(mx, my);
            const int channels[3] = {GetBValue(color), GetGValue(color), GetRValue(color)};
            if (m >= 65280) {
                for (int c = 0; c < 3; ++c) d[c] = std::uint8_t(channels[c]);
                continue;
            }
            const int weight = m >> 8; // 1..254
            for (int c = 0; c < 3; ++c) d[c] = std::uint8_t(d[c] + (((channels[c] - d[c]) * weight) >> 8));
        }
    }
    for (int cy = top; cy < bottom; ++cy) {
        const std::uint8_t* in = FWork.ScanLine(cy - y) + std::size_t(left - x) * 3;
        std::uint8_t* out = canvas->ScanLine(cy) + std::size_t(left) * bytes;
        for (int cx = left; cx < right; ++cx, in += 3, out += bytes) std::memcpy(out, in, 3);
    }
}

void TSmoothBlend::BlendColor(int x, int y, const TSmoothMask& mask, int alpha, TColor color) {
    Mix(x, y, mask, alpha, [color](int, int) { return color; });
}

void TSmoothBlend::BlendForeground(int x, int y, const TSmoothMask& mask, int alpha) {
    if (FForeground.PixelFormat() != pf24bit || FForeground.Width() != mask.Width() ||
        FForeground.Height() != mask.Height())
        throw EInvalidForeBmp();
    Mix(x, y, mask, alpha, [this](int px, int py) {
        const std::uint8_t* p = FForeground.ScanLine(py) + std::size_t(px) * 3;
        return RGB(p[2], p[1], p[0]);
    });
}

void TSmoothBlend::MakeGradient(const TSmoothMask& mask, TGradualStyle style, TColor startColor,
                                TColor endColor) {
    const int w = mask.Width(), h = mask.Height();
    FForeground = TBitmap(w, h, pf24bit);
    const bool horizontal = style == gsLeftToRight || style == gsRightToLeft || style == gsCenterToLR;
    const bool centre = style == gsCenterToLR || style == gsCenterToTB;
    const int length = horizontal ? w : h;
    const int steps = centre ? (length + 1) / 2 : length;
    const bool fromStart = style == gsLeftToRight || style == gsTopToBottom;
    const TColor c0 = fromStart ? startColor : endColor;
    const TColor c1 = fromStart ? endColor : startColor;
    std::vector<TColor> run(std::size_t(std::max(0, length)), 0);
    for (int i = 0; i < steps; ++i) {
        auto channel = [&](int from, int to) { return from + i * (to - from) / steps; };
        run[i] = RGB(channel(GetRValue(c0), GetRValue(c1)), channel(GetGValue(c0), GetGValue(c1)),
                     channel(GetBValue(c0), GetBValue(c1)));
    }
    if (centre)
        for (int i = 0; i < steps; ++i) run[length - 1 - i] = run[i];
    for (int y = 0; y < h; ++y) {
        std::uint8_t* p = FForeground.ScanLine(y);
        for (int x = 0; x < w; ++x, p += 3) {
            const TColor c = run[horizontal ? x : y];
            p[0] = std::uint8_t(GetBValue(c));
            p[1] = std::uint8_t(GetGValue(c));
            p[2] = std::uint8_t(GetRValue(c));
        }
    }
}

void TSmoothBlend::MakeTexture(const TSmoothMask& mask, const TSmoothPicture& picture, TTextureMode mode,
                               TColor fillColor) {
    FForeground = TBitmap(mask.Width(), mask.Height(), pf24bit);
    FForeground.Fill(fillColor);
    switch (mode) {
    case tmTiled:
        picture.Tile(FForeground);
        break;
    case tmStretched:
        picture.StretchOver(FForeground);
        break;
    case tmCenter:
        picture.DrawCentered(FForeground);
        break;
    case tmNormal:
        picture.Draw(FForeground, 0, 0);
        break;
    }
}

int TSmoothBlend::NoiseOffset(int noise) {
    if (noise <= 0) return 0;
    return std::uniform_int_distribution<int>(0, noise - 1)(FRandom) - noise / 2;
}

void TSmoothBlend::MakeNoise(const TSmoothMask& mask, TColor color, int noise) {
    const int w = mask.Width(), h = mask.Height();
    FForeground = TBitmap(w, h, pf24bit);
    const int channels[3] = {GetBValue(color), GetGValue(color), GetRValue(color)};
    for (int y = 0; y < h; ++y) {
        std::uint8_t* p = FForeground.ScanLine(y);
        for (int x = 0; x < w; ++x)
            for (int c = 0; c < 3; ++c)
                *p++ = std::uint8_t(std::clamp(channels[c] + NoiseOffset(noise), 0, 255));
    }
}

void TSmoothBlend::AddNoise(int noise) {
    for (int y = 0; y < FForeground.Height(); ++y) {
        std::uint8_t* p = FForeground.ScanLine(y);
        for (int i = 0; i < FForeground.BytesPerLine(); ++i, ++p)
            *p = std::uint8_t(std::clamp(*p + NoiseOffset(noise), 0, 255));
    }
}
