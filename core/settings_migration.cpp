#include "core/settings_migration.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>
#include <vector>

#include "core/durable_file.h"
#include "core/settings_codec.h"

namespace corvane::SettingsMigration {

namespace {

const TileRegion kCenterRegion{1.0 / 6, 1.0 / 6, 2.0 / 3, 2.0 / 3};

SavedLayout preset(std::string name, TileRegion region, std::uint16_t keyCode, std::string key) {
    return SavedLayout{.id = Uuid{},
                       .name = std::move(name),
                       .grid = GridSize{6, 6},
                       .region = region,
                       .shortcut = KeyCombo{keyCode, 0, std::move(key)},
                       .isGlobal = false,
                       .enabled = true};
}

// The four presets of the first generation; the last four starter layouts replaced them.
std::array<SavedLayout, 4> firstGenerationPresets() {
    const double third = 1.0 / 3;
    return {
        preset("Center", kCenterRegion, 8, "C"),
        preset("Left third", {0, 0, third, 1}, 18, "1"),
        preset("Middle third", {third, 0, third, 1}, 19, "2"),
        preset("Right third", {2 * third, 0, third, 1}, 20, "3"),
    };
}

bool matchesIgnoringId(SavedLayout layout, const SavedLayout& preset) {
    layout.id = preset.id;
    return layout == preset;
}

bool anyEnabledLayoutUses(const KeyCombo& shortcut, const std::vector<SavedLayout>& layouts) {
    return std::any_of(layouts.begin(), layouts.end(), [&](const SavedLayout& layout) {
        return layout.enabled && layout.shortcut && layout.shortcut->sameKeys(shortcut);
    });
}

bool isTakenBy(const KeyCombo& shortcut, const AppSettings& settings) {
    const auto& activation = settings.activationShortcut;
    return (activation && activation->sameKeys(shortcut)) ||
           anyEnabledLayoutUses(shortcut, settings.layouts);
}

struct PendingShortcut {
    std::size_t position;
    KeyCombo shortcut;
};

// Swaps untouched first-generation presets for the quarter layouts, keeping ids.
// Shortcuts are handed back afterwards, and only where nothing else claims them.
AppSettings upgradeToSecondGeneration(AppSettings settings) {
    const auto presets = firstGenerationPresets();
    const std::vector<SavedLayout> starters = SavedLayout::starterLayouts();
    std::vector<PendingShortcut> pending;
    for (std::size_t i = 0; i < settings.layouts.size(); ++i) {
        SavedLayout& layout = settings.layouts[i];
        for (std::size_t j = 0; j < presets.size(); ++j) {
            if (!matchesIgnoringId(layout, presets[j])) continue;
            SavedLayout replacement = starters[starters.size() - presets.size() + j];
            replacement.id = layout.id;
            pending.push_back({i, *replacement.shortcut});
            replacement.shortcut.reset();
            layout = std::move(replacement);
            break;
        }
    }
    for (const PendingShortcut& item : pending) {
        if (!isTakenBy(item.shortcut, settings)) {
            settings.layouts[item.position].shortcut = item.shortcut;
        }
    }
    settings.starterLayoutsVersion = 2;
    SettingsCodec::validate(settings);
    return settings;
}

bool equalsIgnoringCase(const std::string& text, std::string_view other) {
    return std::equal(text.begin(), text.end(), other.begin(), other.end(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) ==
               std::tolower(static_cast<unsigned char>(b));
    });
}

bool hasCenterAlready(const AppSettings& settings) {
    return std::any_of(settings.layouts.begin(), settings.layouts.end(), [](const auto& layout) {
        return equalsIgnoringCase(layout.name, "Center") || layout.region == kCenterRegion;
    });
}

// Adds "Center" back after "Maximize", unless the user has a centre layout of
// their own, removed every layout, or has no room left.
AppSettings upgradeToThirdGeneration(AppSettings settings) {
    auto& layouts = settings.layouts;
    if (layouts.empty() || layouts.size() >= AppSettings::mostLayouts) return settings;
    if (hasCenterAlready(settings)) return settings;
    SavedLayout center;  // "Center" with grid-only shortcut C and a new id
    if (anyEnabledLayoutUses(*center.shortcut, layouts)) center.shortcut.reset();
    const auto maximize = std::find_if(layouts.begin(), layouts.end(), [](const auto& layout) {
        return layout.name == "Maximize";
    });
    layouts.insert(maximize == layouts.end() ? layouts.end() : maximize + 1, std::move(center));
    return settings;
}

}  // namespace

AppSettings migrate(const AppSettings& settings) {
    SettingsCodec::validate(settings);
    if (settings.starterLayoutsVersion == AppSettings::currentStarterLayoutsVersion) {
        return settings;
    }
    AppSettings upgraded =
        settings.starterLayoutsVersion == 1 ? upgradeToSecondGeneration(settings) : settings;
    upgraded = upgradeToThirdGeneration(std::move(upgraded));
    upgraded.starterLayoutsVersion = AppSettings::currentStarterLayoutsVersion;
    SettingsCodec::validate(upgraded);
    return upgraded;
}

void moveLegacyFile(const std::filesystem::path& legacyFile,
                    const std::filesystem::path& currentFile) {
    namespace fs = std::filesystem;
    if (fs::exists(currentFile) || !fs::exists(legacyFile)) return;
    // Canonical bytes rather than a byte copy: what arrives is exactly what loads.
    const std::string bytes = SettingsCodec::encode(SettingsCodec::load(legacyFile));
    const fs::path folder = currentFile.parent_path();
    fs::create_directories(folder);
    const fs::path temporary = folder / (".migration-" + Uuid::random().text() + ".json");
    DurableFile::writeNew(temporary, bytes);
    try {
        // Never over a settings file that appeared meanwhile.
        DurableFile::move(temporary, currentFile, false);
    } catch (...) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw;
    }
}

}  // namespace corvane::SettingsMigration
