#include "core/tile_geometry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace corvane {
namespace {

const Rect kWorkArea{0, 25, 1440, 875};

Margins allTen() {
    Margins m;
    m.enabled = true;
    return m;
}

TEST(TileGeometry, HalvesWithMarginsShareTheGapEvenly) {
    EXPECT_EQ(TileGeometry::frame({0, 0, 0.5, 1}, kWorkArea, allTen()), (Rect{10, 35, 705, 855}));
    EXPECT_EQ(TileGeometry::frame({0.5, 0, 0.5, 1}, kWorkArea, allTen()),
              (Rect{725, 35, 705, 855}));
}

TEST(TileGeometry, MiddleThirdRoundsItsEdgesIndependently) {
    const TileRegion third{1.0 / 3, 0, 1.0 / 3, 1};
    EXPECT_EQ(TileGeometry::frame(third, kWorkArea, Margins{}), (Rect{480, 25, 480, 875}));
}

TEST(TileGeometry, UnusableInputsGiveTheWorkAreaItself) {
    EXPECT_EQ(TileGeometry::frame({0, 0, 0, 1}, kWorkArea, allTen()), kWorkArea);
    EXPECT_EQ(TileGeometry::frame({0.5, 0, 1.0, 1}, kWorkArea, allTen()), kWorkArea);
    const Rect sliver{3, 4, 0.5, 100};
    EXPECT_EQ(TileGeometry::frame(TileRegion::full(), sliver, allTen()), sliver);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(TileGeometry::frame({nan, 0, 1, 1}, kWorkArea, allTen()), kWorkArea);
}

TEST(TileGeometry, InvalidMarginsBehaveLikeMarginsOff) {
    Margins m = allTen();
    m.top = 400;
    EXPECT_EQ(TileGeometry::frame({0, 0, 0.5, 1}, kWorkArea, m),
              TileGeometry::frame({0, 0, 0.5, 1}, kWorkArea, Margins{}));
}

TEST(TileGeometry, HugeMarginsLeaveAtLeastOnePoint) {
    Margins m = allTen();
    m.left = m.right = 300;
    const Rect narrow{0, 0, 100, 500};
    const Rect full = TileGeometry::frame(TileRegion::full(), narrow, m);
    EXPECT_DOUBLE_EQ(full.width, 1);
    // 49.5 + 0 rounds to 50: the single point sits in the middle.
    EXPECT_DOUBLE_EQ(full.x, 50);
}

TEST(TileGeometry, FullRegionGetsNoGapOnAnySide) {
    EXPECT_EQ(TileGeometry::frame(TileRegion::full(), kWorkArea, allTen()),
              (Rect{10, 35, 1420, 855}));
}

TEST(TileGeometry, HalfGapNeverThinsACellBelowOnePoint) {
    Margins m;
    m.enabled = true;
    m.left = m.right = m.top = m.bottom = 0;
    m.horizontalGap = 300;
    const Rect area{0, 0, 1000, 1000};
    const GridSize grid{20, 20};
    const Rect cell = TileGeometry::frame(TileRegion::spanning({5, 5}, {5, 5}, grid), area, m);
    EXPECT_DOUBLE_EQ(cell.x, 250 + 24.5);
    EXPECT_DOUBLE_EQ(cell.width, 1);
}

TEST(TileGeometry, OddGapsGiveHalfPointEdges) {
    Margins m = allTen();
    m.horizontalGap = 5;
    m.left = m.right = 0;
    const Rect area{0, 0, 1440, 900};
    EXPECT_DOUBLE_EQ(TileGeometry::frame({0.5, 0, 0.5, 1}, area, m).x, 722.5);
}

TEST(TileGeometry, RoundsHalvesAwayFromZero) {
    // 0.5 * 101 + 10 = 60.5
    EXPECT_DOUBLE_EQ(TileGeometry::frame({0.5, 0, 0.5, 1}, {10, 0, 101, 10}, Margins{}).x, 61);
    EXPECT_DOUBLE_EQ(TileGeometry::frame({0.5, 0, 0.5, 1}, {-51, 0, 101, 10}, Margins{}).x, -1);
}

TEST(TileGeometry, ScreenIndexPrefersLargestOverlapThenNearestCentre) {
    const std::vector<Rect> two{{0, 0, 1000, 800}, {1000, 0, 1000, 800}};
    EXPECT_EQ(TileGeometry::screenIndex({500, 0, 1000, 400}, two), 0u);
    EXPECT_EQ(TileGeometry::screenIndex({1200, 100, 100, 100}, two), 1u);
    EXPECT_EQ(TileGeometry::screenIndex({2500, 100, 100, 100}, two), 1u);
    EXPECT_EQ(TileGeometry::screenIndex({-900, 0, 10, 10}, two), 0u);
    EXPECT_EQ(TileGeometry::screenIndex({5000, 5000, 10, 10}, {{0, 0, 10, 10}}), 0u);
    EXPECT_FALSE(TileGeometry::screenIndex({0, 0, 10, 10}, {}).has_value());
}

TEST(TileGeometry, RelocateKeepsTheRelativePosition) {
    const Rect from{0, 25, 1440, 875};
    const Rect to{1440, 0, 1280, 800};
    const Rect flushRight{1440 - 600, 100, 600, 400};
    const Rect moved = TileGeometry::relocate(flushRight, from, to);
    EXPECT_DOUBLE_EQ(moved.maxX(), to.maxX());
    EXPECT_EQ(moved.width, 600);

    const Rect wide{0, 25, 1440, 875};
    const Rect clamped = TileGeometry::relocate(wide, from, to);
    EXPECT_EQ(clamped, to);
}

TEST(TileGeometry, TopLeftConversionIsItsOwnInverse) {
    const Rect r{0, 100, 300, 500};
    EXPECT_EQ(TileGeometry::topLeftRect(r, 1080), (Rect{0, 480, 300, 500}));
    EXPECT_EQ(TileGeometry::topLeftRect(TileGeometry::topLeftRect(r, 1080), 1080), r);
}

}  // namespace
}  // namespace corvane
