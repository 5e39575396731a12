// The transition component: properties, composing steps, the progress rule,
// events, manual mode, animation on a worker thread and in a message loop,
// and painting.
#include "generators/transitions/TransitionComponent.h"
#include "generators/transitions/TransitionStylePainter.h"
#include "generators/transitions/TransitionView.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TBitmap Solid(int w, int h, TColor color) {
    TBitmap bitmap(w, h, pf24bit);
    bitmap.Fill(color);
    return bitmap;
}

TBitmap Gradient(int w, int h) {
    TBitmap bitmap(w, h, pf24bit);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) bitmap.SetPixel(x, y, RGB(x * 7, y * 5, 200));
    return bitmap;
}

// Pixels compared by colour, whatever the two forms.
bool SameColours(const TBitmap& a, const TBitmap& b) {
    if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Pixel(x, y) != b.Pixel(x, y)) return false;
    return true;
}

bool WaitUntil(const std::function<bool()>& done, int milliseconds = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

// A component that shows `old` and is ready to bring in `fresh`.
void ShowThenPrepare(TCustomTransitionView& view, const TBitmap& old, const TBitmap& fresh) {
    view.SetManual(true);
    view.SetPicture(old);
    view.Execute();
    view.SetProgress(100);
    view.Stop();
    view.SetPicture(fresh);
}

std::vector<int> SelfAnimatedProgress(bool threaded, int step, bool reverse) {
    TCustomTransitionView view;
    view.SetThreaded(threaded);
    view.SetDelay(0);
    view.SetStep(step);
    view.SetReverse(reverse);
    std::vector<int> values;
    view.OnProgress = [&] { values.push_back(view.Progress()); };
    view.SetPicture(Solid(8, 8, RGB(9, 9, 9)));
    view.Execute();
    EXPECT_TRUE(WaitUntil([&] { return !view.Busy(); }));
    return values;
}

TEST(TransitionComponent, SelfAnimatedProgressFollowsTheStepRule) {
    for (bool threaded : {true, false}) {
        EXPECT_EQ(SelfAnimatedProgress(threaded, 10, false),
                  (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100}));
        EXPECT_EQ(SelfAnimatedProgress(threaded, 30, false), (std::vector<int>{30, 60, 90, 100}));
        EXPECT_EQ(SelfAnimatedProgress(threaded, 100, false), (std::vector<int>{100}));
        EXPECT_EQ(SelfAnimatedProgress(threaded, 30, true), (std::vector<int>{70, 40, 10, 0}));
    }
}

TEST(TransitionComponent, PropertiesKeepToTheirRanges) {
    TCustomTransitionView view;
    EXPECT_EQ(view.Style(), 51);
    EXPECT_EQ(view.Step(), 4);
    EXPECT_EQ(view.Delay(), 40);
    EXPECT_EQ(view.BgMode(), tbTiled);
    EXPECT_TRUE(view.Threaded());
    EXPECT_TRUE(view.AutoSize());
    EXPECT_TRUE(view.OverDraw());
    view.SetStep(0);
    EXPECT_EQ(view.Step(), 1);
    view.SetStep(250);
    EXPECT_EQ(view.Step(), 100);
    view.SetStyle(151);
    EXPECT_EQ(view.Style(), 51);
    view.SetStyle(150);
    EXPECT_EQ(view.Style(), 150);
    view.SetStyleName("expand from bottom");
    EXPECT_EQ(view.Style(), 18);
    view.SetStyleName("no such style");
    EXPECT_EQ(view.Style(), 18);
    view.SetStyleName("CUSTOM");
    EXPECT_EQ(view.Style(), 0);
    EXPECT_EQ(view.StyleName(), "Custom");
    view.SetStyle(34);
    EXPECT_EQ(view.StyleName(), "Expand in from top");
}

