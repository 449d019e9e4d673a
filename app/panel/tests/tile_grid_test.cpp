#include "app/panel/tile_grid.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QImage>
#include <QSignalSpy>
#include <QTest>

#include "app/panel/panel_selection.h"
#include "app/panel/tests/fake_panel_host.h"

namespace corvane {
namespace {

using testing::describeRegion;
using Log = std::vector<std::string>;

std::string cells(Cell a, Cell b, GridSize grid = {6, 4}) {
    return describeRegion(TileRegion::spanning(a, b, grid));
}

TEST(PanelSelection, OnAOneByOneGridEveryArrowSelectsTheWholeDisplay) {
    PanelSelection selection;
    for (const auto& [dx, dy, shift] :
         {std::tuple{-1, 0, false}, {1, 0, true}, {0, 1, false}, {0, -1, true}, {1, 0, false}}) {
        selection.moveCursor(dx, dy, shift, GridSize{1, 1});
        EXPECT_EQ(describeRegion(selection.region()), "(0.0, 0.0, 1.0, 1.0)") << dx << "," << dy;
    }
}

TEST(PanelSelection, ArrowsGrowFromTheAnchorAndAfterADragContinueFromTheCursor) {
    const GridSize grid{6, 4};
    PanelSelection selection;
    QSignalSpy changes(&selection, &PanelSelection::regionChanged);
    // Return with nothing selected applies the top-left cell yet selects nothing.
    EXPECT_EQ(describeRegion(selection.regionToApply(grid)), cells({0, 0}, {0, 0}));

    for (const auto& [dx, dy, shift] :
         {std::tuple{1, 0, false}, {1, 0, false}, {0, 1, true}, {0, 1, true}}) {
        selection.moveCursor(dx, dy, shift, grid);
    }
    EXPECT_EQ(describeRegion(selection.regionToApply(grid)), cells({2, 0}, {2, 2}));

    // A drag writes only the region: the next arrow moves on from the keyboard cursor.
    selection.setRegion(TileRegion::spanning({3, 2}, {5, 3}, grid));
    selection.moveCursor(-1, 0, false, grid);
    EXPECT_EQ(describeRegion(selection.region()), cells({1, 2}, {1, 2}));

    // Past the far edge the cursor stays, yet each press is announced for the preview.
    for (int i = 0; i < 10; ++i) selection.moveCursor(1, 1, true, grid);
    EXPECT_EQ(describeRegion(selection.region()), cells({1, 2}, {5, 3}));
    selection.reset();
    EXPECT_EQ(changes.count(), 4 + 2 + 10 + 1);
}

// A grid view of the panel's size on a 6 × 4 grid, its calls logged in order.
class TileGridTest : public ::testing::Test {
protected:
    void SetUp() override {
        view.setGrid(GridSize{6, 4});
        view.resize(326, 180);
        view.setAttribute(Qt::WA_TranslucentBackground);  // as in the panel
        view.setPreviewHandler([this](const std::optional<TileRegion>& region) {
            log.push_back("preview " + describeRegion(region));
        });
        view.setSelectHandler([this](const TileRegion& region, bool shift) {
            log.push_back("apply " + describeRegion(region) + (shift ? " shift" : ""));
        });
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    }
    static QPoint at(Cell cell) {
        return QPoint(int((double(cell.column) + 0.5) * 326 / 6),
                      int((double(cell.row) + 0.5) * 180 / 4));
    }
    void leave() {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(&view, &event);
    }

