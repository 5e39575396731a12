// GIF codec throughput against giflib, side by side, in megapixels per second.
//
// Each benchmark runs our codec and giflib on the same input in the same
// iteration (so both see the same machine load) and reports:
//   ours_Mpx/s, giflib_Mpx/s, ratio = ours / giflib.
// The reported time is ours, in CPU time of the benchmark thread. Synthetic inputs, generated here:
//   photo   1024 x 768, 256 colours, a smooth colour field dithered to a 8x8x4 cube with grain
//   screen  10 frames of 800 x 600, 16 flat colours: windows, rows of text in a 60-glyph font, a moving
//   pointer noise   512 x 512, uniform random indices over 256 colours (the table fills every ~4000 codes)
// Files like real ones, made once by ImageMagick (scripts/make_bench_gifs.sh, kept in the build folder):
//   file_photo_dithered, file_photo_undithered  16 frames of 800 x 600 each, every frame quantised
//                        to its own 256 colours, Floyd-Steinberg dithered or not
//   file_screen          40 frames of 800 x 600 of a desktop with anti-aliased text, 256 colours
//   file_realistic       100 frames of 800 x 600: plasma, blurred noise and noise, dithered and not
// Decode: TGIFData::LoadFromStream against DGifOpen + DGifSlurp, both from memory.
// Encode: TGIFImageData::EncodeImage per frame against EGifPutImageDesc + EGifPutLine.
// Info: the whole `frameloom-cli info FILE` process (start included; CPU time of the child, and
// its wall time) against DGifOpenFileName + DGifSlurp of the same file in this process; also the
// child's peak memory against the goal of 1.2 x the frames' index bytes + 30 MB.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <gif_lib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "gifdata/GifData.h"
#include "gifdata/GifLzwEncoder.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct TInput {
    int Width = 0;
    int Height = 0;
    std::vector<Bytes> Frames;
    Bytes File;            // the frames as one GIF file, written by our encoder
    double FilePixels = 0; // for inputs read from a file: the pixels of all its frames
    double Pixels() const {
        return FilePixels > 0 ? FilePixels : double(Width) * Height * double(Frames.size());
    }
};

Bytes MakeFile(int width, int height, const std::vector<Bytes>& frames) {
    TGIFData document;
    document.ScreenWidth = std::uint16_t(width);
    document.ScreenHeight = std::uint16_t(height);
    document.ScreenFlags = 0xF7;
    for (int i = 0; i < 256; ++i) {
        document.GlobalPalette[std::size_t(i)] = {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i * 7),
                                                  0};
    }
    for (const Bytes& pixels : frames) {
        TGIFImageData* frame = document.AddFrame(width, height);
        frame->Pixels = pixels;
    }
    document.UpdateGlobalUsage();
    TMemoryStream stream;
    if (!document.SaveToStream(stream)) throw std::runtime_error("cannot write the benchmark input");
    return stream.TakeBytes();
}

