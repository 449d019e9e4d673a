// Layouts, their ids and the settings of a new installation.
#include "core/saved_layout.h"

#include <gtest/gtest.h>

#include <set>

#include "core/settings/app_settings.h"

namespace corvane {
namespace {

TEST(SavedLayout, ANewInstallationHasTheTenStartersWithFreshIds) {
    const AppSettings settings;
    EXPECT_EQ(settings.activationShortcut, (KeyCombo{17, 11, "T"}));
    std::string starters;
    std::set<Uuid> ids;
    for (const SavedLayout& l : settings.layouts) {
        starters += l.name + ":" + std::to_string(l.shortcut->keyCode) + l.shortcut->key + " ";
        EXPECT_TRUE(l.enabled && !l.isGlobal && l.grid == (GridSize{6, 6})) << l.name;
        ids.insert(l.id);
    }
    EXPECT_EQ(starters,
              "Left half:37L Right half:15R Top half:17T Bottom half:11B Maximize:46M Center:8C "
              "Top left:181 Top right:192 Bottom left:203 Bottom right:214 ");
    const double s = 1.0 / 6, f = 4.0 / 6;
    EXPECT_EQ(settings.layouts[1].region, (TileRegion{0.5, 0, 0.5, 1}));
    EXPECT_EQ(settings.layouts[5].region, (TileRegion{s, s, f, f}));
    EXPECT_EQ(settings.layouts[9].region, (TileRegion{0.5, 0.5, 0.5, 0.5}));
    for (const auto& layout : SavedLayout::starterLayouts()) ids.insert(layout.id);
    EXPECT_EQ(ids.size(), 20u) << "every call gives new ids";
}

TEST(SavedLayout, ALayoutMadeWithoutValuesIsTheCenterStarterWithItsOwnId) {
    const SavedLayout made;
    SavedLayout center = SavedLayout::starterLayouts()[5];
    EXPECT_NE(made.id, center.id);
    center.id = made.id;
    EXPECT_EQ(made, center);
}

TEST(Uuid, RandomIdsAreVersionFourAndTextIsCanonical) {
    const Uuid id = Uuid::random();
    EXPECT_EQ(id.bytes()[6] >> 4, 4);
    EXPECT_EQ(id.bytes()[8] >> 6, 2);
    EXPECT_NE(Uuid::random(), id);
    const std::string text = "E621E1F8-C36C-495A-93FC-0C247A3E6E5F";
    EXPECT_EQ(Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f").value().text(), text);
    EXPECT_FALSE(Uuid::parse("{" + text + "}") || Uuid::parse(text + "0"));
}

}  // namespace
}  // namespace corvane
