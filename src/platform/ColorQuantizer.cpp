#include "platform/ColorQuantizer.h"

#include "platform/Canvas.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>

namespace {

// ---------------------------------------------------------------------------
// Names

struct TReductionWord {
    TColorReduction Value;
    const char* Word;
};
constexpr TReductionWord ReductionWords[] = {
    {crStandard, "standard"}, {crExact, "exact"}, {crQuality, "quality"}};

struct TDitheringWord {
    TDithering Value;
    const char* Word;
};
constexpr TDitheringWord DitheringWords[] = {
    {dtNone, "none"}, {dtFloydSteinberg, "fs"}, {dtOrdered, "ordered"}};

TColor PixelColor(const std::uint8_t* p) {
    return RGB(p[2], p[1], p[0]);
}

bool TrueColor(const TBitmap& picture) {
    return !picture.Empty() && picture.PixelFormat() != pf8bit;
}

// ---------------------------------------------------------------------------
// Exact: a small open-addressing table of the colours seen so far.

class TColorTable {
  public:
    // Slot of color: either where it is or the empty slot where it belongs.
    std::size_t Find(TColor color) const {
        std::size_t slot = (color * 2654435761u) >> (32 - Bits) & (Size - 1);
        while (FKeys[slot] != Empty && FKeys[slot] != color) slot = (slot + 1) & (Size - 1);
        return slot;
    }
    bool Holds(std::size_t slot) const { return FKeys[slot] != Empty; }
    void Put(std::size_t slot, TColor color, std::uint8_t index) {
        FKeys[slot] = color;
        FIndices[slot] = index;
    }
    std::uint8_t Index(std::size_t slot) const { return FIndices[slot]; }

