#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "core/scheduler.h"

namespace corvane {

// Wraps the scheduler of one placement or undo so that the controller can end
// the work at once, whatever scheduler runs it: interrupt() resumes the pending
// wait right away, and the work then stops with TaskCancelled. The controller
// uses it when it goes away with a placement in flight, so no suspended work
// outlives the window manager it uses.
class InterruptibleScheduler : public Scheduler {
public:
    explicit InterruptibleScheduler(std::unique_ptr<Scheduler> inner) : inner_(std::move(inner)) {}

    double now() override { return inner_->now(); }

    bool beginWait(WaitKind kind, double seconds, std::function<void()> resume) override {
        if (interrupted_) return false;  // the wait ends at once, and then throws
        pending_ = std::move(resume);
        const bool waiting = inner_->beginWait(kind, seconds, [this] { resumePending(); });
        if (!waiting) pending_ = nullptr;
        return waiting;
    }

    bool isCancelled() const override { return interrupted_ || inner_->isCancelled(); }

    void interrupt() {
        interrupted_ = true;
        resumePending();
    }

    Scheduler& inner() { return *inner_; }

private:
    void resumePending() {
        auto resume = std::exchange(pending_, nullptr);
        if (resume) resume();
    }

    std::unique_ptr<Scheduler> inner_;
    std::function<void()> pending_;
    bool interrupted_ = false;
};

}  // namespace corvane
