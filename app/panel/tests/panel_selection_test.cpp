#include "app/panel/panel_selection.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "app/panel/tests/qt_printers.h"

namespace corvane {
namespace {

void expectRegion(const std::optional<TileRegion>& actual, double x, double y, double w, double h) {
    ASSERT_TRUE(actual.has_value());
    EXPECT_DOUBLE_EQ(actual->x, x);
    EXPECT_DOUBLE_EQ(actual->y, y);
    EXPECT_DOUBLE_EQ(actual->width, w);
    EXPECT_DOUBLE_EQ(actual->height, h);
}

const GridSize kSixByFour{6, 4};

TEST(PanelSelection, StartsEmptyAtTheTopLeft) {
    PanelSelection selection;
    EXPECT_FALSE(selection.region());
    EXPECT_EQ(selection.anchor(), (Cell{0, 0}));
    EXPECT_EQ(selection.cursor(), (Cell{0, 0}));
}

TEST(PanelSelection, OnAOneByOneGridEveryArrowSelectsTheWholeDisplay) {
    PanelSelection selection;
    const GridSize one{1, 1};
    for (const auto& [dx, dy] : {std::pair{-1, 0}, {1, 0}, {0, 1}, {0, -1}}) {
        for (const bool extend : {false, true}) {
            selection.moveCursor(dx, dy, extend, one);
            EXPECT_EQ(selection.cursor(), (Cell{0, 0}));
            EXPECT_EQ(selection.anchor(), (Cell{0, 0}));
            expectRegion(selection.region(), 0, 0, 1, 1);
        }
    }
}

TEST(PanelSelection, ShiftArrowsGrowTheRectangleFromTheAnchor) {
    PanelSelection selection;
    selection.moveCursor(1, 0, false, kSixByFour);
    selection.moveCursor(1, 0, false, kSixByFour);
    selection.moveCursor(0, 1, true, kSixByFour);
    selection.moveCursor(0, 1, true, kSixByFour);
    EXPECT_EQ(selection.anchor(), (Cell{2, 0}));
    EXPECT_EQ(selection.cursor(), (Cell{2, 2}));
    expectRegion(selection.region(), 2.0 / 6, 0, 1.0 / 6, 3.0 / 4);

    // Shrinking back towards the anchor works the same way.
    selection.moveCursor(0, -1, true, kSixByFour);
    expectRegion(selection.region(), 2.0 / 6, 0, 1.0 / 6, 2.0 / 4);
}

TEST(PanelSelection, TheFirstArrowMovesAwayFromTheTopLeftCell) {
    PanelSelection right;
    right.moveCursor(1, 0, false, kSixByFour);
    expectRegion(right.region(), 1.0 / 6, 0, 1.0 / 6, 1.0 / 4);

    PanelSelection down;
    down.moveCursor(0, 1, false, kSixByFour);
    expectRegion(down.region(), 0, 1.0 / 4, 1.0 / 6, 1.0 / 4);

    for (const auto& [dx, dy] : {std::pair{-1, 0}, {0, -1}}) {
        PanelSelection clamped;
        clamped.moveCursor(dx, dy, false, kSixByFour);
        expectRegion(clamped.region(), 0, 0, 1.0 / 6, 1.0 / 4);
    }
}

TEST(PanelSelection, ArrowPastTheEdgeKeepsTheCellYetAnnouncesAgain) {
    PanelSelection selection;
    selection.moveCursor(0, 1, true, kSixByFour);
    const std::optional<TileRegion> before = selection.region();
    QSignalSpy changes(&selection, &PanelSelection::regionChanged);

    selection.moveCursor(-1, 0, true, kSixByFour);
    EXPECT_EQ(selection.cursor().column, 0);
    EXPECT_EQ(selection.region(), before);
    EXPECT_EQ(changes.count(), 1);

    // The far edges clamp the same way.
    for (int i = 0; i < 10; ++i) selection.moveCursor(1, 1, false, kSixByFour);
    EXPECT_EQ(selection.cursor(), (Cell{5, 3}));
    EXPECT_EQ(changes.count(), 11);
}

TEST(PanelSelection, EveryAssignmentIsAnnouncedEvenWithoutChange) {
    PanelSelection selection;
    QSignalSpy changes(&selection, &PanelSelection::regionChanged);
    selection.setRegion(TileRegion{0, 0, 0.5, 1});
    selection.setRegion(TileRegion{0, 0, 0.5, 1});
    selection.reset();
    EXPECT_EQ(changes.count(), 3);
}

TEST(PanelSelection, ReturnWithoutSelectionAppliesTheCursorCellAndSelectsNothing) {
    PanelSelection selection;
    expectRegion(selection.regionToApply(kSixByFour), 0, 0, 1.0 / 6, 1.0 / 4);
    EXPECT_FALSE(selection.region());

    selection.moveCursor(1, 1, false, kSixByFour);
    selection.moveCursor(0, 1, true, kSixByFour);
    expectRegion(selection.regionToApply(kSixByFour), 1.0 / 6, 1.0 / 4, 1.0 / 6, 2.0 / 4);

    selection.reset();
    EXPECT_FALSE(selection.region());
    EXPECT_EQ(selection.anchor(), (Cell{0, 0}));
    EXPECT_EQ(selection.cursor(), (Cell{0, 0}));
    expectRegion(selection.regionToApply(kSixByFour), 0, 0, 1.0 / 6, 1.0 / 4);
}

TEST(PanelSelection, AfterADragTheArrowsContinueFromTheKeyboardCursor) {
    PanelSelection selection;
    selection.moveCursor(1, 0, false, kSixByFour);
    selection.moveCursor(1, 0, false, kSixByFour);  // cursor at column 2
    // A drag over columns 3 and 4 sets only the region.
    selection.setRegion(TileRegion::spanning(Cell{3, 1}, Cell{4, 2}, kSixByFour));
    EXPECT_EQ(selection.cursor(), (Cell{2, 0}));
    EXPECT_EQ(selection.anchor(), (Cell{2, 0}));

    selection.moveCursor(-1, 0, false, kSixByFour);
    expectRegion(selection.region(), 1.0 / 6, 0, 1.0 / 6, 1.0 / 4);
}

TEST(PanelSelectionText, LabelNamesTheGridShown) {
    EXPECT_EQ(selectionLabel(kSixByFour), "Window placement grid, 6 columns and 4 rows");
    EXPECT_EQ(selectionLabel(GridSize{20, 1}), "Window placement grid, 20 columns and 1 rows");
}

TEST(PanelSelectionText, ValueGivesWholePercentsTruncated) {
    EXPECT_EQ(selectionValue(std::nullopt), "No selection");
    EXPECT_EQ(selectionValue(TileRegion{0, 0, 1.0 / 3, 0.5}),
              "Selected 33 percent wide, 50 percent tall");
    EXPECT_EQ(selectionValue(TileRegion{1.0 / 3, 0, 2.0 / 3, 1}),
              "Selected 66 percent wide, 100 percent tall");
    EXPECT_EQ(selectionValue(TileRegion{0, 0, 0.999, 0.005}),
              "Selected 99 percent wide, 0 percent tall");
}

TEST(PanelSelectionText, EveryCellRegionReadsAsItsExactPercentOrBelow) {
    // Fractions such as 7/20 must not come out one percent short through rounding error.
    for (std::int64_t n = 1; n <= 20; ++n) {
        for (std::int64_t k = 1; k <= n; ++k) {
            const GridSize grid{n, 1};
            const TileRegion r = TileRegion::spanning(Cell{0, 0}, Cell{k - 1, 0}, grid);
            const QString expected =
                QStringLiteral("Selected %1 percent wide, 100 percent tall").arg(k * 100 / n);
            EXPECT_EQ(selectionValue(r), expected) << k << "/" << n;
        }
    }
}

TEST(PanelSelectionText, HintExplainsMouseAndKeys) {
    EXPECT_EQ(selectionHint(),
              "Drag to select an area, or use arrow keys, Shift-arrow to extend, then Return.");
}

}  // namespace
}  // namespace corvane
