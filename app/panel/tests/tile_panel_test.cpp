#include "app/panel/tile_panel.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <memory>

#include "app/panel/desktop_entry_icon.h"
#include "app/panel/grid_panel_view.h"
#include "app/panel/layout_area.h"
#include "app/panel/panel_blocks.h"
#include "app/panel/panel_header.h"
#include "app/panel/panel_selection.h"
#include "app/panel/tests/fake_panel_host.h"
#include "app/panel/tile_grid.h"
#include "app/style/panel_style.h"
#include "platform/fake/fake_desktop_shell.h"

namespace corvane {
namespace {

using testing::describeRegion;
using Log = std::vector<std::string>;

// One panel on the off-screen platform, shown at (100, 120).
class TilePanelTest : public ::testing::Test {
protected:
    void SetUp() override {
        panel.move(100, 120);
        panel.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    }

    testing::FakePanelHost host;
    platform::FakeDesktopShell shell;
    PanelSelection selection;
    TilePanel panel{
        host, {"DP-1", Rect{0, 0, 1920, 1080}, Rect{0, 32, 1920, 1048}}, selection, shell};
    GridPanelView& view = *panel.view();
};

TEST_F(TilePanelTest, AFramelessRoundedCardOnEveryWorkspaceThatGrowsForThePermissionCard) {
    EXPECT_TRUE(panel.windowFlags().testFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint));
    EXPECT_EQ(panel.windowType(), Qt::Tool) << "no taskbar entry";
    EXPECT_EQ(view.header()->dragHandle()->toolTip(), "Drag to move the grid");
    QTRY_COMPARE(shell.everywhere, std::vector<platform::WindowId>{panel.windowId()});
    const QImage image = view.grab().toImage();  // as preview images are rendered
    EXPECT_EQ(image.width(), 366);
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0) << "clear outside the rounded corners";
    EXPECT_EQ(image.pixelColor(183, 6).alpha(), 255);

    const int withoutCard = panel.height();
    host.permission_ = false;
    panel.refresh();
    EXPECT_GT(panel.height(), withoutCard + 60);
    EXPECT_EQ(panel.pos(), QPoint(100, 120));
    QWidget* card = view.permissionCard();
    QStringList texts;  // labels and buttons, in reading order
    for (auto* part : card->findChildren<QWidget*>()) texts << part->property("text").toString();
    texts.removeAll(QString());
    for (auto* button : card->findChildren<QPushButton*>()) button->click();
    EXPECT_EQ(texts, (QStringList{"Window control unavailable",
                                  "Corvane moves and resizes windows through an X11 window "
                                  "manager, and this session has none.",
                                  QStringLiteral("Learn more\u2026"), "Check again"}));
    EXPECT_EQ(host.log, (Log{"learnMore", "checkPermission"}));
}

TEST_F(TilePanelTest, TheGridAppliesOnThisDisplayOnlyWhileAWindowCanBeArranged) {
    TileGrid* grid = view.tileGrid();
    QTest::mouseClick(grid, Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 10));
    const std::string cell = describeRegion(TileRegion::spanning({0, 0}, {0, 0}, host.grid_));
    EXPECT_EQ(host.log,
              (Log{"preview DP-1 " + cell, "preview DP-1 none", "apply DP-1 " + cell + " shift"}));

    const struct {
        const char* state;
        bool applying, permission, target;
    } rows[] = {{"placement running", true, true, true},
                {"no window control", false, false, true},
                {"no target", false, true, false}};
    for (const auto& [state, applying, permission, target] : rows) {
        host.applying_ = applying;
        host.permission_ = permission;
        if (!target) host.target_.reset();
        panel.refresh();
        host.log.clear();
        selection.reset();
        QTest::mouseMove(grid, QPoint(20, 20));
        QTest::mouseClick(grid, Qt::LeftButton, {}, QPoint(200, 100));
        EXPECT_FALSE(selection.region()) << state;
        EXPECT_EQ(host.log, Log{}) << state;
    }
    EXPECT_EQ(view.targetRow()->nameText(), "Choose a window");
    EXPECT_EQ(view.targetRow()->titleText(), "Focus an app, then open the grid.");
}

