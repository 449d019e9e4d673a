#include "core/settings_migration.h"

#include <gtest/gtest.h>

#include "core/settings_codec.h"

namespace corvane {
namespace {

const double kThird = 1.0 / 3;
const TileRegion kCenter{1.0 / 6, 1.0 / 6, 2.0 / 3, 2.0 / 3};

SavedLayout layout(std::string name, TileRegion region, std::optional<KeyCombo> shortcut) {
    SavedLayout l;
    l.name = std::move(name);
    l.region = region;
    l.shortcut = std::move(shortcut);
    return l;
}

KeyCombo bare(std::uint16_t code, std::string key) {
    return KeyCombo{code, 0, std::move(key)};
}

// What the first releases seeded: five halves and the maximum, then four presets.
AppSettings firstGeneration() {
    AppSettings settings;
    settings.starterLayoutsVersion = 1;
    settings.layouts.resize(5);
    settings.layouts.push_back(layout("Center", kCenter, bare(8, "C")));
    settings.layouts.push_back(layout("Left third", {0, 0, kThird, 1}, bare(18, "1")));
    settings.layouts.push_back(layout("Middle third", {kThird, 0, kThird, 1}, bare(19, "2")));
    settings.layouts.push_back(layout("Right third", {2 * kThird, 0, kThird, 1}, bare(20, "3")));
    return settings;
}

// The current starters without "Center": what generation 2 seeded.
AppSettings secondGeneration() {
    AppSettings settings;
    settings.starterLayoutsVersion = 2;
    settings.layouts.erase(settings.layouts.begin() + 5);
    return settings;
}

std::vector<std::string> names(const AppSettings& settings) {
    std::vector<std::string> result;
    for (const auto& l : settings.layouts) result.push_back(l.name);
    return result;
}

// Every layout's shortcut label, "-" where there is none.
std::vector<std::string> keys(const AppSettings& settings) {
    std::vector<std::string> result;
    for (const auto& l : settings.layouts) result.push_back(l.shortcut ? l.shortcut->key : "-");
    return result;
}

const std::vector<std::string> kStarterNames{
    "Left half", "Right half", "Top half",  "Bottom half", "Maximize",
    "Center",    "Top left",   "Top right", "Bottom left", "Bottom right"};

// "L0", "L1", ...; built by appending (GCC 12 warns falsely about "L" + string at -O3).
std::string numbered(int i) {
    std::string name = "L";
    return name.append(std::to_string(i));
}

TEST(SettingsMigration, UntouchedFirstGenerationBecomesTheCurrentStarters) {
    const AppSettings old = firstGeneration();
    const AppSettings upgraded = SettingsMigration::migrate(old);
    EXPECT_EQ(upgraded.starterLayoutsVersion, 3);
    EXPECT_EQ(names(upgraded), kStarterNames);
    EXPECT_EQ(keys(upgraded),
              (std::vector<std::string>{"L", "R", "T", "B", "M", "C", "1", "2", "3", "4"}));
    const auto starters = SavedLayout::starterLayouts();
    for (std::size_t i = 0; i < starters.size(); ++i) {
        EXPECT_EQ(upgraded.layouts[i].region, starters[i].region) << i;
        EXPECT_EQ(upgraded.layouts[i].shortcut, starters[i].shortcut) << i;
    }
    // The quarters took over the presets' ids, in their places; "Center" is new.
    for (std::size_t j = 0; j < 4; ++j)
        EXPECT_EQ(upgraded.layouts[6 + j].id, old.layouts[5 + j].id);
    for (const auto& l : old.layouts) EXPECT_NE(upgraded.layouts[5].id, l.id);
}

TEST(SettingsMigration, PresetsTheUserChangedStayAsTheyAre) {
    AppSettings old = firstGeneration();
    old.layouts[6].name = "My third";
    const AppSettings upgraded = SettingsMigration::migrate(old);
    EXPECT_EQ(names(upgraded),
              (std::vector<std::string>{"Left half", "Right half", "Top half", "Bottom half",
                                        "Maximize", "Center", "Top left", "My third", "Bottom left",
                                        "Bottom right"}));
    EXPECT_EQ(upgraded.layouts[7], old.layouts[6]);
    // "My third" keeps key 1, so "Top left" cannot have it back.
    EXPECT_EQ(keys(upgraded),
              (std::vector<std::string>{"L", "R", "T", "B", "M", "C", "-", "1", "3", "4"}));
}

TEST(SettingsMigration, ShortcutsAreGivenBackOnlyWhenFree) {
    AppSettings old = firstGeneration();
    old.layouts.push_back(layout("Four", {0, 0, 0.25, 1}, bare(21, "4")));
    const AppSettings upgraded = SettingsMigration::migrate(old);
    EXPECT_EQ(upgraded.layouts[9].name, "Bottom right");
    EXPECT_FALSE(upgraded.layouts[9].shortcut);
    EXPECT_EQ(upgraded.layouts[10].shortcut, bare(21, "4"));
}

TEST(SettingsMigration, SecondGenerationGetsCenterAfterMaximize) {
    const AppSettings old = secondGeneration();
    const AppSettings upgraded = SettingsMigration::migrate(old);
    EXPECT_EQ(names(upgraded), kStarterNames);
    EXPECT_EQ(upgraded.layouts[5].shortcut, bare(8, "C"));
    EXPECT_EQ(upgraded.layouts[5].region, kCenter);
    EXPECT_EQ(upgraded.starterLayoutsVersion, 3);
}

TEST(SettingsMigration, CenterComesWithoutShortcutWhenAnEnabledLayoutUsesC) {
    AppSettings old = secondGeneration();
    old.layouts.push_back(layout("Cascade", {0, 0, 0.7, 0.7}, bare(8, "c")));
    EXPECT_FALSE(SettingsMigration::migrate(old).layouts[5].shortcut);
    old.layouts.back().enabled = false;
    EXPECT_EQ(SettingsMigration::migrate(old).layouts[5].shortcut, bare(8, "C"));
}

TEST(SettingsMigration, CenterIsNotAddedWhereTheUserHasOneOrNoRoom) {
    AppSettings old = secondGeneration();
    old.layouts.push_back(layout("center", {0, 0, 0.6, 0.6}, std::nullopt));
    EXPECT_EQ(SettingsMigration::migrate(old).layouts.size(), old.layouts.size());
    old.layouts.back() = layout("Middle", kCenter, std::nullopt);
    EXPECT_EQ(SettingsMigration::migrate(old).layouts.size(), old.layouts.size());

    old = secondGeneration();
    old.layouts.clear();
    const AppSettings empty = SettingsMigration::migrate(old);
    EXPECT_TRUE(empty.layouts.empty());
    EXPECT_EQ(empty.starterLayoutsVersion, 3);

    old = secondGeneration();
    old.layouts.clear();
    for (int i = 0; i < 256; ++i) {
        old.layouts.push_back(layout(numbered(i), {0, 0, 0.5, 0.5}, std::nullopt));
    }
    const AppSettings full = SettingsMigration::migrate(old);
    EXPECT_EQ(full.layouts.size(), 256u);
    EXPECT_EQ(full.starterLayoutsVersion, 3);
}

TEST(SettingsMigration, CenterIsAppendedWithoutAnExactMaximize) {
    AppSettings old = secondGeneration();
    old.layouts[4].name = "maximize";
    const AppSettings upgraded = SettingsMigration::migrate(old);
    EXPECT_EQ(upgraded.layouts.back().name, "Center");
    EXPECT_EQ(upgraded.layouts[5].name, "Top left");
}

TEST(SettingsMigration, CurrentGenerationIsReturnedUnchanged) {
    AppSettings current;
    current.layouts.erase(current.layouts.begin() + 5);  // no "Center", still nothing to do
    EXPECT_EQ(SettingsMigration::migrate(current), current);
}

TEST(SettingsMigration, InvalidInputIsRefusedWithItsMessage) {
    AppSettings old = firstGeneration();
    old.version = 7;
    try {
        SettingsMigration::migrate(old);
        FAIL() << "migrated";
    } catch (const SettingsError& error) {
        EXPECT_EQ(error.message(), "This settings file uses an unsupported version.");
    }
}

}  // namespace
}  // namespace corvane
