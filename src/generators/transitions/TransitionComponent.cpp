#include "generators/transitions/TransitionComponent.h"

#include "generators/transitions/TransitionStylePainter.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>

#include <algorithm>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// A copy of bitmap in the given true-colour form.
TBitmap InForm(const TBitmap& bitmap, TPixelFormat format) {
    TBitmap copy = bitmap;
    if (copy.PixelFormat() != format) copy.SetPixelFormat(format);
    return copy;
}

// Draws source (any form) scaled into part `to` of a 24-bit target.
void DrawScaled(TBitmap& target, const TStyleRect& to, const TBitmap& source) {
    if (source.Empty()) return;
    if (source.PixelFormat() == target.PixelFormat()) {
        StretchCopy(target, to, source, R(0, 0, source.Width(), source.Height()));
        return;
    }
    const TBitmap converted = InForm(source, target.PixelFormat());
    StretchCopy(target, to, converted, R(0, 0, converted.Width(), converted.Height()));
}

} // namespace

TStyleRect AspectFitRect(int w, int h, int cw, int ch) {
    if (w <= 0 || h <= 0) return R(0, 0, cw, ch);
    int width, height;
    if (double(ch) / h > double(cw) / w) {
        width = cw;
        height = int(std::int64_t(h) * cw / w);
    } else {
        width = int(std::int64_t(w) * ch / h);
        height = ch;
    }
    const int left = (cw - width) / 2, top = (ch - height) / 2;
    return R(left, top, left + width, top + height);
}

TCustomTransitionView::TCustomTransitionView()
    : FMessageTarget(std::make_unique<QObject>()), FOwnerThread(std::this_thread::get_id()) {}

TCustomTransitionView::~TCustomTransitionView() {
    StopForDestruction();
}

void TCustomTransitionView::StopForDestruction() {
    FDestroying = true;
    Stop();
    // A worker stopped by a Manual switch may still be winding down.
    FThread.reset();
}

// --- Properties ---------------------------------------------------------------

void TCustomTransitionView::SetPicture(const TBitmap& picture) {
    FPicture = picture;
    if (FAutoSize && !FPicture.Empty()) RequestClientSize(FPicture.Width(), FPicture.Height());
    if (OnChange) OnChange();
}

void TCustomTransitionView::SetBgPicture(const TBitmap& picture) {
    FBgPicture = picture;
    if (FBgMode != tbNone) DisplayChanged();
}

void TCustomTransitionView::SetBgMode(TBackgroundMode mode) {
    if (mode == FBgMode) return;
    FBgMode = mode;
    DisplayChanged();
}

void TCustomTransitionView::SetColor(TColor color) {
    FColor = color & 0x00FFFFFF;
    DisplayChanged();
}

void TCustomTransitionView::SetStyle(int style) {
    if (style < 0 || style > TransitionStyleCount) return;
    const int old = FStyle;
    if (FBusy && !IsPixelStyle(old) && IsPixelStyle(style)) {
        std::scoped_lock guard(FLock, FMediaLock);
        if (FPictureBitmap.PixelFormat() != pf32bit) FPictureBitmap.SetPixelFormat(pf32bit);
        if (FMedia.PixelFormat() != pf32bit) FMedia.SetPixelFormat(pf32bit);
    }
    FStyle = style;
}

std::string TCustomTransitionView::StyleName() const {
    return TransitionStyleName(FStyle);
}

void TCustomTransitionView::SetStyleName(const std::string& name) {
    const int index = FindTransitionStyle(name);
    if (index >= 0) SetStyle(index);
}

void TCustomTransitionView::SetStep(int step) {
    FStep = std::clamp(step, 1, 100);
}

void TCustomTransitionView::SetCenter(bool value) {
    if (value == FCenter) return;
    FCenter = value;
    UpdateDisplayRect();
    if (!FMedia.Empty()) DisplayChanged();
}

void TCustomTransitionView::SetStretch(bool value) {
    if (value == FStretch) return;
    FStretch = value;
    if (!FMedia.Empty()) DisplayChanged();
}

void TCustomTransitionView::SetStretchFine(bool value) {
    if (value == FStretchFine) return;
    FStretchFine = value;
    if (!FMedia.Empty()) DisplayChanged();
}

void TCustomTransitionView::SetAutoSize(bool value) {
    FAutoSize = value;
    if (FAutoSize && !FPicture.Empty()) RequestClientSize(FPicture.Width(), FPicture.Height());
}

void TCustomTransitionView::SetManual(bool value) {
    if (value == FManual) return;
    if (!FBusy) {
        FManual = value;
        std::lock_guard guard(FLock);
        FProgress = StartProgress();
        return;
    }
    FManual = value;
    if (value) {
        StopWorker();
    } else {
        StopWorker();
        StartAnimation();
    }
}

void TCustomTransitionView::SetClientSize(int width, int height) {
    FClientWidth = std::max(0, width);
    FClientHeight = std::max(0, height);
    UpdateDisplayRect();
}

