// Starter layouts of earlier releases brought up to date without disturbing
// anything the user changed.
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

// Every layout as "name:key", "-" for no shortcut.
std::vector<std::string> summary(const AppSettings& settings) {
    std::vector<std::string> result;
    for (const auto& l : settings.layouts)
        result.push_back(l.name + ":" + (l.shortcut ? l.shortcut->key : "-"));
    return result;
}

const std::vector<std::string> kStarters{
    "Left half:L", "Right half:R", "Top half:T",  "Bottom half:B", "Maximize:M",
    "Center:C",    "Top left:1",   "Top right:2", "Bottom left:3", "Bottom right:4"};

TEST(SettingsMigration, UntouchedFirstGenerationBecomesTheCurrentStarters) {
    const AppSettings old = firstGeneration();
    const AppSettings upgraded = SettingsMigration::migrate(old);
    EXPECT_EQ(upgraded.starterLayoutsVersion, 3);
    EXPECT_EQ(summary(upgraded), kStarters);
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

TEST(SettingsMigration, ChangedPresetsStayAndShortcutsComeBackOnlyWhenFree) {
    AppSettings renamed = firstGeneration();
    renamed.layouts[6].name = "My third";
    AppSettings extra = firstGeneration();
    extra.layouts.push_back(layout("Four", {0, 0, 0.25, 1}, bare(21, "4")));
    AppSettings usesC = secondGeneration();
    usesC.layouts.push_back(layout("Cascade", {0, 0, 0.7, 0.7}, bare(8, "c")));
    AppSettings disabledC = usesC;
    disabledC.layouts.back().enabled = false;
    AppSettings noMaximize = secondGeneration();
    noMaximize.layouts[4].name = "maximize";

    auto starters = [](std::vector<std::string> changes) {
        std::vector<std::string> expected = kStarters;
        for (std::size_t i = 0; i < changes.size(); ++i)
            if (!changes[i].empty()) expected[i] = changes[i];
        return expected;
    };
    auto withExtra = [](std::vector<std::string> list, std::string last) {
        list.push_back(std::move(last));
        return list;
    };
    const struct {
        const char* name;
        AppSettings old;
        std::vector<std::string> expected;
    } cases[] = {
        // "My third" keeps key 1, so "Top left" cannot have it back.
        {"renamed preset", renamed, starters({"", "", "", "", "", "", "Top left:-", "My third:1"})},
        {"key 4 taken", extra,
         withExtra(starters({"", "", "", "", "", "", "", "", "", "Bottom right:-"}), "Four:4")},
        {"second generation", secondGeneration(), kStarters},
        {"C taken", usesC, withExtra(starters({"", "", "", "", "", "Center:-"}), "Cascade:c")},
        {"C taken but disabled", disabledC, withExtra(kStarters, "Cascade:c")},
        {"no exact Maximize",
         noMaximize,
         {"Left half:L", "Right half:R", "Top half:T", "Bottom half:B", "maximize:M", "Top left:1",
          "Top right:2", "Bottom left:3", "Bottom right:4", "Center:C"}},
    };
    for (const auto& c : cases) {
        const AppSettings upgraded = SettingsMigration::migrate(c.old);
        EXPECT_EQ(summary(upgraded), c.expected) << c.name;
        EXPECT_EQ(upgraded.starterLayoutsVersion, 3) << c.name;
    }
    EXPECT_EQ(SettingsMigration::migrate(renamed).layouts[7], renamed.layouts[6]);
    EXPECT_EQ(SettingsMigration::migrate(secondGeneration()).layouts[5].region, kCenter);
}

TEST(SettingsMigration, CenterIsNotAddedWhereTheUserHasOneOrThereIsNoRoom) {
    std::vector<AppSettings> cases(4, secondGeneration());
    cases[0].layouts.push_back(layout("center", {0, 0, 0.6, 0.6}, std::nullopt));
    cases[1].layouts.push_back(layout("Middle", kCenter, std::nullopt));
    cases[2].layouts.clear();
    cases[3].layouts.clear();
    for (int i = 0; i < 256; ++i)
        cases[3].layouts.push_back(layout(std::to_string(i), {0, 0, 0.5, 0.5}, std::nullopt));
    for (const AppSettings& old : cases) {
        const AppSettings upgraded = SettingsMigration::migrate(old);
        EXPECT_EQ(summary(upgraded), summary(old));
        EXPECT_EQ(upgraded.starterLayoutsVersion, 3);
    }
}

TEST(SettingsMigration, CurrentGenerationIsUnchangedAndInvalidInputRefused) {
    AppSettings current;
    current.layouts.erase(current.layouts.begin() + 5);  // no "Center", still nothing to do
    EXPECT_EQ(SettingsMigration::migrate(current), current);
    AppSettings invalid = firstGeneration();
    invalid.version = 7;
    EXPECT_THROW(SettingsMigration::migrate(invalid), SettingsError);
}

}  // namespace
}  // namespace corvane
