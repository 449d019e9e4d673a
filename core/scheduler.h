#pragma once

#include <coroutine>
#include <functional>

#include "core/task.h"

namespace corvane {

// Time and waiting for coroutines, injected so that the same algorithm runs on
// the event loop in the application and on a simulated clock in tests.
class Scheduler {
public:
    enum class WaitKind { sleep, pause };

    virtual ~Scheduler() = default;

    // Seconds on a monotonic clock.
    virtual double now() = 0;
    // Begins a wait of `seconds` (for a pause: the scheduler's own settle pause).
    // Returns true when the wait is pending: `resume` is then called exactly once,
    // when it is over or cancelled. Returns false when the wait is already over
    // (a simulated clock); `resume` is then never called.
    virtual bool beginWait(WaitKind kind, double seconds, std::function<void()> resume) = 0;
    // Whether the work this scheduler serves has been cancelled.
    virtual bool isCancelled() const = 0;

    // The settle pause: 20 ms in the application.
    static constexpr double settlePause = 0.020;

    void checkCancellation() const {
        if (isCancelled()) throw TaskCancelled();
    }

    struct WaitAwaiter {
        Scheduler& scheduler;
        WaitKind kind;
        double seconds;
        bool await_ready() const noexcept { return false; }
        bool await_suspend(std::coroutine_handle<> caller) {
            return scheduler.beginWait(kind, seconds, [caller] { caller.resume(); });
        }
        void await_resume() const { scheduler.checkCancellation(); }
    };

    // co_await scheduler.sleep(s): suspends for s seconds; throws TaskCancelled
    // when cancelled.
    WaitAwaiter sleep(double seconds) { return WaitAwaiter{*this, WaitKind::sleep, seconds}; }
    // co_await scheduler.pause(): suspends for the settle pause.
    WaitAwaiter pause() { return WaitAwaiter{*this, WaitKind::pause, settlePause}; }
};

}  // namespace corvane
