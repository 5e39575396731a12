#include "generators/text/TextEffectSettings.h"

TSmoothPicture DefaultTexturePicture() {
    // Warm diagonal bands with a light grain: visible through the letters
    // without drowning the font colour.
    TBitmap bitmap(39, 26, pf24bit);
    for (int y = 0; y < bitmap.Height(); ++y) {
        std::uint8_t* p = bitmap.ScanLine(y);
        for (int x = 0; x < bitmap.Width(); ++x, p += 3) {
            const int band = ((x + y) / 6) % 3;
            const int grain = ((x * 7 + y * 13) % 5) * 6;
            const int red = band == 0 ? 230 : band == 1 ? 250 : 200;
            const int green = band == 0 ? 150 : band == 1 ? 200 : 90;
            const int blue = band == 0 ? 40 : band == 1 ? 60 : 30;
            p[0] = std::uint8_t(blue + grain / 2);
            p[1] = std::uint8_t(green + grain);
            p[2] = std::uint8_t(red - grain);
        }
    }
    TSmoothPicture picture;
    picture.Assign(bitmap);
    return picture;
}
