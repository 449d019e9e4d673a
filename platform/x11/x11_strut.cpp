#include "platform/x11/x11_strut.h"

#include <algorithm>

namespace corvane::platform {

namespace {

bool overlaps(const Rect& a, const Rect& b) {
    return a.intersectionArea(b) > 0;
}

Rect span(double x0, double x1, double y0, double y1) {
    return Rect{x0, y0, x1 - x0, y1 - y0};
}

}  // namespace

std::optional<Strut> Strut::fromPartial(const std::vector<std::uint32_t>& v) {
    if (v.size() < 12) return std::nullopt;
    Strut s;
    s.left = v[0], s.right = v[1], s.top = v[2], s.bottom = v[3];
    s.leftStartY = v[4], s.leftEndY = v[5];
    s.rightStartY = v[6], s.rightEndY = v[7];
    s.topStartX = v[8], s.topEndX = v[9];
    s.bottomStartX = v[10], s.bottomEndX = v[11];
    return s;
}

std::optional<Strut> Strut::fromFull(const std::vector<std::uint32_t>& v, double rootWidth,
                                     double rootHeight) {
    if (v.size() < 4) return std::nullopt;
    Strut s;
    s.left = v[0], s.right = v[1], s.top = v[2], s.bottom = v[3];
    s.leftEndY = s.rightEndY = rootHeight - 1;
    s.topEndX = s.bottomEndX = rootWidth - 1;
    return s;
}

Rect visibleFrame(const Rect& monitor, double rootWidth, double rootHeight,
                  const std::vector<Strut>& struts) {
    const Rect m = monitor.standardized();
    double x0 = m.minX(), x1 = m.maxX(), y0 = m.minY(), y1 = m.maxY();
    for (const Strut& s : struts) {
        // Each reserved strip as a root rectangle; the end coordinates are inclusive.
        double nx0 = x0, nx1 = x1, ny0 = y0, ny1 = y1;
        if (s.left > 0 && overlaps(span(0, s.left, s.leftStartY, s.leftEndY + 1), m))
            nx0 = std::max(nx0, s.left);
        if (s.right > 0 &&
            overlaps(span(rootWidth - s.right, rootWidth, s.rightStartY, s.rightEndY + 1), m))
            nx1 = std::min(nx1, rootWidth - s.right);
        if (s.top > 0 && overlaps(span(s.topStartX, s.topEndX + 1, 0, s.top), m))
            ny0 = std::max(ny0, s.top);
        if (s.bottom > 0 &&
            overlaps(span(s.bottomStartX, s.bottomEndX + 1, rootHeight - s.bottom, rootHeight), m))
            ny1 = std::min(ny1, rootHeight - s.bottom);
        if (nx1 - nx0 >= 1 && ny1 - ny0 >= 1) x0 = nx0, x1 = nx1, y0 = ny0, y1 = ny1;
    }
    return Rect{x0, y0, x1 - x0, y1 - y0};
}

}  // namespace corvane::platform
