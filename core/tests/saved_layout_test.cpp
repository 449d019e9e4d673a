#include "core/saved_layout.h"

#include <gtest/gtest.h>

#include <set>

#include "core/app_settings.h"

namespace corvane {
namespace {

TEST(SavedLayout, DefaultIsCentreWithGridOnlyShortcutC) {
    const SavedLayout layout;
    EXPECT_EQ(layout.name, "Center");
    EXPECT_EQ(layout.grid, (GridSize{6, 6}));
    EXPECT_EQ(layout.region.x, 0.16666666666666666);
    EXPECT_EQ(layout.region.width, 0.6666666666666666);
    EXPECT_EQ(layout.shortcut, (KeyCombo{8, 0, "C"}));
    EXPECT_FALSE(layout.isGlobal);
    EXPECT_TRUE(layout.enabled);
    EXPECT_NE(SavedLayout().id, SavedLayout().id);
}

TEST(SavedLayout, StarterLayoutsAreTheTenInOrder) {
    const auto layouts = SavedLayout::starterLayouts();
    ASSERT_EQ(layouts.size(), 10u);
    const std::vector<std::string> names{"Left half",   "Right half",  "Top half", "Bottom half",
                                         "Maximize",    "Center",      "Top left", "Top right",
                                         "Bottom left", "Bottom right"};
    const std::vector<std::uint16_t> codes{37, 15, 17, 11, 46, 8, 18, 19, 20, 21};
    const std::vector<std::string> keys{"L", "R", "T", "B", "M", "C", "1", "2", "3", "4"};
    for (std::size_t i = 0; i < layouts.size(); ++i) {
        EXPECT_EQ(layouts[i].name, names[i]);
        EXPECT_EQ(layouts[i].shortcut, (KeyCombo{codes[i], 0, keys[i]})) << names[i];
        EXPECT_EQ(layouts[i].grid, (GridSize{6, 6}));
        EXPECT_FALSE(layouts[i].isGlobal);
        EXPECT_TRUE(layouts[i].enabled);
    }
    EXPECT_EQ(layouts[1].region, (TileRegion{0.5, 0, 0.5, 1}));
    EXPECT_EQ(layouts[3].region, (TileRegion{0, 0.5, 1, 0.5}));
    EXPECT_EQ(layouts[5].region, (TileRegion{0.16666666666666666, 0.16666666666666666,
                                             0.6666666666666666, 0.6666666666666666}));
    EXPECT_EQ(layouts[9].region, (TileRegion{0.5, 0.5, 0.5, 0.5}));
}

TEST(SavedLayout, EveryCallGivesNewIds) {
    std::set<Uuid> ids;
    for (const auto& layout : SavedLayout::starterLayouts()) ids.insert(layout.id);
    for (const auto& layout : SavedLayout::starterLayouts()) ids.insert(layout.id);
    EXPECT_EQ(ids.size(), 20u);
}

TEST(AppSettings, DefaultsMatchANewInstallation) {
    const AppSettings settings;
    EXPECT_EQ(settings.version, 1);
    EXPECT_EQ(settings.starterLayoutsVersion, 3);
    EXPECT_EQ(settings.grid, (GridSize{6, 6}));
    EXPECT_TRUE(settings.resetGridOnOpen);
    EXPECT_FALSE(settings.keepPanelOpen);
    EXPECT_FALSE(settings.cycleDisplays);
    EXPECT_TRUE(settings.showMenuBarIcon);
    EXPECT_TRUE(settings.showPreview);
    EXPECT_TRUE(settings.animatePreview);
    EXPECT_TRUE(settings.animateWindows);
    EXPECT_EQ(settings.margins, Margins{});
    EXPECT_FALSE(settings.margins.enabled);
    EXPECT_EQ(settings.activationShortcut, (KeyCombo{17, 11, "T"}));
    EXPECT_EQ(settings.layouts.size(), 10u);
    EXPECT_NE(AppSettings().layouts[0].id, AppSettings().layouts[0].id);
}

}  // namespace
}  // namespace corvane
