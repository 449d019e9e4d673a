#include "core/grid_size.h"

#include <algorithm>
#include <cmath>

namespace corvane {

namespace {

std::int64_t clampCount(std::int64_t value) {
    return std::clamp(value, GridSize::minimum, GridSize::maximum);
}

std::int64_t clampIndex(std::int64_t value, std::int64_t count) {
    return std::clamp<std::int64_t>(value, 0, std::max<std::int64_t>(count - 1, 0));
}

// floor(fraction * count), clamped into the grid. Works in doubles and clamps
// before converting, so huge or NaN inputs cannot overflow the integer.
std::int64_t indexAt(double position, double extent, std::int64_t count) {
    const double scaled = std::floor(position / std::max(extent, 1.0) * double(count));
    if (std::isnan(scaled) || scaled < 0) return 0;
    if (scaled >= double(count - 1)) return std::max<std::int64_t>(count - 1, 0);
    return static_cast<std::int64_t>(scaled);
}

}  // namespace

GridSize GridSize::clamped(std::int64_t columns, std::int64_t rows) {
    return GridSize{clampCount(columns), clampCount(rows)};
}

GridSize GridSize::subdivided() const {
    // Values outside 1...20 are settled before doubling so a huge decoded value cannot overflow.
    auto twice = [](std::int64_t v) {
        if (v > maximum) return maximum;
        if (v < minimum) return minimum;
        return clampCount(v * 2);
    };
    return GridSize{twice(columns), twice(rows)};
}

bool GridSize::isValid() const {
    return columns >= minimum && columns <= maximum && rows >= minimum && rows <= maximum;
}

Cell Cell::clamped(const GridSize& grid) const {
    return Cell{clampIndex(column, grid.columns), clampIndex(row, grid.rows)};
}

Cell Cell::at(double x, double y, double width, double height, const GridSize& grid) {
    return Cell{indexAt(x, width, grid.columns), indexAt(y, height, grid.rows)};
}

}  // namespace corvane