  private:
    static constexpr int Bits = 10; // 1024 slots for at most 257 colours
    static constexpr std::size_t Size = std::size_t(1) << Bits;
    static constexpr TColor Empty = 0xFFFFFFFFu; // no colour is above 0x00FFFFFF
    std::array<TColor, Size> FKeys = [] {
        std::array<TColor, Size> keys{};
        keys.fill(Empty);
        return keys;
    }();
    std::array<std::uint8_t, Size> FIndices{};
};

// ---------------------------------------------------------------------------
// Wu's cuts on a 64-level histogram (6 bits a channel) with cumulative moments.

constexpr int Levels = 64;
constexpr int Side = Levels + 1; // index 0 is the zero border of the cumulative sums
constexpr std::size_t Cells = std::size_t(Side) * Side * Side;

constexpr std::size_t At(int r, int g, int b) {
    return (std::size_t(r) * Side + std::size_t(g)) * Side + std::size_t(b);
}

// The moments of one cell: pixel count, channel sums and the sum of squared channels.
struct TCell {
    std::int64_t W = 0, R = 0, G = 0, B = 0, Q = 0;
};
using TMoments = std::vector<TCell>;

struct TSums {
    double W = 0, R = 0, G = 0, B = 0, Q = 0;
    TSums operator-(const TSums& o) const { return {W - o.W, R - o.R, G - o.G, B - o.B, Q - o.Q}; }
    double Spread() const { return W > 0 ? (R * R + G * G + B * B) / W : 0; }
};

// A box of histogram cells: lower bounds exclusive, upper bounds inclusive.
struct TBox {
    int Lo[3];
    int Hi[3];
};

TSums BoxSums(const TMoments& m, const TBox& x) {
    TSums s;
    for (int corner = 0; corner < 8; ++corner) {
        const int r = corner & 1 ? x.Lo[0] : x.Hi[0];
        const int g = corner & 2 ? x.Lo[1] : x.Hi[1];
        const int b = corner & 4 ? x.Lo[2] : x.Hi[2];
        const double sign = std::popcount(unsigned(corner)) & 1 ? -1.0 : 1.0;
        const TCell& c = m[At(r, g, b)];
        s.W += sign * double(c.W);
        s.R += sign * double(c.R);
        s.G += sign * double(c.G);
        s.B += sign * double(c.B);
        s.Q += sign * double(c.Q);
    }
    return s;
}

double Variance(const TMoments& m, const TBox& x) {
    const TSums s = BoxSums(m, x);
    return s.W > 0 ? s.Q - s.Spread() : 0;
}

// Splits box in two where the summed squared error drops most; false when it cannot be split.
bool Cut(const TMoments& m, TBox& box, TBox& other) {
    const TSums whole = BoxSums(m, box);
    double best = whole.Spread();
    int bestAxis = -1, bestAt = 0;
    for (int axis = 0; axis < 3; ++axis) {
        TBox lower = box;
        for (int at = box.Lo[axis] + 1; at < box.Hi[axis]; ++at) {
            lower.Hi[axis] = at;
            const TSums low = BoxSums(m, lower);
            const TSums high = whole - low;
            if (low.W <= 0 || high.W <= 0) continue;
            const double score = low.Spread() + high.Spread();
            if (score > best) {
                best = score;
                bestAxis = axis;
                bestAt = at;
            }
        }
    }
    if (bestAxis < 0) return false;
    other = box;
    box.Hi[bestAxis] = bestAt;
    other.Lo[bestAxis] = bestAt;
    return true;
}

// A colour of the picture at 6-bit precision: the mean of its pixels and their number.
struct TSample {
    float R, G, B;
    double Weight;
    int Centre; // the palette entry it belongs to
};

struct TCentre {
    float R, G, B;
};

// The k-means passes measure in a space weighted towards how strongly the eye
// tells channels apart (green most, blue least); the scale is linear, so a
// cluster's mean there is the mean of its colours.
constexpr float WeightR = 1.0f, WeightG = 1.2f, WeightB = 0.8f;

float Distance2(const TSample& p, const TCentre& c) {
    const float r = (p.R - c.R) * WeightR, g = (p.G - c.G) * WeightG, b = (p.B - c.B) * WeightB;
    return r * r + g * g + b * b;
}
float Distance2(const TCentre& p, const TCentre& c) {
    const float r = (p.R - c.R) * WeightR, g = (p.G - c.G) * WeightG, b = (p.B - c.B) * WeightB;
    return r * r + g * g + b * b;
}

// Lloyd passes over the points. A point is compared only with the centres
// nearer to its own centre than twice its distance from it: by the triangle
// inequality no other centre can be nearer to the point.
void RefineByKMeans(std::vector<TSample>& points, std::vector<TCentre>& centres, int passes) {
    const std::size_t k = centres.size();
    std::vector<float> gap(k * k);
    std::vector<std::uint16_t> order(k * k); // per centre, the others nearest first
    std::vector<double> sums(k * 4);
    for (int pass = 0; pass < passes; ++pass) {
        for (std::size_t a = 0; a < k; ++a)
            for (std::size_t b = 0; b < k; ++b) gap[a * k + b] = Distance2(centres[a], centres[b]);
        for (std::size_t a = 0; a < k; ++a) {
            std::uint16_t* o = &order[a * k];
            for (std::size_t b = 0; b < k; ++b) o[b] = std::uint16_t(b);
            const float* g = &gap[a * k];
            std::sort(o, o + k, [g](std::uint16_t x, std::uint16_t y) { return g[x] < g[y]; });
        }
        bool moved = false;
        for (TSample& p : points) {
            const std::size_t own = std::size_t(p.Centre);
            const float reach = 4 * Distance2(p, centres[own]); // (2 d)^2
            const float* g = &gap[own * k];
            const std::uint16_t* o = &order[own * k];
            float best = std::numeric_limits<float>::max();
            std::size_t bestCentre = own;
            for (std::size_t i = 0; i < k && g[o[i]] <= reach; ++i) {
                const float d = Distance2(p, centres[o[i]]);
                if (d < best) {
                    best = d;
                    bestCentre = o[i];
                }
            }
            if (bestCentre != own) {
                p.Centre = int(bestCentre);
                moved = true;
            }
        }
        std::fill(sums.begin(), sums.end(), 0.0);
        for (const TSample& p : points) {
            double* s = &sums[std::size_t(p.Centre) * 4];
            s[0] += p.Weight;
            s[1] += p.Weight * p.R;
            s[2] += p.Weight * p.G;
            s[3] += p.Weight * p.B;
        }
        for (std::size_t c = 0; c < k; ++c) {
            const double* s = &sums[c * 4];
            if (s[0] > 0) centres[c] = {float(s[1] / s[0]), float(s[2] / s[0]), float(s[3] / s[0])};
        }
        if (!moved) break;
    }
}

std::uint8_t Clamp8(int v) {
    return std::uint8_t(v < 0 ? 0 : v > 255 ? 255 : v);
}

// Threshold map of ordered dithering, 0..63.
constexpr int Bayer8[8][8] = {{0, 32, 8, 40, 2, 34, 10, 42},  {48, 16, 56, 24, 50, 18, 58, 26},
                              {12, 44, 4, 36, 14, 46, 6, 38}, {60, 28, 52, 20, 62, 30, 54, 22},
                              {3, 35, 11, 43, 1, 33, 9, 41},  {51, 19, 59, 27, 49, 17, 57, 25},
                              {15, 47, 7, 39, 13, 45, 5, 37}, {63, 31, 55, 23, 61, 29, 53, 21}};
// Spread of the ordered pattern in channel steps: about the gap between
// neighbouring entries of a 256-colour palette of a photo.
constexpr int OrderedSpread = 20;

void MapFloydSteinberg(const TBitmap& picture, const std::vector<TColor>& palette, TNearestColorMap& map,
                       TBitmap& out) {
    const int w = picture.Width(), bpp = picture.BytesPerPixel();
    // Errors in 1/16 channel steps for this row and the next, one pixel of border each side.
    std::vector<int> current(std::size_t(w + 2) * 3), next(std::size_t(w + 2) * 3);
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row = picture.ScanLine(y);
        std::uint8_t* target = out.ScanLine(y);
        std::fill(next.begin(), next.end(), 0);
        const bool leftToRight = (y & 1) == 0; // serpentine: no drift to one side
        for (int i = 0; i < w; ++i) {
            const int x = leftToRight ? i : w - 1 - i;
            const int step = leftToRight ? 1 : -1;
            const std::uint8_t* p = row + std::size_t(x) * bpp;
            int* e = &current[std::size_t(x + 1) * 3];
            const int want[3] = {p[2] + (e[0] + 8) / 16, p[1] + (e[1] + 8) / 16, p[0] + (e[2] + 8) / 16};
            const std::uint8_t index = map.Index(RGB(Clamp8(want[0]), Clamp8(want[1]), Clamp8(want[2])));
            target[x] = index;
            const TColor got = palette[index];
            const int error[3] = {Clamp8(want[0]) - GetRValue(got), Clamp8(want[1]) - GetGValue(got),
                                  Clamp8(want[2]) - GetBValue(got)};
            for (int c = 0; c < 3; ++c) {
                current[std::size_t(x + 1 + step) * 3 + std::size_t(c)] += error[c] * 7;
                next[std::size_t(x + 1 - step) * 3 + std::size_t(c)] += error[c] * 3;
                next[std::size_t(x + 1) * 3 + std::size_t(c)] += error[c] * 5;
                next[std::size_t(x + 1 + step) * 3 + std::size_t(c)] += error[c];
            }
        }
        std::swap(current, next);
    }
}

