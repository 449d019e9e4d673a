#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/grid_size.h"
#include "core/tile_region.h"

namespace corvane {

// One row of a table of starter layouts. Every starter is drawn on a 6 × 6 grid,
// has a grid-only shortcut without modifiers and is enabled.
struct StarterLayout {
    static constexpr GridSize grid{6, 6};

    std::string_view name;
    TileRegion region;
    std::uint16_t keyCode = 0;
    std::string_view key;
};

// The starter layouts a new settings document gets, and the upgrade of older
// documents brings them to: the only place they are written down.
namespace StarterLayouts {

inline constexpr StarterLayout center{"Center", {1.0 / 6, 1.0 / 6, 2.0 / 3, 2.0 / 3}, 8, "C"};

// In the order the settings list them.
inline constexpr std::array<StarterLayout, 10> current{{
    {"Left half", {0, 0, 0.5, 1}, 37, "L"},
    {"Right half", {0.5, 0, 0.5, 1}, 15, "R"},
    {"Top half", {0, 0, 1, 0.5}, 17, "T"},
    {"Bottom half", {0, 0.5, 1, 0.5}, 11, "B"},
    {"Maximize", {0, 0, 1, 1}, 46, "M"},
    center,
    {"Top left", {0, 0, 0.5, 0.5}, 18, "1"},
    {"Top right", {0.5, 0, 0.5, 0.5}, 19, "2"},
    {"Bottom left", {0, 0.5, 0.5, 0.5}, 20, "3"},
    {"Bottom right", {0.5, 0.5, 0.5, 0.5}, 21, "4"},
}};

// The four quarters, last in the list; they took the place of the presets the
// first releases seeded, one for one in this order.
inline constexpr std::span<const StarterLayout, 4> quarters = std::span(current).last<4>();

}  // namespace StarterLayouts

}  // namespace corvane