TEST(TransitionComponent, ExecuteIsIgnoredWithoutAPictureAndProgressWhileIdle) {
    TCustomTransitionView view;
    view.SetManual(true);
    int starts = 0, frames = 0;
    view.OnStart = [&](TBitmap&, TBitmap&) { ++starts; };
    view.OnAfterNewFrame = [&](TBitmap&, TBitmap&) { ++frames; };
    view.Execute();
    EXPECT_FALSE(view.Busy());
    EXPECT_EQ(starts, 0);
    view.SetPicture(Solid(4, 4, RGB(1, 1, 1)));
    view.SetProgress(50);
    EXPECT_EQ(frames, 0);
    EXPECT_EQ(view.Progress(), 0);
    view.Execute();
    EXPECT_TRUE(view.Busy());
    view.Execute(); // while busy: nothing
    EXPECT_EQ(starts, 1);
}

TEST(TransitionComponent, ProgressZeroShowsTheOldPictureAndHundredTheNewForEveryStyle) {
    const TBitmap old = Gradient(23, 17), fresh = Solid(23, 17, RGB(250, 10, 100));
    for (int style = 0; style <= 150; ++style) {
        TCustomTransitionView view;
        ShowThenPrepare(view, old, fresh);
        view.SetStyle(style);
        view.Execute();
        view.SetProgress(37);
        view.SetProgress(100);
        EXPECT_TRUE(SameColours(view.Media(), fresh)) << style;
        view.SetProgress(0);
        EXPECT_TRUE(SameColours(view.Media(), old)) << style;
        view.SetProgress(250); // taken as 100
        EXPECT_EQ(view.Progress(), 100);
        EXPECT_TRUE(SameColours(view.Media(), fresh)) << style;
        if (IsPixelStyle(style))
            EXPECT_EQ(view.Media().PixelFormat(), pf32bit);
        else
            EXPECT_EQ(view.Media().PixelFormat(), pf24bit);
    }
}

TEST(TransitionComponent, ComposingTheSameProgressTwiceComposesOnce) {
    TCustomTransitionView view;
    ShowThenPrepare(view, Solid(10, 10, 0), Solid(10, 10, RGB(255, 255, 255)));
    std::vector<std::string> events;
    view.OnBeforeNewFrame = [&](TBitmap&, TBitmap&) { events.push_back("before"); };
    view.OnAfterNewFrame = [&](TBitmap&, TBitmap&) { events.push_back("after"); };
    view.OnProgress = [&] { events.push_back("progress"); };
    view.OnStart = [&](TBitmap&, TBitmap&) { events.push_back("start"); };
    view.Execute();
    view.SetProgress(40);
    view.SetProgress(40);
    EXPECT_EQ(events, (std::vector<std::string>{"start", "before", "after", "progress"}));
}

TEST(TransitionComponent, EachStepIsRecomposedFromTheOldPicture) {
    const TBitmap old = Gradient(40, 20), fresh = Solid(40, 20, RGB(0, 255, 0));
    TCustomTransitionView direct;
    ShowThenPrepare(direct, old, fresh);
    direct.SetStyle(118);
    direct.Execute();
    direct.SetProgress(60);
    const TBitmap straight = direct.Media();
    TCustomTransitionView stepped;
    ShowThenPrepare(stepped, old, fresh);
    stepped.SetStyle(118);
    stepped.Execute();
    for (int p : {10, 90, 30, 60}) stepped.SetProgress(p);
    EXPECT_EQ(stepped.Media(), straight);
}

TEST(TransitionComponent, CustomStyleDrawsThroughOnCustomDraw) {
    TCustomTransitionView view;
    ShowThenPrepare(view, Solid(6, 6, 0), Solid(6, 6, RGB(255, 0, 0)));
    view.SetStyle(0);
    int calls = 0;
    view.OnCustomDraw = [&](TBitmap& picture, TBitmap& media) {
        ++calls;
        media.SetPixel(1, 1, picture.Pixel(1, 1));
    };
    view.Execute();
    view.SetProgress(50);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(view.Media().Pixel(1, 1), RGB(255, 0, 0));
    EXPECT_EQ(view.Media().Pixel(2, 2), 0u);
    view.SetProgress(100); // 100 is the new picture without the event
    EXPECT_EQ(calls, 1);
}