void MapOrdered(const TBitmap& picture, TNearestColorMap& map, TBitmap& out) {
    const int w = picture.Width(), bpp = picture.BytesPerPixel();
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row = picture.ScanLine(y);
        std::uint8_t* target = out.ScanLine(y);
        for (int x = 0; x < w; ++x) {
            const std::uint8_t* p = row + std::size_t(x) * bpp;
            const int offset = ((2 * Bayer8[y & 7][x & 7] + 1 - 64) * OrderedSpread) / 128;
            target[x] = map.Index(RGB(Clamp8(p[2] + offset), Clamp8(p[1] + offset), Clamp8(p[0] + offset)));
        }
    }
}

} // namespace

std::string ColorReductionName(TColorReduction reduction) {
    for (const TReductionWord& w : ReductionWords)
        if (w.Value == reduction) return w.Word;
    return "standard";
}

std::string DitheringName(TDithering dithering) {
    for (const TDitheringWord& w : DitheringWords)
        if (w.Value == dithering) return w.Word;
    return "none";
}

std::optional<TColorReduction> ParseColorReduction(const std::string& word) {
    for (const TReductionWord& w : ReductionWords)
        if (word == w.Word) return w.Value;
    return std::nullopt;
}

std::optional<TDithering> ParseDithering(const std::string& word) {
    for (const TDitheringWord& w : DitheringWords)
        if (word == w.Word) return w.Value;
    return std::nullopt;
}