    PanelSelection selection;
    TileGrid view{selection};
    Log log;
};

TEST_F(TileGridTest, AClickOrADragPreviewsThenWithdrawsThePreviewAndAppliesWithTheShiftState) {
    QTest::mouseClick(&view, Qt::LeftButton, {}, at({3, 1}));
    EXPECT_EQ(log, (Log{"preview " + cells({3, 1}, {3, 1}), "preview none",
                        "apply " + cells({3, 1}, {3, 1})}));

    // Up and left, released with Shift: the preview follows each step.
    log.clear();
    QTest::mousePress(&view, Qt::LeftButton, {}, at({4, 3}));
    QTest::mouseMove(&view, at({2, 1}));
    QTest::mouseMove(&view, at({1, 0}));
    QTest::mouseRelease(&view, Qt::LeftButton, Qt::ShiftModifier, at({1, 0}));
    EXPECT_EQ(log, (Log{"preview " + cells({4, 3}, {4, 3}), "preview " + cells({2, 1}, {4, 3}),
                        "preview " + cells({1, 0}, {4, 3}), "preview none",
                        "apply " + cells({1, 0}, {4, 3}) + " shift"}));

    // Past the edges the drag stops at the last cells.
    for (const auto& [from, to, expected] :
         {std::tuple{at({4, 1}), QPoint(900, 60), cells({4, 1}, {5, 1})},
          {at({1, 2}), QPoint(-300, -300), cells({0, 0}, {1, 2})}}) {
        QTest::mousePress(&view, Qt::LeftButton, {}, from);
        QTest::mouseMove(&view, to);
        QTest::mouseRelease(&view, Qt::LeftButton, {}, to);
        EXPECT_EQ(log.back(), "apply " + expected);
    }

    // Losing the target in the middle of a drag abandons it.
    QTest::mousePress(&view, Qt::LeftButton, {}, at({1, 1}));
    view.setInteractive(false);
    view.setInteractive(true);
    log.clear();
    QTest::mouseRelease(&view, Qt::LeftButton, {}, at({3, 3}));
    EXPECT_EQ(log, Log{});
}

TEST_F(TileGridTest, HoverPreviewsTheCellUntilSomethingIsSelectedAndLeavingHidesIt) {
    QTest::mouseMove(&view, at({2, 2}));
    EXPECT_EQ(log.back(), "preview " + cells({2, 2}, {2, 2}));
    EXPECT_TRUE(view.isHighlighted({2, 2}));
    leave();
    EXPECT_FALSE(view.isHighlighted({2, 2}));

    selection.setRegion(TileRegion{0, 0, 0.5, 1});
    QTest::mouseMove(&view, at({5, 3}));
    EXPECT_EQ(log.back(), "preview " + cells({0, 0}, {2, 3}));
    EXPECT_FALSE(view.isHighlighted({5, 3}));
    leave();
    EXPECT_EQ(log.back(), "preview none");
}

TEST_F(TileGridTest, DrawsInsetRoundedTilesLitWhereTheirCentreLiesInTheSelection) {
    EXPECT_EQ(view.tileRect({1, 1}), QRectF(326.0 / 6 + 2, 45 + 2, 326.0 / 6 - 4, 45 - 4));
    EXPECT_DOUBLE_EQ(view.cornerRadius(), 5.0);
    // A region ending exactly on a cell centre takes that cell; covering part of one does not.
    selection.setRegion(TileRegion{0, 0, 1.5 / 6, 0.3});
    EXPECT_TRUE(view.isHighlighted({1, 0}));
    EXPECT_FALSE(view.isHighlighted({0, 1}));
    const QImage image = view.grab().toImage();
    auto near = [](QColor a, QColor b) {
        return std::max({std::abs(a.red() - b.red()), std::abs(a.green() - b.green()),
                         std::abs(a.blue() - b.blue()), std::abs(a.alpha() - b.alpha())}) <= 2;
    };
    EXPECT_PRED2(near, image.pixelColor(at({1, 0})), QColor(211, 242, 154, 224));  // accent, 0.88
    EXPECT_PRED2(near, image.pixelColor(at({2, 0})), QColor(255, 255, 255, 22));   // white, 0.085
    EXPECT_EQ(image.pixelColor(QPoint(int(326.0 / 6), 10)).alpha(), 0) << "gaps stay clear";

    view.setGrid(GridSize{20, 20});
    EXPECT_NEAR(view.cornerRadius(), 3.26, 1e-9);  // a fifth of the cell's width
    view.resize(60, 3);
    EXPECT_DOUBLE_EQ(view.tileRect({0, 0}).height(), 1.0) << "never negative";
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
}

}  // namespace
}  // namespace corvane
