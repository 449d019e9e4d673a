#pragma once

#include <cstdint>

namespace corvane {

// How many columns and rows the grid shows; each 1 to 20.
struct GridSize {
    static constexpr std::int64_t minimum = 1;
    static constexpr std::int64_t maximum = 20;

    std::int64_t columns = 6;
    std::int64_t rows = 6;

    // Clamps both values into 1...20. Decoding stores values unchanged instead
    // (aggregate initialisation), so validation can refuse them.
    static GridSize clamped(std::int64_t columns, std::int64_t rows);
    // Twice the columns and rows, each clamped into 1...20.
    GridSize subdivided() const;
    bool isValid() const;

    bool operator==(const GridSize&) const = default;
};

// One cell of a grid, counted from the top-left, 0-based.
struct Cell {
    std::int64_t column = 0;
    std::int64_t row = 0;

    Cell clamped(const GridSize& grid) const;
    // The cell under point (x, y) of a grid drawing of the given size.
    static Cell at(double x, double y, double width, double height, const GridSize& grid);

    bool operator==(const Cell&) const = default;
};

}  // namespace corvane
