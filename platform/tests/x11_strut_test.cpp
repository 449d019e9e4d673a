// Work areas per monitor from the docks' struts.

#include "platform/x11/x11_strut.h"

#include <gtest/gtest.h>

namespace corvane::platform {
namespace {

// Two monitors side by side: 1440x900 at the origin, 1280x800 to its right.
const Rect left{0, 0, 1440, 900};
const Rect right{1440, 0, 1280, 800};
constexpr double rootWidth = 2720, rootHeight = 900;

Strut topPanel(double height, double startX, double endX) {
    return *Strut::fromPartial({0, 0, std::uint32_t(height), 0, 0, 0, 0, 0, std::uint32_t(startX),
                                std::uint32_t(endX), 0, 0});
}

TEST(StrutTest, TopPanelOnOneMonitorLeavesTheOtherAlone) {
    std::vector<Strut> struts = {topPanel(25, 0, 1439)};
    EXPECT_EQ(visibleFrame(left, rootWidth, rootHeight, struts), (Rect{0, 25, 1440, 875}));
    EXPECT_EQ(visibleFrame(right, rootWidth, rootHeight, struts), right);
}

TEST(StrutTest, BottomPanelOfAShorterMonitorCountsFromTheRootsBottom) {
    // A 30 px panel at the bottom of the 800 px monitor reserves 100 + 30 from
    // the bottom of the 900 px root.
    auto bottom = Strut::fromPartial({0, 0, 0, 130, 0, 0, 0, 0, 0, 0, 1440, 2719});
    ASSERT_TRUE(bottom);
    EXPECT_EQ(visibleFrame(right, rootWidth, rootHeight, {*bottom}), (Rect{1440, 0, 1280, 770}));
    EXPECT_EQ(visibleFrame(left, rootWidth, rootHeight, {*bottom}), left);
}

TEST(StrutTest, SidePanelsAndSeveralStrutsCombine) {
    auto leftDock = Strut::fromPartial({48, 0, 0, 0, 0, 899, 0, 0, 0, 0, 0, 0});
    auto rightDock = Strut::fromPartial({0, 60, 0, 0, 0, 0, 0, 799, 0, 0, 0, 0});
    std::vector<Strut> struts = {*leftDock, *rightDock, topPanel(25, 0, 2719)};
    EXPECT_EQ(visibleFrame(left, rootWidth, rootHeight, struts), (Rect{48, 25, 1392, 875}));
    EXPECT_EQ(visibleFrame(right, rootWidth, rootHeight, struts), (Rect{1440, 25, 1220, 775}));
}

TEST(StrutTest, OlderStrutReservesAlongTheWholeEdge) {
    auto strut = Strut::fromFull({0, 0, 30, 0}, rootWidth, rootHeight);
    ASSERT_TRUE(strut);
    EXPECT_EQ(visibleFrame(left, rootWidth, rootHeight, {*strut}), (Rect{0, 30, 1440, 870}));
    EXPECT_EQ(visibleFrame(right, rootWidth, rootHeight, {*strut}), (Rect{1440, 30, 1280, 770}));
}

TEST(StrutTest, MalformedAndAbsurdStrutsAreIgnored) {
    EXPECT_FALSE(Strut::fromPartial({0, 0, 25, 0}));
    EXPECT_FALSE(Strut::fromFull({0, 0}, rootWidth, rootHeight));
    // A strut that would swallow the whole monitor leaves it as it is.
    EXPECT_EQ(visibleFrame(left, rootWidth, rootHeight, {topPanel(5000, 0, 1439)}), left);
    // A strut of 0 reserves nothing even where its range touches the monitor.
    EXPECT_EQ(visibleFrame(left, rootWidth, rootHeight, {topPanel(0, 0, 1439)}), left);
}

TEST(StrutTest, StripThatOnlyTouchesTheMonitorsEdgeDoesNotCount) {
    // A panel ending at x = 1439 (inclusive) does not reach the monitor at 1440.
    EXPECT_EQ(visibleFrame(right, rootWidth, rootHeight, {topPanel(25, 1000, 1439)}), right);
    EXPECT_EQ(visibleFrame(right, rootWidth, rootHeight, {topPanel(25, 1000, 1440)}),
              (Rect{1440, 25, 1280, 775}));
}

}  // namespace
}  // namespace corvane::platform
