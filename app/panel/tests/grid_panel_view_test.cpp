#include "app/panel/grid_panel_view.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QToolButton>

#include "app/panel/layout_area.h"
#include "app/panel/panel_blocks.h"
#include "app/panel/panel_selection.h"
#include "app/panel/panel_style.h"
#include "app/panel/tests/fake_panel_host.h"
#include "app/panel/tests/qt_printers.h"
#include "app/panel/tile_grid.h"

namespace corvane {
namespace {

using testing::describeRegion;
using testing::FakePanelHost;
using testing::layoutNamed;

class GridPanelViewTest : public ::testing::Test {
protected:
    std::unique_ptr<GridPanelView> makeView() {
        auto view = std::make_unique<GridPanelView>(host, selection, testing::testDisplay());
        view->resize(view->sizeHint());
        return view;
    }

    FakePanelHost host;
    PanelSelection selection;
};

TEST_F(GridPanelViewTest, IsAsWideAsThePanelAndTallEnoughForItsContent) {
    auto view = makeView();
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    EXPECT_EQ(view->width(), 366);
    EXPECT_EQ(view->tileGrid()->geometry(), QRect(20, view->tileGrid()->y(), 326, 180));

    const int withoutCard = view->sizeHint().height();
    host.permission_ = false;
    view->refresh();
    EXPECT_GT(view->sizeHint().height(), withoutCard + 60);
}

TEST_F(GridPanelViewTest, RendersOnItsOwnWithClearCorners) {
    // Preview images are rendered from the view alone, without a panel window.
    auto view = makeView();
    const QImage image = view->grab().toImage();
    EXPECT_EQ(image.width(), 366);
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(image.pixelColor(365, image.height() - 1).alpha(), 0);
    EXPECT_EQ(image.pixelColor(183, image.height() / 2).alpha(), 255);
}

TEST_F(GridPanelViewTest, LayoutAreaGrowsARowPerThreeLayoutsUpTo190) {
    auto view = makeView();
    SavedLayoutArea* area = view->layoutArea();
    EXPECT_EQ(area->height(), 0);

    const struct {
        std::size_t count;
        int height;
    } cases[] = {{1, 65}, {3, 65}, {4, 130}, {6, 130}, {7, 190}, {12, 190}, {0, 0}};
    for (const auto& c : cases) {
        host.settings_.layouts.clear();
        for (std::size_t i = 0; i < c.count; ++i) {
            host.settings_.layouts.push_back(
                layoutNamed("L" + std::to_string(i), TileRegion::full()));
        }
        // Disabled layouts take no room.
        host.settings_.layouts.push_back(layoutNamed("off", TileRegion::full(), {}, false));
        view->refresh();
        EXPECT_EQ(area->height(), c.height) << c.count << " layouts";
        EXPECT_EQ(area->tiles().size(), c.count);
    }
}

TEST_F(GridPanelViewTest, ManyLayoutsScrollAndShareThreeEqualColumns) {
    for (int i = 0; i < 10; ++i) {
        host.settings_.layouts.push_back(layoutNamed("L" + std::to_string(i), TileRegion::full()));
    }
    auto view = makeView();
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    const auto& tiles = view->layoutArea()->tiles();
    EXPECT_EQ(view->layoutArea()->height(), 190);
    QTRY_VERIFY(view->layoutArea()->verticalScrollBar()->maximum() > 0);
    EXPECT_EQ(tiles[0]->width(), tiles[2]->width());
    // The lone tile of the last row keeps the width of a column.
    EXPECT_EQ(tiles[9]->width(), tiles[0]->width());
    EXPECT_EQ(tiles[1]->x() - tiles[0]->x(), tiles[0]->width() + 7);
}

TEST_F(GridPanelViewTest, LayoutTileShowsItsShortcutAndAppliesOnThisDisplay) {
    host.settings_.layouts = {layoutNamed("Left half", TileRegion{0, 0, 0.5, 1},
                                          KeyCombo{37, KeyCombo::command | KeyCombo::option, "L"}),
                              layoutNamed("Plain", TileRegion::full())};
    auto view = makeView();
    const auto& tiles = view->layoutArea()->tiles();
    ASSERT_EQ(tiles.size(), 2u);
    EXPECT_EQ(tiles[0]->toolTip(), "Left half (Ctrl+Alt+L)");
    EXPECT_EQ(tiles[1]->toolTip(), "Plain");
    EXPECT_EQ(tiles[0]->accessibleName(), "Left half");

    tiles[0]->click();
    ASSERT_EQ(host.appliedLayouts.size(), 1u);
    EXPECT_EQ(host.appliedLayouts[0], host.settings_.layouts[0]);
    EXPECT_EQ(host.log.back(), "applyLayout Left half on DP-1");
}

TEST_F(GridPanelViewTest, NextDisplayButtonExistsOnlyWithSeveralDisplays) {
    auto view = makeView();
    QToolButton* next = view->toolbar()->nextDisplayButton();
    EXPECT_FALSE(next->isVisibleTo(view.get()));

    host.displays_ = 2;
    view->refresh();
    EXPECT_TRUE(next->isVisibleTo(view.get()));
    EXPECT_EQ(next->toolTip(), "Move window to next display");
    next->click();
    EXPECT_EQ(host.log.back(), "nextDisplay");
}

TEST_F(GridPanelViewTest, UndoNeedsHistoryAndNoPlacementInFlight) {
    auto view = makeView();
    QToolButton* undo = view->toolbar()->undoButton();
    EXPECT_EQ(undo->toolTip(), "Undo last window move (Ctrl+Z)");
    EXPECT_FALSE(undo->isEnabled());

    host.canUndo_ = true;
    view->refresh();
    EXPECT_TRUE(undo->isEnabled());
    undo->click();
    EXPECT_EQ(host.log.back(), "undo");

    host.applying_ = true;
    view->refresh();
    EXPECT_FALSE(undo->isEnabled());
}

TEST_F(GridPanelViewTest, SaveLayoutFollowsTheSelectionAndSavesIt) {
    auto view = makeView();
    QToolButton* save = view->toolbar()->saveButton();
    EXPECT_FALSE(save->isEnabled());

    // The selection changes without the host refreshing the panel.
    selection.moveCursor(1, 0, true, host.grid_);
    EXPECT_TRUE(save->isEnabled());
    save->click();
    EXPECT_EQ(host.log.back(), "saveLayout " + describeRegion(selection.region()));

    selection.reset();
    EXPECT_FALSE(save->isEnabled());
}

TEST_F(GridPanelViewTest, WithoutATargetTheGridSelectsAndPreviewsNothing) {
    host.target_.reset();
    auto view = makeView();
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    TileGrid* grid = view->tileGrid();
    QTest::mouseMove(grid, QPoint(20, 20));
    QTest::mousePress(grid, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseMove(grid, QPoint(200, 100));
    QTest::mouseRelease(grid, Qt::LeftButton, {}, QPoint(200, 100));
    EXPECT_FALSE(selection.region());
    EXPECT_TRUE(host.log.empty());
    EXPECT_EQ(view->targetRow()->nameText(), "Choose a window");
    EXPECT_EQ(view->targetRow()->titleText(), "Focus an app, then open the grid.");
}

TEST_F(GridPanelViewTest, GridStopsTakingInputWhileAPlacementRunsOrWithoutPermission) {
    auto view = makeView();
    EXPECT_TRUE(view->tileGrid()->isInteractive());
    host.applying_ = true;
    view->refresh();
    EXPECT_FALSE(view->tileGrid()->isInteractive());
    host.applying_ = false;
    host.permission_ = false;
    view->refresh();
    EXPECT_FALSE(view->tileGrid()->isInteractive());
}

TEST_F(GridPanelViewTest, DragOnTheGridPreviewsAndAppliesOnThisDisplay) {
    auto view = makeView();
    view->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    TileGrid* grid = view->tileGrid();
    QTest::mousePress(grid, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseRelease(grid, Qt::LeftButton, Qt::ShiftModifier, QPoint(10, 10));
    const std::string cell = describeRegion(TileRegion::spanning({0, 0}, {0, 0}, host.grid_));
    EXPECT_EQ(host.log, (std::vector<std::string>{"preview DP-1 " + cell, "preview DP-1 none",
                                                  "apply DP-1 " + cell + " shift"}));
}

TEST_F(GridPanelViewTest, TargetRowNamesTheApplicationAndWindow) {
    auto view = makeView();
    EXPECT_EQ(view->targetRow()->nameText(), "Fake Term");
    EXPECT_EQ(view->targetRow()->titleText(), "~/src: make test");
    EXPECT_FALSE(view->targetRow()->showsApplicationIcon());

    // The window's own icon replaces the window symbol.
    host.target_->window = 0x500001;
    host.icon_ = platform::IconImage{2, 2, {0xffff0000, 0xff00ff00, 0xff0000ff, 0xffffffff}};
    view->refresh();
    EXPECT_TRUE(view->targetRow()->showsApplicationIcon());

    // Pixel data that does not fill the stated size is ignored, not read past its end.
    host.target_->window = 0x600001;
    host.icon_ = platform::IconImage{64, 64, {0xffff0000}};
    view->refresh();
    EXPECT_FALSE(view->targetRow()->showsApplicationIcon());
}

TEST_F(GridPanelViewTest, PermissionCardAppearsOnlyWithoutWindowControl) {
    auto view = makeView();
    EXPECT_FALSE(view->permissionCard()->isVisibleTo(view.get()));

    host.permission_ = false;
    view->refresh();
    EXPECT_TRUE(view->permissionCard()->isVisibleTo(view.get()));
    auto* learnMore = view->permissionCard()->findChild<QPushButton*>("learnMoreButton");
    auto* checkAgain = view->permissionCard()->findChild<QPushButton*>("checkAgainButton");
    ASSERT_TRUE(learnMore && checkAgain);
    EXPECT_EQ(learnMore->text(), QStringLiteral("Learn more\u2026"));
    learnMore->click();
    checkAgain->click();
    EXPECT_EQ(host.log, (std::vector<std::string>{"learnMore", "checkPermission"}));
    // The blocks below stay.
    EXPECT_TRUE(view->tileGrid()->isVisibleTo(view.get()));
}

TEST_F(GridPanelViewTest, StatusLineColoursMessagesByKind) {
    auto view = makeView();
    StatusLine* status = view->statusLine();
    EXPECT_EQ(status->text(), "Drag a rectangle. Make room.");
    EXPECT_EQ(status->textColor(), PanelStyle::secondaryText());

    host.message_ = "Arranging window\u2026";
    view->refresh();
    EXPECT_EQ(status->text(), QStringLiteral("Arranging window\u2026"));
    EXPECT_EQ(status->textColor(), PanelStyle::accent());

    host.message_ = "Exit full screen before tiling this window.";
    host.messageIsError_ = true;
    view->refresh();
    EXPECT_EQ(status->textColor(), PanelStyle::errorText());
}

TEST_F(GridPanelViewTest, GridSizeControlsShowTheGridAndAskForChanges) {
    auto view = makeView();
    EXPECT_EQ(view->displayRow()->gridText(), QStringLiteral("6 \u00D7 4"));
    QToolButton* subdivide = view->gridSizeControls()->subdivideButton();
    EXPECT_EQ(subdivide->text(), QStringLiteral("2\u00D7 Grid"));
    EXPECT_EQ(subdivide->toolTip(), "Subdivide grid (tap Alt)");

    host.subdivided_ = true;
    host.grid_ = GridSize{12, 8};
    view->refresh();
    EXPECT_EQ(subdivide->text(), QStringLiteral("\u00BD Grid"));
    EXPECT_EQ(view->displayRow()->gridText(), QStringLiteral("12 \u00D7 8"));
    EXPECT_EQ(view->tileGrid()->grid(), (GridSize{12, 8}));

    subdivide->click();
    std::vector<std::string> expected{"toggleSubdivision"};
    for (const auto& [name, call] :
         {std::pair<QString, std::string>{"Remove a column", "changeGrid -1 0"},
          {"Add a column", "changeGrid 1 0"},
          {"Remove a row", "changeGrid 0 -1"},
          {"Add a row", "changeGrid 0 1"}}) {
        QToolButton* button = nullptr;
        for (auto* candidate : view->gridSizeControls()->findChildren<QToolButton*>()) {
            if (candidate->accessibleName() == name) button = candidate;
        }
        ASSERT_NE(button, nullptr) << name.toStdString();
        button->click();
        expected.push_back(call);
    }
    EXPECT_EQ(host.log, expected);
}

TEST_F(GridPanelViewTest, HeaderButtonsOpenSettingsAndCloseTheGrid) {
    auto view = makeView();
    auto* settings = view->findChild<QToolButton*>("settingsButton");
    auto* close = view->findChild<QToolButton*>("closeButton");
    ASSERT_TRUE(settings && close);
    EXPECT_EQ(settings->accessibleName(), "Settings");
    EXPECT_EQ(close->toolTip(), "Close grid (Esc)");
    settings->click();
    close->click();
    EXPECT_EQ(host.log, (std::vector<std::string>{"showSettings", "close restoring focus"}));
}

}  // namespace
}  // namespace corvane
