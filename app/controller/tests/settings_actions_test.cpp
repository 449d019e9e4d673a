#include "app/controller/settings_actions.h"

#include "app/controller/tests/controller_fixture.h"

namespace corvane::testing {
namespace {

constexpr std::uint32_t ctrlAlt = KeyCombo::ctrl | KeyCombo::alt;
const TileRegion leftHalf{0, 0, 0.5, 1};

using SettingsActionsTest = ControllerTest;

TEST_F(SettingsActionsTest, ExportedSettingsComeBackAndAFailedImportChangesNothing) {
    AppSettings original;
    original.layouts = {layoutOf("Global", leftHalf, KeyCombo{0, ctrlAlt, "A"}, true)};
    original.grid = GridSize{8, 5};
    saveSettings(original);
    AppController& c = make();
    c.registerHotKeys();
    c.settingsActions().exportSettings(dir / "exported.json");
    EXPECT_FALSE(c.settingsError());

    c.changeGrid(1, 1);  // a live grid that differs from the saved one
    const AppSettings before = c.settings();
    const std::string fileBefore = readFile(c.store().url());
    writeFile(dir / "big.json", std::string(3'000'000, ' '));
    writeFile(dir / "invalid.json", "{ \"version\": 1, ");
    grabber.clearAttempts();
    c.settingsActions().importSettings(dir / "big.json");
    EXPECT_EQ(c.settingsError(),
              std::string("Import failed: Settings files must be smaller than 2 MB."));
    c.settingsActions().importSettings(dir / "invalid.json");
    EXPECT_EQ(c.settingsError().value_or("").rfind("Import failed: ", 0), 0u);
    EXPECT_GT(c.settingsError()->size(), std::string("Import failed: ").size());
    EXPECT_EQ(c.settings(), before);
    EXPECT_EQ(c.grid(), (GridSize{9, 6}));
    EXPECT_TRUE(grabber.attempts().empty());
    EXPECT_EQ(readFile(c.store().url()), fileBefore);

    c.applySettings(AppSettings{});
    c.settingsActions().importSettings(dir / "exported.json");
    EXPECT_FALSE(c.settingsError());
    EXPECT_EQ(SettingsStore(dir.path()).load(), original);
    EXPECT_EQ(c.grid(), (GridSize{8, 5}));
    EXPECT_TRUE(grabber.isGrabbed(0, ctrlAlt));
}

TEST_F(SettingsActionsTest, ALayoutIsStoredOnlyWhenItCanBeSaved) {
    AppController& c = make();
    SavedLayout layout = layoutOf("Top", TileRegion{0, 0, 1, 0.5}, std::nullopt, false);
    EXPECT_TRUE(c.settingsActions().saveLayout(layout));
    layout.name = "Top half";
    EXPECT_TRUE(c.settingsActions().saveLayout(layout));
    ASSERT_EQ(SettingsStore(dir.path()).load().layouts.size(), c.settings().layouts.size());
    EXPECT_EQ(c.settings().layouts.back(), layout) << "saved again under the same id: replaced";

    SavedLayout nameless = layout;
    nameless.name = "";
    EXPECT_FALSE(c.settingsActions().saveLayout(nameless));
    EXPECT_TRUE(c.settingsError());
    EXPECT_EQ(c.settings().layouts.back(), layout);
}

}  // namespace
}  // namespace corvane::testing
