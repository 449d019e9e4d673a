#include "core/saved_layout.h"

#include <cstdint>

namespace corvane {

namespace {

SavedLayout starter(std::string name, TileRegion region, std::uint16_t keyCode, std::string key) {
    return SavedLayout{
        .id = Uuid::random(),
        .name = std::move(name),
        .grid = GridSize{6, 6},
        .region = region,
        .shortcut = KeyCombo{keyCode, 0, std::move(key)},
        .isGlobal = false,
        .enabled = true,
    };
}

}  // namespace

std::vector<SavedLayout> SavedLayout::starterLayouts() {
    const double sixth = 1.0 / 6;
    const double twoThirds = 2.0 / 3;
    return {
        starter("Left half", {0, 0, 0.5, 1}, 37, "L"),
        starter("Right half", {0.5, 0, 0.5, 1}, 15, "R"),
        starter("Top half", {0, 0, 1, 0.5}, 17, "T"),
        starter("Bottom half", {0, 0.5, 1, 0.5}, 11, "B"),
        starter("Maximize", {0, 0, 1, 1}, 46, "M"),
        starter("Center", {sixth, sixth, twoThirds, twoThirds}, 8, "C"),
        starter("Top left", {0, 0, 0.5, 0.5}, 18, "1"),
        starter("Top right", {0.5, 0, 0.5, 0.5}, 19, "2"),
        starter("Bottom left", {0, 0.5, 0.5, 0.5}, 20, "3"),
        starter("Bottom right", {0.5, 0.5, 0.5, 0.5}, 21, "4"),
    };
}

}  // namespace corvane