void TCustomTransitionView::UpdateDisplayRect() {
    const int w = FMedia.Empty() ? FPicture.Width() : FMedia.Width();
    const int h = FMedia.Empty() ? FPicture.Height() : FMedia.Height();
    FDisplayRect = R(0, 0, w, h);
    if (FCenter) {
        const int dx = (FClientWidth - w) / 2, dy = (FClientHeight - h) / 2;
        FDisplayRect = R(dx, dy, dx + w, dy + h);
    }
}

// --- Progress and composing -----------------------------------------------------

int TCustomTransitionView::Progress() const {
    std::lock_guard guard(FLock);
    return FProgress;
}

void TCustomTransitionView::SetProgress(int value) {
    if (!FBusy) return;
    value = std::clamp(value, 0, 100);
    {
        std::lock_guard guard(FLock);
        if (!FBusy || value == FProgress) return;
        FProgress = value;
        ComposeStep(value);
    }
    ShowStep();
    if (OnProgress) OnProgress();
}

void TCustomTransitionView::ComposeStep(int progress) {
    std::lock_guard guard(FMediaLock);
    const TPixelFormat format = FMedia.PixelFormat();
    FMedia = FScreen;
    if (FMedia.PixelFormat() != format) FMedia.SetPixelFormat(format);
    if (OnBeforeNewFrame) OnBeforeNewFrame(FPictureBitmap, FMedia);
    if (progress >= 100) {
        FMedia = FPictureBitmap;
        if (FMedia.PixelFormat() != format) FMedia.SetPixelFormat(format);
    } else if (progress > 0) {
        if (FStyle == CustomTransitionStyle) {
            if (OnCustomDraw) OnCustomDraw(FPictureBitmap, FMedia);
        } else {
            ApplyTransitionStyle(FStyle, FMedia, FPictureBitmap, progress, FStep);
        }
    }
    FPaintPending = true;
    InvalidateDisplay();
    if (OnAfterNewFrame) OnAfterNewFrame(FPictureBitmap, FMedia);
}

bool TCustomTransitionView::ShowComposedStep(bool) {
    return false;
}

void TCustomTransitionView::ShowStep() {
    const bool ownerThread = std::this_thread::get_id() == FOwnerThread;
    if (FPaintPending && ShowComposedStep(ownerThread)) return;
    if (FPaintPending) PaintBuffer();
    FPainted.Set();
}

int TCustomTransitionView::NextProgress(int progress) const {
    const int step = FStep;
    if (FReverse) return step < progress ? progress - step : 0;
    return progress < 100 - step ? progress + step : 100;
}

// --- Execute, animation, finishing --------------------------------------------

void TCustomTransitionView::Execute() {
    if (FPicture.Empty() || FBusy) return;
    FBusy = true;
    try {
        Prepare();
    } catch (...) {
        ReleaseStepBitmaps();
        FBusy = false;
        throw;
    }
    if (!FManual && !FStopping && FBusy) StartAnimation();
}

void TCustomTransitionView::PaintBackground() {
    std::lock_guard guard(FPaintLock);
    FBuffer = TBitmap(FClientWidth, FClientHeight, pf24bit);
    FBuffer.Fill(FColor);
    if (FBgPicture.Empty() || FBuffer.Empty()) return;
    const int bw = FBgPicture.Width(), bh = FBgPicture.Height();
    switch (FBgMode) {
    case tbNone:
        break;
    case tbTiled: {
        const TBitmap tile = InForm(FBgPicture, pf24bit);
        for (int y = 0; y < FClientHeight; y += bh)
            for (int x = 0; x < FClientWidth; x += bw)
                StretchCopy(FBuffer, R(x, y, x + bw, y + bh), tile, R(0, 0, bw, bh));
        break;
    }
    case tbStretched:
        DrawScaled(FBuffer, R(0, 0, FClientWidth, FClientHeight), FBgPicture);
        break;
    case tbCentered: {
        const int x = (FClientWidth - bw) / 2, y = (FClientHeight - bh) / 2;
        DrawScaled(FBuffer, R(x, y, x + bw, y + bh), FBgPicture);
        break;
    }
    }
}

void TCustomTransitionView::PaintBuffer() {
    PaintBackground();
    std::lock_guard mediaGuard(FMediaLock);
    std::lock_guard guard(FPaintLock);
    FEverPainted = true;
    FPaintPending = false;
    if (FMedia.Empty() || FBuffer.Empty()) return;
    TStyleRect to;
    if (!FStretch)
        to = R(FDisplayRect.Left, FDisplayRect.Top, FDisplayRect.Left + FMedia.Width(),
               FDisplayRect.Top + FMedia.Height());
    else if (FStretchFine)
        to = AspectFitRect(FMedia.Width(), FMedia.Height(), FClientWidth, FClientHeight);
    else
        to = R(0, 0, FClientWidth, FClientHeight);
    DrawScaled(FBuffer, to, FMedia);
}

