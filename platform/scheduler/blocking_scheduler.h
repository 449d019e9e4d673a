#pragma once

#include "core/scheduler.h"
#include "platform/settle_signal.h"

namespace corvane::platform {

// Real time for command-line tools: waits block the thread. Never cancelled.
// With a settle signal (whose events this thread handles), a settle pause
// ends as soon as the signal says the window has settled, at the latest after
// its full time.
class BlockingScheduler : public Scheduler {
public:
    explicit BlockingScheduler(SettleSignal* settle = nullptr) : settle_(settle) {}

    double now() override;
    bool beginWait(WaitKind kind, double seconds, std::function<void()> resume) override;
    bool isCancelled() const override { return false; }

private:
    SettleSignal* settle_;
};

// Seconds on the monotonic clock.
double monotonicSeconds();

}  // namespace corvane::platform
