// Layouts, their ids and the settings of a new installation.
#include "core/saved_layout.h"

#include <gtest/gtest.h>

#include <set>

#include "core/app_settings.h"

namespace corvane {
namespace {

TEST(SavedLayout, ANewInstallationHasTheTenStartersAndDefaults) {
    const AppSettings settings;
    EXPECT_EQ(settings.version, 1);
    EXPECT_EQ(settings.starterLayoutsVersion, 3);
    EXPECT_EQ(settings.grid, (GridSize{6, 6}));
    EXPECT_TRUE(settings.resetGridOnOpen && settings.showMenuBarIcon && settings.showPreview &&
                settings.animatePreview && settings.animateWindows);
    EXPECT_FALSE(settings.keepPanelOpen || settings.cycleDisplays || settings.margins.enabled);
    EXPECT_EQ(settings.activationShortcut, (KeyCombo{17, 11, "T"}));

    const char* names[] = {"Left half", "Right half", "Top half",  "Bottom half", "Maximize",
                           "Center",    "Top left",   "Top right", "Bottom left", "Bottom right"};
    const std::uint16_t codes[] = {37, 15, 17, 11, 46, 8, 18, 19, 20, 21};
    const char* keys[] = {"L", "R", "T", "B", "M", "C", "1", "2", "3", "4"};
    const double s = 1.0 / 6, f = 4.0 / 6;
    const TileRegion regions[] = {{0, 0, 0.5, 1},      {0.5, 0, 0.5, 1},   {0, 0, 1, 0.5},
                                  {0, 0.5, 1, 0.5},    {0, 0, 1, 1},       {s, s, f, f},
                                  {0, 0, 0.5, 0.5},    {0.5, 0, 0.5, 0.5}, {0, 0.5, 0.5, 0.5},
                                  {0.5, 0.5, 0.5, 0.5}};
    ASSERT_EQ(settings.layouts.size(), 10u);
    std::set<Uuid> ids;
    for (std::size_t i = 0; i < 10; ++i) {
        const SavedLayout& layout = settings.layouts[i];
        EXPECT_EQ(layout.name, names[i]);
        EXPECT_EQ(layout.shortcut, (KeyCombo{codes[i], 0, keys[i]})) << names[i];
        EXPECT_EQ(layout.region, regions[i]) << names[i];
        EXPECT_EQ(layout.grid, (GridSize{6, 6}));
        EXPECT_TRUE(layout.enabled && !layout.isGlobal);
        ids.insert(layout.id);
    }
    for (const auto& layout : SavedLayout::starterLayouts()) ids.insert(layout.id);
    EXPECT_EQ(ids.size(), 20u) << "every call gives new ids";
    EXPECT_EQ(SavedLayout().name, "Center");
}

TEST(Uuid, RandomIdsAreVersionFourTextIsCanonicalAndParsingIsStrict) {
    std::set<Uuid> seen;
    for (int i = 0; i < 1000; ++i) {
        const Uuid id = Uuid::random();
        EXPECT_EQ(id.bytes()[6] >> 4, 4);
        EXPECT_EQ(id.bytes()[8] >> 6, 2);
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 1000u);
    const std::string text = "E621E1F8-C36C-495A-93FC-0C247A3E6E5F";
    EXPECT_EQ(Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f").value().text(), text);
    EXPECT_EQ(Uuid::parse(text).value().text(), text);
    for (const std::string& bad : {std::string(), text.substr(1), text + "0", " " + text,
                                   "{" + text + "}", "G" + text.substr(1), text.substr(0, 8) +
                                   text.substr(9), text.substr(0, 23) + "_" + text.substr(24)}) {
        EXPECT_FALSE(Uuid::parse(bad)) << bad;
    }
}

}  // namespace
}  // namespace corvane