TEST_F(TilePanelTest, TheTextsAndTheTargetsIconFollowTheHostState) {
    EXPECT_EQ(view.targetRow()->nameText(), "Fake Term");
    EXPECT_EQ(view.targetRow()->titleText(), "~/src: make test");
    StatusLine* status = view.statusLine();
    EXPECT_EQ(status->text(), "Drag a rectangle. Make room.");
    EXPECT_EQ(status->textColor(), PanelStyle::secondaryText());
    QToolButton* subdivide = view.gridSizeControls()->subdivideButton();
    EXPECT_EQ(subdivide->text(), QStringLiteral("2\u00D7 Grid"));
    EXPECT_EQ(view.displayRow()->gridText(), QStringLiteral("6 \u00D7 4"));

    host.message_ = "Arranging window\u2026";
    host.subdivided_ = true;
    host.grid_ = GridSize{12, 8};
    host.target_->window = 0x500001;
    host.icon_ = platform::IconImage{2, 2, {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffffff}};
    panel.refresh();
    EXPECT_EQ(status->text(), QStringLiteral("Arranging window\u2026"));
    EXPECT_EQ(status->textColor(), PanelStyle::accent());
    EXPECT_EQ(subdivide->text(), QStringLiteral("\u00BD Grid"));
    EXPECT_EQ(view.displayRow()->gridText(), QStringLiteral("12 \u00D7 8"));
    EXPECT_EQ(view.tileGrid()->grid(), (GridSize{12, 8}));
    EXPECT_TRUE(view.targetRow()->showsApplicationIcon());

    host.messageIsError_ = true;
    // Too few pixels for the stated size: ignored, never read past the end.
    host.target_->window = 0x600001;
    host.icon_ = platform::IconImage{64, 64, {0xffff0000}};
    panel.refresh();
    EXPECT_EQ(status->textColor(), PanelStyle::errorText());
    EXPECT_FALSE(view.targetRow()->showsApplicationIcon());
}

TEST_F(TilePanelTest, LayoutTilesFillThreeColumnsARowOf65PerThreeUpTo190) {
    for (const auto& [count, height] : {std::pair{0, 0}, {3, 65}, {4, 130}, {7, 190}, {10, 190}}) {
        host.settings_.layouts.clear();
        for (int i = 0; i < count; ++i) {
            host.settings_.layouts.push_back(
                SavedLayout{.name = std::string("L").append(std::to_string(i))});
        }
        host.settings_.layouts.push_back(SavedLayout{.name = "off", .enabled = false});
        panel.refresh();
        EXPECT_EQ(view.layoutArea()->height(), height) << count << " layouts";
        EXPECT_EQ(view.layoutArea()->tiles().size(), std::size_t(count));
    }
    const auto& tiles = view.layoutArea()->tiles();
    QTRY_VERIFY(view.layoutArea()->verticalScrollBar()->maximum() > 0);
    EXPECT_EQ(tiles[9]->width(), tiles[0]->width()) << "the lone last tile keeps a column's width";
    EXPECT_EQ(tiles[3]->x(), tiles[0]->x()) << "three to a row";

    const KeyCombo ctrlAltL{37, KeyCombo::ctrl | KeyCombo::alt, "L"};
    host.settings_.layouts = {SavedLayout{.name = "Left half", .shortcut = ctrlAltL},
                              SavedLayout{.name = "Plain", .shortcut = std::nullopt}};
    panel.refresh();
    EXPECT_EQ(tiles[0]->toolTip(), "Left half (Ctrl+Alt+L)");
    tiles[0]->click();
    EXPECT_EQ(host.log, (Log{"applyLayout Left half on DP-1"}));

    // Another keyboard layout labels the same key anew; the tiles follow.
    host.keyLabels_[37] = "\u0141";
    host.diagnostics_ = true;
    panel.refresh();
    ASSERT_EQ(view.layoutArea()->tiles().size(), 2u);
    EXPECT_EQ(view.layoutArea()->tiles()[0]->shortcutText(), QStringLiteral("Ctrl+Alt+\u0141"));
    ASSERT_FALSE(host.diagnosticLines.empty());
    EXPECT_EQ(host.diagnosticLines.back(),
              "Layout tiles: \"Left half\" Ctrl+Alt+\u0141; \"Plain\";");
}

TEST_F(TilePanelTest, EachButtonSaysWhatItDoesAndAsksTheHostForIt) {
    EXPECT_FALSE(view.toolbar()->nextDisplayButton()->isVisibleTo(&view)) << "only one display";
    host.canUndo_ = true;
    host.displays_ = 2;
    panel.refresh();
    selection.moveCursor(1, 0, true, host.grid_);  // without the host refreshing the panel

    const std::pair<const char*, std::string> rows[] = {
        {"Settings", "showSettings"},
        {"Close grid (Esc)", "close restoring focus"},
        {"Remove a column", "changeGrid -1 0"},
        {"Add a column", "changeGrid 1 0"},
        {"Remove a row", "changeGrid 0 -1"},
        {"Add a row", "changeGrid 0 1"},
        {"Subdivide grid (tap Alt)", "toggleSubdivision"},
        {"Undo last window move (Ctrl+Z)", "undo"},
        {"Save the selected region as a reusable layout",
         "saveLayout " + describeRegion(selection.region())},
        {"Move window to next display", "nextDisplay"}};
    for (const auto& [tip, call] : rows) {
        QToolButton* button = nullptr;
        for (auto* candidate : view.findChildren<QToolButton*>()) {
            if (candidate->toolTip() == tip) button = candidate;
        }
        ASSERT_TRUE(button && button->isEnabled() && button->isVisibleTo(&view)) << tip;
        button->click();
        EXPECT_EQ(host.log.back(), call) << tip;
    }
    host.applying_ = true;
    panel.refresh();
    selection.reset();
    EXPECT_FALSE(view.toolbar()->undoButton()->isEnabled()) << "not while a placement runs";
    EXPECT_FALSE(view.toolbar()->saveButton()->isEnabled());
}