TInput PhotoInput() {
    TInput input;
    input.Width = 1024;
    input.Height = 768;
    Bytes pixels(std::size_t(input.Width) * input.Height);
    std::mt19937 rng(1);
    std::normal_distribution<double> grain(0.0, 6.0);
    static constexpr int Bayer[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    for (int y = 0; y < input.Height; ++y) {
        for (int x = 0; x < input.Width; ++x) {
            const double r =
                128 + 100 * std::sin(x * 0.011 + y * 0.004) + 25 * std::sin(x * 0.05) + grain(rng);
            const double g =
                128 + 90 * std::cos(y * 0.009 - x * 0.003) + 30 * std::sin((x + y) * 0.03) + grain(rng);
            const double b = 128 + 110 * std::sin((x - y) * 0.006) + grain(rng);
            const double d = (Bayer[y & 3][x & 3] + 0.5) / 16.0 - 0.5;
            auto level = [d](double v, int levels) {
                const int q = int(std::floor(std::clamp(v, 0.0, 255.0) / 256.0 * levels + d));
                return std::clamp(q, 0, levels - 1);
            };
            pixels[std::size_t(y) * input.Width + x] =
                std::uint8_t(level(r, 8) << 5 | level(g, 8) << 2 | level(b, 4));
        }
    }
    input.Frames.push_back(std::move(pixels));
    return input;
}

TInput ScreenInput() {
    TInput input;
    input.Width = 800;
    input.Height = 600;
    std::mt19937 rng(2);
    Bytes base(std::size_t(input.Width) * input.Height, 7); // desktop
    auto fill = [&](Bytes& p, int x0, int y0, int x1, int y1, std::uint8_t c) {
        for (int y = std::max(y0, 0); y < std::min(y1, input.Height); ++y)
            for (int x = std::max(x0, 0); x < std::min(x1, input.Width); ++x)
                p[std::size_t(y) * input.Width + x] = c;
    };
    fill(base, 0, 570, 800, 600, 8);            // task bar
    std::vector<std::array<bool, 45>> font(60); // 5 x 9 glyphs
    for (auto& glyph : font)
        for (auto& bit : glyph) bit = rng() % 3 == 0;
    for (int w = 0; w < 3; ++w) {
        const int x0 = 40 + w * 240, y0 = 40 + w * 120;
        fill(base, x0, y0, x0 + 360, y0 + 300, 15); // window
        fill(base, x0, y0, x0 + 360, y0 + 20, 1);   // title bar
        for (int line = 0; line < 16; ++line) {     // text rows: glyphs of one small font
            const int ty = y0 + 30 + line * 16;
            for (int gx = x0 + 8; gx < x0 + 340; gx += 7) {
                const auto& glyph = font[rng() % font.size()];
                for (int dy = 0; dy < 9; ++dy)
                    for (int dx = 0; dx < 5; ++dx)
                        if (glyph[std::size_t(dy * 5 + dx)])
                            fill(base, gx + dx, ty + dy, gx + dx + 1, ty + dy + 1, 0);
            }
        }
    }
    for (int f = 0; f < 10; ++f) {
        Bytes frame = base;
        fill(frame, 100 + f * 50, 200 + f * 20, 112 + f * 50, 219 + f * 20, 12); // pointer
        fill(frame, 600, 575, 600 + f * 15, 595, 10);                            // progress bar
        input.Frames.push_back(std::move(frame));
    }
    return input;
}

TInput NoiseInput() {
    TInput input;
    input.Width = 512;
    input.Height = 512;
    std::mt19937 rng(3);
    Bytes pixels(std::size_t(input.Width) * input.Height);
    for (auto& p : pixels) p = std::uint8_t(rng());
    input.Frames.push_back(std::move(pixels));
    return input;
}

const TInput& Input(int which) {
    static const TInput inputs[3] = {
        [] {
            TInput i = PhotoInput();
            i.File = MakeFile(i.Width, i.Height, i.Frames);
            return i;
        }(),
        [] {
            TInput i = ScreenInput();
            i.File = MakeFile(i.Width, i.Height, i.Frames);
            return i;
        }(),
        [] {
            TInput i = NoiseInput();
            i.File = MakeFile(i.Width, i.Height, i.Frames);
            return i;
        }(),
    };
    return inputs[which];
}

std::string BenchGif(const char* name) {
    return std::string(FRAMELOOM_BENCH_GIFS) + "/" + name;
}

TInput FileInput(const char* name) {
    TInput input;
    std::ifstream in(BenchGif(name), std::ios::binary);
    input.File.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    TMemoryStream stream(input.File);
    TGIFData document;
    if (!document.LoadFromStream(stream)) throw std::runtime_error(std::string("cannot read ") + name);
    for (const auto& frame : document.Frames) input.FilePixels += double(frame->PixelCount);
    return input;
}

const char* const FileNames[] = {"photo-dithered.gif", "photo-undithered.gif", "screen.gif", "realistic.gif"};

const TInput& FileInputAt(int which) {
    static const TInput inputs[4] = {FileInput(FileNames[0]), FileInput(FileNames[1]),
                                     FileInput(FileNames[2]), FileInput(FileNames[3])};
    return inputs[which];
}

// ---- giflib over memory

struct TReadCursor {
    const Bytes* Data;
    std::size_t At;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buffer, int count) {
    auto* cursor = static_cast<TReadCursor*>(gif->UserData);
    const std::size_t n = std::min(std::size_t(count), cursor->Data->size() - cursor->At);
    std::memcpy(buffer, cursor->Data->data() + cursor->At, n);
    cursor->At += n;
    return int(n);
}

int WriteToMemory(GifFileType* gif, const GifByteType* buffer, int count) {
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), buffer, buffer + count);
    return count;
}

