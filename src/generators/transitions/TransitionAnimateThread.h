#pragma once
// The worker that lets a transition animate by itself, and the auto-reset
// signal that paces it to one composed step per paint.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

// Raised by Set; a successful Wait consumes it (auto-reset).
class TAutoResetEvent {
  public:
    void Set();
    // Waits until the signal is raised or timeout passes; true when it was raised.
    bool Wait(std::chrono::milliseconds timeout);

  private:
    std::mutex FLock;
    std::condition_variable FChanged;
    bool FRaised = false;
};

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

class QThread;

// Runs `body` on its own thread; `body` polls Terminated() and may sleep through
// SleepFor, which Terminate cuts short. `onEnd` runs on the worker after the body.
class TAnimateThread {
  public:
    TAnimateThread(std::function<void(TAnimateThread&)> body, std::function<void()> onEnd);
    ~TAnimateThread(); // terminates and waits
    TAnimateThread(const TAnimateThread&) = delete;
    TAnimateThread& operator=(const TAnimateThread&) = delete;

    void Start(TThreadPriority priority);
    void Terminate();
    bool Terminated() const;
    void WaitFor();
    // Sleeps up to `duration`; returns early when terminated.
    void SleepFor(std::chrono::milliseconds duration);

  private:
    std::function<void(TAnimateThread&)> FBody;
    std::function<void()> FOnEnd;
    std::unique_ptr<QThread> FThread;
    mutable std::mutex FLock;
    std::condition_variable FWake;
    bool FTerminated = false;
};
