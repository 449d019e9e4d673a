#pragma once

#include <QTimer>
#include <functional>

#include "core/scheduler.h"
#include "platform/settle_signal.h"

namespace corvane {

// Waits of one placement or undo, driven by Qt timers on the main thread, so
// the event loop keeps running while a window settles. One wait at a time.
// With a settle signal, a settle pause ends as soon as the signal says the
// window has settled (its events reach it from the event loop), at the latest
// after the pause's full time.
class QtScheduler : public Scheduler {
public:
    explicit QtScheduler(platform::SettleSignal* settle = nullptr);
    ~QtScheduler() override;

    double now() override;
    bool beginWait(WaitKind kind, double seconds, std::function<void()> resume) override;
    bool isCancelled() const override { return cancelled_; }

    // Ends the pending wait at once; the work then stops with TaskCancelled.
    void cancel();

private:
    void settleChanged();
    void scheduleRecheck();
    void finishWait();
    void stopListening();

    platform::SettleSignal* settle_;
    QTimer timer_;
    QTimer recheck_;  // the signal's "settled in ..." coming due
    double recheckAt_ = 0;
    std::function<void()> pending_;
    bool listening_ = false;
    bool cancelled_ = false;
};

}  // namespace corvane
