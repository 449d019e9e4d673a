// The grid, its cells, regions and margins, and the frames placements compute from them.
#include "core/tile_geometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace corvane {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();
constexpr auto i64max = std::numeric_limits<std::int64_t>::max();
const Rect kWorkArea{0, 25, 1440, 875};

Margins margins(double gap = 10, double edges = 10, bool enabled = true) {
    return Margins{enabled, gap, gap, edges, edges, edges, edges};
}

TEST(TileGeometry, FramesFollowTheRegionWorkAreaAndMargins) {
    const TileRegion third{1.0 / 3, 0, 1.0 / 3, 1};
    const struct {
        const char* name;
        TileRegion region;
        Rect area;
        Margins margins;
        Rect expected;
    } cases[] = {
        {"left half", {0, 0, 0.5, 1}, kWorkArea, margins(), {10, 35, 705, 855}},
        {"right half", {0.5, 0, 0.5, 1}, kWorkArea, margins(), {725, 35, 705, 855}},
        {"middle third", third, kWorkArea, Margins{}, {480, 25, 480, 875}},
        {"full: no gap", TileRegion::full(), kWorkArea, margins(), {10, 35, 1420, 855}},
        {"empty region", {0, 0, 0, 1}, kWorkArea, margins(), kWorkArea},
        {"region too wide", {0.5, 0, 1.0, 1}, kWorkArea, margins(), kWorkArea},
        {"NaN region", {nan, 0, 1, 1}, kWorkArea, margins(), kWorkArea},
        {"work area too small", TileRegion::full(), {3, 4, 0.5, 100}, margins(), {3, 4, 0.5, 100}},
        {"invalid margins: off", {0, 0, 0.5, 1}, kWorkArea, margins(10, 400), {0, 25, 720, 875}},
        {"margins switched off",
         {0, 0, 0.5, 1},
         kWorkArea,
         margins(10, 10, false),
         {0, 25, 720, 875}},
        // The half gap never thins a cell below one point.
        {"half-gap limit",
         TileRegion::spanning({5, 5}, {5, 5}, {20, 20}),
         {0, 0, 1000, 1000},
         margins(300, 0),
         {274.5, 274.5, 1, 1}},
        {"huge margins leave one point",
         TileRegion::full(),
         {0, 0, 100, 500},
         Margins{true, 10, 10, 300, 300, 0, 0},
         {50, 0, 1, 500}},
        {"odd gaps give half points",
         {0.5, 0, 0.5, 1},
         {0, 0, 1440, 900},
         margins(5, 0),
         {722.5, 0, 717.5, 900}},
        // 0.5 * 101 + 10 = 60.5 rounds up; 0.5 * 101 - 51 = -0.5 rounds down.
        {"halves away from zero", {0.5, 0, 0.5, 1}, {10, 0, 101, 10}, Margins{}, {61, 0, 50, 10}},
        {"negative halves", {0.5, 0, 0.5, 1}, {-51, 0, 101, 10}, Margins{}, {-1, 0, 51, 10}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TileGeometry::frame(c.region, c.area, c.margins), c.expected) << c.name;
}

TEST(TileGeometry, ScreenIndexPrefersLargestOverlapThenEarliestThenNearestCentre) {
    const std::vector<Rect> two{{0, 0, 1000, 800}, {1000, 0, 1000, 800}};
    EXPECT_EQ(TileGeometry::screenIndex({500, 0, 1000, 400}, two), 0u);  // tie: the earlier
    EXPECT_EQ(TileGeometry::screenIndex({600, 0, 1000, 400}, two), 1u);
    EXPECT_EQ(TileGeometry::screenIndex({1200, 100, 100, 100}, two), 1u);
    EXPECT_EQ(TileGeometry::screenIndex({2500, 100, 100, 100}, two), 1u);  // off every screen
    EXPECT_EQ(TileGeometry::screenIndex({-900, 0, 10, 10}, two), 0u);
    EXPECT_FALSE(TileGeometry::screenIndex({0, 0, 10, 10}, {}).has_value());
}

TEST(TileGeometry, RelocateKeepsTheRelativePositionAndFitsTheTarget) {
    const Rect to{1440, 0, 1280, 800};
    EXPECT_EQ(TileGeometry::relocate({840, 25, 600, 400}, kWorkArea, to),
              (Rect{2120, 0, 600, 400}));
    EXPECT_EQ(TileGeometry::relocate(kWorkArea, kWorkArea, to), to);
    EXPECT_EQ(TileGeometry::relocate({0, 25, 1440, 300}, kWorkArea, to),
              (Rect{1440, 0, 1280, 300}));
}

TEST(GridTypes, SizesCellsAndRegionsStayWithinTheGrid) {
    EXPECT_EQ(GridSize::clamped(0, 25), (GridSize{1, 20}));
    EXPECT_EQ(GridSize::clamped(std::numeric_limits<std::int64_t>::min(), i64max),
              (GridSize{1, 20}));
    EXPECT_EQ((GridSize{6, 6}).subdivided(), (GridSize{12, 12}));
    EXPECT_EQ((GridSize{11, 15}).subdivided(), (GridSize{20, 20}));
    EXPECT_EQ((GridSize{i64max, 0}).subdivided(), (GridSize{20, 1}));
    EXPECT_TRUE((GridSize{1, 20}).isValid());
    EXPECT_FALSE((GridSize{0, 6}).isValid());
    EXPECT_FALSE((GridSize{6, 21}).isValid());

    const GridSize grid{6, 4};
    EXPECT_EQ((Cell{9, -2}).clamped(grid), (Cell{5, 0}));
    EXPECT_EQ(Cell::at(99.9, 100, 600, 400, grid), (Cell{0, 1}));
    EXPECT_EQ(Cell::at(600, 400, 600, 400, grid), (Cell{5, 3}));  // edges: the last cell
    EXPECT_EQ(Cell::at(-40, 5000, 600, 400, grid), (Cell{0, 3}));
    EXPECT_EQ(Cell::at(0.5, 0.3, 0, 0, grid), (Cell{3, 1}));  // no size counts as one point
    EXPECT_EQ(Cell::at(nan, inf, 600, 400, grid), (Cell{0, 3}));

    const TileRegion expected{2.0 / 6, 0, 4.0 / 6, 4.0 / 6};
    EXPECT_EQ(TileRegion::spanning({5, 0}, {2, 3}, {6, 6}), expected);
    EXPECT_EQ(TileRegion::spanning({2, 3}, {5, 0}, {6, 6}), expected);
    EXPECT_EQ(TileRegion::spanning({9, 0}, {9, 0}, {6, 6}),
              (TileRegion{5.0 / 6, 0, 1.0 / 6, 1.0 / 6}));
}

TEST(GridTypes, ValidRegionsAndMarginsAreFiniteAndInRange) {
    for (const auto& [region, valid] : std::vector<std::pair<TileRegion, bool>>{
             {TileRegion::full(), true},
             {{0.5, 0, 0.5000005, 1}, true},  // rounding allowed for
             {{0.5, 0, 0.5000011, 1}, false},
             {{5.0 / 6, 5.0 / 6, 1.0 / 6, 1.0 / 6}, true},
             {{0, 0, 0, 1}, false},
             {{0, 0, 1, -0.5}, false},
             {{-0.1, 0, 0.5, 1}, false},
             {{0, nan, 1, 1}, false},
             {{0, 0, inf, 1}, false}}) {
        EXPECT_EQ(region.isValid(), valid)
            << describe(Rect{region.x, region.y, region.width, region.height});
    }
    for (double Margins::*field : {&Margins::horizontalGap, &Margins::verticalGap, &Margins::left,
                                   &Margins::right, &Margins::top, &Margins::bottom}) {
        for (const auto& [value, valid] : std::vector<std::pair<double, bool>>{{300, true},
                                                                               {-0.0, true},
                                                                               {300.5, false},
                                                                               {-0.001, false},
                                                                               {nan, false},
                                                                               {inf, false}}) {
            Margins m{false};  // switched off, they are checked all the same
            m.*field = value;
            EXPECT_EQ(m.isValid(), valid) << value;
        }
    }
}

}  // namespace
}  // namespace corvane
