#pragma once

#include <optional>

#include "core/rect.h"
#include "core/scheduler.h"
#include "core/task.h"
#include "core/window_frame_access.h"

namespace corvane::WindowResizer::detail {

// How close a frame component must come to count as placed (inclusive).
inline constexpr double tolerance = 2.0;
// The smallest width and height a target may ask for.
inline constexpr double smallestSide = 1.0;

// The animated change: an eased sequence of at most ten frames in about 0.16 s.
inline constexpr double animationDuration = 0.16;
inline constexpr double animationFrameInterval = 0.016;
inline constexpr int animationMostFrames = 10;

// The glide that moves only the origin when an animated resize has to correct it.
inline constexpr double glideDuration = 0.1;
inline constexpr double glideFrameInterval = 1.0 / 60;
inline constexpr int glideMostFrames = 6;

// A settle wait gives up after this many polls; the pause between polls comes
// from the scheduler.
inline constexpr int settleMostPolls = 24;

// t*t*(3-2t) of the progress clamped into 0...1; NaN counts as 0.
double smoothstep(double progress);

// The frame that follows frame `n` when `elapsed` seconds have passed since the
// start: the next one, or a later one when the clock has run ahead, never past
// `mostFrames`.
int nextFrameNumber(int n, double elapsed, double interval, int mostFrames);

// One resize: everything it remembers lives here, in the coroutine frame of
// WindowResizer::resize(), and is gone when the call ends. Frames are read
// standardized, so every comparison and interpolation sees minimum x and y and
// non-negative sizes.
class ResizeRun {
public:
    // `target` must be valid (see isValid); `window` and `scheduler` must outlive the run.
    ResizeRun(const Rect& target, WindowFrameAccess& window, bool animated, Scheduler& scheduler);

    Task<bool> run();

private:
    enum class Check { size, position, full };

    Rect read();
    void writeTargetSize();
    void writeTargetOrigin();
    bool originOff(const Rect& frame) const;
    bool sizeOff(const Rect& frame) const;
    bool passes(Check check, const Rect& frame) const;
    double elapsedSince(double start);

    Task<void> sleepUntil(double deadline);
    Task<Rect> settle(Check check);

    Task<std::optional<Rect>> animate();
    bool applyAnimatedSize(const Rect& frame, Rect& last);
    void applyAnimatedOrigin(const Rect& frame, Rect& last);
    Task<Rect> glide(Rect from);

    Task<Rect> correctSize();
    Task<Rect> correctOrigin();

    Task<bool> decideAfterFirstSize(Rect settled);
    Task<bool> decideAfterAnimation(Rect last);
    Task<bool> decideAfterPosition(Rect settled);
    Task<bool> decideAfterSecondSize(Rect settled);
    Task<bool> decideAfterSecondPosition(Rect settled);
    Task<bool> settleFullyAndFinish();
    bool finish(const Rect& settled) const;

    Rect target_;
    Rect start_;
    WindowFrameAccess& window_;
    bool animated_;
    Scheduler& scheduler_;
};

}  // namespace corvane::WindowResizer::detail
