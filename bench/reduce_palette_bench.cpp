// ReduceToPalette on a 1920 x 1080 photo-like picture (smooth gradients,
// texture and sensor-like noise, so most pixels differ from their
// neighbours): histogram, palette and nearest-colour mapping together.
// Rates are per CPU second of the benchmark thread, so they stay meaningful on
// a machine shared with other work.
#include "gifdata/GifData.h"
#include "platform/Canvas.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <random>

namespace {

TBitmap PhotoLikePicture(int width, int height) {
    TBitmap picture(width, height, pf24bit);
    std::mt19937 random(1234);
    std::normal_distribution<double> noise(0.0, 4.0);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = picture.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            const double sky = double(y) / height;
            const double hills = 0.5 + 0.5 * std::sin(x * 0.004 + std::sin(y * 0.003) * 3.0);
            const double texture = 0.5 + 0.5 * std::sin(x * 0.05) * std::cos(y * 0.045);
            const double r = 60 + 150 * hills * (1 - sky) + 40 * texture + noise(random);
            const double g = 90 + 120 * sky + 30 * texture * hills + noise(random);
            const double b = 200 * sky + 50 * (1 - hills) + noise(random);
            row[x * 3] = std::uint8_t(std::clamp(b, 0.0, 255.0));
            row[x * 3 + 1] = std::uint8_t(std::clamp(g, 0.0, 255.0));
            row[x * 3 + 2] = std::uint8_t(std::clamp(r, 0.0, 255.0));
        }
    }
    return picture;
}

void BM_ReduceToPalette(benchmark::State& state) {
    const TBitmap picture = PhotoLikePicture(1920, 1080);
    for (auto _ : state) {
        state.PauseTiming();
        TBitmap work = picture;
        state.ResumeTiming();
        ReduceToPalette(work);
        benchmark::DoNotOptimize(work.Bits());
    }
    const double pixels = double(picture.Width()) * picture.Height();
    state.counters["Mpx/s"] =
        benchmark::Counter(pixels * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ReduceToPalette)->Unit(benchmark::kMillisecond);

// The mapping alone: the picture drawn onto an 8-bit bitmap of 256 bin middles.
void BM_NearestColourMapping(benchmark::State& state) {
    const TBitmap picture = PhotoLikePicture(1920, 1080);
    TBitmap reduced = picture;
    ReduceToPalette(reduced);
    for (auto _ : state) {
        TBitmap target(picture.Width(), picture.Height(), pf8bit);
        target.SetPalette(reduced.Palette());
        TCanvas canvas(target);
        canvas.Draw(0, 0, picture);
        benchmark::DoNotOptimize(target.Bits());
    }
    const double pixels = double(picture.Width()) * picture.Height();
    state.counters["Mpx/s"] =
        benchmark::Counter(pixels * double(state.iterations()) / 1e6, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_NearestColourMapping)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