TEST(TransitionComponent, ThreadedRunEndsWithCompleteThenStop) {
    TCustomTransitionView view;
    view.SetDelay(1);
    view.SetStep(25);
    std::vector<std::string> events;
    view.OnComplete = [&] { events.push_back("complete"); };
    view.OnStop = [&] { events.push_back("stop"); };
    view.SetPicture(Solid(30, 20, RGB(5, 6, 7)));
    view.Execute();
    ASSERT_TRUE(WaitUntil([&] { return !view.Busy(); }));
    EXPECT_EQ(events, (std::vector<std::string>{"complete", "stop"}));
    EXPECT_EQ(view.Progress(), 100);
    EXPECT_TRUE(SameColours(view.Media(), Solid(30, 20, RGB(5, 6, 7))));
}

TEST(TransitionComponent, StopDuringAThreadedRunRaisesOnlyOnStop) {
    for (bool threaded : {true, false}) {
        TCustomTransitionView view;
        view.SetThreaded(threaded);
        view.SetDelay(20);
        view.SetStep(1);
        std::vector<std::string> events;
        view.OnComplete = [&] { events.push_back("complete"); };
        view.OnStop = [&] { events.push_back("stop"); };
        // Stop from within the run, as a button press would.
        view.OnProgress = [&] {
            if (view.Progress() == 3 && !threaded) view.Stop();
        };
        view.SetPicture(Solid(30, 20, RGB(5, 6, 7)));
        view.Execute();
        if (threaded) {
            ASSERT_TRUE(WaitUntil([&] { return view.Progress() >= 3; }));
            view.Stop();
        }
        EXPECT_FALSE(view.Busy());
        QCoreApplication::processEvents(); // a late end message changes nothing
        EXPECT_EQ(events, (std::vector<std::string>{"stop"})) << threaded;
        EXPECT_LT(view.Progress(), 100);
    }
}

TEST(TransitionComponent, SwitchingManualWhileBusyPausesAndResumes) {
    TCustomTransitionView view;
    view.SetDelay(5);
    view.SetStep(10);
    bool stopped = false;
    view.OnStop = [&] { stopped = true; };
    view.OnProgress = [&] {
        if (view.Progress() == 30 && !view.Manual()) view.SetManual(true);
    };
    view.SetThreaded(false);
    view.SetPicture(Solid(10, 10, RGB(1, 2, 3)));
    view.Execute();
    EXPECT_TRUE(view.Busy());
    EXPECT_FALSE(stopped);
    EXPECT_EQ(view.Progress(), 30);
    view.OnProgress = nullptr;
    view.SetManual(false); // resumes from 30 to the end
    EXPECT_TRUE(WaitUntil([&] { return !view.Busy(); }));
    EXPECT_TRUE(stopped);
    EXPECT_EQ(view.Progress(), 100);
    // While idle, switching Manual resets the progress to its start value.
    view.SetReverse(true);
    view.SetManual(true);
    EXPECT_EQ(view.Progress(), 100);
}

TEST(TransitionComponent, SelectingAPixelStyleWhileBusyConvertsToThirtyTwoBits) {
    TCustomTransitionView view;
    ShowThenPrepare(view, Solid(8, 8, 0), Solid(8, 8, RGB(200, 100, 0)));
    view.SetStyle(1);
    view.Execute();
    view.SetProgress(10);
    EXPECT_EQ(view.Media().PixelFormat(), pf24bit);
    view.SetStyle(118);
    view.SetProgress(50);
    EXPECT_EQ(view.Media().PixelFormat(), pf32bit);
    EXPECT_EQ(view.Media().Pixel(0, 0), RGB(100, 50, 0));
}

