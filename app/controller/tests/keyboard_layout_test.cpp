// The grid and the shortcuts Corvane shows under keyboard layouts other than
// US: command keys follow the characters the keys type, layout keys stay
// where they sit and are shown with the label their key has now.
#include <QKeyEvent>
#include <QWindow>

#include "app/controller/panel_keys.h"
#include "app/controller/tests/controller_fixture.h"
#include "app/panel/grid_panel_view.h"
#include "app/panel/layout_area.h"
#include "core/key_codes.h"

namespace corvane::testing {
namespace {

using platform::FakeKeyMapping;

// Key positions, in the numbering of KeyCode (named after the US keyboard).
constexpr std::uint16_t keyY = 16, keyZ = KeyCode::z, keyZero = 29, keySemicolon = 41,
                        keySlash = 44, keyM = 46, keySix = 22;
constexpr std::uint32_t ctrl = KeyCombo::ctrl, ctrlShift = KeyCombo::ctrl | KeyCombo::shift;
const TileRegion leftHalf{0, 0, 0.5, 1};

class KeyboardLayoutTest : public ControllerTest {
protected:
    AppController& openWith(const std::vector<SavedLayout>& layouts) {
        AppSettings settings;
        settings.keepPanelOpen = true;
        settings.layouts = layouts;
        return openPanels(settings);
    }
    bool press(std::uint16_t position, std::uint32_t modifiers,
               std::optional<std::uint16_t> typed = std::nullopt) {
        return controller->panelKeys().handleKeyDown(KeyPress{position, modifiers, typed}, 0);
    }
    std::vector<std::string> tileShortcuts() const {
        std::vector<std::string> shown;
        for (const LayoutTile* tile : panel(0)->view()->layoutArea()->tiles())
            shown.push_back(tile->shortcutText().toStdString());
        return shown;
    }
};

TEST_F(KeyboardLayoutTest, UnderAGermanLayoutCtrlZIsTheKeyThatTypesZ) {
    keyMapping.setLayout(FakeKeyMapping::german());
    AppController& c = openWith({});
    c.applyRegion(leftHalf, displayOf(0), false);
    ASSERT_EQ(desktop.frameOf(window), (Rect{0, 30, 960, 1050}));

    EXPECT_FALSE(press(keyZ, ctrl)) << "the key where US keyboards have Z types Y here";
    EXPECT_EQ(desktop.frameOf(window), (Rect{0, 30, 960, 1050}));
    EXPECT_TRUE(press(keyY, ctrl));
    EXPECT_EQ(desktop.frameOf(window), (Rect{100, 100, 800, 600})) << "undone";

    // "-" sits right of "." and "=" needs Shift (Shift+0): both still change the rows.
    const GridSize start = c.grid();
    EXPECT_TRUE(press(keySlash, ctrl));
    EXPECT_EQ(c.grid(), (GridSize{start.columns, start.rows - 1}));
    EXPECT_TRUE(press(keyZero, ctrlShift, KeyCode::equals));
    EXPECT_EQ(c.grid(), start) << "Shift typed the \"=\", it adds no column";
    EXPECT_TRUE(press(keySlash, ctrlShift));
    EXPECT_EQ(c.grid(), (GridSize{start.columns - 1, start.rows}));
    EXPECT_FALSE(press(KeyCode::minus, ctrl)) << "that key types \u00df here";
}

TEST_F(KeyboardLayoutTest, UnderAFrenchLayoutLayoutKeysStayWhereTheySitAndCommandsMove) {
    keyMapping.setLayout(FakeKeyMapping::french());
    const TileRegion full{0, 0, 1, 1};
    AppController& c =
        openWith({layoutOf("Max", full, KeyCombo{keyM, 0, "M"}, false),
                  layoutOf("Left", leftHalf, KeyCombo{keySemicolon, 0, ";"}, false)});
    EXPECT_EQ(tileShortcuts(), (std::vector<std::string>{",", "M"}))
        << "each tile shows what its key types here";
    EXPECT_TRUE(press(keySemicolon, 0)) << "the key that types m";
    EXPECT_EQ(desktop.frameOf(window), (Rect{0, 30, 960, 1050})) << "the tile showing M";

    EXPECT_FALSE(press(KeyCode::comma, ctrl)) << "that key types ; here";
    EXPECT_TRUE(press(keyM, ctrl)) << "the key that types ,";
    EXPECT_FALSE(c.panelsOpen()) << "settings close the grid";

    c.showPanels();
    const GridSize start = c.grid();
    EXPECT_TRUE(press(keySix, ctrlShift)) << "\"-\" is on the 6";
    EXPECT_EQ(c.grid(), (GridSize{start.columns - 1, start.rows}));
}

TEST_F(KeyboardLayoutTest, ShownShortcutsFollowTheLayoutAndStoredLabelsFillTheGaps) {
    const std::uint32_t ctrlAlt = KeyCombo::ctrl | KeyCombo::alt;
    AppController& c = openWith(
        {layoutOf("Undo-ish", leftHalf, KeyCombo{keyZ, ctrlAlt, "Z"}, false),
         layoutOf("Dead", leftHalf, KeyCombo{KeyCode::equals, ctrlAlt, "="}, false),
         layoutOf("Arrow", leftHalf, KeyCombo{KeyCode::leftArrow, ctrlAlt, "\u2190"}, false)});
    EXPECT_EQ(tileShortcuts(),
              (std::vector<std::string>{"Ctrl+Alt+Z", "Ctrl+Alt+=", "Ctrl+Alt+\u2190"}));

    // The user switches to German while the grid is open.
    lines.clear();
    keyMapping.setLayout(FakeKeyMapping::german());
    c.handleKeyboardLayoutChanged();
    EXPECT_EQ(tileShortcuts(),
              (std::vector<std::string>{"Ctrl+Alt+Y", "Ctrl+Alt+=", "Ctrl+Alt+\u2190"}))
        << "a dead key keeps its stored label";
    EXPECT_TRUE(hasLine("Layout tiles: \"Undo-ish\" Ctrl+Alt+Y;"));
    EXPECT_TRUE(press(keyZ, ctrlAlt)) << "layout keys still match where they sit";
    EXPECT_EQ(desktop.frameOf(window), (Rect{0, 30, 960, 1050}));
}

}  // namespace
}  // namespace corvane::testing
