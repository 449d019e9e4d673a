#include "core/window_resizer.h"

#include <algorithm>
#include <cmath>

#include "core/window_error.h"
#include "core/window_resizer_run.h"

namespace corvane::WindowResizer {

namespace {

// A NaN difference is never close.
bool close(double a, double b) {
    return std::abs(a - b) <= detail::tolerance;
}

}  // namespace

bool isValid(const Rect& frame) {
    const bool finite = std::isfinite(frame.x) && std::isfinite(frame.y) &&
                        std::isfinite(frame.width) && std::isfinite(frame.height);
    return finite && frame.width >= detail::smallestSide && frame.height >= detail::smallestSide;
}

bool matches(const Rect& a, const Rect& b) {
    const Rect first = a.standardized();
    const Rect second = b.standardized();
    return close(first.x, second.x) && close(first.y, second.y) &&
           close(first.width, second.width) && close(first.height, second.height);
}

Rect interpolate(const Rect& from, const Rect& to, double progress) {
    const Rect a = from.standardized();
    const Rect b = to.standardized();
    const double e = detail::smoothstep(progress);
    return Rect{a.x + (b.x - a.x) * e, a.y + (b.y - a.y) * e, a.width + (b.width - a.width) * e,
                a.height + (b.height - a.height) * e};
}

Task<bool> resize(Rect target, WindowFrameAccess& window, bool animated, Scheduler& scheduler) {
    if (!isValid(target)) throw WindowResizeError(WindowResizeError::Kind::invalidFrame);
    detail::ResizeRun run(target, window, animated, scheduler);
    co_return co_await run.run();
}

namespace detail {

double smoothstep(double progress) {
    const double t = std::isnan(progress) ? 0.0 : std::clamp(progress, 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

int nextFrameNumber(int n, double elapsed, double interval, int mostFrames) {
    double k = elapsed / interval;
    if (!(elapsed >= 0)) k = 0;  // a clock that went backwards (or NaN)
    k = std::min(k, static_cast<double>(mostFrames));
    const int next = std::max(static_cast<int>(std::floor(k)) + 1, n + 1);
    return std::min(next, mostFrames);
}

}  // namespace detail

}  // namespace corvane::WindowResizer