TEST_F(TilePanelTest, DraggingTheTitleMovesThePanelAndReportsTheMove) {
    host.diagnostics_ = true;
    // The off-screen platform has no window manager, so the handle moves the panel itself.
    QWidget* handle = view.header()->dragHandle();
    QTest::mousePress(handle, Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(handle, QPoint(35, 45));
    QTest::mouseRelease(handle, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(panel.pos(), QPoint(130, 160));
    EXPECT_EQ(host.diagnosticLines, Log{"Panel drag: (100.0, 120.0) \u2192 (130.0, 160.0)"});
}

TEST(TilePanelFit, OnAShortMonitorThePanelGivesUpLayoutRowsThenScrollsButStaysInside) {
    testing::FakePanelHost host;
    platform::FakeDesktopShell shell;
    const auto panelOn = [&](int visibleHeight) {
        auto selection = std::make_unique<PanelSelection>();
        auto panel = std::make_unique<TilePanel>(
            host,
            platform::Display{"SHORT", Rect{0, 0, 1024, visibleHeight + 24.0},
                              Rect{0, 24, 1024, double(visibleHeight)}},
            *selection, shell);
        panel->placeCentred();
        const QRect box = panel->frameGeometry();
        EXPECT_GE(box.top(), 24) << visibleHeight;
        EXPECT_LE(box.bottom() + 1, visibleHeight + 24) << visibleHeight;
        const int layouts = panel->view()->layoutArea()->height();
        const int height = panel->height();
        panel.reset();  // before its selection
        return std::pair{height, layouts};
    };
    const auto [natural, allLayouts] = panelOn(1000);
    EXPECT_EQ(allLayouts, SavedLayoutArea::tallest);
    // A little short: only the layout list shrinks, and the whole card shows.
    const auto [fitted, fewerLayouts] = panelOn(natural - 40);
    EXPECT_EQ(fitted, natural - 40);
    EXPECT_EQ(fewerLayouts, SavedLayoutArea::tallest - 40);
    // Far too short: one row of layouts is left and the rest scrolls.
    const auto [scrolled, oneRow] = panelOn(300);
    EXPECT_EQ(scrolled, 300);
    EXPECT_EQ(oneRow, SavedLayoutArea::rowHeight);
}

TEST(DesktopEntryIcon, FindsTheIconOfTheEntryNamingTheWindowClassUserEntriesFirst) {
    QTemporaryDir root;
    const QString user = root.path() + "/user", system = root.path() + "/system";
    for (const auto& [path, text] : std::initializer_list<std::pair<QString, QByteArray>>{
             {system + "/org.example.Editor.desktop",
              "[Desktop Entry]\nIcon=example-editor\nStartupWMClass=ExampleEdit\n"
              "\n[Desktop Action new-window]\nIcon=wrong-icon\n"},
             {system + "/viewer.desktop", "[Desktop Entry]\n# Icon=commented\nIcon = viewer\n"},
             {user + "/viewer.desktop", "[Desktop Entry]\nIcon=my-viewer\n"},
             {system + "/ghost.desktop", "[Desktop Entry]\nHidden=true\nIcon=ghost\n"},
             {system + "/noicon.desktop", "[Desktop Entry]\nName=No icon\n"}}) {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }
    const std::pair<const char*, std::optional<QString>> rows[] = {
        {"exampleedit", "example-editor"},  // StartupWMClass, in any case
        {"editor", "example-editor"},       // the file name's last part
        {"Viewer", "my-viewer"},            // the user's own entry wins
        {"ghost", std::nullopt},           {"noicon", std::nullopt}, {"", std::nullopt}};
    for (const auto& [wmClass, icon] : rows) {
        EXPECT_EQ(desktopEntryIconName(wmClass, {user, system}), icon) << '"' << wmClass << '"';
    }
}

}  // namespace
}  // namespace corvane
