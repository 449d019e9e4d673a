#pragma once

#include <algorithm>
#include <functional>
#include <vector>

#include "core/scheduler.h"

namespace corvane::testing {

// A scheduler on a simulated clock: every wait completes at once and moves the
// clock on by what it asked for (plus `extraPerWait`, to model a slow machine).
// It records every wait and can cancel the work when a chosen wait begins.
class SimulatedScheduler : public Scheduler {
public:
    struct Wait {
        WaitKind kind;
        double seconds;
        double at;  // the clock when the wait began
    };

    double clock = 1000.0;
    double extraPerWait = 0.0;
    bool cancelled = false;
    std::vector<Wait> waits;
    // Called when a wait begins, before the clock moves; may set `cancelled`.
    std::function<void(const Wait&)> onWait;

    double now() override { return clock; }
    bool beginWait(WaitKind kind, double seconds, std::function<void()>) override {
        waits.push_back(Wait{kind, seconds, clock});
        if (onWait) onWait(waits.back());
        clock += seconds + extraPerWait;
        return false;
    }
    bool isCancelled() const override { return cancelled; }

    int count(WaitKind kind) const {
        return int(std::count_if(waits.begin(), waits.end(),
                                 [&](const Wait& w) { return w.kind == kind; }));
    }
    int pauses() const { return count(WaitKind::pause); }
    int sleeps() const { return count(WaitKind::sleep); }
};

}  // namespace corvane::testing
