// Layouts, their ids and the settings of a new installation.
#include "core/saved_layout.h"

#include <gtest/gtest.h>

#include <set>

#include "core/app_settings.h"

namespace corvane {
namespace {

TEST(SavedLayout, ANewInstallationHasTheTenStartersWithFreshIds) {
    const AppSettings settings;
    EXPECT_EQ(settings.activationShortcut, (KeyCombo{17, 11, "T"}));
    const double s = 1.0 / 6, f = 4.0 / 6;
    const std::tuple<const char*, std::uint16_t, const char*, TileRegion> starters[] = {
        {"Left half", 37, "L", {0, 0, 0.5, 1}},       {"Right half", 15, "R", {0.5, 0, 0.5, 1}},
        {"Top half", 17, "T", {0, 0, 1, 0.5}},        {"Bottom half", 11, "B", {0, 0.5, 1, 0.5}},
        {"Maximize", 46, "M", {0, 0, 1, 1}},          {"Center", 8, "C", {s, s, f, f}},
        {"Top left", 18, "1", {0, 0, 0.5, 0.5}},      {"Top right", 19, "2", {0.5, 0, 0.5, 0.5}},
        {"Bottom left", 20, "3", {0, 0.5, 0.5, 0.5}}, {"Bottom right", 21, "4", {.5, .5, .5, .5}}};
    ASSERT_EQ(settings.layouts.size(), 10u);
    std::set<Uuid> ids;
    for (std::size_t i = 0; i < 10; ++i) {
        const auto& [name, code, key, region] = starters[i];
        const SavedLayout& layout = settings.layouts[i];
        EXPECT_EQ(layout.name, name);
        EXPECT_EQ(layout.shortcut, (KeyCombo{code, 0, key})) << name;
        EXPECT_EQ(layout.region, region) << name;
        EXPECT_TRUE(layout.enabled && !layout.isGlobal && layout.grid == (GridSize{6, 6})) << name;
        ids.insert(layout.id);
    }
    for (const auto& layout : SavedLayout::starterLayouts()) ids.insert(layout.id);
    EXPECT_EQ(ids.size(), 20u) << "every call gives new ids";
}

TEST(Uuid, RandomIdsAreVersionFourAndParsingIsStrict) {
    const Uuid id = Uuid::random();
    EXPECT_EQ(id.bytes()[6] >> 4, 4);
    EXPECT_EQ(id.bytes()[8] >> 6, 2);
    EXPECT_NE(Uuid::random(), id);
    const std::string text = "E621E1F8-C36C-495A-93FC-0C247A3E6E5F";
    EXPECT_EQ(Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f").value().text(), text);
    for (const std::string& bad : {text.substr(1), text + "0", "{" + text + "}",
                                   text.substr(0, 23) + "_" + text.substr(24)}) {
        EXPECT_FALSE(Uuid::parse(bad)) << bad;
    }
}

}  // namespace
}  // namespace corvane
