// The grid, its cells and regions, and the frames placements compute from them.
#include "core/tile_geometry.h"

#include <gtest/gtest.h>

#include <limits>

namespace corvane {
namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
const Rect kWorkArea{0, 25, 1440, 875};

Margins margins(double gap = 10, double edges = 10, bool enabled = true) {
    return Margins{enabled, gap, gap, edges, edges, edges, edges};
}

TEST(TileGeometry, FramesFollowTheRegionWorkAreaAndMargins) {
    const TileRegion left{0, 0, 0.5, 1}, right{0.5, 0, 0.5, 1}, full = TileRegion::full();
    const struct {
        const char* name;
        TileRegion region;
        Rect area;
        Margins margins;
        Rect expected;
    } cases[] = {
        // clang-format off
        {"left half", left, kWorkArea, margins(), {10, 35, 705, 855}},
        {"right half", right, kWorkArea, margins(), {725, 35, 705, 855}},
        {"middle third", {1.0 / 3, 0, 1.0 / 3, 1}, kWorkArea, Margins{}, {480, 25, 480, 875}},
        {"full: no gap", full, kWorkArea, margins(), {10, 35, 1420, 855}},
        {"empty region", {0, 0, 0, 1}, kWorkArea, margins(), kWorkArea},
        {"NaN region", {nan, 0, 1, 1}, kWorkArea, margins(), kWorkArea},
        {"invalid margins: off", left, kWorkArea, margins(10, 400), {0, 25, 720, 875}},
        {"margins switched off", left, kWorkArea, margins(10, 10, false), {0, 25, 720, 875}},
        // The half gap never thins a cell below one point.
        {"half-gap limit", TileRegion::spanning({5, 5}, {5, 5}, {20, 20}), {0, 0, 1000, 1000},
         margins(300, 0), {274.5, 274.5, 1, 1}},
        {"odd gaps: half points", right, {0, 0, 1440, 900}, margins(5, 0), {722.5, 0, 717.5, 900}},
        // 0.5 * 101 + 10 = 60.5 rounds up; 0.5 * 101 - 51 = -0.5 rounds down.
        {"halves away from zero", right, {10, 0, 101, 10}, Margins{}, {61, 0, 50, 10}},
        {"negative halves", right, {-51, 0, 101, 10}, Margins{}, {-1, 0, 51, 10}},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(TileGeometry::frame(c.region, c.area, c.margins), c.expected) << c.name;
}

TEST(TileGeometry, ScreensChosenByOverlapFramesRelocatedAndCellsFoundAtTheEdges) {
    const std::vector<Rect> two{{0, 0, 1000, 800}, {1000, 0, 1000, 800}};
    EXPECT_EQ(TileGeometry::screenIndex({500, 0, 1000, 400}, two), 0u);  // tie: the earlier
    EXPECT_EQ(TileGeometry::screenIndex({600, 0, 1000, 400}, two), 1u);
    EXPECT_EQ(TileGeometry::screenIndex({2500, 100, 100, 100}, two), 1u);  // nearest centre
    EXPECT_FALSE(TileGeometry::screenIndex({0, 0, 10, 10}, {}).has_value());
    const Rect to{1440, 0, 1280, 800};
    EXPECT_EQ(TileGeometry::relocate({840, 25, 600, 400}, kWorkArea, to),
              (Rect{2120, 0, 600, 400}));
    EXPECT_EQ(TileGeometry::relocate({0, 25, 1440, 300}, kWorkArea, to),
              (Rect{1440, 0, 1280, 300}));

    EXPECT_EQ(GridSize::clamped(-5, 99), (GridSize{1, 20}));
    EXPECT_EQ((GridSize{11, 6}).subdivided(), (GridSize{20, 12}));
    EXPECT_EQ(Cell::at(99.9, 100, 600, 400, {6, 4}), (Cell{0, 1}));
    EXPECT_EQ(Cell::at(600, 400, 600, 400, {6, 4}), (Cell{5, 3}));  // edges: the last cell
    EXPECT_EQ(TileRegion::spanning({5, 0}, {2, 3}, {6, 6}),
              (TileRegion{2. / 6, 0, 4. / 6, 4. / 6}));
}

}  // namespace
}  // namespace corvane
