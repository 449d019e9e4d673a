#pragma once

#include "core/grid_size.h"

namespace corvane {

// A rectangle of a monitor's work area in fractions (0...1) of its width and
// height, origin top-left. Independent of the grid it was drawn on.
struct TileRegion {
    double x = 0;
    double y = 0;
    double width = 1;
    double height = 1;

    // The region covering the rectangle of cells with opposite corners a and b.
    static TileRegion spanning(Cell a, Cell b, const GridSize& grid);
    static TileRegion full() { return TileRegion{0, 0, 1, 1}; }
    bool isValid() const;

    bool operator==(const TileRegion&) const = default;
};

}  // namespace corvane