std::optional<std::vector<TColor>> DistinctColors(const TBitmap& picture, int maxColors) {
    if (!TrueColor(picture) || maxColors > 256) return std::nullopt;
    TColorTable table;
    std::vector<TColor> colors;
    const int bpp = picture.BytesPerPixel();
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row = picture.ScanLine(y);
        TColor last = 0xFFFFFFFFu; // runs of one colour are common in screenshots
        for (int x = 0; x < picture.Width(); ++x) {
            const TColor color = PixelColor(row + std::size_t(x) * bpp);
            if (color == last) continue;
            last = color;
            const std::size_t slot = table.Find(color);
            if (table.Holds(slot)) continue;
            if (int(colors.size()) == maxColors) return std::nullopt;
            table.Put(slot, color, std::uint8_t(colors.size()));
            colors.push_back(color);
        }
    }
    return colors;
}

std::optional<TBitmap> ReduceExact(const TBitmap& picture) {
    std::optional<std::vector<TColor>> colors = DistinctColors(picture, 256);
    if (!colors) return std::nullopt;
    TColorTable table;
    for (std::size_t i = 0; i < colors->size(); ++i) {
        const TColor c = (*colors)[i];
        table.Put(table.Find(c), c, std::uint8_t(i));
    }
    TBitmap out(picture.Width(), picture.Height(), pf8bit);
    out.SetPalette(*colors);
    const int bpp = picture.BytesPerPixel();
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row = picture.ScanLine(y);
        std::uint8_t* target = out.ScanLine(y);
        for (int x = 0; x < picture.Width(); ++x)
            target[x] = table.Index(table.Find(PixelColor(row + std::size_t(x) * bpp)));
    }
    return out;
}