std::size_t GiflibDecode(const Bytes& file) {
    TReadCursor cursor{&file, 0};
    int error = 0;
    GifFileType* gif = DGifOpen(&cursor, ReadFromMemory, &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) throw std::runtime_error("giflib cannot decode the input");
    const std::size_t frames = std::size_t(gif->ImageCount);
    DGifCloseFile(gif, &error);
    return frames;
}

std::size_t GiflibEncode(const TInput& input) {
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, WriteToMemory, &error);
    ColorMapObject* map = GifMakeMapObject(256, nullptr);
    for (int i = 0; i < 256; ++i) map->Colors[i] = {GifByteType(i), GifByteType(255 - i), GifByteType(i * 7)};
    EGifPutScreenDesc(gif, input.Width, input.Height, 8, 0, map);
    for (const Bytes& pixels : input.Frames) {
        EGifPutImageDesc(gif, 0, 0, input.Width, input.Height, false, nullptr);
        if (EGifPutLine(gif, const_cast<GifPixelType*>(pixels.data()), input.Width * input.Height) != GIF_OK)
            throw std::runtime_error("giflib cannot encode the input");
    }
    EGifCloseFile(gif, &error);
    GifFreeMapObject(map);
    return out.size();
}

// ---- our codec

std::size_t OursDecode(const Bytes& file) {
    TMemoryStream stream(file);
    TGIFData document;
    if (!document.LoadFromStream(stream)) throw std::runtime_error("cannot decode the input");
    return document.Frames.size();
}

struct TEncodeJob {
    TGIFData Document;
    std::vector<TGIFImageData*> Frames;
    explicit TEncodeJob(const TInput& input) {
        for (int i = 0; i < 256; ++i) Document.GlobalPalette[std::size_t(i)].Used = 1;
        for (const Bytes& pixels : input.Frames) {
            TGIFImageData* frame = Document.AddFrame(input.Width, input.Height);
            frame->Pixels = pixels;
            Frames.push_back(frame);
        }
    }
    std::size_t Run() {
        TMemoryStream stream;
        for (TGIFImageData* frame : Frames)
            if (!frame->EncodeImage(stream)) throw std::runtime_error("cannot encode the input");
        return std::size_t(stream.Size());
    }
};

void Report(benchmark::State& state, const TInput& input, double ours, double theirs) {
    const double megapixels = input.Pixels() * double(state.iterations()) / 1e6;
    state.counters["ours_Mpx/s"] = megapixels / ours;
    state.counters["giflib_Mpx/s"] = megapixels / theirs;
    state.counters["ratio"] = theirs / ours;
}

// CPU time of this thread: both codecs run single-threaded, and on a busy
// machine wall time would charge them for other processes.
double ThreadSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

template <typename F> double Seconds(F&& work) {
    const double start = ThreadSeconds();
    work();
    return ThreadSeconds() - start;
}

void BM_Decode(benchmark::State& state, int which) {
    const TInput& input = Input(which);
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        const double t = Seconds([&] { benchmark::DoNotOptimize(OursDecode(input.File)); });
        theirs += Seconds([&] { benchmark::DoNotOptimize(GiflibDecode(input.File)); });
        ours += t;
        state.SetIterationTime(t);
    }
    Report(state, input, ours, theirs);
}

void BM_DecodeFile(benchmark::State& state, int which) {
    const TInput& input = FileInputAt(which);
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        const double t = Seconds([&] { benchmark::DoNotOptimize(OursDecode(input.File)); });
        theirs += Seconds([&] { benchmark::DoNotOptimize(GiflibDecode(input.File)); });
        ours += t;
        state.SetIterationTime(t);
    }
    Report(state, input, ours, theirs);
}

// ---- frameloom-cli info as a process

struct TChildRun {
    double Cpu = 0;       // user + system seconds of the child
    double Wall = 0;      // seconds from fork to its end
    double PeakBytes = 0; // the child's peak resident memory
};

