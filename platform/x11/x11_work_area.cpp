#include "platform/x11/x11_work_area.h"

#include <algorithm>

namespace corvane::platform {

namespace {

bool overlapIn(const Rect& a, const Rect& b, const Rect& c) {
    const double x0 = std::max({a.minX(), b.minX(), c.minX()});
    const double x1 = std::min({a.maxX(), b.maxX(), c.maxX()});
    const double y0 = std::max({a.minY(), b.minY(), c.minY()});
    const double y1 = std::min({a.maxY(), b.maxY(), c.maxY()});
    return x1 > x0 && y1 > y0;
}

// Whether the reserved band may be this monitor's to give up.
bool bandBelongsTo(const Rect& band, const Rect& monitor, const WindowManagerReserve& reserve) {
    if (reserve.oneMonitor) return band.intersectionArea(monitor) > 0;
    return std::any_of(
        reserve.ownWindows.begin(), reserve.ownWindows.end(),
        [&](const Rect& window) { return overlapIn(window.standardized(), band, monitor); });
}

Rect between(double x0, double x1, double y0, double y1) {
    return Rect{x0, y0, x1 - x0, y1 - y0};
}

}  // namespace

Unexplained unexplainedReserve(const Rect& workArea, const Rect& root,
                               const std::vector<Strut>& struts) {
    const Rect w = workArea.standardized();
    if (w.width < 1 || w.height < 1 || w.minX() < root.minX() || w.minY() < root.minY() ||
        w.maxX() > root.maxX() || w.maxY() > root.maxY())
        return Unexplained{};
    double left = 0, right = 0, top = 0, bottom = 0;
    for (const Strut& s : struts) {
        left = std::max(left, s.left);
        right = std::max(right, s.right);
        top = std::max(top, s.top);
        bottom = std::max(bottom, s.bottom);
    }
    Unexplained u;
    u.left = std::max(0.0, w.minX() - root.minX() - left);
    u.right = std::max(0.0, root.maxX() - w.maxX() - right);
    u.top = std::max(0.0, w.minY() - root.minY() - top);
    u.bottom = std::max(0.0, root.maxY() - w.maxY() - bottom);
    return u;
}

Rect narrowToWorkArea(const Rect& monitor, const Rect& fromStruts,
                      const WindowManagerReserve& reserve) {
    const Unexplained& u = reserve.unexplained;
    if (!u.any()) return fromStruts;
    const Rect m = monitor.standardized();
    const Rect r = reserve.root.standardized();
    const Rect w = reserve.workArea.standardized();
    const Rect f = fromStruts.standardized();
    double x0 = f.minX(), x1 = f.maxX(), y0 = f.minY(), y1 = f.maxY();
    // Each band runs along a whole edge of the root, from it to the work area.
    if (u.left > 0 && bandBelongsTo(between(r.minX(), w.minX(), r.minY(), r.maxY()), m, reserve))
        x0 = std::max(x0, w.minX());
    if (u.right > 0 && bandBelongsTo(between(w.maxX(), r.maxX(), r.minY(), r.maxY()), m, reserve))
        x1 = std::min(x1, w.maxX());
    if (u.top > 0 && bandBelongsTo(between(r.minX(), r.maxX(), r.minY(), w.minY()), m, reserve))
        y0 = std::max(y0, w.minY());
    if (u.bottom > 0 && bandBelongsTo(between(r.minX(), r.maxX(), w.maxY(), r.maxY()), m, reserve))
        y1 = std::min(y1, w.maxY());
    if (x1 - x0 < 1 || y1 - y0 < 1) return fromStruts;
    return between(x0, x1, y0, y1);
}

}  // namespace corvane::platform