TEST(TransitionComponent, TheOldPictureIsWhatWasOnShow) {
    TCustomTransitionView view;
    view.SetColor(RGB(10, 20, 30));
    view.SetManual(true);
    // Never painted: the old picture is the background colour.
    TBitmap screen;
    view.OnStart = [&](TBitmap&, TBitmap& s) { screen = s; };
    view.SetPicture(Solid(12, 6, RGB(255, 255, 0)));
    view.Execute();
    EXPECT_TRUE(SameColours(screen, Solid(12, 6, RGB(10, 20, 30))));
    view.SetProgress(100);
    view.Stop();
    view.SetPicture(Solid(12, 6, RGB(0, 0, 255)));
    view.Execute();
    EXPECT_TRUE(SameColours(screen, Solid(12, 6, RGB(255, 255, 0))));
    // Without OverDraw the background is painted afresh first.
    view.Stop();
    view.SetOverDraw(false);
    view.Execute();
    EXPECT_TRUE(SameColours(screen, Solid(12, 6, RGB(10, 20, 30))));
}

TEST(TransitionComponent, PaintsBackgroundPictureByModeAndPlacesTheMedia) {
    TCustomTransitionView view;
    view.SetAutoSize(false);
    view.SetClientSize(10, 6);
    view.SetColor(RGB(1, 1, 1));
    TBitmap tile = Solid(3, 2, RGB(90, 0, 0));
    tile.SetPixel(0, 0, RGB(0, 90, 0));
    view.SetBgPicture(tile);
    view.PaintBuffer();
    EXPECT_EQ(view.Buffer().Pixel(0, 0), RGB(0, 90, 0));
    EXPECT_EQ(view.Buffer().Pixel(3, 2), RGB(0, 90, 0));
    EXPECT_EQ(view.Buffer().Pixel(9, 5), RGB(90, 0, 0));
    view.SetBgMode(tbCentered);
    view.PaintBuffer();
    EXPECT_EQ(view.Buffer().Pixel(0, 0), RGB(1, 1, 1));
    EXPECT_EQ(view.Buffer().Pixel(3, 2), RGB(0, 90, 0)); // ((10 - 3) / 2, (6 - 2) / 2)
    EXPECT_EQ(view.Buffer().Pixel(5, 3), RGB(90, 0, 0));
    EXPECT_EQ(view.Buffer().Pixel(6, 3), RGB(1, 1, 1));
    view.SetBgMode(tbStretched);
    view.PaintBuffer();
    EXPECT_EQ(view.Buffer().Pixel(0, 0), RGB(0, 90, 0));
    EXPECT_EQ(view.Buffer().Pixel(9, 5), RGB(90, 0, 0));
    view.SetBgMode(tbNone);
    view.PaintBuffer();
    EXPECT_EQ(view.Buffer().Pixel(0, 0), RGB(1, 1, 1));

    // A 4 x 2 picture, centred, then stretched, then fitted.
    view.SetManual(true);
    view.SetCenter(true);
    view.SetPicture(Solid(4, 2, RGB(0, 0, 200)));
    view.Execute();
    view.SetProgress(100);
    EXPECT_EQ(view.DisplayRect(), R(3, 2, 7, 4));
    EXPECT_EQ(view.Buffer().Pixel(3, 2), RGB(0, 0, 200));
    EXPECT_EQ(view.Buffer().Pixel(2, 2), RGB(1, 1, 1));
    view.SetStretch(true);
    view.PaintBuffer();
    EXPECT_EQ(view.Buffer().Pixel(0, 0), RGB(0, 0, 200));
    view.SetStretchFine(true);
    view.PaintBuffer();
    // 4 x 2 into 10 x 6: 10 x 5 at (0, 0).
    EXPECT_EQ(view.Buffer().Pixel(0, 0), RGB(0, 0, 200));
    EXPECT_EQ(view.Buffer().Pixel(9, 4), RGB(0, 0, 200));
    EXPECT_EQ(view.Buffer().Pixel(9, 5), RGB(1, 1, 1));
}

