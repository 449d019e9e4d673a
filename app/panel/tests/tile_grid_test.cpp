#include "app/panel/tile_grid.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QTest>

#include "app/panel/panel_selection.h"
#include "app/panel/region_icon.h"
#include "app/panel/tests/fake_panel_host.h"
#include "app/panel/tests/qt_printers.h"

namespace corvane {
namespace {

using testing::describeRegion;

// A grid view of the panel's size on a 6 × 4 grid, its calls logged in order.
class TileGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.setGrid(GridSize{6, 4});
        view.resize(326, 180);
        // As in the panel, nothing is drawn behind the grid.
        view.setAttribute(Qt::WA_TranslucentBackground);
        view.setPreviewHandler([this](const std::optional<TileRegion>& region) {
            log.push_back("preview " + describeRegion(region));
        });
        view.setSelectHandler([this](const TileRegion& region, bool shift) {
            log.push_back("apply " + describeRegion(region) + (shift ? " shift" : ""));
        });
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }

    QPoint centreOf(Cell cell) const {
        return QPoint(int((double(cell.column) + 0.5) * 326 / 6),
                      int((double(cell.row) + 0.5) * 180 / 4));
    }
    static std::string cells(Cell a, Cell b) {
        return describeRegion(TileRegion::spanning(a, b, GridSize{6, 4}));
    }
    void leave() {
        QEvent leaveEvent(QEvent::Leave);
        QApplication::sendEvent(&view, &leaveEvent);
    }

    PanelSelection selection;
    TileGrid view{selection};
    std::vector<std::string> log;
};

TEST_F(TileGridTest, ClickWithoutMovementSelectsTheCellWithdrawsThePreviewThenApplies) {
    QTest::mousePress(&view, Qt::LeftButton, {}, centreOf({3, 1}));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, centreOf({3, 1}));

    const std::string cell = cells({3, 1}, {3, 1});
    EXPECT_EQ(describeRegion(selection.region()), cell);
    EXPECT_EQ(log, (std::vector<std::string>{"preview " + cell, "preview none", "apply " + cell}));
}

TEST_F(TileGridTest, DraggingUpAndLeftGivesTheSameRegionAsDownAndRight) {
    QTest::mousePress(&view, Qt::LeftButton, {}, centreOf({4, 3}));
    QTest::mouseMove(&view, centreOf({2, 1}));
    EXPECT_EQ(describeRegion(selection.region()), cells({2, 1}, {4, 3}));
    QTest::mouseMove(&view, centreOf({1, 0}));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, centreOf({1, 0}));
    const std::optional<TileRegion> upLeft = selection.region();

    QTest::mousePress(&view, Qt::LeftButton, {}, centreOf({1, 0}));
    QTest::mouseMove(&view, centreOf({4, 3}));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, centreOf({4, 3}));
    EXPECT_EQ(selection.region(), upLeft);
    EXPECT_EQ(describeRegion(upLeft), cells({1, 0}, {4, 3}));
    // The preview followed every step of the drag.
    EXPECT_EQ(log.at(1), "preview " + cells({2, 1}, {4, 3}));
}

TEST_F(TileGridTest, DraggingPastTheEdgesStopsAtTheLastCells) {
    QTest::mousePress(&view, Qt::LeftButton, {}, centreOf({4, 1}));
    QTest::mouseMove(&view, QPoint(900, 60));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(900, 60));
    EXPECT_EQ(describeRegion(selection.region()), cells({4, 1}, {5, 1}));

    QTest::mousePress(&view, Qt::LeftButton, {}, centreOf({1, 2}));
    QTest::mouseMove(&view, QPoint(-300, -300));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(-300, -300));
    EXPECT_EQ(describeRegion(selection.region()), cells({0, 0}, {1, 2}));
}

