#include "platform/scheduler/blocking_scheduler.h"

#include <chrono>
#include <thread>

namespace corvane::platform {

double monotonicSeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double BlockingScheduler::now() {
    return monotonicSeconds();
}

bool BlockingScheduler::beginWait(WaitKind kind, double seconds, std::function<void()>) {
    if (kind == WaitKind::pause && settle_) {
        settle_->beginPause();
        settle_->waitSettled(seconds);
        return false;
    }
    if (seconds > 0) std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    return false;
}

}  // namespace corvane::platform
