// Work areas per monitor from the docks' struts.
#include "platform/x11/x11_strut.h"

#include <gtest/gtest.h>

namespace corvane::platform {
namespace {

// Two monitors side by side: 1440x900 at the origin, 1280x800 to its right.
const Rect left{0, 0, 1440, 900};
const Rect right{1440, 0, 1280, 800};
constexpr double rootWidth = 2720, rootHeight = 900;

Strut top(std::uint32_t height, std::uint32_t startX, std::uint32_t endX) {
    return *Strut::fromPartial({0, 0, height, 0, 0, 0, 0, 0, startX, endX, 0, 0});
}

TEST(StrutTest, EachMonitorLosesOnlyWhatItsDocksReserve) {
    // A 30 px panel at the bottom of the 800 px monitor reserves 100 + 30 from the root's bottom.
    const Strut bottom = *Strut::fromPartial({0, 0, 0, 130, 0, 0, 0, 0, 0, 0, 1440, 2719});
    const Strut leftDock = *Strut::fromPartial({48, 0, 0, 0, 0, 899, 0, 0, 0, 0, 0, 0});
    const Strut rightDock = *Strut::fromPartial({0, 60, 0, 0, 0, 0, 0, 799, 0, 0, 0, 0});
    const Strut older = *Strut::fromFull({0, 0, 30, 0}, rootWidth, rootHeight);
    const struct {
        const char* name;
        Rect monitor;
        std::vector<Strut> struts;
        Rect expected;
    } cases[] = {
        {"top panel", left, {top(25, 0, 1439)}, {0, 25, 1440, 875}},
        {"top panel elsewhere", right, {top(25, 0, 1439)}, right},
        {"touches the edge only", right, {top(25, 1000, 1439)}, right},
        {"reaches one pixel in", right, {top(25, 1000, 1440)}, {1440, 25, 1280, 775}},
        {"bottom of shorter", right, {bottom}, {1440, 0, 1280, 770}},
        {"bottom elsewhere", left, {bottom}, left},
        {"docks combine", right, {leftDock, rightDock, top(25, 0, 2719)}, {1440, 25, 1220, 775}},
        {"older strut: whole edge", right, {older}, {1440, 30, 1280, 770}},
        {"swallows the monitor", left, {top(5000, 0, 1439)}, left}};
    for (const auto& c : cases)
        EXPECT_EQ(visibleFrame(c.monitor, rootWidth, rootHeight, c.struts), c.expected) << c.name;
    EXPECT_FALSE(Strut::fromPartial({0, 0, 25, 0}) || Strut::fromFull({0, 0}, 10, 10));
}

}  // namespace
}  // namespace corvane::platform
