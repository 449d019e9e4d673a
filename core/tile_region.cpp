#include "core/tile_region.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace corvane {

TileRegion TileRegion::spanning(Cell a, Cell b, const GridSize& grid) {
    const Cell first = a.clamped(grid);
    const Cell second = b.clamped(grid);
    const double columns = double(grid.columns);
    const double rows = double(grid.rows);
    return TileRegion{
        double(std::min(first.column, second.column)) / columns,
        double(std::min(first.row, second.row)) / rows,
        double(std::llabs(first.column - second.column) + 1) / columns,
        double(std::llabs(first.row - second.row) + 1) / rows,
    };
}

bool TileRegion::isValid() const {
    // The tolerance accepts fractions summed with rounding error, such as 5 * (1/6) + 1/6.
    constexpr double limit = 1.000001;
    return std::isfinite(x) && std::isfinite(y) && std::isfinite(width) && std::isfinite(height) &&
           x >= 0 && y >= 0 && width > 0 && height > 0 && x + width <= limit && y + height <= limit;
}

}  // namespace corvane
