#include "core/window_resizer_run.h"

#include <algorithm>
#include <cmath>

#include "core/window_error.h"
#include "core/window_resizer.h"

namespace corvane::WindowResizer::detail {

namespace {

bool within(double a, double b) {
    return std::abs(a - b) <= tolerance;
}
// Deliberately not !within(): a NaN difference is neither within nor beyond.
bool beyond(double a, double b) {
    return std::abs(a - b) > tolerance;
}

}  // namespace

ResizeRun::ResizeRun(const Rect& target, WindowFrameAccess& window, bool animated,
                     Scheduler& scheduler)
    : target_(target.standardized()), window_(window), animated_(animated), scheduler_(scheduler) {}

// The size goes first and the position after: a window that grows from its
// top-left corner could otherwise be pushed off the monitor by the new size.
Task<bool> ResizeRun::run() {
    start_ = read();
    if (matches(start_, target_)) co_return true;
    scheduler_.checkCancellation();
    if (animated_) {
        const std::optional<Rect> last = co_await animate();
        if (last) co_return co_await decideAfterAnimation(*last);
    } else {
        writeTargetSize();
    }
    const Rect settled = co_await settle(Check::size);
    co_return co_await decideAfterFirstSize(settled);
}

Rect ResizeRun::read() {
    return window_.frame().standardized();
}

void ResizeRun::writeTargetSize() {
    window_.setSize(target_.width, target_.height);
}

void ResizeRun::writeTargetOrigin() {
    window_.setPosition(target_.x, target_.y);
}

bool ResizeRun::originOff(const Rect& frame) const {
    return beyond(frame.x, target_.x) || beyond(frame.y, target_.y);
}

bool ResizeRun::sizeOff(const Rect& frame) const {
    return beyond(frame.width, target_.width) || beyond(frame.height, target_.height);
}

bool ResizeRun::passes(Check check, const Rect& frame) const {
    const bool size = within(frame.width, target_.width) && within(frame.height, target_.height);
    const bool origin = within(frame.x, target_.x) && within(frame.y, target_.y);
    switch (check) {
        case Check::size:
            return size;
        case Check::position:
            return origin;
        case Check::full:
            return origin && size;
    }
    return false;
}

double ResizeRun::elapsedSince(double start) {
    return std::max(0.0, scheduler_.now() - start);
}

Task<void> ResizeRun::sleepUntil(double deadline) {
    const double wait = deadline - scheduler_.now();
    if (wait > 0) co_await scheduler_.sleep(wait);
}

// Windows often answer a write in several steps (the size, then a move by the
// window manager), so one good read is not enough: the frame must pass the
// check and stay put for two polls in a row.
Task<Rect> ResizeRun::settle(Check check) {
    Rect previous = read();
    bool stable = false;
    for (int polls = 1;; ++polls) {
        scheduler_.checkCancellation();
        co_await scheduler_.pause();
        const Rect current = read();
        const bool ok = passes(check, current) && matches(current, previous);
        if ((ok && stable) || polls == settleMostPolls) co_return current;
        stable = ok;
        previous = current;
    }
}

// Deadlines count from the start, so a slow write shortens the next wait and
// late frames are dropped instead of stretching the animation. Returns the
// last applied frame, or nothing when the window refused a size (the target
// size has then been written).
Task<std::optional<Rect>> ResizeRun::animate() {
    Rect last = start_;
    const double startTime = scheduler_.now();
    for (int n = 1;;) {
        co_await sleepUntil(startTime + n * animationFrameInterval);
        scheduler_.checkCancellation();
        const double progress = std::max(elapsedSince(startTime) / animationDuration,
                                         static_cast<double>(n) / animationMostFrames);
        const Rect frame = interpolate(start_, target_, progress);
        if (!applyAnimatedSize(frame, last)) {
            if (frame.width != target_.width || frame.height != target_.height) writeTargetSize();
            co_return std::nullopt;
        }
        applyAnimatedOrigin(frame, last);
        if (progress >= 1) co_return last;
        n = nextFrameNumber(n, scheduler_.now() - startTime, animationFrameInterval,
                            animationMostFrames);
    }
}

// False when the window reports a size more than the tolerance away from the
// one just written.
bool ResizeRun::applyAnimatedSize(const Rect& frame, Rect& last) {
    if (frame.width == last.width && frame.height == last.height) return true;
    window_.setSize(frame.width, frame.height);
    const Rect reported = read();
    if (beyond(reported.width, frame.width) || beyond(reported.height, frame.height)) return false;
    last = reported;  // the window may have moved its origin while resizing
    return true;
}

void ResizeRun::applyAnimatedOrigin(const Rect& frame, Rect& last) {
    if (frame.x == last.x && frame.y == last.y) return;
    window_.setPosition(frame.x, frame.y);
    last.x = frame.x;
    last.y = frame.y;
}

// Every glide frame writes its position, compared with nothing: the window may
// have moved itself in between.
Task<Rect> ResizeRun::glide(Rect from) {
    const double startTime = scheduler_.now();
    for (int n = 1;;) {
        co_await sleepUntil(startTime + n * glideFrameInterval);
        scheduler_.checkCancellation();
        const double progress = std::max(elapsedSince(startTime) / glideDuration,
                                         static_cast<double>(n) / glideMostFrames);
        const double eased = smoothstep(progress);
        window_.setPosition(from.x + (target_.x - from.x) * eased,
                            from.y + (target_.y - from.y) * eased);
        if (progress >= 1) co_return co_await settle(Check::position);
        n = nextFrameNumber(n, scheduler_.now() - startTime, glideFrameInterval, glideMostFrames);
    }
}

Task<Rect> ResizeRun::correctSize() {
    writeTargetSize();
    co_return co_await settle(Check::size);
}

Task<Rect> ResizeRun::correctOrigin() {
    writeTargetOrigin();
    co_return co_await settle(Check::position);
}

Task<bool> ResizeRun::decideAfterFirstSize(Rect settled) {
    if (originOff(settled)) {
        Rect moved;
        if (animated_) {
            moved = co_await glide(settled);
        } else {
            moved = co_await correctOrigin();
        }
        co_return co_await decideAfterPosition(moved);
    }
    if (sizeOff(settled)) {
        const Rect resized = co_await correctSize();
        co_return co_await decideAfterSecondSize(resized);
    }
    co_return finish(settled);
}

// `last` is what the animation applied, not a read: a completed animation
// goes straight on to the corrections.
Task<bool> ResizeRun::decideAfterAnimation(Rect last) {
    if (originOff(last)) {
        const Rect moved = co_await glide(last);
        co_return co_await decideAfterPosition(moved);
    }
    if (sizeOff(last)) {
        const Rect resized = co_await correctSize();
        co_return co_await decideAfterSecondSize(resized);
    }
    co_return co_await settleFullyAndFinish();
}

Task<bool> ResizeRun::decideAfterPosition(Rect settled) {
    if (sizeOff(settled)) {
        const Rect resized = co_await correctSize();
        co_return co_await decideAfterSecondSize(resized);
    }
    if (originOff(settled)) {
        const Rect moved = co_await correctOrigin();
        co_return co_await decideAfterSecondPosition(moved);
    }
    co_return finish(settled);
}

Task<bool> ResizeRun::decideAfterSecondSize(Rect settled) {
    if (originOff(settled)) {
        const Rect moved = co_await correctOrigin();
        co_return co_await decideAfterSecondPosition(moved);
    }
    if (!matches(settled, target_)) co_return co_await settleFullyAndFinish();
    co_return finish(settled);
}

Task<bool> ResizeRun::decideAfterSecondPosition(Rect settled) {
    if (matches(settled, target_)) co_return true;
    co_return co_await settleFullyAndFinish();
}

Task<bool> ResizeRun::settleFullyAndFinish() {
    const Rect settled = co_await settle(Check::full);
    co_return finish(settled);
}

// A window still where it started did not take the resize at all: an error.
// One that moved but stopped short (a minimum size, resize increments) is a
// result the caller reports as "not exact".
bool ResizeRun::finish(const Rect& settled) const {
    if (matches(settled, target_)) return true;
    if (matches(start_, settled)) throw WindowResizeError(WindowResizeError::Kind::unchanged);
    return false;
}

}  // namespace corvane::WindowResizer::detail
