#pragma once

#include <QTimer>
#include <functional>

#include "core/scheduler.h"

namespace corvane {

// Waits of one placement or undo, driven by Qt timers on the main thread, so
// the event loop keeps running while a window settles. One wait at a time.
class QtScheduler : public Scheduler {
public:
    QtScheduler();
    ~QtScheduler() override;

    double now() override;
    bool beginWait(WaitKind kind, double seconds, std::function<void()> resume) override;
    bool isCancelled() const override { return cancelled_; }

    // Ends the pending wait at once; the work then stops with TaskCancelled.
    void cancel();

private:
    void finishWait();

    QTimer timer_;
    std::function<void()> pending_;
    bool cancelled_ = false;
};

}  // namespace corvane