TEST_F(TileGridTest, DragChangesOnlyTheRegionNotTheKeyboardCells) {
    selection.moveCursor(1, 1, false, GridSize{6, 4});
    QTest::mousePress(&view, Qt::LeftButton, {}, centreOf({4, 3}));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, centreOf({5, 3}));
    EXPECT_EQ(selection.cursor(), (Cell{1, 1}));
    EXPECT_EQ(selection.anchor(), (Cell{1, 1}));
}

TEST_F(TileGridTest, ReleaseReportsWhetherShiftIsHeld) {
    QTest::mousePress(&view, Qt::LeftButton, {}, centreOf({0, 0}));
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::ShiftModifier, centreOf({0, 0}));
    QTest::mousePress(&view, Qt::LeftButton, {}, centreOf({1, 0}));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, centreOf({1, 0}));
    EXPECT_EQ(log.at(2), "apply " + cells({0, 0}, {0, 0}) + " shift");
    EXPECT_EQ(log.at(5), "apply " + cells({1, 0}, {1, 0}));
}

TEST_F(TileGridTest, HoverPreviewsTheCellUntilSomethingIsSelected) {
    QTest::mouseMove(&view, centreOf({2, 2}));
    EXPECT_EQ(log.back(), "preview " + cells({2, 2}, {2, 2}));
    EXPECT_TRUE(view.isHighlighted({2, 2}));
    EXPECT_FALSE(view.isHighlighted({3, 2}));

    selection.setRegion(TileRegion{0, 0, 0.5, 1});
    QTest::mouseMove(&view, centreOf({5, 3}));
    EXPECT_EQ(log.back(), "preview " + describeRegion(TileRegion{0, 0, 0.5, 1}));
    // The selection wins over the hovered cell in the drawing too.
    EXPECT_FALSE(view.isHighlighted({5, 3}));
    EXPECT_TRUE(view.isHighlighted({2, 3}));

    leave();
    EXPECT_EQ(log.back(), "preview none");
    EXPECT_FALSE(view.hovered());
}

TEST_F(TileGridTest, LeavingWithoutSelectionUnhighlightsTheHoveredCell) {
    QTest::mouseMove(&view, centreOf({1, 1}));
    leave();
    EXPECT_FALSE(view.isHighlighted({1, 1}));
    EXPECT_EQ(log.back(), "preview none");
}

TEST_F(TileGridTest, WhileNoWindowCanBeArrangedThePointerHasNoEffect) {
    view.setInteractive(false);
    QTest::mouseMove(&view, centreOf({1, 1}));
    QTest::mousePress(&view, Qt::LeftButton, {}, centreOf({1, 1}));
    QTest::mouseMove(&view, centreOf({3, 3}));
    QTest::mouseRelease(&view, Qt::LeftButton, {}, centreOf({3, 3}));
    leave();
    EXPECT_FALSE(selection.region());
    EXPECT_FALSE(view.hovered());
    EXPECT_TRUE(log.empty());
}

TEST_F(TileGridTest, LosingTheTargetMidDragAbandonsTheDrag) {
    QTest::mousePress(&view, Qt::LeftButton, {}, centreOf({1, 1}));
    view.setInteractive(false);
    view.setInteractive(true);
    log.clear();
    QTest::mouseRelease(&view, Qt::LeftButton, {}, centreOf({3, 3}));
    EXPECT_TRUE(log.empty());
}

TEST_F(TileGridTest, HighlightsCellsWhoseCentreLiesInTheRegionEdgesIncluded) {
    // A region ending exactly on a cell centre still takes that cell.
    selection.setRegion(TileRegion{0, 0, 1.5 / 6, 0.125});
    EXPECT_TRUE(view.isHighlighted({0, 0}));
    EXPECT_TRUE(view.isHighlighted({1, 0}));
    EXPECT_FALSE(view.isHighlighted({2, 0}));
    EXPECT_FALSE(view.isHighlighted({0, 1}));
}