TEST(TransitionComponent, TheOldPictureIsTakenFromTheFittedAreaWhenStretchedFine) {
    TCustomTransitionView view;
    view.SetAutoSize(false);
    view.SetClientSize(10, 6);
    view.SetColor(RGB(50, 50, 50));
    view.SetManual(true);
    view.SetStretch(true);
    view.SetStretchFine(true);
    view.SetPicture(Solid(4, 4, RGB(255, 0, 0)));
    view.Execute();
    view.SetProgress(100);
    view.Stop();
    // 4 x 4 fitted into 10 x 6 is 6 x 6 at (2, 0).
    EXPECT_EQ(view.Buffer().Pixel(1, 3), RGB(50, 50, 50));
    EXPECT_EQ(view.Buffer().Pixel(2, 3), RGB(255, 0, 0));
    EXPECT_EQ(view.Buffer().Pixel(7, 3), RGB(255, 0, 0));
    EXPECT_EQ(view.Buffer().Pixel(8, 3), RGB(50, 50, 50));
    TBitmap screen;
    view.OnStart = [&](TBitmap&, TBitmap& s) { screen = s; };
    view.SetPicture(Solid(4, 4, RGB(0, 0, 255)));
    view.Execute();
    EXPECT_TRUE(SameColours(screen, Solid(4, 4, RGB(255, 0, 0))));
    // Stretched over the whole client area, the old picture includes the margins.
    view.Stop();
    view.SetStretchFine(false);
    view.Execute();
    EXPECT_EQ(screen.Pixel(0, 0), RGB(50, 50, 50));
}

TEST(TransitionComponent, AspectFitCentresTheLargestFittingRectangle) {
    EXPECT_EQ(AspectFitRect(200, 100, 300, 300), R(0, 75, 300, 225));
    EXPECT_EQ(AspectFitRect(100, 200, 300, 300), R(75, 0, 225, 300));
    EXPECT_EQ(AspectFitRect(194, 98, 194, 98), R(0, 0, 194, 98));
    EXPECT_EQ(AspectFitRect(3, 1, 10, 10), R(0, 3, 10, 6)); // 10 * 1 / 3 = 3, (10 - 3) / 2 = 3
}

TEST(TransitionComponent, ClearEmptiesTheDisplayWhenIdle) {
    TCustomTransitionView view;
    view.SetManual(true);
    view.SetPicture(Solid(5, 5, RGB(9, 9, 9)));
    view.Execute();
    view.SetProgress(100);
    view.Clear(); // busy: nothing
    EXPECT_FALSE(view.Media().Empty());
    view.Stop();
    view.Clear();
    EXPECT_TRUE(view.Media().Empty());
    EXPECT_EQ(view.Buffer().Pixel(2, 2), view.Color());
}

TEST(TransitionView, AnimatesOnAWorkerWhileTheWidgetPaints) {
    TTransitionView view;
    view.SetDelay(1);
    view.SetStep(20);
    view.show();
    std::vector<int> values;
    bool completed = false;
    view.OnProgress = [&] { values.push_back(view.Progress()); };
    view.OnComplete = [&] { completed = true; };
    view.SetPicture(Gradient(40, 30));
    EXPECT_EQ(view.width(), 40);
    EXPECT_EQ(view.height(), 30);
    view.Execute();
    ASSERT_TRUE(WaitUntil([&] { return !view.Busy(); }));
    EXPECT_TRUE(completed);
    EXPECT_EQ(values, (std::vector<int>{20, 40, 60, 80, 100}));
    EXPECT_TRUE(SameColours(view.Media(), Gradient(40, 30)));
}

TEST(TransitionView, DestroyingTheWidgetStopsARunningTransition) {
    auto view = std::make_unique<TTransitionView>();
    view->SetDelay(50);
    view->SetStep(1);
    bool stopped = false;
    view->OnStop = [&] { stopped = true; };
    view->SetPicture(Gradient(20, 20));
    view->Execute();
    ASSERT_TRUE(view->Busy());
    view.reset();
    EXPECT_FALSE(stopped); // no events while being destroyed
}

} // namespace
