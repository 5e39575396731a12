#include "generators/transitions/TransitionAnimateThread.h"

#include <QThread>

void TAutoResetEvent::Set() {
    {
        std::lock_guard<std::mutex> guard(FLock);
        FRaised = true;
    }
    FChanged.notify_one();
}

bool TAutoResetEvent::Wait(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> guard(FLock);
    if (!FChanged.wait_for(guard, timeout, [this] { return FRaised; })) return false;
    FRaised = false;
    return true;
}

namespace {

QThread::Priority ToQtPriority(TThreadPriority priority) {
    switch (priority) {
    case tpIdle:
        return QThread::IdlePriority;
    case tpLowest:
        return QThread::LowestPriority;
    case tpLower:
        return QThread::LowPriority;
    case tpNormal:
        return QThread::NormalPriority;
    case tpHigher:
        return QThread::HighPriority;
    case tpHighest:
        return QThread::HighestPriority;
    case tpTimeCritical:
        return QThread::TimeCriticalPriority;
    }
    return QThread::NormalPriority;
}

} // namespace

TAnimateThread::TAnimateThread(std::function<void(TAnimateThread&)> body, std::function<void()> onEnd)
    : FBody(std::move(body)), FOnEnd(std::move(onEnd)) {}

TAnimateThread::~TAnimateThread() {
    Terminate();
    WaitFor();
}

void TAnimateThread::Start(TThreadPriority priority) {
    if (FThread) return;
    FThread.reset(QThread::create([this] {
        FBody(*this);
        if (FOnEnd) FOnEnd();
    }));
    FThread->start(ToQtPriority(priority));
}

void TAnimateThread::Terminate() {
    {
        std::lock_guard<std::mutex> guard(FLock);
        FTerminated = true;
    }
    FWake.notify_all();
}

bool TAnimateThread::Terminated() const {
    std::lock_guard<std::mutex> guard(FLock);
    return FTerminated;
}

void TAnimateThread::WaitFor() {
    if (FThread) FThread->wait();
}

void TAnimateThread::SleepFor(std::chrono::milliseconds duration) {
    std::unique_lock<std::mutex> guard(FLock);
    FWake.wait_for(guard, duration, [this] { return FTerminated; });
}
