#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/grid_size.h"
#include "core/key_combo.h"
#include "core/settings/starter_layouts.h"
#include "core/tile_region.h"
#include "core/uuid.h"

namespace corvane {

// A named placement the user applies without drawing it: a grid, a region of it
// and optionally a shortcut, which works either while the grid has the keyboard
// (grid-only) or from any application (global). Identified by `id`.
// A layout made without values is the starter "Center" with a new id.
struct SavedLayout {
    static constexpr std::size_t longestName = 80;

    Uuid id = Uuid::random();
    std::string name{StarterLayouts::center.name};
    GridSize grid = StarterLayout::grid;
    TileRegion region = StarterLayouts::center.region;
    std::optional<KeyCombo> shortcut =
        KeyCombo{StarterLayouts::center.keyCode, 0, std::string(StarterLayouts::center.key)};
    bool isGlobal = false;
    // Off switches the shortcut off: never registered, matched or checked for clashes.
    bool enabled = true;

    // The layout a row of a starter table describes, with the given id.
    static SavedLayout fromStarter(const StarterLayout& starter, Uuid id = Uuid::random());
    // The ten layouts a new settings document starts with, each with a new id.
    static std::vector<SavedLayout> starterLayouts();

    bool operator==(const SavedLayout&) const = default;
};

}  // namespace corvane
