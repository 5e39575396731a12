#include "generators/transitions/SlideShowSample.h"

#include <cmath>
#include <vector>

namespace {

// Palette ranges of the scene.
constexpr int SkyFirst = 0, SkyCount = 64;
constexpr int FarFirst = 64, FarCount = 32;
constexpr int NearFirst = 96, NearCount = 64;
constexpr int SunFirst = 160, SunCount = 32;
constexpr int WaterFirst = 192, WaterCount = 32;
constexpr int Cloud = 224;

int Mix(int a, int b, int i, int count) {
    return a + (b - a) * i / (count - 1);
}

void Ramp(std::vector<TColor>& palette, int first, int count, TColor from, TColor to) {
    for (int i = 0; i < count; ++i)
        palette[std::size_t(first + i)] =
            RGB(Mix(GetRValue(from), GetRValue(to), i, count), Mix(GetGValue(from), GetGValue(to), i, count),
                Mix(GetBValue(from), GetBValue(to), i, count));
}

int Shade(int first, int count, int value, int range) {
    if (value < 0) value = 0;
    if (value >= range) value = range - 1;
    return first + value * count / range;
}

bool InEllipse(int x, int y, double cx, double cy, double rx, double ry) {
    const double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1.0;
}

} // namespace

TBitmap SlideShowSampleBitmap() {
    const int w = SlideShowSampleWidth, h = SlideShowSampleHeight;
    std::vector<TColor> palette(256, RGB(0, 0, 0));
    Ramp(palette, SkyFirst, SkyCount, RGB(40, 90, 190), RGB(200, 225, 250));
    Ramp(palette, FarFirst, FarCount, RGB(90, 130, 150), RGB(60, 100, 120));
    Ramp(palette, NearFirst, NearCount, RGB(110, 190, 60), RGB(30, 90, 30));
    Ramp(palette, SunFirst, SunCount, RGB(255, 250, 180), RGB(250, 170, 40));
    Ramp(palette, WaterFirst, WaterCount, RGB(120, 170, 220), RGB(30, 70, 140));
    palette[Cloud] = RGB(255, 255, 255);
    palette[Cloud + 1] = RGB(225, 230, 240);

    TBitmap bitmap(w, h, pf8bit);
    bitmap.SetPalette(palette);
    const int horizon = 62;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            int index = Shade(SkyFirst, SkyCount, y, horizon);
            const double sunDistance = std::hypot(x - 150.0, y - 24.0);
            if (sunDistance <= 13.0) index = Shade(SunFirst, SunCount, int(sunDistance * 10), 131);
            if (InEllipse(x, y, 40, 20, 18, 6) || InEllipse(x, y, 54, 16, 12, 7) ||
                InEllipse(x, y, 96, 30, 14, 4))
                index = y > 20 ? Cloud + 1 : Cloud;
            const double far = 48 + 7 * std::sin(x / 17.0) + 4 * std::sin(x / 6.3 + 1.0);
            if (y >= far) index = Shade(FarFirst, FarCount, y - int(far), 24);
            const double near = 68 + 9 * std::sin((x + 30) / 23.0) + 2 * std::sin(x / 5.0);
            const bool lake = InEllipse(x, y, 52, 92, 46, 11);
            if (y >= near) index = Shade(NearFirst, NearCount, y - int(near) + (x % 7 == 0 ? 4 : 0), 36);
            if (lake) index = Shade(WaterFirst, WaterCount, (y - 81) * 2 + ((x + y) % 5 == 0 ? 3 : 0), 24);
            bitmap.SetIndex(x, y, std::uint8_t(index));
        }
    }
    return bitmap;
}
