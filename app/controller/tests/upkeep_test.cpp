#include <QMenu>

#include "app/controller/tests/controller_fixture.h"
#include "app/controller/tray_icon.h"
#include "core/settings_codec.h"

namespace corvane::testing {
namespace {

constexpr std::uint32_t ctrlAlt = KeyCombo::command | KeyCombo::option;
constexpr std::uint32_t activationMods = KeyCombo::command | KeyCombo::option | KeyCombo::control;

SavedLayout layoutWith(std::string name, std::uint16_t keyCode, std::string key, bool global,
                       bool enabled = true) {
    SavedLayout layout;
    layout.name = std::move(name);
    layout.region = TileRegion{0, 0, 0.5, 1};
    layout.shortcut = KeyCombo{keyCode, ctrlAlt, std::move(key)};
    layout.isGlobal = global;
    layout.enabled = enabled;
    return layout;
}

class UpkeepTest : public ControllerTest {
protected:
    AppSettings withLayouts(std::vector<SavedLayout> layouts) {
        AppSettings settings;
        settings.layouts = std::move(layouts);
        return settings;
    }
};

TEST_F(UpkeepTest, TakenShortcutsBecomeWarningsAndBringBackTheTrayIcon) {
    wantTray = true;
    AppSettings settings = withLayouts({layoutWith("Left Half", 0, "A", true)});
    settings.showMenuBarIcon = false;
    saveSettings(settings);
    grabber.refuse(17, activationMods);
    grabber.refuse(0, ctrlAlt);
    AppController& c = make();
    c.start();

    EXPECT_EQ(c.shortcutWarnings(),
              (std::vector<std::string>{
                  "Ctrl+Alt+Super+T is in use by another app. Choose another activation shortcut.",
                  "Left Half: Ctrl+Alt+A is in use by another app."}));
    EXPECT_TRUE(c.trayIconVisible());
    EXPECT_EQ(c.trayIcon()->toolTip(),
              QStringLiteral("Corvane \u2014 Ctrl+Alt+Super+T\nRight-click for settings"));

    // Free combinations: the warnings go, and with them the icon the user switched off.
    AppSettings fixed = c.settings();
    fixed.activationShortcut.reset();
    fixed.layouts = {layoutWith("Left Half", 11, "B", true)};
    c.applySettings(fixed);
    EXPECT_TRUE(c.shortcutWarnings().empty());
    EXPECT_FALSE(c.trayIconVisible());
    EXPECT_EQ(c.trayIcon()->toolTip(), QStringLiteral("Corvane\nRight-click for settings"));
}

TEST_F(UpkeepTest, OnlyEnabledGlobalLayoutsAreRegistered) {
    saveSettings(withLayouts({
        layoutWith("Global", 0, "A", true),
        layoutWith("Switched off", 11, "B", true, /*enabled=*/false),
        layoutWith("Grid only", 8, "C", false),
    }));
    AppController& c = make();
    c.registerHotKeys();
    using Combo = platform::FakeHotKeyGrabber::Combination;
    EXPECT_EQ(grabber.attempts(), (std::vector<Combo>{{17, activationMods}, {0, ctrlAlt}}));
    EXPECT_TRUE(c.shortcutWarnings().empty());
}

TEST_F(UpkeepTest, HotKeysActFromAnyApplication) {
    saveSettings(withLayouts({layoutWith("Global", 0, "A", true)}));
    AppController& c = make();
    c.start();
    ASSERT_TRUE(grabber.press(0, ctrlAlt));
    EXPECT_EQ(desktop.frameOf(window), (Rect{0, 30, 960, 1050}));
    EXPECT_FALSE(c.panelsOpen());

    ASSERT_TRUE(grabber.press(17, activationMods));
    EXPECT_TRUE(c.panelsOpen());
    ASSERT_TRUE(grabber.press(17, activationMods));
    EXPECT_FALSE(c.panelsOpen());
}

TEST_F(UpkeepTest, OnlyShortcutOrLayoutChangesRegisterAgain) {
    saveSettings(withLayouts({layoutWith("Global", 0, "A", true)}));
    AppController& c = make();
    c.registerHotKeys();

    grabber.clearAttempts();
    AppSettings renamed = c.settings();
    renamed.layouts[0].name = "Left";
    c.applySettings(renamed);
    EXPECT_EQ(grabber.attempts().size(), 2u);
    EXPECT_TRUE(grabber.isGrabbed(0, ctrlAlt));

    grabber.clearAttempts();
    AppSettings calmer = c.settings();
    calmer.animatePreview = !calmer.animatePreview;
    c.applySettings(calmer);
    EXPECT_TRUE(grabber.attempts().empty());
    EXPECT_EQ(c.settings(), calmer);
}

TEST_F(UpkeepTest, ANewDefaultGridAlsoChangesTheLiveGrid) {
    AppController& c = make();
    AppSettings next = c.settings();
    next.grid = GridSize{3, 2};
    c.applySettings(next);
    EXPECT_EQ(c.grid(), (GridSize{3, 2}));
}

TEST_F(UpkeepTest, AFailedImportChangesNothing) {
    AppSettings settings = withLayouts({layoutWith("Global", 0, "A", true)});
    settings.grid = GridSize{4, 3};
    saveSettings(settings);
    AppController& c = make();
    c.registerHotKeys();
    c.changeGrid(1, 1);  // a live grid that differs from the saved one
    const AppSettings before = c.settings();
    const std::string fileBefore = readFile(c.store().url());

    const auto oversized = dir / "big.json";
    writeFile(oversized, std::string(3'000'000, ' '));
    const auto invalid = dir / "invalid.json";
    writeFile(invalid, "{ \"version\": 1, ");

    grabber.clearAttempts();
    c.importSettings(oversized);
    EXPECT_EQ(c.settingsError(),
              std::string("Import failed: Settings files must be smaller than 2 MB."));

    c.importSettings(invalid);
    ASSERT_TRUE(c.settingsError());
    EXPECT_EQ(c.settingsError()->rfind("Import failed: ", 0), 0u);
    EXPECT_GT(c.settingsError()->size(), std::string("Import failed: ").size());

    EXPECT_EQ(c.settings(), before);
    EXPECT_EQ(c.grid(), (GridSize{5, 4}));
    EXPECT_TRUE(grabber.attempts().empty());
    EXPECT_TRUE(grabber.isGrabbed(0, ctrlAlt));
    EXPECT_EQ(readFile(c.store().url()), fileBefore);
}

TEST_F(UpkeepTest, ExportThenImportCarriesTheSettingsAcross) {
    AppSettings original = withLayouts({layoutWith("Global", 0, "A", true)});
    original.grid = GridSize{8, 5};
    original.keepPanelOpen = true;
    saveSettings(original);
    const auto exported = dir / "corvane-settings.json";
    {
        AppController& c = make();
        c.exportSettings(exported);
        EXPECT_FALSE(c.settingsError());
        controller.reset();
    }
    EXPECT_EQ(SettingsCodec::load(exported), original);

    saveSettings(AppSettings{});
    AppController& c = make();
    c.registerHotKeys();
    c.importSettings(exported);
    EXPECT_FALSE(c.settingsError());
    EXPECT_EQ(c.settings(), original);
    EXPECT_EQ(c.grid(), (GridSize{8, 5}));
    EXPECT_TRUE(grabber.isGrabbed(0, ctrlAlt));
    EXPECT_EQ(SettingsStore(dir.path()).load(), original);
}

TEST_F(UpkeepTest, ExportFailuresAreShownInTheSettingsWindow) {
    AppController& c = make();
    c.exportSettings(dir / "no-such-folder" / "corvane-settings.json");
    EXPECT_TRUE(c.settingsError());
}

TEST_F(UpkeepTest, SavingALayoutInsertsOrReplacesItById) {
    saveSettings(withLayouts({}));
    AppController& c = make();
    SavedLayout layout = layoutWith("Global", 0, "A", true);
    EXPECT_TRUE(c.saveLayout(layout));
    layout.name = "Left";
    EXPECT_TRUE(c.saveLayout(layout));
    ASSERT_EQ(c.settings().layouts.size(), 1u);
    EXPECT_EQ(c.settings().layouts[0].name, "Left");
    EXPECT_EQ(SettingsStore(dir.path()).load().layouts, c.settings().layouts);

    SavedLayout nameless = layoutWith("", 11, "B", false);
    EXPECT_FALSE(c.saveLayout(nameless));
    EXPECT_TRUE(c.settingsError());
    EXPECT_EQ(c.settings().layouts.size(), 1u);
}

TEST_F(UpkeepTest, SaveLayoutFromTheGridOpensTheEditorOnTheShortcutsTab) {
    AppController& c = make();
    const std::vector<SavedLayout> stored = c.settings().layouts;
    c.showPanels();
    c.saveSelectionAsLayout(TileRegion{0, 0, 0.5, 0.5});
    EXPECT_FALSE(c.panelsOpen());
    ASSERT_TRUE(c.settingsWindow());
    EXPECT_TRUE(c.settingsWindow()->isVisible());
    EXPECT_EQ(c.settingsWindow()->windowTitle(), QStringLiteral("Corvane Settings"));
    EXPECT_EQ(c.settingsTab(), 2);
    ASSERT_TRUE(c.editingLayout());
    EXPECT_EQ(c.editingLayout()->name, "New layout");
    EXPECT_EQ(c.editingLayout()->grid, c.activeGrid());
    EXPECT_FALSE(c.editingLayout()->shortcut);
    EXPECT_FALSE(c.editingLayout()->isGlobal);
    EXPECT_EQ(c.editingLayout()->region, (TileRegion{0, 0, 0.5, 0.5}));
    EXPECT_EQ(c.settings().layouts, stored) << "stored only when the editor saves it";
}

TEST_F(UpkeepTest, OpeningTheSettingsEndsARecordingAndRestoresTheHotKeys) {
    AppController& c = make();
    c.registerHotKeys();
    c.setRecordingActive(true);
    EXPECT_TRUE(grabber.grabbed().empty());
    c.showSettings();
    EXPECT_FALSE(c.recordingActive());
    EXPECT_TRUE(grabber.isGrabbed(17, activationMods));

    c.setRecordingActive(true);
    c.settingsWindow()->close();
    EXPECT_FALSE(c.recordingActive());
    EXPECT_TRUE(grabber.isGrabbed(17, activationMods));
}

TEST_F(UpkeepTest, LoginItemChangesAndTheirFailures) {
    AppController& c = make();
    c.setLoginItem(true);
    EXPECT_TRUE(c.loginEnabled());
    login.failure = "The autostart folder is read-only.";
    c.setLoginItem(false);
    EXPECT_TRUE(c.loginEnabled());
    EXPECT_EQ(
        c.settingsError(),
        std::string("Couldn\u2019t change login settings: The autostart folder is read-only."));
}

TEST_F(UpkeepTest, LosingWindowControlClearsTheTargetAndTheStatusLine) {
    AppController& c = make();
    c.showPanels();
    ASSERT_TRUE(c.target());
    desktop.available = false;
    c.checkPermission();
    EXPECT_FALSE(c.permissionGranted());
    EXPECT_FALSE(c.target());
    EXPECT_FALSE(c.message());
    desktop.available = true;
    c.checkPermission();
    EXPECT_TRUE(c.target());
    std::vector<std::string> changes;
    for (const std::string& line : lines) {
        if (line.rfind("Accessibility", 0) == 0) changes.push_back(line);
    }
    EXPECT_EQ(changes, (std::vector<std::string>{"Accessibility permission changed: false",
                                                 "Accessibility permission changed: true"}));
}

TEST_F(UpkeepTest, LearnMoreOpensTheSupportedDesktopsPage) {
    AppController& c = make();
    c.openAccessibilitySettings();
    EXPECT_EQ(openedUrls, (std::vector<std::string>{AppController::supportedDesktopsUrl}));
}

TEST_F(UpkeepTest, OnlyTheFirstLaunchOpensTheGrid) {
    {
        AppController& c = make();
        c.start();
        spin(400);
        EXPECT_TRUE(c.panelsOpen());
        controller.reset();
    }
    AppController& c = make();
    c.start();
    spin(400);
    EXPECT_FALSE(c.panelsOpen());
}

TEST(TrayIconTest, TheMarkSuitsThePanelItSitsOn) {
    EXPECT_EQ(TrayIcon::variantFor(std::nullopt), TrayIcon::Variant::light);
    EXPECT_EQ(TrayIcon::variantFor(QColor(30, 30, 30)), TrayIcon::Variant::light);
    EXPECT_EQ(TrayIcon::variantFor(QColor(235, 235, 235)), TrayIcon::Variant::dark);

    TrayIcon tray;
    QStringList entries;
    for (QAction* action : tray.menu()->actions()) {
        entries << (action->isSeparator() ? QStringLiteral("-") : action->text());
    }
    EXPECT_EQ(entries, (QStringList{QStringLiteral("Open Grid"), QStringLiteral("Settings\u2026"),
                                    QStringLiteral("Check for Updates\u2026"), QStringLiteral("-"),
                                    QStringLiteral("Quit Corvane")}));
}

}  // namespace
}  // namespace corvane::testing
