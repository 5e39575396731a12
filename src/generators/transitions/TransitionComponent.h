#pragma once
// TCustomTransitionView: the behaviour of the transition component, free of any
// widget. It replaces the picture on show by a new one in steps of a transition
// style, animating by itself (on a worker thread or in a message-pumping loop)
// or driven step by step by its owner (Manual). A widget (TTransitionView)
// wraps it and shows the buffer it paints; without a widget the buffer is what
// is "on show".

#include "generators/transitions/TransitionAnimateThread.h"
#include "generators/transitions/TransitionStyles.h"
#include "platform/Bitmap.h"

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class QObject;

enum TBackgroundMode { tbNone, tbTiled, tbStretched, tbCentered };

// The default control colour (a light grey face).
constexpr TColor DefaultTransitionColor = RGB(240, 240, 240);

// The aspect-fit rectangle of a w x h picture centred in a cw x ch client area.
TStyleRect AspectFitRect(int w, int h, int cw, int ch);

class TCustomTransitionView {
  public:
    using TNotifyEvent = std::function<void()>;
    // (Picture bitmap, Screen or Media bitmap)
    using TFrameEvent = std::function<void(TBitmap& picture, TBitmap& screen)>;

    TCustomTransitionView();
    virtual ~TCustomTransitionView();
    TCustomTransitionView(const TCustomTransitionView&) = delete;
    TCustomTransitionView& operator=(const TCustomTransitionView&) = delete;

    // --- Properties -----------------------------------------------------
    const TBitmap& Picture() const { return FPicture; }
    void SetPicture(const TBitmap& picture);
    const TBitmap& BgPicture() const { return FBgPicture; }
    void SetBgPicture(const TBitmap& picture);
    TBackgroundMode BgMode() const { return FBgMode; }
    void SetBgMode(TBackgroundMode mode);
    TColor Color() const { return FColor; }
    void SetColor(TColor color);
    int Style() const { return FStyle; }
    void SetStyle(int style); // above 150 (or negative) ignored
    std::string StyleName() const;
    void SetStyleName(const std::string& name); // unknown names ignored
    int Step() const { return FStep; }
    void SetStep(int step); // 0 (and below) stored as 1, above 100 as 100
    int Delay() const { return FDelay; }
    void SetDelay(int milliseconds) { FDelay = milliseconds < 0 ? 0 : milliseconds; }
    bool Reverse() const { return FReverse; }
    void SetReverse(bool value) { FReverse = value; }
    bool Center() const { return FCenter; }
    void SetCenter(bool value);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool value);
    bool StretchFine() const { return FStretchFine; }
    void SetStretchFine(bool value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool value);
    bool Threaded() const { return FThreaded; }
    void SetThreaded(bool value) { FThreaded = value; }
    TThreadPriority ThreadPriority() const { return FThreadPriority; }
    void SetThreadPriority(TThreadPriority value) { FThreadPriority = value; }
    bool Manual() const { return FManual; }
    void SetManual(bool value);
    bool OverDraw() const { return FOverDraw; }
    void SetOverDraw(bool value) { FOverDraw = value; }

    // --- Run-time state and commands ------------------------------------
    int Progress() const;
    // Effective only while busy: values above 100 are taken as 100 (below 0 as 0);
    // the same value as before does nothing.
    void SetProgress(int value);
    bool Busy() const { return FBusy; }
    void Execute(); // ignored without a picture or while busy
    void Stop();
    void Clear(); // when not busy, empties the display

    // The composed frame (picture-sized). Read it from events, or when idle.
    const TBitmap& Media() const { return FMedia; }
    TStyleRect DisplayRect() const { return FDisplayRect; }

    // --- The control's client area and painting ---------------------------
    int ClientWidth() const { return FClientWidth; }
    int ClientHeight() const { return FClientHeight; }
    // Called by the widget when it is resized (or by an owner without a widget).
    void SetClientSize(int width, int height);
    // Paints the client area into the buffer (background, then the Media bitmap).
    void PaintBuffer();
    // The control-sized off-screen buffer (24-bit): what was last painted.
    const TBitmap& Buffer() const { return FBuffer; }

    // --- Events -----------------------------------------------------------
    TFrameEvent OnStart, OnBeforeNewFrame, OnAfterNewFrame, OnCustomDraw;
    TNotifyEvent OnStop, OnComplete, OnProgress, OnChange, OnMouseEnter, OnMouseLeave;

  protected:
    // The control should take this client size (AutoSize); a widget resizes itself.
    virtual void RequestClientSize(int width, int height) { SetClientSize(width, height); }
    // Asks for a repaint of the client area. May be called on the worker thread.
    virtual void InvalidateDisplay() {}
    // Shows the freshly composed step. Returns true when the platform paints
    // later and raises the painted signal itself (PaintDone); false to have the
    // buffer painted here at once. `ownerThread` tells on which thread it runs.
    virtual bool ShowComposedStep(bool ownerThread);
    // Repaints when something is on display (after Center/Stretch/BgPicture changes).
    virtual void DisplayChanged() {}
    // To be called by a widget after it painted the buffer onto the screen.
    void PaintDone() { FPainted.Set(); }
    // A widget's destructor calls this before its own parts go away.
    void StopForDestruction();
    bool PaintPending() const { return FPaintPending; }

  private:
    void Prepare();
    void ReleaseStepBitmaps();
    void ComposeStep(int progress);
    void ShowStep();
    int NextProgress(int progress) const;
    int EndProgress() const { return FReverse ? 0 : 100; }
    int StartProgress() const { return FReverse ? 100 : 0; }
    void StartAnimation();
    void RunMessageLoop();
    void AnimateOnThread(TAnimateThread& thread);
    void HandleThreadEnd();
    void StopWorker();
    void Finish();
    void UpdateDisplayRect();
    TPixelFormat StepFormat() const { return IsPixelStyle(FStyle) ? pf32bit : pf24bit; }
    void PaintBackground();

    TBitmap FPicture, FBgPicture;
    TBackgroundMode FBgMode = tbTiled;
    TColor FColor = DefaultTransitionColor;
    std::atomic<int> FStyle{51};
    std::atomic<int> FStep{4};
    std::atomic<int> FDelay{40};
    std::atomic<bool> FReverse{false};
    bool FCenter = false, FStretch = false, FStretchFine = false, FAutoSize = true;
    bool FThreaded = true;
    TThreadPriority FThreadPriority = tpNormal;
    std::atomic<bool> FManual{false};
    bool FOverDraw = true;

    int FProgress = 0;
    std::atomic<bool> FBusy{false};
    std::atomic<bool> FStopping{false};
    bool FDestroying = false;
    bool FEverPainted = false;
    bool FLoopRunning = false;
    std::atomic<bool> FPaintPending{false};

    TBitmap FMedia, FPictureBitmap, FScreen, FBuffer;
    TStyleRect FDisplayRect;
    int FClientWidth = 0, FClientHeight = 0;

    mutable std::recursive_mutex FLock;      // Progress and the composing of a step
    mutable std::recursive_mutex FMediaLock; // the step bitmaps while composed or painted
    std::mutex FPaintLock;                   // the buffer
    TAutoResetEvent FPainted;
    std::unique_ptr<TAnimateThread> FThread;
    int FThreadSerial = 0; // tells a posted end message of an earlier worker from the current one
    std::unique_ptr<QObject> FMessageTarget; // receives the worker's end message
    std::thread::id FOwnerThread;
};
