#pragma once

#include "core/scheduler.h"

namespace corvane::platform {

// Real time for command-line tools: waits block the thread. Never cancelled.
class BlockingScheduler : public Scheduler {
public:
    double now() override;
    bool beginWait(WaitKind kind, double seconds, std::function<void()> resume) override;
    bool isCancelled() const override { return false; }
};

// Seconds on the monotonic clock.
double monotonicSeconds();

}  // namespace corvane::platform
