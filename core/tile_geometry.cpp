#include "core/tile_geometry.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace corvane::TileGeometry {

namespace {

// Nearest whole point, halves away from zero.
double roundPoint(double value) {
    return std::round(value);
}

// Regions whose edge is within this distance of the work area's border get no gap there.
constexpr double borderEpsilon = 0.000001;

}  // namespace

Rect topLeftRect(const Rect& rect, double flipHeight) {
    return Rect{rect.minX(), flipHeight - rect.maxY(), rect.width, rect.height};
}

Rect frame(const TileRegion& region, const Rect& visibleFrame, const Margins& margins) {
    const Rect& v = visibleFrame;
    if (!region.isValid() || v.width < 1 || v.height < 1) return v;

    double left = 0, right = 0, top = 0, bottom = 0;
    const bool gapsOn = margins.enabled && margins.isValid();
    if (gapsOn) {
        const double halfSpareWidth = (v.width - 1) / 2;
        const double halfSpareHeight = (v.height - 1) / 2;
        left = std::min(halfSpareWidth, margins.left);
        right = std::min(halfSpareWidth, margins.right);
        top = std::min(halfSpareHeight, margins.top);
        bottom = std::min(halfSpareHeight, margins.bottom);
    }
    const Rect content{v.x + left, v.y + top, v.width - left - right, v.height - top - bottom};

    double x0 = roundPoint(content.x + region.x * content.width);
    double x1 = roundPoint(content.x + (region.x + region.width) * content.width);
    double y0 = roundPoint(content.y + region.y * content.height);
    double y1 = roundPoint(content.y + (region.y + region.height) * content.height);

    if (gapsOn) {
        const double gx = std::min(std::max(0.0, (x1 - x0 - 1) / 2), margins.horizontalGap / 2);
        const double gy = std::min(std::max(0.0, (y1 - y0 - 1) / 2), margins.verticalGap / 2);
        if (region.x > borderEpsilon) x0 += gx;
        if (region.y > borderEpsilon) y0 += gy;
        if (region.x + region.width < 1 - borderEpsilon) x1 -= gx;
        if (region.y + region.height < 1 - borderEpsilon) y1 -= gy;
    }
    return Rect{x0, y0, std::max(x1 - x0, 1.0), std::max(y1 - y0, 1.0)};
}

std::optional<std::size_t> screenIndex(const Rect& window, const std::vector<Rect>& displays) {
    if (displays.empty()) return std::nullopt;

    std::size_t best = 0;
    double bestArea = 0;
    for (std::size_t i = 0; i < displays.size(); ++i) {
        const double area = window.intersectionArea(displays[i]);
        if (area > bestArea) {
            bestArea = area;
            best = i;
        }
    }
    if (bestArea > 0) return best;
    if (displays.size() == 1) return 0;

    double bestDistance = std::numeric_limits<double>::infinity();
    best = 0;
    for (std::size_t i = 0; i < displays.size(); ++i) {
        const double dx = displays[i].midX() - window.midX();
        const double dy = displays[i].midY() - window.midY();
        const double distance = dx * dx + dy * dy;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

Rect relocate(const Rect& window, const Rect& from, const Rect& to) {
    const double width = std::min(window.width, to.width);
    const double height = std::min(window.height, to.height);
    auto fraction = [](double offset, double span) {
        const double f = offset / std::max(span, 1.0);
        return std::isnan(f) ? 0.0 : std::clamp(f, 0.0, 1.0);
    };
    const double fx = fraction(window.x - from.x, from.width - window.width);
    const double fy = fraction(window.y - from.y, from.height - window.height);
    return Rect{to.x + fx * (to.width - width), to.y + fy * (to.height - height), width, height};
}

}  // namespace corvane::TileGeometry
