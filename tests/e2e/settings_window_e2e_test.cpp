// The settings window on a real desktop, found and driven the way screen
// readers and automation tools see it (AT-SPI), with real key presses.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QImage>
#include <filesystem>
#include <memory>
#include <thread>

#include "tests/e2e/grid_session.h"
#include "tests/e2e/harness/accessibility_bus.h"

namespace corvane::e2e {
namespace {

constexpr const char* settingsTitle = "Corvane Settings";

// Corvane on its own desktop with the accessibility bus, started as a user
// does and asked for its settings window.
class SettingsWindowTest : public ::testing::Test {
protected:
    void start(const AppSettings& settings = {}, Desktop::Options options = {}) {
        desktop = std::make_unique<Desktop>(options);
        bus = std::make_unique<AccessibilityBus>(*desktop);
        corvane = std::make_unique<CorvaneSession>(*desktop, settings);
        for (const std::string& entry : bus->environment()) corvane->addEnvironment(entry);
        std::string why;
        ASSERT_TRUE(corvane->start(&why)) << why;
        ASSERT_EQ(corvane->run({"--settings"}).status, 0);
        ASSERT_TRUE(waitUntil([&] { return !corvane->windowsTitled(settingsTitle).empty(); }, 10s))
            << corvane->log();
    }

    // The driver's answer; fails the test with its complaint when it has none.
    std::string drive(const std::vector<std::string>& arguments) {
        std::string output, errors;
        const int status = bus->driver(arguments, &output, &errors);
        EXPECT_EQ(status, 0) << errors;
        return output;
    }
    AppSettings storedSettings() const {
        return SettingsCodec::decode(
            readFile(desktop->tempDir() / "config" / "corvane" / "settings.json"));
    }

    std::unique_ptr<Desktop> desktop;
    std::unique_ptr<AccessibilityBus> bus;
    std::unique_ptr<CorvaneSession> corvane;
};

// The frame of the settings window on the screen, decorations included.
Box windowBox(const CorvaneSession& corvane, const Desktop& desktop) {
    const auto windows = corvane.windowsTitled(settingsTitle);
    return windows.empty() ? Box{} : outerFrame(desktop, windows.front());
}

TEST_F(SettingsWindowTest, TheCommandLineOpensTheWindowAndScreenReadersSeeIt) {
    start();
    const std::string windows = drive({"windows"});
    EXPECT_NE(windows.find(settingsTitle), std::string::npos) << windows;
    // It is a normal window of the desktop, in front and with the keyboard.
    const auto window = corvane->windowsTitled(settingsTitle).front();
    EXPECT_TRUE(waitUntil([&] { return desktop->activeWindow() == window; }));

    // Every tab and control a user needs is there by name.
    const std::string controls = drive({"controls", settingsTitle});
    for (const char* name :
         {"General", "Shortcuts", "Grid & Spacing", "Help", "Open Grid", "Show or hide the grid",
          "Launch at login", "Export\u2026", "Import\u2026", "Show icon in the system tray"}) {
        EXPECT_NE(controls.find(std::string("\t") + name + "\t"), std::string::npos)
            << name << " is missing:\n"
            << controls;
    }

    // A picture of the window for the README, made on the test desktop.
    std::this_thread::sleep_for(300ms);
    const QImage picture = grabScreen(*desktop, windowBox(*corvane, *desktop));
    EXPECT_FALSE(picture.isNull());
    std::filesystem::create_directories(CORVANE_BUILD_DIR "/screenshots");
    picture.save(CORVANE_BUILD_DIR "/screenshots/settings-window.png");

    // A switch changed through the accessibility interface is saved at once.
    drive({"press", settingsTitle, "Grid & Spacing"});
    drive({"press", settingsTitle, "Use margins and gaps"});
    EXPECT_TRUE(waitUntil([&] { return storedSettings().margins.enabled; }))
        << drive({"controls", settingsTitle});
}

// A global shortcut recorded from real key presses in the layout editor works
// at once in another application.
TEST_F(SettingsWindowTest, AGlobalShortcutRecordedFromTheKeyboardPlacesWindowsAtOnce) {
    AppSettings settings;
    settings.animateWindows = false;
    start(settings);
    drive({"press", settingsTitle, "Shortcuts"});
    drive({"press", settingsTitle, "Add Global Shortcut"});
    const std::string editor = "Layout editor";
    drive({"press", editor, "Record shortcut"});
    std::this_thread::sleep_for(200ms);  // the keyboard grab is taken
    pressKeys(*desktop, "ctrl+alt+super+k");
    EXPECT_NE(drive({"controls", editor}).find("Ctrl+Alt+Super+K"), std::string::npos)
        << drive({"controls", editor});
    drive({"press", editor, "Save Layout"});
    std::optional<SavedLayout> saved;
    ASSERT_TRUE(waitUntil([&] {
        for (const SavedLayout& layout : storedSettings().layouts) {
            if (layout.name == "New global shortcut") saved = layout;
        }
        return saved.has_value();
    })) << corvane->log();
    const KeyCombo expected{40, KeyCombo::ctrl | KeyCombo::alt | KeyCombo::super, "K"};
    EXPECT_EQ(saved->shortcut, std::optional(expected));
    EXPECT_TRUE(saved->isGlobal);

    // In another application, the new shortcut places its window on the whole work area.
    const ProbeWindow probe = desktop->startProbe();
    pressKeys(*desktop, "ctrl+alt+super+k");
    auto area = desktop->cardinals(desktop->root(), "_NET_WORKAREA");
    area.resize(4, 0);
    const Box whole{int(area[0]), int(area[1]), int(area[2]), int(area[3])};
    EXPECT_TRUE(waitUntil([&] { return outerFrame(*desktop, probe.window) == whole; }, 5s))
        << outerFrame(*desktop, probe.window) << " instead of " << whole << "\n"
        << corvane->log();
}

// A combination the window manager has bound for itself reaches the recorder
// while it records (Corvane holds the keyboard then), and is the window
// manager's again once recording is over.
TEST_F(SettingsWindowTest, TheRecorderGetsKeysTheWindowManagerHasBound) {
    const std::filesystem::path marker =
        std::filesystem::temp_directory_path() / ("corvane-wm-binding-" + std::to_string(getpid()));
    std::filesystem::remove(marker);
    Desktop::Options options;
    options.openboxKeys = {{"W-F12", "touch " + marker.string()}};
    start({}, options);

    drive({"press", settingsTitle, "Shortcuts"});
    drive({"press", settingsTitle, "Add Global Shortcut"});
    const std::string editor = "Layout editor";
    drive({"press", editor, "Record shortcut"});
    std::this_thread::sleep_for(200ms);  // the keyboard grab is taken
    pressKeys(*desktop, "super+F12");
    EXPECT_NE(drive({"controls", editor}).find("\tSuper+F12\t"), std::string::npos)
        << drive({"controls", editor});
    std::this_thread::sleep_for(300ms);
    EXPECT_FALSE(std::filesystem::exists(marker)) << "the window manager took the keys";

    // Recording is over (and nothing was saved): the binding is the window manager's again.
    drive({"press", editor, "Cancel"});
    pressKeys(*desktop, "super+F12");
    EXPECT_TRUE(waitUntil([&] { return std::filesystem::exists(marker); }, 5s));
    std::filesystem::remove(marker);
}

}  // namespace
}  // namespace corvane::e2e
