// The colour reductions a picture can take on its way to a frame, on photos and
// screenshots made by scripts/make_color_pictures.sh: the time of each and,
// as the PSNR counter (dB, red, green and blue together), how close the frame
// stays to the picture. "ImageMagick" is the PSNR of ImageMagick's own
// -colors 256 +dither on the same picture, for comparison (its time is not ours).
// Rates are per CPU second of the benchmark thread (one core).
#include "gifdata/GifData.h"
#include "platform/ColorQuantizer.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

const char* const Pictures[] = {"rose",   "wizard-scaled", "plasma",   "photo-hd",
                                "wizard", "logo",          "netscape", "text"};

// A binary PPM (P6, 8 bits a channel) as a 24-bit bitmap; empty when unreadable.
TBitmap LoadPpm(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maximum = 0;
    in >> magic >> width >> height >> maximum;
    in.get();
    if (!in || magic != "P6" || maximum != 255 || width <= 0 || height <= 0) return {};
    TBitmap picture(width, height, pf24bit);
    std::vector<char> row(std::size_t(width) * 3);
    for (int y = 0; y < height; ++y) {
        if (!in.read(row.data(), std::streamsize(row.size()))) return {};
        std::uint8_t* target = picture.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            target[x * 3] = std::uint8_t(row[std::size_t(x) * 3 + 2]);
            target[x * 3 + 1] = std::uint8_t(row[std::size_t(x) * 3 + 1]);
            target[x * 3 + 2] = std::uint8_t(row[std::size_t(x) * 3]);
        }
    }
    return picture;
}

double Psnr(const TBitmap& original, const TBitmap& reduced) {
    if (original.Width() != reduced.Width() || original.Height() != reduced.Height()) return 0;
    double squared = 0;
    for (int y = 0; y < original.Height(); ++y)
        for (int x = 0; x < original.Width(); ++x) {
            const TColor a = original.Pixel(x, y), b = reduced.Pixel(x, y);
            const int dr = GetRValue(a) - GetRValue(b), dg = GetGValue(a) - GetGValue(b),
                      db = GetBValue(a) - GetBValue(b);
            squared += dr * dr + dg * dg + db * db;
        }
    const double mse = squared / (3.0 * original.Width() * original.Height());
    return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

std::string PicturePath(const std::string& name) {
    return std::string(FRAMELOOM_BENCH_COLORS) + "/" + name + ".ppm";
}

void BM_Reduce(benchmark::State& state, const std::string& name, TColorChoice choice) {
    const TBitmap picture = LoadPpm(PicturePath(name));
    if (picture.Empty()) {
        state.SkipWithError(("cannot read " + PicturePath(name)).c_str());
        return;
    }
    TBitmap reduced;
    for (auto _ : state) {
        state.PauseTiming();
        reduced = picture;
        state.ResumeTiming();
        ReduceToPalette(reduced, choice);
        benchmark::DoNotOptimize(reduced.Bits());
    }
    state.counters["PSNR"] = Psnr(picture, reduced);
    state.counters["colours"] = reduced.PaletteSize();
}

void BM_ImageMagick(benchmark::State& state, const std::string& name) {
    const TBitmap picture = LoadPpm(PicturePath(name));
    const TBitmap theirs = LoadPpm(PicturePath(name + "-im"));
    if (picture.Empty() || theirs.Empty()) {
        state.SkipWithError(("cannot read " + PicturePath(name)).c_str());
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(theirs.Bits());
    state.counters["PSNR"] = Psnr(picture, theirs);
}

struct TMode {
    const char* Name;
    TColorChoice Choice;
};
const TMode Modes[] = {{"Standard", {crStandard, dtNone}},
                       {"Exact", {crExact, dtNone}},
                       {"Quality", {crQuality, dtNone}},
                       {"QualityFS", {crQuality, dtFloydSteinberg}},
                       {"QualityOrdered", {crQuality, dtOrdered}}};

} // namespace

int main(int argc, char** argv) {
    for (const char* picture : Pictures) {
        for (const TMode& mode : Modes)
            benchmark::RegisterBenchmark((std::string(mode.Name) + "/" + picture).c_str(), BM_Reduce,
                                         std::string(picture), mode.Choice)
                ->Unit(benchmark::kMillisecond)
                ->MeasureProcessCPUTime();
        benchmark::RegisterBenchmark(("ImageMagick/" + std::string(picture)).c_str(), BM_ImageMagick,
                                     std::string(picture))
            ->Iterations(1);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
