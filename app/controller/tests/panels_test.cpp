#include <QMouseEvent>

#include "app/controller/tests/controller_fixture.h"
#include "app/panel/panel_selection.h"
#include "app/panel/preview_overlay.h"

namespace corvane::testing {
namespace {

namespace Vk {
constexpr std::uint16_t a = 0;
constexpr std::uint16_t z = 6;
constexpr std::uint16_t b = 11;
constexpr std::uint16_t q = 12;
constexpr std::uint16_t t = 17;
constexpr std::uint16_t equals = 24;
constexpr std::uint16_t minus = 27;
constexpr std::uint16_t returnKey = 36;
constexpr std::uint16_t tab = 48;
constexpr std::uint16_t escape = 53;
constexpr std::uint16_t right = 124;
constexpr std::uint16_t down = 125;
}  // namespace Vk

SavedLayout layoutOn(std::string name, KeyCombo shortcut, bool global, TileRegion region) {
    SavedLayout layout;
    layout.name = std::move(name);
    layout.shortcut = std::move(shortcut);
    layout.isGlobal = global;
    layout.region = region;
    return layout;
}

class PanelKeysTest : public ControllerTest {
protected:
    // Two monitors side by side; the pointer rests on the first.
    AppController& openTwoPanels(AppSettings settings = {}) {
        desktop.addMonitor("HDMI-1", Rect{1920, 0, 1280, 800});
        saveSettings(settings);
        AppController& c = make();
        c.start();
        c.showPanels();
        return c;
    }
    platform::WindowId keyboardOwner() const { return shell.activeOwn; }
};

TEST_F(PanelKeysTest, ThePanelUnderThePointerGetsTheKeyboard) {
    QCursor::setPos(2000, 300);
    desktop.addMonitor("HDMI-1", Rect{1920, 0, 1280, 800});
    AppController& c = make();
    c.showPanels();
    ASSERT_EQ(c.panels().size(), 2u);
    EXPECT_EQ(keyboardOwner(), panel(1)->windowId());
    EXPECT_EQ(panel(1)->windowTitle(), QStringLiteral("Corvane \u2014 HDMI-1"));
}

TEST_F(PanelKeysTest, EveryOpeningFollowsTheCompositingManager) {
    AppController& c = make();
    c.showPanels();
    // Without one, translucent corners would show black: the panel is shaped to its card.
    EXPECT_FALSE(panel(0)->mask().isEmpty());
    EXPECT_FALSE(c.previewOverlay()->compositing());
    c.closePanels(false);

    shell.compositing = true;
    c.showPanels();
    EXPECT_TRUE(panel(0)->mask().isEmpty());
    EXPECT_TRUE(c.previewOverlay()->compositing());
    c.closePanels(false);

    shell.compositing = false;
    c.showPanels();
    EXPECT_FALSE(panel(0)->mask().isEmpty());
    EXPECT_FALSE(c.previewOverlay()->compositing());
}

TEST_F(PanelKeysTest, AClickElsewhereClosesTheGridUnlessItIsKeptOpen) {
    AppController& c = openTwoPanels();
    c.handleOutsideClick();
    EXPECT_FALSE(c.panelsOpen());
    EXPECT_TRUE(shell.activations.empty()) << "the click already chose where the keyboard goes";
}

TEST_F(PanelKeysTest, AClickElsewhereWithKeepOpenRetargetsTheClickedWindow) {
    AppSettings settings;
    settings.keepPanelOpen = true;
    AppController& c = openTwoPanels(settings);
    const platform::AppRef editor = desktop.addApp(5151, "Gedit", "Text Editor");
    const platform::WindowId other = desktop.addWindow(
        platform::FakeWindowSpec{.app = editor, .title = std::string("notes.txt")});
    c.handleOutsideClick();
    EXPECT_TRUE(c.panelsOpen());
    EXPECT_EQ(c.target()->window, window) << "the click has not landed yet";
    spin(250);
    ASSERT_TRUE(c.target());
    EXPECT_EQ(c.target()->window, other);
    EXPECT_EQ(c.target()->title, "notes.txt");
}

TEST_F(PanelKeysTest, AChangedMonitorLayoutRebuildsThePanels) {
    AppController& c = openTwoPanels();
    const int generation = c.panelGeneration();
    desktop.removeMonitor("HDMI-1");
    c.handleScreensChanged();
    ASSERT_EQ(c.panels().size(), 1u);
    EXPECT_EQ(displayOf(0).name, "DP-1");
    EXPECT_EQ(c.panelGeneration(), generation + 2);
    EXPECT_TRUE(shell.activations.empty());
}

TEST_F(PanelKeysTest, ARebuiltGridTakesTheKeyboardBeforeTheOldPanelsGo) {
    AppController& c = openTwoPanels();
    QPointer<TilePanel> old = panel(0);
    ASSERT_TRUE(old->isVisible());
    // Hiding the panel with the keyboard first would let the desktop give it to
    // another application, which closes the grid as a click elsewhere would.
    bool oldVisibleAtRequest = false;
    shell.onKeyboardRequest = [&](platform::WindowId) {
        oldVisibleAtRequest = old && old->isVisible();
    };
    desktop.removeMonitor("HDMI-1");
    c.handleScreensChanged();
    EXPECT_TRUE(oldVisibleAtRequest);
    ASSERT_EQ(c.panels().size(), 1u);
    EXPECT_EQ(shell.activeOwn, panel(0)->windowId());
    EXPECT_TRUE(!old || !old->isVisible());
}

TEST_F(PanelKeysTest, TabWalksThePanelsAndWraps) {
    AppController& c = openTwoPanels();
    ASSERT_EQ(keyboardOwner(), panel(0)->windowId());
    tapKey(0, Qt::Key_Tab, Qt::NoModifier, Vk::tab);
    EXPECT_EQ(keyboardOwner(), panel(1)->windowId());
    tapKey(1, Qt::Key_Tab, Qt::NoModifier, Vk::tab);
    EXPECT_EQ(keyboardOwner(), panel(0)->windowId()) << "Tab on the last panel wraps to the first";
    tapKey(0, Qt::Key_Backtab, Qt::ShiftModifier, Vk::tab);
    EXPECT_EQ(keyboardOwner(), panel(1)->windowId()) << "Shift+Tab on the first goes to the last";
    EXPECT_TRUE(c.panelsOpen());
}

TEST_F(PanelKeysTest, EscapeClosesTheGridAndGivesTheKeyboardBack) {
    AppController& c = openTwoPanels();
    tapKey(0, Qt::Key_Escape, Qt::NoModifier, Vk::escape);
    EXPECT_FALSE(c.panelsOpen());
    ASSERT_EQ(shell.activations.size(), 1u);
    EXPECT_EQ(shell.activations[0], window);

    // When the grid never had the keyboard, there is nothing to give back.
    c.showPanels();
    shell.activeOwn = 0;
    c.closePanels(true);
    EXPECT_EQ(shell.activations.size(), 1u);
}

TEST_F(PanelKeysTest, GridSizeKeysStayWithinOneToTwenty) {
    AppSettings settings;
    settings.grid = GridSize{6, 20};
    AppController& c = openTwoPanels(settings);
    tapKey(0, Qt::Key_Equal, Qt::ControlModifier, Vk::equals);
    EXPECT_EQ(c.grid(), (GridSize{6, 20}));
    tapKey(0, Qt::Key_Minus, Qt::ControlModifier, Vk::minus);
    EXPECT_EQ(c.grid(), (GridSize{6, 19}));
    tapKey(0, Qt::Key_Plus, Qt::ControlModifier | Qt::ShiftModifier, Vk::equals);
    EXPECT_EQ(c.grid(), (GridSize{7, 19}));
    // "Reset the grid on open" is on: the change is not remembered.
    EXPECT_EQ(c.settings().grid, (GridSize{6, 20}));
}

TEST_F(PanelKeysTest, ARememberedGridIsSavedWhenItChanges) {
    AppSettings settings;
    settings.resetGridOnOpen = false;
    AppController& c = openTwoPanels(settings);
    selection(0).moveCursor(1, 0, false, c.activeGrid());
    c.changeGrid(-1, 0);
    EXPECT_EQ(c.settings().grid, (GridSize{5, 6}));
    EXPECT_EQ(SettingsStore(dir.path()).load().grid, (GridSize{5, 6}));
    EXPECT_FALSE(selection(0).region()) << "a grid change resets every selection";
}

TEST_F(PanelKeysTest, LayoutShortcutsInTheGridAreTheGridOnlyOnes) {
    AppSettings settings;
    settings.keepPanelOpen = true;
    settings.layouts = {
        layoutOn("Right", KeyCombo{Vk::a, 0, "A"}, false, TileRegion{0.5, 0, 0.5, 1}),
        layoutOn("Global", KeyCombo{Vk::b, KeyCombo::option | KeyCombo::command, "B"}, true,
                 TileRegion{0, 0, 0.5, 1}),
    };
    SavedLayout disabled = layoutOn("Off", KeyCombo{Vk::t, 0, "T"}, false, TileRegion{0, 0, 1, 1});
    disabled.enabled = false;
    settings.layouts.push_back(disabled);
    AppController& c = openTwoPanels(settings);

    EXPECT_TRUE(c.handleKeyDown(KeyPress{Vk::a, 0}, 0));
    EXPECT_EQ(desktop.frameOf(window), (Rect{960, 30, 960, 1050}));
    EXPECT_FALSE(c.handleKeyDown(KeyPress{Vk::b, KeyCombo::option | KeyCombo::command}, 0));
    EXPECT_FALSE(c.handleKeyDown(KeyPress{Vk::t, 0}, 0))
        << "a disabled layout's key is a plain letter";
    EXPECT_EQ(desktop.frameOf(window), (Rect{960, 30, 960, 1050}));
    EXPECT_TRUE(c.panelsOpen());
}

TEST_F(PanelKeysTest, TheGridsOwnKeysComeBeforeLayoutShortcuts) {
    AppController& c = openTwoPanels();
    AppSettings clashing = c.settings();
    clashing.layouts = {layoutOn("Clash", KeyCombo{Vk::equals, KeyCombo::command, "="}, false,
                                 TileRegion{0, 0, 1, 1})};
    c.applySettings(clashing);
    const Rect before = desktop.frameOf(window);
    EXPECT_TRUE(c.handleKeyDown(KeyPress{Vk::equals, KeyCombo::command}, 0));
    EXPECT_EQ(c.grid(), (GridSize{6, 7}));
    EXPECT_EQ(desktop.frameOf(window), before);
}

TEST_F(PanelKeysTest, ArrowsSelectAndReturnPlaces) {
    AppSettings settings;
    settings.grid = GridSize{4, 2};
    AppController& c = openTwoPanels(settings);
    tapKey(0, Qt::Key_Right, Qt::NoModifier, Vk::right);
    tapKey(0, Qt::Key_Right, Qt::NoModifier, Vk::right);
    tapKey(0, Qt::Key_Down, Qt::ShiftModifier, Vk::down);
    ASSERT_TRUE(selection(0).region());
    EXPECT_EQ(*selection(0).region(), (TileRegion{0.5, 0, 0.25, 1}));
    EXPECT_TRUE(c.previewOverlay()->isShown());

    tapKey(0, Qt::Key_Return, Qt::NoModifier, Vk::returnKey);
    EXPECT_EQ(desktop.frameOf(window), (Rect{960, 30, 480, 1050}));
    EXPECT_FALSE(c.panelsOpen());
}

TEST_F(PanelKeysTest, ArrowsWorkWhateverKeycodeTheServerGivesThem) {
    AppController& c = openTwoPanels();
    // The xfree86 keycode set: Right is 102, Down 104, Return still 36.
    auto press = [&](int qtKey, Qt::KeyboardModifiers modifiers, quint32 scanCode) {
        QKeyEvent event(QEvent::KeyPress, qtKey, modifiers, scanCode, 0, 0);
        QCoreApplication::sendEvent(panel(0)->windowHandle(), &event);
    };
    press(Qt::Key_Right, Qt::NoModifier, 102);
    press(Qt::Key_Down, Qt::ShiftModifier, 104);
    ASSERT_TRUE(selection(0).region());
    EXPECT_EQ(*selection(0).region(), (TileRegion::spanning({1, 0}, {1, 1}, c.activeGrid())));
    // A keypad arrow is not an arrow key.
    press(Qt::Key_Left, Qt::KeypadModifier, 83);
    EXPECT_EQ(*selection(0).region(), (TileRegion::spanning({1, 0}, {1, 1}, c.activeGrid())));
    press(Qt::Key_Enter, Qt::KeypadModifier, 108);
    EXPECT_FALSE(c.panelsOpen());
}

TEST_F(PanelKeysTest, UnhandledKeysReachThePanel) {
    AppController& c = openTwoPanels();
    // The starter layouts hold the letters they use; Q is not one of them.
    EXPECT_FALSE(c.handleKeyDown(KeyPress{Vk::q, 0}, 0));
    EXPECT_FALSE(c.handleKeyDown(KeyPress{Vk::z, KeyCombo::command | KeyCombo::shift}, 0));
    EXPECT_TRUE(c.panelsOpen());
}

TEST_F(PanelKeysTest, KeysAreLeftAloneWhileAShortcutIsRecorded) {
    AppController& c = openTwoPanels();
    c.setRecordingActive(true);
    tapKey(0, Qt::Key_Escape, Qt::NoModifier, Vk::escape);
    tapKey(0, Qt::Key_Right, Qt::NoModifier, Vk::right);
    EXPECT_TRUE(c.panelsOpen());
    EXPECT_FALSE(selection(0).region());
    c.setRecordingActive(false);
    tapKey(0, Qt::Key_Escape, Qt::NoModifier, Vk::escape);
    EXPECT_FALSE(c.panelsOpen());
}

TEST_F(PanelKeysTest, TappingAltAloneSubdividesAndClearsEverySelection) {
    AppController& c = openTwoPanels();
    selection(0).moveCursor(1, 1, false, c.activeGrid());
    selection(1).moveCursor(1, 0, false, c.activeGrid());

    sendKey(0, QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    sendKey(0, QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    EXPECT_TRUE(c.subdivided());
    EXPECT_EQ(c.activeGrid(), (GridSize{12, 12}));
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_FALSE(selection(i).region());
        EXPECT_EQ(selection(i).cursor(), (Cell{0, 0}));
        EXPECT_EQ(selection(i).anchor(), (Cell{0, 0}));
    }

    sendKey(0, QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    sendKey(0, QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    EXPECT_FALSE(c.subdivided()) << "a second tap toggles back";
}

TEST_F(PanelKeysTest, AltUsedAsAModifierNeverSubdivides) {
    AppController& c = openTwoPanels();
    // Alt+Shift.
    sendKey(0, QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    sendKey(0, QEvent::KeyPress, Qt::Key_Shift, Qt::AltModifier | Qt::ShiftModifier);
    sendKey(0, QEvent::KeyRelease, Qt::Key_Shift, Qt::AltModifier);
    sendKey(0, QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    EXPECT_FALSE(c.subdivided());

    // Alt+T.
    sendKey(0, QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    tapKey(0, Qt::Key_T, Qt::AltModifier, Vk::t);
    sendKey(0, QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    EXPECT_FALSE(c.subdivided());

    // Alt held over a click anywhere in Corvane.
    sendKey(0, QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    QObject elsewhere;
    QMouseEvent click(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                      Qt::LeftButton, Qt::AltModifier);
    QCoreApplication::sendEvent(&elsewhere, &click);
    sendKey(0, QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    EXPECT_FALSE(c.subdivided());
    EXPECT_TRUE(c.panelsOpen());
}

}  // namespace
}  // namespace corvane::testing
