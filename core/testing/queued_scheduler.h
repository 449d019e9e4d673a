#pragma once

#include <deque>
#include <functional>
#include <utility>

#include "core/scheduler.h"

namespace corvane::testing {

// A scheduler that behaves like an event loop: every wait stays pending until
// the test ends it, so coroutines really suspend and are resumed later from
// "the loop" (the test body).
class QueuedScheduler : public Scheduler {
public:
    struct Pending {
        WaitKind kind;
        double seconds;
        std::function<void()> resume;
    };

    double clock = 0.0;
    std::deque<Pending> pending;

    double now() override { return clock; }
    bool beginWait(WaitKind kind, double seconds, std::function<void()> resume) override {
        pending.push_back(Pending{kind, seconds, std::move(resume)});
        return true;
    }
    bool isCancelled() const override { return cancelled_; }

    // Ends the oldest pending wait after its full time. False when none is pending.
    bool finishNext() {
        if (pending.empty()) return false;
        Pending next = std::move(pending.front());
        pending.pop_front();
        clock += next.seconds;
        next.resume();
        return true;
    }
    // Ends waits until none is pending; returns how many ended.
    int finishAll() {
        int ended = 0;
        while (finishNext()) ++ended;
        return ended;
    }
    // Cancels the work and ends every pending wait at once, as a real loop does.
    void cancel() {
        cancelled_ = true;
        while (!pending.empty()) {
            Pending next = std::move(pending.front());
            pending.pop_front();
            next.resume();
        }
    }

private:
    bool cancelled_ = false;
};

}  // namespace corvane::testing