TEST_F(TileGridTest, TilesAreInsetAndRoundedAfterTheCellWidth) {
    EXPECT_EQ(view.tileRect({1, 1}), QRectF(326.0 / 6 + 2, 45 + 2, 326.0 / 6 - 4, 45 - 4));
    EXPECT_DOUBLE_EQ(view.cornerRadius(), 5.0);

    view.setGrid(GridSize{20, 20});
    EXPECT_NEAR(view.tileRect({0, 0}).width(), 12.3, 1e-9);
    EXPECT_NEAR(view.cornerRadius(), 3.26, 1e-9);

    view.resize(60, 3);
    EXPECT_DOUBLE_EQ(view.tileRect({0, 0}).height(), 1.0);
}

TEST_F(TileGridTest, DrawsSelectedCellsInTheAccentAndOthersFaintly) {
    selection.setRegion(TileRegion::spanning({1, 1}, {2, 1}, GridSize{6, 4}));
    const QImage image = view.grab().toImage();
    const QColor lit = image.pixelColor(centreOf({2, 1}));
    EXPECT_NEAR(lit.red(), 211, 2);
    EXPECT_NEAR(lit.green(), 242, 2);
    EXPECT_NEAR(lit.blue(), 154, 2);
    EXPECT_NEAR(lit.alpha(), 224, 2);  // 0.88 opaque

    const QColor plain = image.pixelColor(centreOf({3, 1}));
    EXPECT_NEAR(plain.alpha(), 22, 2);  // white at 0.085
    EXPECT_EQ(plain.red(), 255);

    // The gaps between tiles stay clear.
    EXPECT_EQ(image.pixelColor(QPoint(int(326.0 / 6), 10)).alpha(), 0);
}

TEST_F(TileGridTest, ScreenReadersHearOneElementWithLabelValueAndHint) {
    QAccessibleInterface* element = QAccessible::queryAccessibleInterface(&view);
    ASSERT_NE(element, nullptr);
    EXPECT_EQ(element->text(QAccessible::Name), "Window placement grid, 6 columns and 4 rows");
    EXPECT_EQ(element->text(QAccessible::Description),
              "Drag to select an area, or use arrow keys, Shift-arrow to extend, then Return.");
    EXPECT_EQ(element->text(QAccessible::Value), "No selection");
    EXPECT_EQ(element->childCount(), 0);

    selection.setRegion(TileRegion{0, 0, 2.0 / 3, 0.5});
    EXPECT_EQ(element->text(QAccessible::Value), "Selected 66 percent wide, 50 percent tall");
    view.setGrid(GridSize{12, 8});
    EXPECT_EQ(element->text(QAccessible::Name), "Window placement grid, 12 columns and 8 rows");
}

TEST(RegionIcon, DrawsTheRegionInsideATwoPointMarginAtLeastTwoPointsWide) {
    RegionIcon full(TileRegion::full());
    EXPECT_EQ(full.size(), QSize(27, 19));
    EXPECT_EQ(full.regionRect(), QRectF(2, 2, 23, 15));

    RegionIcon sliver(TileRegion{19.0 / 20, 0, 1.0 / 20, 1.0 / 20});
    EXPECT_DOUBLE_EQ(sliver.regionRect().width(), 2.0);
    EXPECT_DOUBLE_EQ(sliver.regionRect().height(), 2.0);
    EXPECT_DOUBLE_EQ(sliver.regionRect().x(), 2 + 19.0 / 20 * 23);

    RegionIcon right(TileRegion{0.5, 0, 0.5, 1});
    right.setAttribute(Qt::WA_TranslucentBackground);
    const QImage image = right.grab().toImage();
    const QColor inside = image.pixelColor(20, 9);
    EXPECT_NEAR(inside.green(), 242, 2);
    EXPECT_EQ(inside.alpha(), 255);
    EXPECT_EQ(image.pixelColor(7, 9).alpha(), 0);
}

}  // namespace
}  // namespace corvane
