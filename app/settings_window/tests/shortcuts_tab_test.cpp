#include "app/settings_window/shortcuts_tab.h"

#include <QLabel>

#include "app/settings_window/layout_row.h"
#include "app/settings_window/tests/settings_window_fixture.h"

namespace corvane::testing {
namespace {

constexpr std::uint32_t ctrlAlt = KeyCombo::ctrl | KeyCombo::alt;

using ShortcutsTabTest = SettingsWindowTest;

void twoLayouts(AppSettings& s) {
    s.grid = GridSize{4, 3};
    s.layouts = {layoutOf("Left half", {0, 0, 0.5, 1}, KeyCombo{0, ctrlAlt, "A"}, true),
                 layoutOf("Top", {0, 0, 1, 0.5}, std::nullopt, false)};
}

TEST_F(ShortcutsTabTest, EachLayoutIsARowWithItsShortcutAndScope) {
    open(twoLayouts);
    ASSERT_EQ(window->shortcuts()->rows().size(), 2u);
    for (const char* text :
         {"Ctrl+Alt+A", "Global \u00b7 works in any app", "No shortcut", "Grid only"})
        EXPECT_TRUE(named<QLabel>(QString::fromUtf8(text))) << text;
    QAbstractButton* change =
        named<QAbstractButton>(QStringLiteral("Change global shortcut for Left half"));
    QAbstractButton* add = named<QAbstractButton>(QStringLiteral("Add global shortcut for Top"));
    ASSERT_TRUE(change && add);
    EXPECT_EQ(change->text(), QStringLiteral("Change Shortcut"));
    EXPECT_EQ(add->text(), QStringLiteral("Add Global Shortcut"));

    add->click();
    ASSERT_TRUE(controller->editingGlobalShortcut());
    EXPECT_EQ(controller->editingGlobalShortcut()->name, "Top");
    for (QAbstractButton* edit : window->findChildren<QAbstractButton*>()) {
        if (edit->accessibleDescription() == QStringLiteral("Edit Left half")) edit->click();
    }
    ASSERT_TRUE(controller->editingLayout());
    EXPECT_EQ(controller->editingLayout()->name, "Left half");
    EXPECT_EQ(controller->settings(), SettingsStore(dir.path()).load()) << "editors save, not rows";
}

TEST_F(ShortcutsTabTest, SwitchingALayoutOffReleasesItsHotKey) {
    open(twoLayouts);
    EXPECT_TRUE(grabber.isGrabbed(0, ctrlAlt));
    QCheckBox* enable = named<QCheckBox>(QStringLiteral("Enable Left half"));
    ASSERT_TRUE(enable && enable->isChecked());
    enable->click();
    EXPECT_FALSE(enable->isChecked());
    EXPECT_FALSE(grabber.isGrabbed(0, ctrlAlt));
    EXPECT_FALSE(SettingsStore(dir.path()).load().layouts[0].enabled);
    enable->click();
    EXPECT_TRUE(grabber.isGrabbed(0, ctrlAlt));
}

TEST_F(ShortcutsTabTest, ASwitchThatWouldClashIsRefused) {
    // "Twin" may only be switched on while "Left half", with the same keys, is off.
    open([](AppSettings& s) {
        twoLayouts(s);
        s.layouts.push_back(
            layoutOf("Twin", {0, 0, 0.5, 1}, KeyCombo{0, ctrlAlt, "A"}, true, /*enabled=*/false));
    });
    const std::string file = storedFile();
    QCheckBox* twin = named<QCheckBox>(QStringLiteral("Enable Twin"));
    ASSERT_TRUE(twin);
    twin->click();
    EXPECT_FALSE(twin->isChecked());
    EXPECT_EQ(window->bannerText(),
              QStringLiteral("The shortcut Ctrl+Alt+A is assigned more than once."));
    EXPECT_EQ(storedFile(), file);
}

TEST_F(ShortcutsTabTest, LayoutsAreDeletedToTheLastOne) {
    open(twoLayouts);
    click(QStringLiteral("Delete Top"));
    ASSERT_EQ(window->shortcuts()->rows().size(), 1u);
    click(QStringLiteral("Delete Left half"));
    EXPECT_TRUE(window->shortcuts()->rows().empty());
    EXPECT_TRUE(controller->settings().layouts.empty());
    EXPECT_TRUE(SettingsStore(dir.path()).load().layouts.empty()) << "an empty list is valid";
    EXPECT_FALSE(grabber.isGrabbed(0, ctrlAlt));
    EXPECT_TRUE(window->bannerText().isEmpty());
}

TEST_F(ShortcutsTabTest, NewLayoutsOpenTheEditorWithoutBeingStored) {
    open(twoLayouts);
    click(QStringLiteral("New Layout"));
    ASSERT_TRUE(controller->editingLayout());
    const SavedLayout plain = *controller->editingLayout();
    EXPECT_EQ(plain.name, "New layout");
    EXPECT_EQ(plain.grid, (GridSize{4, 3}));
    EXPECT_EQ(plain.region, TileRegion::full());
    EXPECT_FALSE(plain.shortcut);
    EXPECT_FALSE(plain.isGlobal);
    EXPECT_TRUE(plain.enabled);

    click(QStringLiteral("Add Global Shortcut"));
    const SavedLayout global = *controller->editingLayout();
    EXPECT_EQ(global.name, "New global shortcut");
    EXPECT_TRUE(global.isGlobal);
    EXPECT_NE(global.id, plain.id);
    for (const SavedLayout& stored : controller->settings().layouts)
        EXPECT_NE(stored.id, global.id);
    EXPECT_EQ(controller->settings().layouts.size(), 2u);
}

}  // namespace
}  // namespace corvane::testing
