#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/grid_size.h"
#include "core/key_combo.h"
#include "core/tile_region.h"
#include "core/uuid.h"

namespace corvane {

// A named placement the user applies without drawing it: a grid, a region of it
// and optionally a shortcut, which works either while the grid has the keyboard
// (grid-only) or from any application (global). Identified by `id`.
struct SavedLayout {
    static constexpr std::size_t longestName = 80;

    Uuid id = Uuid::random();
    std::string name = "Center";
    GridSize grid{6, 6};
    TileRegion region{1.0 / 6, 1.0 / 6, 2.0 / 3, 2.0 / 3};
    std::optional<KeyCombo> shortcut = KeyCombo{8, 0, "C"};
    bool isGlobal = false;
    // Off switches the shortcut off: never registered, matched or checked for clashes.
    bool enabled = true;

    // The ten layouts a new settings document starts with, each with a new id.
    static std::vector<SavedLayout> starterLayouts();

    bool operator==(const SavedLayout&) const = default;
};

}  // namespace corvane
