#include "core/saved_layout.h"

namespace corvane {

SavedLayout SavedLayout::fromStarter(const StarterLayout& starter, Uuid id) {
    return SavedLayout{
        .id = id,
        .name = std::string(starter.name),
        .grid = StarterLayout::grid,
        .region = starter.region,
        .shortcut = KeyCombo{starter.keyCode, 0, std::string(starter.key)},
        .isGlobal = false,
        .enabled = true,
    };
}

std::vector<SavedLayout> SavedLayout::starterLayouts() {
    std::vector<SavedLayout> layouts;
    layouts.reserve(StarterLayouts::current.size());
    for (const StarterLayout& starter : StarterLayouts::current) {
        layouts.push_back(fromStarter(starter));
    }
    return layouts;
}

}  // namespace corvane
