#include "app/settings_window/general_tab.h"

#include <QKeyEvent>

#include "app/settings_window/shortcut_recorder.h"
#include "app/settings_window/tests/settings_window_fixture.h"
#include "platform/key_code_map.h"

namespace corvane::testing {
namespace {

constexpr std::uint32_t activationMods = KeyCombo::ctrl | KeyCombo::alt | KeyCombo::super;
constexpr std::uint16_t keyM = 46;  // labelled "M" by the test keyboard

using GeneralTabTest = SettingsWindowTest;

TEST_F(GeneralTabTest, ARefusedSwitchShowsWhyAndStaysAsStored) {
    open([](AppSettings& s) { s.activationShortcut.reset(); });
    const std::string file = storedFile();
    QCheckBox* tray = named<QCheckBox>(QStringLiteral("Show icon in the system tray"));
    ASSERT_TRUE(tray && tray->isChecked());

    tray->click();
    EXPECT_EQ(window->bannerText(),
              QStringLiteral("Keep the tray icon or an activation shortcut enabled."));
    EXPECT_TRUE(tray->isChecked());
    EXPECT_TRUE(controller->settings().showMenuBarIcon);
    EXPECT_EQ(storedFile(), file);

    // With the activation shortcut back the same switch may go off.
    AppSettings withShortcut = controller->settings();
    withShortcut.activationShortcut = KeyCombo::defaultActivation();
    controller->settingsActions().saveAndApply(withShortcut);
    EXPECT_TRUE(window->bannerText().isEmpty()) << "a saved change clears the old problem";
    tray->click();
    EXPECT_FALSE(tray->isChecked());
    EXPECT_FALSE(SettingsStore(dir.path()).load().showMenuBarIcon);
}

TEST_F(GeneralTabTest, SwitchesFollowTheSettingsWhereverTheyChange) {
    open();
    QCheckBox* keepOpen = named<QCheckBox>(QStringLiteral("Keep the grid open after tiling"));
    QCheckBox* cycle =
        named<QCheckBox>(QStringLiteral("Repeat a shortcut to cycle through displays"));
    ASSERT_TRUE(keepOpen && cycle);
    keepOpen->click();
    EXPECT_TRUE(controller->settings().keepPanelOpen);
    EXPECT_TRUE(SettingsStore(dir.path()).load().keepPanelOpen);

    // A settings file reloaded from disk (or changed anywhere else) shows at once.
    AppSettings reloaded;
    reloaded.cycleDisplays = true;
    reloaded.animateWindows = false;
    controller->applySettings(reloaded);
    EXPECT_FALSE(keepOpen->isChecked());
    EXPECT_TRUE(cycle->isChecked());
    EXPECT_FALSE(named<QCheckBox>(QStringLiteral("Animate window resizing"))->isChecked());
}

TEST_F(GeneralTabTest, LaunchAtLoginGoesThroughTheLoginItem) {
    open();
    QCheckBox* launch = named<QCheckBox>(QStringLiteral("Launch at login"));
    ASSERT_TRUE(launch);
    EXPECT_FALSE(launch->isChecked());
    launch->click();
    EXPECT_TRUE(login.enabled);
    EXPECT_TRUE(controller->loginEnabled());
    EXPECT_TRUE(launch->isChecked());

    login.failure = "The autostart folder is read-only.";
    launch->click();
    EXPECT_EQ(
        window->bannerText(),
        QStringLiteral("Couldn\u2019t change login settings: The autostart folder is read-only."));
    EXPECT_TRUE(launch->isChecked()) << "still starting at login";
}

TEST_F(GeneralTabTest, WindowControlSaysWhetherItIsAvailable) {
    open();
    EXPECT_TRUE(named<QWidget>(QStringLiteral("Window control available")));
    desktop.available = false;
    controller->checkPermission();
    EXPECT_TRUE(named<QWidget>(QStringLiteral("Window control unavailable")));
}

TEST_F(GeneralTabTest, ARecordedActivationShortcutIsSavedAndGrabbed) {
    open();
    auto* recorder = named<ShortcutRecorder>(QStringLiteral("Show or hide the grid"));
    ASSERT_TRUE(recorder);
    EXPECT_EQ(recorder->text(), QStringLiteral("Ctrl+Alt+Super+T"));
    recorder->click();
    EXPECT_TRUE(controller->recordingActive());
    EXPECT_TRUE(grabber.grabbed().empty()) << "no hot key fires while recording";

    QKeyEvent press(QEvent::KeyPress, Qt::Key_M, Qt::ControlModifier | Qt::AltModifier,
                    platform::xKeycodeFor(keyM).value_or(0), 0, 0, QStringLiteral("m"));
    QCoreApplication::sendEvent(recorder, &press);
    EXPECT_FALSE(controller->recordingActive());
    const KeyCombo ctrlAltM{keyM, KeyCombo::ctrl | KeyCombo::alt, "M"};
    EXPECT_EQ(controller->settings().activationShortcut, ctrlAltM);
    EXPECT_EQ(SettingsStore(dir.path()).load().activationShortcut, ctrlAltM);
    EXPECT_TRUE(grabber.isGrabbed(keyM, KeyCombo::ctrl | KeyCombo::alt));
    EXPECT_FALSE(grabber.isGrabbed(17, activationMods));
    EXPECT_EQ(recorder->text(), QStringLiteral("Ctrl+Alt+M"));

    // A bare key is refused by the settings: the old shortcut stays, and the reason shows.
    recorder->click();
    QKeyEvent bare(QEvent::KeyPress, Qt::Key_M, Qt::NoModifier,
                   platform::xKeycodeFor(keyM).value_or(0), 0, 0, QStringLiteral("m"));
    QCoreApplication::sendEvent(recorder, &bare);
    EXPECT_EQ(window->bannerText(),
              QStringLiteral("The activation shortcut needs Ctrl, Alt, or Super."));
    EXPECT_EQ(controller->settings().activationShortcut, ctrlAltM);
    EXPECT_EQ(recorder->text(), QStringLiteral("Ctrl+Alt+M"));
    EXPECT_TRUE(grabber.isGrabbed(keyM, KeyCombo::ctrl | KeyCombo::alt));
}

}  // namespace
}  // namespace corvane::testing
