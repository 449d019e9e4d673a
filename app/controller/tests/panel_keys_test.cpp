#include "app/controller/panel_keys.h"

#include <QKeyEvent>
#include <QWindow>

#include "app/controller/tests/controller_fixture.h"
#include "app/panel/panel_selection.h"
#include "app/panel/preview_overlay.h"
#include "app/panel/tile_panel.h"
#include "core/key_codes.h"
#include "platform/key_code_map.h"

namespace corvane::testing {
namespace {

// Letters for layout shortcuts, in the numbering of KeyCode.
constexpr std::uint16_t keyA = 0, keyB = 11, keyQ = 12, keyT = 17;
constexpr std::uint32_t ctrlAlt = KeyCombo::ctrl | KeyCombo::alt;

class PanelKeysTest : public ControllerTest {
protected:
    // Two monitors side by side; the pointer rests on the first.
    AppController& openTwoPanels(const AppSettings& settings = {}) {
        desktop.addMonitor("HDMI-1", Rect{1920, 0, 1280, 800});
        return openPanels(settings);
    }
    PanelSelection& selection(std::size_t i) const { return *controller->panels().at(i).selection; }

    // A key as the desktop delivers it to a panel's window: Qt's key and
    // modifiers plus the X keycode (xKeycodeFor of a virtual key, or given).
    void sendKey(std::size_t index, QEvent::Type type, int qtKey, Qt::KeyboardModifiers modifiers,
                 quint32 scanCode = 0) {
        QKeyEvent event(type, qtKey, modifiers, scanCode, 0, 0);
        QCoreApplication::sendEvent(panel(index)->windowHandle(), &event);
    }
    void tapKey(std::size_t index, int qtKey, Qt::KeyboardModifiers modifiers, std::uint16_t vk) {
        const quint32 scanCode = platform::xKeycodeFor(vk).value_or(0);
        sendKey(index, QEvent::KeyPress, qtKey, modifiers, scanCode);
        // The press may have closed the grid; the release then goes elsewhere.
        if (index < controller->panels().size()) {
            sendKey(index, QEvent::KeyRelease, qtKey, modifiers, scanCode);
        }
    }
};

TEST_F(PanelKeysTest, TheKeyTableFirstMatchWinsAndTheRestPassesOn) {
    AppSettings settings;
    settings.keepPanelOpen = true;
    settings.grid = GridSize{6, 19};
    settings.layouts = {
        layoutOf("Right", {0.5, 0, 0.5, 1}, KeyCombo{keyA, 0, "A"}, false),
        layoutOf("Global", {0, 0, 0.5, 1}, KeyCombo{keyB, ctrlAlt, "B"}, true),
        layoutOf("Off", {0, 0, 1, 1}, KeyCombo{keyT, 0, "T"}, false, /*enabled=*/false)};
    AppController& c = openTwoPanels(settings);
    // The settings file refuses such a clash; settings applied directly may still hold one.
    settings.layouts.push_back(
        layoutOf("Clash", {0, 0, 1, 1}, KeyCombo{KeyCode::equals, KeyCombo::ctrl, "="}, false));
    c.applySettings(settings);

    tapKey(0, Qt::Key_Tab, Qt::NoModifier, KeyCode::tab);
    EXPECT_EQ(shell.activeOwn, panel(1)->windowId());
    tapKey(1, Qt::Key_Tab, Qt::NoModifier, KeyCode::tab);
    EXPECT_EQ(shell.activeOwn, panel(0)->windowId()) << "Tab on the last panel wraps";
    tapKey(0, Qt::Key_Backtab, Qt::ShiftModifier, KeyCode::tab);
    EXPECT_EQ(shell.activeOwn, panel(1)->windowId()) << "Shift+Tab on the first goes to the last";

    // Ctrl+= grows the grid (up to 20) although a layout holds the same key.
    const Rect start = desktop.frameOf(window);
    EXPECT_TRUE(c.panelKeys().handleKeyDown(KeyPress{KeyCode::equals, KeyCombo::ctrl}, 0));
    EXPECT_TRUE(c.panelKeys().handleKeyDown(KeyPress{KeyCode::equals, KeyCombo::ctrl}, 0));
    EXPECT_EQ(c.grid(), (GridSize{6, 20}));
    EXPECT_EQ(desktop.frameOf(window), start);
    tapKey(0, Qt::Key_Minus, Qt::ControlModifier, KeyCode::minus);
    tapKey(0, Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier, KeyCode::equals);
    EXPECT_EQ(c.grid(), (GridSize{7, 19}));
    EXPECT_EQ(c.settings().grid, (GridSize{6, 19})) << "a grid reset on open is not remembered";

    // Only enabled grid-only layouts have keys in the grid; the rest are plain letters.
    EXPECT_FALSE(c.panelKeys().handleKeyDown(KeyPress{keyB, ctrlAlt}, 0));
    EXPECT_FALSE(c.panelKeys().handleKeyDown(KeyPress{keyT, 0}, 0));
    EXPECT_FALSE(c.panelKeys().handleKeyDown(KeyPress{keyQ, 0}, 0));
    EXPECT_EQ(desktop.frameOf(window), start);
    EXPECT_TRUE(c.panelKeys().handleKeyDown(KeyPress{keyA, 0}, 1));
    EXPECT_EQ(desktop.frameOf(window), (Rect{2560, 0, 640, 800})) << "where the keyboard is";

    // While a shortcut is recorded the grid leaves every key alone.
    c.setRecordingActive(true);
    tapKey(0, Qt::Key_Escape, Qt::NoModifier, KeyCode::escape);
    EXPECT_TRUE(c.panelsOpen());
    c.setRecordingActive(false);
    tapKey(0, Qt::Key_Escape, Qt::NoModifier, KeyCode::escape);
    EXPECT_FALSE(c.panelsOpen());
    EXPECT_EQ(shell.activations, (std::vector<platform::WindowId>{window}))
        << "Esc gives the keyboard back to the target";
}

TEST_F(PanelKeysTest, TabWalksThreePanelsForwardAndShiftTabBackward) {
    // With two panels, forward and backward land on the same one: three tell them apart.
    desktop.addMonitor("HDMI-1", Rect{1920, 0, 1280, 800});
    desktop.addMonitor("DP-2", Rect{3200, 0, 1280, 800});
    AppController& c = openPanels();
    ASSERT_EQ(c.panels().size(), 3u);
    ASSERT_EQ(shell.activeOwn, panel(0)->windowId());
    const std::pair<std::size_t, std::size_t> backwards[] = {{0, 2}, {2, 1}, {1, 0}};
    for (const auto& [from, to] : backwards) {
        tapKey(from, Qt::Key_Backtab, Qt::ShiftModifier, KeyCode::tab);
        EXPECT_EQ(shell.activeOwn, panel(to)->windowId()) << "Shift+Tab on panel " << from;
    }
    const std::pair<std::size_t, std::size_t> forwards[] = {{0, 1}, {1, 2}, {2, 0}};
    for (const auto& [from, to] : forwards) {
        tapKey(from, Qt::Key_Tab, Qt::NoModifier, KeyCode::tab);
        EXPECT_EQ(shell.activeOwn, panel(to)->windowId()) << "Tab on panel " << from;
    }
}

TEST_F(PanelKeysTest, ArrowsSelectAnAltTapSubdividesAndReturnPlaces) {
    AppSettings settings;
    settings.resetGridOnOpen = false;
    settings.grid = GridSize{4, 2};
    AppController& c = openTwoPanels(settings);
    selection(1).moveCursor(1, 0, false, c.activeGrid());
    tapKey(0, Qt::Key_Right, Qt::NoModifier, KeyCode::rightArrow);
    sendKey(0, QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    sendKey(0, QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    EXPECT_EQ(c.activeGrid(), (GridSize{8, 4}));
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_FALSE(selection(i).region());
        EXPECT_EQ(selection(i).cursor(), (Cell{0, 0}));
    }
    sendKey(0, QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    sendKey(0, QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    EXPECT_FALSE(c.subdivided()) << "a second tap toggles back";

    sendKey(0, QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    sendKey(0, QEvent::KeyPress, Qt::Key_Shift, Qt::AltModifier | Qt::ShiftModifier);
    sendKey(0, QEvent::KeyRelease, Qt::Key_Shift, Qt::AltModifier);
    sendKey(0, QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    EXPECT_FALSE(c.subdivided()) << "Alt+Shift";
    sendKey(0, QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    tapKey(0, Qt::Key_T, Qt::AltModifier, keyT);
    sendKey(0, QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    EXPECT_FALSE(c.subdivided()) << "Alt+T";

    tapKey(0, Qt::Key_Right, Qt::NoModifier, KeyCode::rightArrow);
    // The xfree86 keycode set: Right is 102, Down 104; a keypad arrow is no arrow key.
    sendKey(0, QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier, 102);
    sendKey(0, QEvent::KeyPress, Qt::Key_Down, Qt::ShiftModifier, 104);
    sendKey(0, QEvent::KeyPress, Qt::Key_Left, Qt::KeypadModifier, 83);
    EXPECT_EQ(selection(0).region(), (TileRegion{0.5, 0, 0.25, 1}));
    EXPECT_TRUE(c.previewOverlay()->isShown());
    tapKey(0, Qt::Key_Return, Qt::NoModifier, KeyCode::returnKey);
    EXPECT_EQ(desktop.frameOf(window), (Rect{960, 30, 480, 1050}));
    EXPECT_FALSE(c.panelsOpen());

    // A grid kept between openings is saved when it changes.
    c.changeGrid(-1, 0);
    EXPECT_EQ(SettingsStore(dir.path()).load().grid, (GridSize{3, 2}));
}

}  // namespace
}  // namespace corvane::testing
