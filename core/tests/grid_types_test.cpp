// The grid, its cells, regions and margins: the values every placement starts from.
#include <gtest/gtest.h>

#include <limits>

#include "core/grid_size.h"
#include "core/margins.h"
#include "core/tile_region.h"

namespace corvane {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

TEST(GridSize, ClampingKeepsEachWayWithinOneToTwenty) {
    EXPECT_EQ(GridSize::clamped(0, 25), (GridSize{1, 20}));
    EXPECT_EQ(GridSize::clamped(-3, 7), (GridSize{1, 7}));
    EXPECT_EQ(GridSize::clamped(20, 1), (GridSize{20, 1}));
    EXPECT_EQ(GridSize::clamped(std::numeric_limits<std::int64_t>::min(),
                                std::numeric_limits<std::int64_t>::max()),
              (GridSize{1, 20}));
}

TEST(GridSize, SubdividingDoublesUpToTwenty) {
    EXPECT_EQ((GridSize{6, 6}).subdivided(), (GridSize{12, 12}));
    EXPECT_EQ((GridSize{12, 15}).subdivided(), (GridSize{20, 20}));
    EXPECT_EQ((GridSize{11, 10}).subdivided(), (GridSize{20, 20}));
    EXPECT_EQ((GridSize{1, 1}).subdivided(), (GridSize{2, 2}));
    // A decoded grid outside the range never overflows.
    EXPECT_EQ((GridSize{std::numeric_limits<std::int64_t>::max(), 0}).subdivided(),
              (GridSize{20, 1}));
}

TEST(GridSize, ValidMeansOneToTwentyEachWay) {
    EXPECT_TRUE((GridSize{1, 20}).isValid());
    EXPECT_FALSE((GridSize{0, 6}).isValid());
    EXPECT_FALSE((GridSize{6, 21}).isValid());
    EXPECT_FALSE((GridSize{-1, 6}).isValid());
}

TEST(Cell, ClampingPutsOutsideCellsOnTheNearestEdge) {
    const GridSize grid{6, 4};
    EXPECT_EQ((Cell{9, -2}).clamped(grid), (Cell{5, 0}));
    EXPECT_EQ((Cell{3, 2}).clamped(grid), (Cell{3, 2}));
}

TEST(Cell, PointsMapToTheCellUnderThem) {
    const GridSize grid{6, 4};
    EXPECT_EQ(Cell::at(0, 0, 600, 400, grid), (Cell{0, 0}));
    EXPECT_EQ(Cell::at(99.9, 100, 600, 400, grid), (Cell{0, 1}));
    EXPECT_EQ(Cell::at(-40, -1, 600, 400, grid), (Cell{0, 0}));
    // The right and bottom edges belong to the last cell.
    EXPECT_EQ(Cell::at(600, 400, 600, 400, grid), (Cell{5, 3}));
    EXPECT_EQ(Cell::at(5000, 5000, 600, 400, grid), (Cell{5, 3}));
    // A drawing of no size counts as one point wide and high.
    EXPECT_EQ(Cell::at(0.5, 0.3, 0, 0, grid), (Cell{3, 1}));
    EXPECT_EQ(Cell::at(nan, inf, 600, 400, grid), (Cell{0, 3}));
}

TEST(TileRegion, SpanningCoversBothCornersInEitherOrder) {
    const GridSize grid{6, 6};
    const TileRegion expected{2.0 / 6, 0, 4.0 / 6, 4.0 / 6};
    EXPECT_EQ(TileRegion::spanning({5, 0}, {2, 3}, grid), expected);
    EXPECT_EQ(TileRegion::spanning({2, 3}, {5, 0}, grid), expected);
    EXPECT_EQ(expected.x, 0.3333333333333333);
    EXPECT_EQ(expected.width, 0.6666666666666666);
    // One cell; and a cell outside the grid counts as the last column.
    EXPECT_EQ(TileRegion::spanning({1, 1}, {1, 1}, grid),
              (TileRegion{1.0 / 6, 1.0 / 6, 1.0 / 6, 1.0 / 6}));
    EXPECT_EQ(TileRegion::spanning({9, 0}, {9, 0}, grid),
              (TileRegion{5.0 / 6, 0, 1.0 / 6, 1.0 / 6}));
}

TEST(TileRegion, ValidRegionsLieWithinTheAreaAllowingForRounding) {
    EXPECT_TRUE(TileRegion::full().isValid());
    EXPECT_TRUE((TileRegion{0.5, 0, 0.5000005, 1}).isValid());
    EXPECT_FALSE((TileRegion{0.5, 0, 0.5000011, 1}).isValid());
    EXPECT_TRUE((TileRegion{5.0 / 6, 5.0 / 6, 1.0 / 6, 1.0 / 6}).isValid());
    EXPECT_FALSE((TileRegion{0, 0, 0, 1}).isValid());
    EXPECT_FALSE((TileRegion{0, 0, 1, -0.5}).isValid());
    EXPECT_FALSE((TileRegion{-0.1, 0, 0.5, 1}).isValid());
    EXPECT_FALSE((TileRegion{0, 0, nan, 1}).isValid());
    EXPECT_FALSE((TileRegion{0, nan, 1, 1}).isValid());
    EXPECT_FALSE((TileRegion{0, 0, inf, 1}).isValid());
}

TEST(Margins, EachOfTheSixValuesMustBeFiniteAndZeroToThreeHundred) {
    EXPECT_TRUE(Margins{}.isValid());
    const auto with = [](double Margins::*field, double value) {
        Margins margins;
        margins.*field = value;
        return margins.isValid();
    };
    for (double Margins::*field : {&Margins::horizontalGap, &Margins::verticalGap, &Margins::left,
                                   &Margins::right, &Margins::top, &Margins::bottom}) {
        EXPECT_TRUE(with(field, 300));
        EXPECT_TRUE(with(field, -0.0));
        EXPECT_FALSE(with(field, 300.5));
        EXPECT_FALSE(with(field, -0.001));
        EXPECT_FALSE(with(field, nan));
        EXPECT_FALSE(with(field, inf));
    }
    // Switched off, they are checked all the same.
    Margins off;
    off.enabled = false;
    off.horizontalGap = 500;
    EXPECT_FALSE(off.isValid());
}

}  // namespace
}  // namespace corvane
