// Starter layouts of earlier releases brought up to date without disturbing
// anything the user changed.
#include "core/settings/settings_migration.h"

#include <gtest/gtest.h>

#include "core/settings/settings_codec.h"

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

// Every layout as "name:key" ("-" for no shortcut) after the four halves, which
// no migration touches.
std::string summary(const AppSettings& settings) {
    std::string text;
    for (std::size_t i = 0; i < settings.layouts.size(); ++i) {
        const SavedLayout& l = settings.layouts[i];
        if (i >= 4) text += l.name + ":" + (l.shortcut ? l.shortcut->key : "-") + " ";
    }
    return text;
}

const std::string kStarters = "Maximize:M Center:C Top left:1 Top right:2 Bottom left:3 ";

TEST(SettingsMigration, UntouchedFirstGenerationBecomesTheCurrentStarters) {
    const AppSettings old = firstGeneration();
    const AppSettings upgraded = SettingsMigration::migrate(old);
    EXPECT_EQ(upgraded.starterLayoutsVersion, 3);
    EXPECT_EQ(summary(upgraded), kStarters + "Bottom right:4 ");
    const AppSettings current;
    for (std::size_t i = 0; i < current.layouts.size(); ++i)
        EXPECT_EQ(upgraded.layouts[i].region, current.layouts[i].region) << i;
    // The quarters took over the presets' ids, in their places; "Center" is new.
    for (std::size_t j = 5; j < 9; ++j) EXPECT_EQ(upgraded.layouts[j + 1].id, old.layouts[j].id);
    for (const auto& l : old.layouts) EXPECT_NE(upgraded.layouts[5].id, l.id);
}

TEST(SettingsMigration, ChangesTheUserMadeStayAndShortcutsComeBackOnlyWhenFree) {
    std::vector<AppSettings> old{firstGeneration(),  firstGeneration(),  secondGeneration(),
                                 secondGeneration(), secondGeneration(), secondGeneration(),
                                 secondGeneration(), secondGeneration()};
    old[0].layouts[6].name = "My third";
    old[1].layouts.push_back(layout("Four", {0, 0, 0.25, 1}, bare(21, "4")));
    old[2].layouts.push_back(layout("Cascade", {0, 0, 0.7, 0.7}, bare(8, "c")));
    old[3].layouts.push_back(layout("Cascade", {0, 0, 0.7, 0.7}, bare(8, "c")));
    old[3].layouts.back().enabled = false;
    old[4].layouts[4].name = "maximize";
    // No "Center" where the user has one by name or by region, or no room for it.
    old[5].layouts.push_back(layout("center", {0, 0, 0.6, 0.6}, std::nullopt));
    old[6].layouts.push_back(layout("Middle", kCenter, std::nullopt));
    old[7].layouts.clear();
    for (int i = 0; i < 256; ++i)
        old[7].layouts.push_back(layout(std::to_string(i), {0, 0, 0.5, 0.5}, std::nullopt));
    const std::string expected[] = {
        // "My third" keeps key 1, so "Top left" cannot have it back.
        "Maximize:M Center:C Top left:- My third:1 Bottom left:3 Bottom right:4 ",
        kStarters + "Bottom right:- Four:4 ",
        "Maximize:M Center:- Top left:1 Top right:2 Bottom left:3 Bottom right:4 Cascade:c ",
        kStarters + "Bottom right:4 Cascade:c ",
        // Without an exact "Maximize", "Center" goes last.
        "maximize:M Top left:1 Top right:2 Bottom left:3 Bottom right:4 Center:C ", summary(old[5]),
        summary(old[6]), summary(old[7])};
    for (std::size_t i = 0; i < old.size(); ++i) {
        const AppSettings upgraded = SettingsMigration::migrate(old[i]);
        EXPECT_EQ(summary(upgraded), expected[i]) << i;
        EXPECT_EQ(upgraded.starterLayoutsVersion, 3) << i;
    }
    EXPECT_EQ(SettingsMigration::migrate(old[0]).layouts[7], old[0].layouts[6]);

    AppSettings current;
    current.layouts.erase(current.layouts.begin() + 5);  // no "Center", still nothing to do
    EXPECT_EQ(SettingsMigration::migrate(current), current);
    AppSettings invalid = firstGeneration();
    invalid.version = 7;
    EXPECT_THROW(SettingsMigration::migrate(invalid), SettingsError);
}

}  // namespace
}  // namespace corvane
