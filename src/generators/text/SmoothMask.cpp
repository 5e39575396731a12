#include "generators/text/SmoothMask.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <utility>

#include "generators/text/SmoothFont.h"

int SmoothScale(TSmoothQuality quality) {
    switch (quality) {
    case aqHigh:
        return 4;
    case aqNormal:
        return 3;
    case aqLow:
        return 2;
    case aqNone:
        return 1;
    }
    return 1;
}

void RotatedTextBox(int width, int height, int escapement, int& boxWidth, int& boxHeight, int& startX,
                    int& startY) {
    const double t = escapement * std::numbers::pi / 1800.0;
    const double s = std::sin(-t), c = std::cos(-t);
    const double hw = width / 2.0, hh = height / 2.0;
    const double cornersX[4] = {-hw, hw, hw, -hw};
    const double cornersY[4] = {-hh, -hh, hh, hh};
    int xs[4], ys[4];
    for (int i = 0; i < 4; ++i) {
        xs[i] = int(std::rint(cornersX[i] * c - cornersY[i] * s));
        ys[i] = int(std::rint(cornersX[i] * s + cornersY[i] * c));
    }
    boxWidth = *std::max_element(xs, xs + 4) - *std::min_element(xs, xs + 4);
    boxHeight = *std::max_element(ys, ys + 4) - *std::min_element(ys, ys + 4);
    startX = boxWidth / 2 + xs[0];
    startY = boxHeight / 2 + ys[0];
}

int ItalicExtraWidth(int width, int characterCount) {
    if (characterCount <= 0) return 0;
    return int(std::rint(double(width) / characterCount * 0.3));
}

TSmoothMask::TSmoothMask(TSmoothFont* ownerFont) : FOwner(ownerFont), FRandom(0x5EED) {}

void TSmoothMask::SetQuality(TSmoothQuality quality) {
    FQuality = quality;
    FScale = SmoothScale(quality);
}

void TSmoothMask::SetSize(int width, int height) {
    FWidth = std::max(0, width);
    FHeight = std::max(0, height);
    FStride = (FWidth + 3) & ~3;
    FCoverage.assign(std::size_t(FStride) * std::size_t(FHeight), 0);
}

std::uint8_t* TSmoothMask::ScanLine(int row) {
    if (row < 0 || row >= FHeight) throw EInvalidLine();
    return FCoverage.data() + std::size_t(row) * std::size_t(FStride);
}

const std::uint8_t* TSmoothMask::ScanLine(int row) const {
    if (row < 0 || row >= FHeight) throw EInvalidLine();
    return FCoverage.data() + std::size_t(row) * std::size_t(FStride);
}

void TSmoothMask::TextExtent(const std::string& text, int& width, int& height) {
    width = height = 0;
    FStartX = FStartY = 0;
    if (!FOwner) return;
    const TSmoothFontDesc& font = FOwner->Font();
    TSmoothFontDesc scaled = font;
    scaled.Height *= FScale;
    scaled.Width *= FScale;
    int w = 0, h = 0;
    MeasureText(scaled, text, w, h);
    width = (w + FScale - 1) / FScale;
    height = (h + FScale - 1) / FScale;
    if (font.Italic && !text.empty()) width += ItalicExtraWidth(width, TextCharacterCount(text));
    if (font.Escapement != 0) RotatedTextBox(width, height, font.Escapement, width, height, FStartX, FStartY);
}

void TSmoothMask::Render(const std::string& text) {
    if (!FOwner || !FOwner->Canvas()) return;
    int width = 0, height = 0;
    TextExtent(text, width, height);
    if (std::int64_t(width) * height > MaxSmoothMaskPixels)
        throw ETextTooLarge("the text is " + std::to_string(width) + " x " + std::to_string(height) +
                            " pixels, larger than the renderer draws (at most " +
                            std::to_string(MaxSmoothMaskPixels) +
                            " pixels); use a smaller font or a shorter text");
    SetSize(width, height);
    if (FWidth == 0 || FHeight == 0) return;
    TSmoothFontDesc scaled = FOwner->Font();
    scaled.Height *= FScale;
    scaled.Width *= FScale;
    const bool rotated = scaled.Escapement != 0;
    const int x = rotated ? FStartX * FScale : 0, y = rotated ? FStartY * FScale : 0;
    // Bands of about 8 MB of supersampled raster, whole mask rows each.
    const std::size_t rasterWidth = std::size_t(FWidth) * FScale;
    const int bandRows = std::max(1, int((std::size_t(8) << 20) / (rasterWidth * FScale)));
    for (int first = 0; first < FHeight; first += bandRows) {
        const int count = std::min(bandRows, FHeight - first);
        const std::vector<std::uint8_t> band =
            RasterizeText(scaled, text, FWidth * FScale, count * FScale, x, y - first * FScale);
        ShrinkRows(band.data(), first, count);
    }
}

void TSmoothMask::ShrinkFrom(const std::vector<std::uint8_t>& raster) {
    const std::size_t rasterWidth = std::size_t(FWidth) * FScale;
    if (raster.size() < rasterWidth * std::size_t(FHeight) * FScale) return;
    ShrinkRows(raster.data(), 0, FHeight);
}

