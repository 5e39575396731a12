// Opening an animation in the editor against giflib decoding the same file.
//
// Each iteration creates the main window on the offscreen platform with the
// realistic animation (100 frames of 800 x 600, scripts/make_bench_gifs.sh) as
// its start file, shows it and lets it handle its events until it waits for
// the user: the first frame on the canvas and the frame list painted with the
// thumbnails of its visible rows. That is timed (CPU time of the process, and
// wall time) against DGifOpenFileName + DGifSlurp of the same file in the same
// iteration. The application object and Qt's first-use set-up (fonts, styles)
// are made once before timing. Counters: ours_ms, giflib_ms and
// ratio = giflib time / ours (at least 1.0 means opening takes no longer than
// giflib's decoding alone).

#include <benchmark/benchmark.h>
#include <gif_lib.h>

#include <QApplication>
#include <QTemporaryDir>

#include <chrono>
#include <ctime>
#include <stdexcept>
#include <string>

#include "editor/FrameListView.h"
#include "editor/MainUnit.h"
#include "gifdata/GifData.h"
#include "platform/DialogsQt.h"

namespace {

const std::string RealisticGif = std::string(FRAMELOOM_BENCH_GIFS) + "/realistic.gif";

double ProcessSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

std::size_t GiflibDecodeFile(const std::string& path) {
    int error = 0;
    GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
    if (!gif || DGifSlurp(gif) != GIF_OK) throw std::runtime_error("giflib cannot decode " + path);
    const std::size_t frames = std::size_t(gif->ImageCount);
    DGifCloseFile(gif, &error);
    return frames;
}

// The rows the list shows, all with their thumbnails; the first row selected.
bool Ready(TMainForm& form) {
    TFrameListView& list = *form.ListView1;
    if (list.count() == 0 || form.CurrentRow() != 0) return false;
    const int firstHidden = list.indexAt(QPoint(4, list.viewport()->height() - 1)).row() + 1;
    for (int row = 0; row < firstHidden && row < list.count(); ++row)
        if (!list.FrameAt(row)->Thumbnail) return false;
    return true;
}

void BM_OpenInEditor(benchmark::State& state) {
    QTemporaryDir programDir; // no settings file and no sample: only the start file opens
    TQtDialogs dialogs;
    double ours = 0, oursWall = 0, theirs = 0, theirsWall = 0;
    int thumbnails = 0;
    for (auto _ : state) {
        double cpu = ProcessSeconds(), wall = WallSeconds();
        {
            TMainForm form(dialogs, programDir.path().toStdString());
            form.StartFile = RealisticGif;
            form.resize(1100, 800);
            form.show();
            do {
                QCoreApplication::processEvents();
                if (WallSeconds() - wall > 60) throw std::runtime_error("the editor never became ready");
            } while (!Ready(form));
            cpu = ProcessSeconds() - cpu;
            wall = WallSeconds() - wall;
            thumbnails = 0;
            for (const auto& frame : form.Document().Frames) thumbnails += frame->Thumbnail ? 1 : 0;
            if (form.Document().Frames.size() != 100)
                throw std::runtime_error("the editor did not open the file");
            form.Modified = false;
        }
        const double start = ProcessSeconds(), startWall = WallSeconds();
        benchmark::DoNotOptimize(GiflibDecodeFile(RealisticGif));
        theirs += ProcessSeconds() - start;
        theirsWall += WallSeconds() - startWall;
        ours += cpu;
        oursWall += wall;
        state.SetIterationTime(cpu);
    }
    const double n = double(state.iterations());
    state.counters["ours_ms"] = 1e3 * ours / n;
    state.counters["giflib_ms"] = 1e3 * theirs / n;
    state.counters["ratio"] = theirs / ours;
    state.counters["wall_ratio"] = theirsWall / oursWall;
    state.counters["thumbnails_drawn"] = thumbnails;
}

BENCHMARK(BM_OpenInEditor)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(6);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    {
        // Qt's first-use work (fonts, styles, the platform) belongs to starting the program.
        QTemporaryDir warmDir;
        TQtDialogs dialogs;
        TMainForm warm(dialogs, warmDir.path().toStdString());
        warm.show();
        QCoreApplication::processEvents();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