std::vector<TColor> QuantizePalette(const TBitmap& picture, int maxColors) {
    if (!TrueColor(picture)) return {};
    maxColors = std::clamp(maxColors, 1, 256);
    if (std::optional<std::vector<TColor>> few = DistinctColors(picture, maxColors)) return *few;

    TMoments m(Cells);
    const int bpp = picture.BytesPerPixel();
    for (int y = 0; y < picture.Height(); ++y) {
        const std::uint8_t* row = picture.ScanLine(y);
        const std::uint8_t* end = row + std::size_t(picture.Width()) * bpp;
        for (const std::uint8_t* p = row; p < end; p += bpp) {
            const int r = p[2], g = p[1], b = p[0];
            TCell& c = m[At((r >> 2) + 1, (g >> 2) + 1, (b >> 2) + 1)];
            ++c.W;
            c.R += r;
            c.G += g;
            c.B += b;
            c.Q += r * r + g * g + b * b;
        }
    }
    // The occupied cells are the colours the k-means passes work on.
    std::vector<TSample> points;
    std::vector<std::uint32_t> cellOfPoint;
    for (std::size_t i = 0; i < Cells; ++i)
        if (m[i].W > 0) {
            const double w = double(m[i].W);
            points.push_back({float(m[i].R / w), float(m[i].G / w), float(m[i].B / w), w, 0});
            cellOfPoint.push_back(std::uint32_t(i));
        }
    // Cumulative sums, one axis at a time.
    auto accumulate = [&m](std::size_t from, std::size_t to) {
        m[to].W += m[from].W;
        m[to].R += m[from].R;
        m[to].G += m[from].G;
        m[to].B += m[from].B;
        m[to].Q += m[from].Q;
    };
    for (int r = 1; r < Side; ++r)
        for (int g = 1; g < Side; ++g)
            for (int b = 2; b < Side; ++b) accumulate(At(r, g, b - 1), At(r, g, b));
    for (int r = 1; r < Side; ++r)
        for (int g = 2; g < Side; ++g)
            for (int b = 1; b < Side; ++b) accumulate(At(r, g - 1, b), At(r, g, b));
    for (int r = 2; r < Side; ++r)
        for (int g = 1; g < Side; ++g)
            for (int b = 1; b < Side; ++b) accumulate(At(r - 1, g, b), At(r, g, b));

    std::vector<TBox> boxes{{{0, 0, 0}, {Levels, Levels, Levels}}};
    std::vector<double> variance{Variance(m, boxes[0])};
    while (int(boxes.size()) < maxColors) {
        const std::size_t worst =
            std::size_t(std::max_element(variance.begin(), variance.end()) - variance.begin());
        if (variance[worst] <= 0) break;
        TBox other;
        if (!Cut(m, boxes[worst], other)) {
            variance[worst] = 0;
            continue;
        }
        boxes.push_back(other);
        variance[worst] = Variance(m, boxes[worst]);
        variance.push_back(Variance(m, other));
    }

    std::vector<TCentre> centres;
    for (const TBox& box : boxes) {
        const TSums s = BoxSums(m, box);
        if (s.W > 0)
            centres.push_back({float(s.R / s.W), float(s.G / s.W), float(s.B / s.W)});
        else
            centres.push_back({0, 0, 0});
    }
    // Each point starts in the box that holds its cell.
    std::vector<std::uint16_t> boxOfCell(Cells);
    for (std::size_t k = 0; k < boxes.size(); ++k) {
        const TBox& x = boxes[k];
        for (int r = x.Lo[0] + 1; r <= x.Hi[0]; ++r)
            for (int g = x.Lo[1] + 1; g <= x.Hi[1]; ++g)
                for (int b = x.Lo[2] + 1; b <= x.Hi[2]; ++b) boxOfCell[At(r, g, b)] = std::uint16_t(k);
    }
    for (std::size_t p = 0; p < points.size(); ++p) points[p].Centre = boxOfCell[cellOfPoint[p]];
    // Three passes: on photos later ones gain hundredths of a dB for a third more time.
    RefineByKMeans(points, centres, 3);

    std::vector<TColor> palette;
    palette.reserve(centres.size());
    for (const TCentre& c : centres)
        palette.push_back(RGB(int(std::lround(c.R)), int(std::lround(c.G)), int(std::lround(c.B))));
    return palette;
}

TBitmap MapWithDithering(const TBitmap& picture, const std::vector<TColor>& palette, TDithering dithering) {
    if (!TrueColor(picture) || palette.empty()) return {};
    TBitmap out(picture.Width(), picture.Height(), pf8bit);
    out.SetPalette(palette);
    TNearestColorMap map(out.Palette());
    if (dithering == dtFloydSteinberg) {
        MapFloydSteinberg(picture, out.Palette(), map, out);
    } else if (dithering == dtOrdered) {
        MapOrdered(picture, map, out);
    } else {
        for (int y = 0; y < picture.Height(); ++y)
            map.MapRow(picture.ScanLine(y), picture.BytesPerPixel(), out.ScanLine(y), picture.Width());
    }
    return out;
}

TBitmap ReduceHighQuality(const TBitmap& picture, TDithering dithering) {
    return MapWithDithering(picture, QuantizePalette(picture, 256), dithering);
}
