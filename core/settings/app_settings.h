#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/grid_size.h"
#include "core/key_combo.h"
#include "core/margins.h"
#include "core/saved_layout.h"

namespace corvane {

// Every user setting: the one document kept in settings.json and exchanged by
// export and import. A default value holds fresh starter layouts.
struct AppSettings {
    static constexpr std::int64_t currentVersion = 1;
    static constexpr std::int64_t currentStarterLayoutsVersion = 3;
    static constexpr std::size_t mostLayouts = 256;

    std::int64_t version = currentVersion;
    // Which generation of starter layouts the list has been brought up to (1 to 3).
    std::int64_t starterLayoutsVersion = currentStarterLayoutsVersion;
    GridSize grid{6, 6};
    bool resetGridOnOpen = true;
    bool keepPanelOpen = false;
    bool cycleDisplays = false;
    // The tray icon; the key keeps its historical name in stored files.
    bool showMenuBarIcon = true;
    bool showPreview = true;
    bool animatePreview = true;
    bool animateWindows = true;
    Margins margins{};
    std::optional<KeyCombo> activationShortcut = KeyCombo::defaultActivation();
    std::vector<SavedLayout> layouts = SavedLayout::starterLayouts();

    bool operator==(const AppSettings&) const = default;
};

}  // namespace corvane
