#include "core/settings/settings_migration.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <utility>
#include <vector>

#include "core/settings/durable_file.h"
#include "core/settings/settings_codec.h"

namespace corvane::SettingsMigration {

namespace {

// The four presets the first releases seeded, as they wrote them. These are data
// of the past, kept apart from the current starters: they must match old files
// whatever the starters become.
constexpr std::array<StarterLayout, 4> kFirstGenerationPresets{{
    {"Center", {1.0 / 6, 1.0 / 6, 2.0 / 3, 2.0 / 3}, 8, "C"},
    {"Left third", {0, 0, 1.0 / 3, 1}, 18, "1"},
    {"Middle third", {1.0 / 3, 0, 1.0 / 3, 1}, 19, "2"},
    {"Right third", {2 * (1.0 / 3), 0, 1.0 / 3, 1}, 20, "3"},
}};
static_assert(kFirstGenerationPresets.size() == StarterLayouts::quarters.size());

bool matchesIgnoringId(const SavedLayout& layout, const StarterLayout& preset) {
    return layout == SavedLayout::fromStarter(preset, layout.id);
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
    std::vector<PendingShortcut> pending;
    for (std::size_t i = 0; i < settings.layouts.size(); ++i) {
        SavedLayout& layout = settings.layouts[i];
        for (std::size_t j = 0; j < kFirstGenerationPresets.size(); ++j) {
            if (!matchesIgnoringId(layout, kFirstGenerationPresets[j])) continue;
            SavedLayout replacement =
                SavedLayout::fromStarter(StarterLayouts::quarters[j], layout.id);
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
        return equalsIgnoringCase(layout.name, StarterLayouts::center.name) ||
               layout.region == StarterLayouts::center.region;
    });
}

// Adds "Center" back after "Maximize", unless the user has a centre layout of
// their own, removed every layout, or has no room left.
AppSettings upgradeToThirdGeneration(AppSettings settings) {
    auto& layouts = settings.layouts;
    if (layouts.empty() || layouts.size() >= AppSettings::mostLayouts) return settings;
    if (hasCenterAlready(settings)) return settings;
    SavedLayout center = SavedLayout::fromStarter(StarterLayouts::center);
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
