#include <QMenu>

#include "app/controller/tests/controller_fixture.h"
#include "app/controller/tray_icon.h"

namespace corvane::testing {
namespace {

constexpr std::uint32_t ctrlAlt = KeyCombo::command | KeyCombo::option;
constexpr std::uint32_t activationMods = ctrlAlt | KeyCombo::control;
const TileRegion leftHalf{0, 0, 0.5, 1};

using UpkeepTest = ControllerTest;

TEST_F(UpkeepTest, TakenShortcutsBecomeWarningsAndOnlyEnabledGlobalLayoutsAreGrabbed) {
    wantTray = true;
    AppSettings settings;
    settings.showMenuBarIcon = false;
    settings.layouts = {layoutOf("Left Half", leftHalf, KeyCombo{0, ctrlAlt, "A"}, true),
                        layoutOf("Off", leftHalf, KeyCombo{11, ctrlAlt, "B"}, true, false),
                        layoutOf("Grid only", leftHalf, KeyCombo{8, ctrlAlt, "C"}, false)};
    saveSettings(settings);
    grabber.refuse(17, activationMods);
    grabber.refuse(0, ctrlAlt);
    AppController& c = make();
    c.start();
    using Combo = platform::FakeHotKeyGrabber::Combination;
    EXPECT_EQ(grabber.attempts(), (std::vector<Combo>{{17, activationMods}, {0, ctrlAlt}}));
    EXPECT_EQ(c.shortcutWarnings(),
              (std::vector<std::string>{
                  "Ctrl+Alt+Super+T is in use by another app. Choose another activation shortcut.",
                  "Left Half: Ctrl+Alt+A is in use by another app."}));
    EXPECT_TRUE(c.trayIconVisible()) << "warnings bring back the icon the user switched off";
    EXPECT_EQ(c.trayIcon()->toolTip(),
              QStringLiteral("Corvane \u2014 Ctrl+Alt+Super+T\nRight-click for settings"));

    settings.activationShortcut.reset();
    settings.layouts[0].shortcut = KeyCombo{1, ctrlAlt, "S"};
    c.applySettings(settings);
    EXPECT_TRUE(c.shortcutWarnings().empty());
    EXPECT_FALSE(c.trayIconVisible());
    EXPECT_EQ(c.trayIcon()->toolTip(), QStringLiteral("Corvane\nRight-click for settings"));
    ASSERT_TRUE(grabber.press(1, ctrlAlt));
    EXPECT_EQ(desktop.frameOf(window), (Rect{0, 30, 960, 1050}));
}

TEST_F(UpkeepTest, ExportedSettingsComeBackAndAFailedImportChangesNothing) {
    AppSettings original;
    original.layouts = {layoutOf("Global", leftHalf, KeyCombo{0, ctrlAlt, "A"}, true)};
    original.grid = GridSize{8, 5};
    saveSettings(original);
    AppController& c = make();
    c.registerHotKeys();
    c.exportSettings(dir / "exported.json");
    EXPECT_FALSE(c.settingsError());

    c.changeGrid(1, 1);  // a live grid that differs from the saved one
    const AppSettings before = c.settings();
    const std::string fileBefore = readFile(c.store().url());
    writeFile(dir / "big.json", std::string(3'000'000, ' '));
    writeFile(dir / "invalid.json", "{ \"version\": 1, ");
    grabber.clearAttempts();
    c.importSettings(dir / "big.json");
    EXPECT_EQ(c.settingsError(),
              std::string("Import failed: Settings files must be smaller than 2 MB."));
    c.importSettings(dir / "invalid.json");
    EXPECT_EQ(c.settingsError().value_or("").rfind("Import failed: ", 0), 0u);
    EXPECT_GT(c.settingsError()->size(), std::string("Import failed: ").size());
    EXPECT_EQ(c.settings(), before);
    EXPECT_EQ(c.grid(), (GridSize{9, 6}));
    EXPECT_TRUE(grabber.attempts().empty());
    EXPECT_EQ(readFile(c.store().url()), fileBefore);

    c.applySettings(AppSettings{});
    c.importSettings(dir / "exported.json");
    EXPECT_FALSE(c.settingsError());
    EXPECT_EQ(SettingsStore(dir.path()).load(), original);
    EXPECT_EQ(c.grid(), (GridSize{8, 5}));
    EXPECT_TRUE(grabber.isGrabbed(0, ctrlAlt));
}

TEST_F(UpkeepTest, ASessionFromFirstLaunchThroughTheSettingsWindow) {
    AppController& c = make();
    c.start();
    spin(400);
    EXPECT_TRUE(c.panelsOpen()) << "the first launch opens the grid";
    for (const bool available : {false, true}) {
        desktop.available = available;
        c.checkPermission();
        EXPECT_EQ(c.target().has_value(), available) << "no window control, no target";
    }
    std::vector<std::string> changes;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(changes),
                 [](const std::string& line) { return line.rfind("Accessibility", 0) == 0; });
    EXPECT_EQ(changes, (std::vector<std::string>{"Accessibility permission changed: false",
                                                 "Accessibility permission changed: true"}));

    const std::vector<SavedLayout> stored = c.settings().layouts;
    c.saveSelectionAsLayout(TileRegion{0, 0, 0.5, 0.5});
    EXPECT_FALSE(c.panelsOpen());
    ASSERT_TRUE(c.settingsWindow() && c.settingsWindow()->isVisible() && c.editingLayout());
    EXPECT_EQ(c.settingsTab(), 2);
    EXPECT_EQ(c.editingLayout()->name, "New layout");
    EXPECT_EQ(c.editingLayout()->region, (TileRegion{0, 0, 0.5, 0.5}));
    EXPECT_EQ(c.settings().layouts, stored) << "stored only when the editor saves it";
    SavedLayout nameless = *c.editingLayout();
    nameless.name = "";
    EXPECT_FALSE(c.saveLayout(nameless));

    // Recording a shortcut releases the hot keys; opening or closing the window ends it.
    for (const bool closeIt : {false, true}) {
        c.setRecordingActive(true);
        EXPECT_TRUE(grabber.grabbed().empty());
        closeIt ? (void)c.settingsWindow()->close() : c.showSettings();
        EXPECT_FALSE(c.recordingActive());
        EXPECT_TRUE(grabber.isGrabbed(17, activationMods));
    }

    login.failure = "The autostart folder is read-only.";
    c.setLoginItem(true);
    EXPECT_FALSE(c.loginEnabled());
    EXPECT_EQ(
        c.settingsError(),
        std::string("Couldn\u2019t change login settings: The autostart folder is read-only."));

    controller.reset();
    make().start();
    spin(400);
    EXPECT_FALSE(controller->panelsOpen()) << "later launches do not";
}

TEST(TrayIconTest, TheMarkSuitsThePanelItSitsOn) {
    EXPECT_EQ(TrayIcon::variantFor(std::nullopt), TrayIcon::Variant::light);
    EXPECT_EQ(TrayIcon::variantFor(QColor(30, 30, 30)), TrayIcon::Variant::light);
    EXPECT_EQ(TrayIcon::variantFor(QColor(235, 235, 235)), TrayIcon::Variant::dark);
    TrayIcon tray;
    QStringList entries;
    for (QAction* action : tray.menu()->actions()) entries << action->text();
    EXPECT_EQ(entries.join('|'),
              QStringLiteral("Open Grid|Settings\u2026|Check for Updates\u2026||Quit Corvane"));
}

}  // namespace
}  // namespace corvane::testing