void TCustomTransitionView::Prepare() {
    const int w = FPicture.Width(), h = FPicture.Height();
    const TPixelFormat format = StepFormat();
    {
        std::lock_guard guard(FMediaLock);
        FMedia = TBitmap(w, h, format);
    }
    UpdateDisplayRect();

    TStyleRect source = FDisplayRect;
    if (FStretch)
        source = FStretchFine ? AspectFitRect(w, h, FClientWidth, FClientHeight)
                              : R(0, 0, FClientWidth, FClientHeight);

    TBitmap screen(w, h, pf24bit);
    screen.Fill(FColor);
    if (!FEverPainted || !FOverDraw) PaintBackground();
    {
        std::lock_guard guard(FPaintLock);
        if (!FBuffer.Empty()) StretchCopy(screen, R(0, 0, w, h), FBuffer, source);
    }
    if (format != pf24bit) screen.SetPixelFormat(format);

    TBitmap picture = InForm(FPicture, format);
    {
        std::lock_guard guard(FMediaLock);
        FScreen = std::move(screen);
        FPictureBitmap = std::move(picture);
        FMedia = FScreen;
    }
    {
        std::lock_guard guard(FLock);
        FProgress = StartProgress();
    }
    if (OnStart) OnStart(FPictureBitmap, FScreen);
}

void TCustomTransitionView::ReleaseStepBitmaps() {
    std::lock_guard guard(FMediaLock);
    FPictureBitmap = TBitmap();
    FScreen = TBitmap();
}

void TCustomTransitionView::StartAnimation() {
    if (!FBusy || FManual || FStopping) return;
    if (!FThreaded) {
        RunMessageLoop();
        return;
    }
    const int serial = ++FThreadSerial;
    QObject* target = FMessageTarget.get();
    FPainted.Set(); // nothing is waiting to be painted yet
    FThread = std::make_unique<TAnimateThread>([this](TAnimateThread& thread) { AnimateOnThread(thread); },
                                               [this, serial, target] {
                                                   QMetaObject::invokeMethod(
                                                       target,
                                                       [this, serial] {
                                                           if (FThread && serial == FThreadSerial)
                                                               HandleThreadEnd();
                                                       },
                                                       Qt::QueuedConnection);
                                               });
    FThread->Start(FThreadPriority);
}

void TCustomTransitionView::AnimateOnThread(TAnimateThread& thread) {
    for (;;) {
        const auto started = Clock::now();
        // A paint that never comes (a hidden control) must not stall the run for good.
        FPainted.Wait(std::chrono::milliseconds(std::max(1000, int(FDelay))));
        if (thread.Terminated()) return;
        const int next = NextProgress(Progress());
        SetProgress(next);
        if (next == EndProgress()) return;
        const auto spent = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - started);
        const auto rest = std::chrono::milliseconds(FDelay) - spent;
        if (rest.count() > 0) thread.SleepFor(rest);
        if (thread.Terminated()) return;
    }
}

void TCustomTransitionView::HandleThreadEnd() {
    if (FThread) {
        FThread->WaitFor();
        FThread.reset();
    }
    if (FBusy && (FStopping || !FManual)) Finish();
}

void TCustomTransitionView::StopWorker() {
    if (!FThread) return;
    FThread->Terminate();
    FPainted.Set();
    FThread->WaitFor();
    FThread.reset(); // the posted end message finds no thread and does nothing
}

void TCustomTransitionView::RunMessageLoop() {
    if (FLoopRunning) return;
    FLoopRunning = true;
    while (FBusy && !FStopping && !FManual) {
        const auto started = Clock::now();
        const int next = NextProgress(Progress());
        SetProgress(next);
        if (next == EndProgress()) break;
        const auto until = started + std::chrono::milliseconds(int(FDelay));
        while (Clock::now() < until && FBusy && !FStopping && !FManual) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - Clock::now());
            if (QCoreApplication::instance())
                QCoreApplication::processEvents(QEventLoop::AllEvents,
                                                int(std::max<long long>(1, left.count())));
            QThread::msleep(1);
        }
    }
    FLoopRunning = false;
    if (FBusy && (FStopping || !FManual)) Finish();
}

void TCustomTransitionView::Finish() {
    if (!FBusy) return;
    FBusy = false;
    ReleaseStepBitmaps();
    if (FDestroying) return;
    if (!FStopping && OnComplete) OnComplete();
    if (OnStop) OnStop();
}

void TCustomTransitionView::Stop() {
    if (!FBusy || FStopping) return;
    FStopping = true;
    if (FManual || !FThread) {
        Finish();
    } else {
        FThread->Terminate();
        FPainted.Set();
        FThread->WaitFor();
        HandleThreadEnd();
    }
    FStopping = false;
}

void TCustomTransitionView::Clear() {
    if (FBusy) return;
    {
        std::lock_guard guard(FMediaLock);
        FMedia = TBitmap();
    }
    FPaintPending = true;
    InvalidateDisplay();
    ShowStep();
}
