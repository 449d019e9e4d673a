#include "app/main/qt_scheduler.h"

#include <chrono>
#include <cmath>

#include "platform/scheduler/blocking_scheduler.h"

namespace corvane {

QtScheduler::QtScheduler(platform::SettleSignal* settle) : settle_(settle) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { finishWait(); });
    recheck_.setSingleShot(true);
    recheck_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&recheck_, &QTimer::timeout, [this] {
        if (now() < recheckAt_) return scheduleRecheck();
        settleChanged();
    });
}

QtScheduler::~QtScheduler() {
    stopListening();
    timer_.stop();
}

double QtScheduler::now() {
    return platform::monotonicSeconds();
}

bool QtScheduler::beginWait(WaitKind kind, double seconds, std::function<void()> resume) {
    if (cancelled_) return false;
    pending_ = std::move(resume);
    if (kind == WaitKind::pause && settle_) {
        // Listening before asking, so that no answer can come unheard.
        listening_ = true;
        settle_->setListener([this] { settleChanged(); });
        settle_->beginPause();
    }
    // Whole milliseconds, rounded up so a wait never ends before its deadline.
    const auto ms = std::chrono::milliseconds(static_cast<long long>(std::ceil(seconds * 1000)));
    timer_.start(std::max(ms, std::chrono::milliseconds(0)));
    // The window may have settled before the pause began, with no event to come.
    if (listening_) settleChanged();
    return true;
}

// Called from inside the event filter (or by the recheck timer): the work
// resumes from the event loop.
void QtScheduler::settleChanged() {
    recheck_.stop();
    if (!pending_ || !listening_) return;
    const std::optional<double> in = settle_->settledIn();
    if (!in) return;
    if (*in > 0) {
        recheckAt_ = now() + *in;
        scheduleRecheck();
        return;
    }
    stopListening();
    timer_.start(std::chrono::milliseconds(0));
}

// Qt's timers count whole milliseconds, and rounding a hold of 1.2 ms up would
// stretch every pause of a placement to the next millisecond or two. The whole
// milliseconds go to the timer; the fraction left is waited out turn by turn of
// the event loop, which keeps handling events meanwhile. That spins for under a
// millisecond at the end of a pause, never while idle.
void QtScheduler::scheduleRecheck() {
    const double left = recheckAt_ - now();
    const auto wholeMilliseconds = static_cast<long long>(std::floor(std::max(0.0, left) * 1000));
    recheck_.start(std::chrono::milliseconds(wholeMilliseconds));
}

void QtScheduler::cancel() {
    cancelled_ = true;
    if (pending_) {
        stopListening();
        // Resume from the event loop rather than from inside the caller.
        timer_.start(std::chrono::milliseconds(0));
    }
}

void QtScheduler::stopListening() {
    recheck_.stop();
    if (!listening_) return;
    listening_ = false;
    settle_->setListener(nullptr);
}

void QtScheduler::finishWait() {
    stopListening();
    auto resume = std::move(pending_);
    pending_ = nullptr;
    if (resume) resume();
}

}  // namespace corvane
