// Scrolling the frame list: one scroll step and the repaint of the list's
// viewport, with 10, 100 and 1,000 frames. The list draws only the rows in
// view, so a step costs the same however many frames the document holds.
// Runs headless (offscreen platform).
#include "editor/FrameListView.h"
#include "gifdata/GifData.h"
#include "gifdata/GifRaster.h"

#include <QApplication>
#include <QImage>
#include <QScrollBar>
#include <benchmark/benchmark.h>

namespace {

void BM_ScrollFrameList(benchmark::State& state) {
    RegisterThumbnailRenderer();
    TGIFData gif;
    gif.ScreenWidth = 160;
    gif.ScreenHeight = 120;
    for (int i = 0; i < state.range(0); ++i) {
        TGIFImageData* frame = gif.AddFrame(160, 120);
        for (std::size_t p = 0; p < frame->Pixels.size(); ++p)
            frame->Pixels[p] = std::uint8_t((p / 160 + i) & 0xFF);
        frame->RenderThumbnail();
    }
    TFrameListView list;
    list.resize(170, 800);
    for (auto& frame : gif.Frames) list.AddFrameRow(frame.get());
    list.show();
    QApplication::processEvents();
    QImage target(list.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    QScrollBar* bar = list.verticalScrollBar();
    int position = 0;
    for (auto _ : state) {
        position = (position + bar->singleStep()) % (bar->maximum() + 1);
        bar->setValue(position);
        list.viewport()->render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
    state.counters["frames"] = double(state.range(0));
}

} // namespace

BENCHMARK(BM_ScrollFrameList)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
