#include "app/main/qt_scheduler.h"

#include <chrono>
#include <cmath>

#include "platform/scheduler/blocking_scheduler.h"

namespace corvane {

QtScheduler::QtScheduler() {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] { finishWait(); });
}

QtScheduler::~QtScheduler() {
    timer_.stop();
}

double QtScheduler::now() {
    return platform::monotonicSeconds();
}

bool QtScheduler::beginWait(WaitKind, double seconds, std::function<void()> resume) {
    if (cancelled_) return false;
    pending_ = std::move(resume);
    // Whole milliseconds, rounded up so a wait never ends before its deadline.
    const auto ms = std::chrono::milliseconds(static_cast<long long>(std::ceil(seconds * 1000)));
    timer_.start(std::max(ms, std::chrono::milliseconds(0)));
    return true;
}

void QtScheduler::cancel() {
    cancelled_ = true;
    if (pending_) {
        // Resume from the event loop rather than from inside the caller.
        timer_.start(std::chrono::milliseconds(0));
    }
}

void QtScheduler::finishWait() {
    auto resume = std::move(pending_);
    pending_ = nullptr;
    if (resume) resume();
}

}  // namespace corvane
