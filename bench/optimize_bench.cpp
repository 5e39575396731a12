// The animation optimiser against gifsicle -O3 on the same inputs: a terminal
// recording, a sprite over a flat background, a slide show from our own
// generator and a photo-like animation with small moving parts (made once by
// scripts/make_optimize_inputs.sh and kept in the build folder). Prints the
// output sizes, their ratio, the time of both (best of three runs: load,
// optimise, save), and whether gifdiff finds our output identical to the input.
//
// Usage: optimize_bench [LEVEL]   (default 3)

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "gifdata/GifData.h"
#include "gifdata/GifOptimizer.h"

namespace fs = std::filesystem;

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Load, optimise, compact and save, as `frameloom-cli optimize` does.
bool OptimizeFile(const fs::path& in, const fs::path& out, int level) {
    TGIFData doc;
    if (!doc.LoadFromFile(in.string())) return false;
    std::string reason;
    if (!OptimizeAnimation(doc, level, &reason)) {
        std::fprintf(stderr, "%s: %s\n", in.c_str(), reason.c_str());
        return false;
    }
    doc.CompactPalettes();
    return doc.SaveToFile(out.string());
}

} // namespace

int main(int argc, char** argv) {
    const int level = argc > 1 ? std::atoi(argv[1]) : OptimizeLevelMax;
    const fs::path inputs = FRAMELOOM_BENCH_INPUTS;
    const std::string make = std::string("'") + FRAMELOOM_SOURCE_DIR + "/scripts/make_optimize_inputs.sh' '" +
                             inputs.string() + "' '" + FRAMELOOM_CLI + "' >/dev/null 2>&1";
    if (std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "optimize_bench: cannot make the inputs (%s)\n", make.c_str());
        return 1;
    }
    SetIOErrorHandler([](const std::string& reason) { std::fprintf(stderr, "I/O: %s\n", reason.c_str()); });

    const fs::path work = inputs / "out";
    fs::create_directories(work);
    std::printf("%-10s %10s %10s %10s %7s %9s %9s %s\n", "input", "input B", "ours B", "gifsicle B", "ratio",
                "ours s", "gifsicle s", "gifdiff");
    std::uintmax_t sumOurs = 0, sumTheirs = 0;
    double timeOurs = 0, timeTheirs = 0;
    bool allSame = true, allWithin = true;
    for (const char* name : {"terminal", "sprite", "slideshow", "photo"}) {
        const fs::path in = inputs / (std::string(name) + ".gif");
        const fs::path ours = work / (std::string(name) + "-ours.gif");
        const fs::path theirs = work / (std::string(name) + "-gifsicle.gif");
        double bestOurs = 1e9, bestTheirs = 1e9;
        for (int run = 0; run < 3; ++run) {
            auto start = std::chrono::steady_clock::now();
            if (!OptimizeFile(in, ours, level)) {
                std::fprintf(stderr, "optimize_bench: %s failed\n", name);
                return 1;
            }
            bestOurs = std::min(bestOurs, Seconds(start));
            start = std::chrono::steady_clock::now();
            const std::string gifsicle =
                "gifsicle --no-warnings -O3 '" + in.string() + "' -o '" + theirs.string() + "'";
            if (std::system(gifsicle.c_str()) != 0) {
                std::fprintf(stderr, "optimize_bench: gifsicle failed on %s\n", name);
                return 1;
            }
            bestTheirs = std::min(bestTheirs, Seconds(start));
        }
        const std::string diff = "gifdiff -q '" + in.string() + "' '" + ours.string() + "' >/dev/null 2>&1";
        const bool same = std::system(diff.c_str()) == 0;
        const std::uintmax_t a = fs::file_size(ours), b = fs::file_size(theirs);
        std::printf("%-10s %10ju %10ju %10ju %7.3f %9.3f %9.3f %s\n", name, fs::file_size(in), a, b,
                    double(a) / double(b), bestOurs, bestTheirs, same ? "identical" : "DIFFERENT");
        sumOurs += a;
        sumTheirs += b;
        timeOurs += bestOurs;
        timeTheirs += bestTheirs;
        allSame = allSame && same;
        allWithin = allWithin && a <= b;
    }
    std::printf("%-10s %10s %10ju %10ju %7.3f %9.3f %9.3f %s\n", "sum", "", sumOurs, sumTheirs,
                double(sumOurs) / double(sumTheirs), timeOurs, timeTheirs,
                allSame ? "identical" : "DIFFERENT");
    std::printf("level %d: every input at most 1.00x: %s; sum below 0.95x: %s\n", level,
                allWithin ? "yes" : "no", double(sumOurs) < 0.95 * double(sumTheirs) ? "yes" : "no");
    return allSame ? 0 : 1;
}