// Runs argv (argv[0] a path) with its output thrown away and measures it.
TChildRun RunMeasured(char** argv) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("cannot start a process");
    if (pid == 0) {
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execv(argv[0], argv);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (wait4(pid, &status, 0, &usage) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(std::string("failed: ") + argv[0]);
    TChildRun run;
    run.Wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.Cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
              1e-6 * double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
    run.PeakBytes = double(usage.ru_maxrss) * 1024;
    return run;
}

// A child's peak memory counts the memory of the process it was forked from
// until it starts its program, and this process holds the inputs. So a fresh
// copy of this program (small) starts frameloom-cli and reports on it.
constexpr const char* MeasureOption = "--measure-child";

TChildRun RunInfoProcess(const std::string& path) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) throw std::runtime_error("cannot make a pipe");
    const pid_t pid = fork();
    if (pid < 0) throw std::runtime_error("cannot start the measuring process");
    if (pid == 0) {
        close(pipeEnds[0]);
        dup2(pipeEnds[1], 1);
        execl("/proc/self/exe", "gif_codec_bench", MeasureOption, FRAMELOOM_CLI, "info", path.c_str(),
              static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    char text[256] = {};
    std::size_t got = 0;
    for (ssize_t n; (n = read(pipeEnds[0], text + got, sizeof text - 1 - got)) > 0;) got += std::size_t(n);
    close(pipeEnds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    TChildRun run;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(text, "%lf %lf %lf", &run.Cpu, &run.Wall, &run.PeakBytes) != 3)
        throw std::runtime_error("frameloom-cli info failed on " + path);
    return run;
}

std::size_t GiflibDecodeFile(const std::string& path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) throw std::runtime_error("giflib cannot decode " + path);
    const std::size_t frames = std::size_t(gif->ImageCount);
    DGifCloseFile(gif, &error);
    return frames;
}

void BM_InfoProcess(benchmark::State& state, int which) {
    const TInput& input = FileInputAt(which);
    const std::string path = BenchGif(FileNames[which]);
    double ours = 0, oursWall = 0, theirs = 0, theirsWall = 0, peak = 0;
    for (auto _ : state) {
        const TChildRun run = RunInfoProcess(path);
        const auto start = std::chrono::steady_clock::now();
        theirs += Seconds([&] { benchmark::DoNotOptimize(GiflibDecodeFile(path)); });
        theirsWall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ours += run.Cpu;
        oursWall += run.Wall;
        peak = std::max(peak, run.PeakBytes);
        state.SetIterationTime(run.Cpu);
    }
    Report(state, input, ours, theirs);
    state.counters["wall_ratio"] = theirsWall / oursWall;
    state.counters["peak_MB"] = peak / 1e6;
    state.counters["peak_goal_MB"] = 1.2 * input.Pixels() / 1e6 + 30;
}

void BM_Encode(benchmark::State& state, int which) {
    const TInput& input = Input(which);
    TEncodeJob job(input);
    double ours = 0, theirs = 0;
    for (auto _ : state) {
        const double t = Seconds([&] { benchmark::DoNotOptimize(job.Run()); });
        theirs += Seconds([&] { benchmark::DoNotOptimize(GiflibEncode(input)); });
        ours += t;
        state.SetIterationTime(t);
    }
    Report(state, input, ours, theirs);
}

} // namespace

#define FRAMELOOM_CODEC_BENCH(name, which)                                                                   \
    BENCHMARK_CAPTURE(BM_Decode, name, which)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(0.5); \
    BENCHMARK_CAPTURE(BM_Encode, name, which)->UseManualTime()->Unit(benchmark::kMillisecond)->MinTime(0.5)

FRAMELOOM_CODEC_BENCH(photo, 0);
FRAMELOOM_CODEC_BENCH(screen, 1);
FRAMELOOM_CODEC_BENCH(noise, 2);

#define FRAMELOOM_FILE_BENCH(name, which)                                                                    \
    BENCHMARK_CAPTURE(BM_DecodeFile, name, which)                                                            \
        ->UseManualTime()                                                                                    \
        ->Unit(benchmark::kMillisecond)                                                                      \
        ->MinTime(0.5)

FRAMELOOM_FILE_BENCH(file_photo_dithered, 0);
FRAMELOOM_FILE_BENCH(file_photo_undithered, 1);
FRAMELOOM_FILE_BENCH(file_screen, 2);
FRAMELOOM_FILE_BENCH(file_realistic, 3);
BENCHMARK_CAPTURE(BM_InfoProcess, file_realistic, 3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(8);

int main(int argc, char** argv) {
    if (argc > 2 && std::string(argv[1]) == MeasureOption) {
        const TChildRun run = RunMeasured(argv + 2);
        std::printf("%.6f %.6f %.0f\n", run.Cpu, run.Wall, run.PeakBytes);
        return 0;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
