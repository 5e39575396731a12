// One pointer movement of a stroke on the compose canvas, from the mouse
// event to the repainted widget pixels: "Pen" and "Brush" at width 5 on a
// 3000 x 2500 frame shown at zoom 8 in the main window (offscreen platform).
// Each iteration sends one move event to the pointer layer and processes the
// repaint it causes. The stroke runs round a circle of 40 frame pixels, about
// 1.5 pixels per movement, like a hand-drawn line.
#include "editor/ComposeCanvas.h"
#include "editor/ComposeWidgets.h"
#include "editor/FrameListView.h"
#include "editor/MainUnit.h"
#include "gifdata/GifData.h"
#include "platform/Dialogs.h"

#include <QApplication>
#include <QMouseEvent>
#include <benchmark/benchmark.h>
#include <cmath>

namespace {

// Nobody answers: every question is cancelled (the benchmark asks none).
class TSilentDialogs : public TDialogs {
  public:
    TModalResult MessageDlg(const std::string&, const std::string&, TMsgDlgType, unsigned) override {
        return mrCancel;
    }
    std::vector<std::string> OpenDialog(const TFileDialogOptions&) override { return {}; }
    bool ChooseColor(TColor&) override { return false; }
    bool ChooseFont(TFont&) override { return false; }
    int ShowModal(QDialog&) override { return 0; }

  protected:
    std::string RunSaveDialog(const TFileDialogOptions&) override { return {}; }
};

void Stroke(benchmark::State& state, int tool, int width) {
    TSilentDialogs dialogs;
    TMainForm form(dialogs, "/nonexistent-frameloom-bench");
    form.resize(1280, 900);
    form.show();
    QApplication::processEvents();
    TGIFData& gif = form.Document();
    gif.AddFrame(3000, 2500);
    gif.ScreenWidth = 3000;
    gif.ScreenHeight = 2500;
    form.FillFrameList();
    form.ListView1->SelectRow(0);
    for (int i = 0; i < 3; ++i) form.ZoomIn1Click();
    if (form.Canvas->Zoom != 8 || form.Canvas->CanvasImage.Width() != 3000) {
        state.SkipWithError("the frame is not on the canvas at zoom 8");
        return;
    }
    form.SelectTool(tool);
    form.LineWidthClick(width);
    QApplication::processEvents();

    QWidget* cover = form.ImageCover;
    const double cx = 60, cy = 45, radius = 40;
    auto send = [&](QEvent::Type type, double t) {
        const QPointF at((cx + radius * std::cos(t)) * 8 + 4, (cy + radius * std::sin(t)) * 8 + 4);
        QMouseEvent event(type, at, cover->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(cover, &event);
    };
    double t = 0;
    send(QEvent::MouseButtonPress, t);
    QApplication::processEvents();
    for (auto _ : state) {
        t += 1.5 / radius;
        send(QEvent::MouseMove, t);
        QApplication::processEvents(); // the repaint of what the move changed
    }
    send(QEvent::MouseButtonRelease, t);
    // The release committed the stroke: the frame must show it.
    if (!form.Modified || form.Document().Frames[0]->Pixels[std::size_t(45) * 3000 + 100] == 1)
        state.SkipWithError("the stroke did not reach the frame");
    form.Modified = false;
}

void BM_PenMoveZoom8(benchmark::State& state) {
    Stroke(state, tlPen, 1);
}
void BM_BrushWidth5MoveZoom8(benchmark::State& state) {
    Stroke(state, tlBrush, 5);
}

BENCHMARK(BM_PenMoveZoom8)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_BrushWidth5MoveZoom8)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(2.0);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