void TSmoothMask::ShrinkRows(const std::uint8_t* band, int first, int count) {
    const std::size_t rasterWidth = std::size_t(FWidth) * FScale;
    for (int y = first; y < first + count; ++y) {
        const std::uint8_t* r0 = band + std::size_t(y - first) * FScale * rasterWidth;
        std::uint8_t* out = ScanLine(y);
        for (int x = 0; x < FWidth; ++x) {
            const std::uint8_t* p = r0 + std::size_t(x) * FScale;
            unsigned value = 0;
            switch (FQuality) {
            case aqHigh: {
                unsigned sum = 0;
                for (int dy = 0; dy < 4; ++dy)
                    for (int dx = 0; dx < 4; ++dx) sum += p[dy * rasterWidth + dx];
                value = sum >> 4;
                break;
            }
            case aqNormal: {
                // Weights 1 1 1/2 / 1 1 1 / 1/2 1 1: eight pixels' worth of ink.
                const std::uint8_t* a = p;
                const std::uint8_t* b = p + rasterWidth;
                const std::uint8_t* c = p + 2 * rasterWidth;
                unsigned sum = a[0] + a[1] + (a[2] >> 1) + b[0] + b[1] + b[2] + (c[0] >> 1) + c[1] + c[2];
                value = sum >> 3;
                break;
            }
            case aqLow:
                value = (unsigned(p[0]) + p[1] + p[rasterWidth] + p[rasterWidth + 1]) >> 2;
                break;
            case aqNone:
                value = p[0];
                break;
            }
            out[x] = std::uint8_t(value);
        }
    }
}

void TSmoothMask::MakeOutline() {
    if (FHeight < 3) return;
    const std::vector<std::uint8_t> source = FCoverage;
    const int w = FWidth;
    for (int y = 1; y < FHeight - 1; ++y) {
        const std::uint8_t* above = source.data() + std::size_t(y - 1) * FStride;
        const std::uint8_t* row = source.data() + std::size_t(y) * FStride;
        const std::uint8_t* below = source.data() + std::size_t(y + 1) * FStride;
        std::uint8_t* out = ScanLine(y);
        for (int x = 1; x < w - 1; ++x) {
            const int sum = std::abs(below[x + 1] - above[x - 1]) + std::abs(below[x] - above[x]) +
                            std::abs(row[x + 1] - row[x - 1]) + std::abs(below[x - 1] - above[x + 1]);
            out[x] = sum < 1024 ? std::uint8_t(sum >> 2) : 255;
        }
    }
}

void TSmoothMask::ApplySpray(int amount) {
    if (amount <= 0 || FWidth == 0 || FHeight == 0) return;
    for (int y = 0; y < FHeight; ++y) {
        std::uint8_t* out = ScanLine(y);
        for (int x = 0; x < FWidth; ++x) {
            const int c = std::uniform_int_distribution<int>(0, amount)(FRandom);
            int r1 = 0, r2 = 0;
            if (c > 0) {
                std::uniform_int_distribution<int> offset(0, 2 * c - 1);
                r1 = offset(FRandom);
                r2 = offset(FRandom);
            }
            const int sx = std::clamp(x + c - r1, 0, FWidth - 1);
            const int sy = std::clamp(y + c - r2, 0, FHeight - 1);
            out[x] = ScanLine(sy)[sx];
        }
    }
}

void TSmoothMask::MirrorHorizontally() {
    for (int y = 0; y < FHeight; ++y) {
        std::uint8_t* row = ScanLine(y);
        std::reverse(row, row + FWidth);
    }
}

void TSmoothMask::MirrorVertically() {
    for (int i = 0, j = FHeight - 1; i < j; ++i, --j)
        std::swap_ranges(ScanLine(i), ScanLine(i) + FStride, ScanLine(j));
}

void TSmoothMask::ApplyBlur(int strength) {
    if (FWidth == 0 || FHeight == 0) return;
    const int s = int(std::rint(strength * 255.0 / 100.0));
    const std::vector<std::uint8_t> source = FCoverage;
    // Neighbour columns and rows clamped into the mask (edge replication).
    std::vector<int> columns(std::size_t(FWidth) * 5);
    for (int x = 0; x < FWidth; ++x)
        for (int d = -2; d <= 2; ++d) columns[std::size_t(x) * 5 + d + 2] = std::clamp(x + d, 0, FWidth - 1);
    for (int y = 0; y < FHeight; ++y) {
        const std::uint8_t* rows[5];
        for (int d = -2; d <= 2; ++d)
            rows[d + 2] = source.data() + std::size_t(std::clamp(y + d, 0, FHeight - 1)) * FStride;
        std::uint8_t* out = ScanLine(y);
        for (int x = 0; x < FWidth; ++x) {
            const int* cols = &columns[std::size_t(x) * 5];
            int sum = 0;
            for (const std::uint8_t* r : rows)
                sum += r[cols[0]] + r[cols[1]] + r[cols[2]] + r[cols[3]] + r[cols[4]];
            const int box = (sum + 12) / 25;
            const int old = out[x];
            out[x] = s == 255 ? std::uint8_t(box) : std::uint8_t(old + (((box - old) * s) >> 8));
        }
    }
}

void TSmoothMask::Assign(const TSmoothMask& other) {
    FQuality = other.FQuality;
    FScale = other.FScale;
    FWidth = other.FWidth;
    FHeight = other.FHeight;
    FStride = other.FStride;
    FCoverage = other.FCoverage;
}
