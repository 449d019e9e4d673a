#include "core/rect.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>

namespace corvane {

Rect Rect::standardized() const {
    return Rect{minX(), minY(), std::abs(width), std::abs(height)};
}

bool Rect::contains(double px, double py) const {
    return px >= minX() && px < maxX() && py >= minY() && py < maxY();
}

double Rect::intersectionArea(const Rect& other) const {
    const double left = std::max(minX(), other.minX());
    const double right = std::min(maxX(), other.maxX());
    const double top = std::max(minY(), other.minY());
    const double bottom = std::min(maxY(), other.maxY());
    if (right <= left || bottom <= top) return 0;
    return (right - left) * (bottom - top);
}

std::string describeNumber(double value) {
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    if (std::isfinite(value) && text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

namespace {

// Appends rather than `"(" + ...`, which trips a false -Wrestrict in GCC 12 at -O3.
std::string describeList(std::initializer_list<double> values) {
    std::string text = "(";
    for (double value : values) {
        if (text.size() > 1) text += ", ";
        text += describeNumber(value);
    }
    text += ")";
    return text;
}

}  // namespace

std::string describe(const Rect& rect) {
    return describeList({rect.x, rect.y, rect.width, rect.height});
}

std::string describeSize(double width, double height) {
    return describeList({width, height});
}

std::string describePoint(double x, double y) {
    return describeSize(x, y);
}

}  // namespace corvane
