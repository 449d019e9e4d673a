// Work areas that also keep clear what the window manager reserves for itself.
#include "platform/x11/x11_work_area.h"

#include <gtest/gtest.h>

namespace corvane::platform {
namespace {

const Rect screen{0, 0, 1440, 900};
// A 25 px dock along the bottom of the 1440 px monitor.
const Strut dock = *Strut::fromPartial({0, 0, 0, 25, 0, 0, 0, 0, 0, 0, 0, 1439});

Rect oneMonitor(const Rect& workArea, const std::vector<Strut>& struts) {
    const Rect fromStruts = visibleFrame(screen, screen.width, screen.height, struts);
    WindowManagerReserve reserve{
        screen, workArea, unexplainedReserve(workArea, screen, struts), true, {}};
    return narrowToWorkArea(screen, fromStruts, reserve);
}

TEST(WorkAreaTest, OneMonitorKeepsClearWhatOnlyTheWindowManagerReserves) {
    const struct {
        const char* name;
        Rect workArea;
        std::vector<Strut> struts;
        Rect expected;
    } cases[] = {
        // Fluxbox's 22 px toolbar at the bottom declares no strut.
        {"toolbar without strut", {0, 0, 1440, 878}, {}, {0, 0, 1440, 878}},
        {"toolbar above a dock", {0, 0, 1440, 853}, {dock}, {0, 0, 1440, 853}},
        {"toolbar at the top, dock below", {0, 22, 1440, 853}, {dock}, {0, 22, 1440, 853}},
        {"struts explain it all", {0, 0, 1440, 875}, {dock}, {0, 0, 1440, 875}},
        // A window manager that has not caught up with a dock yet does not widen it.
        {"looser than the struts", screen, {dock}, {0, 0, 1440, 875}},
        {"panel on the left", {30, 0, 1410, 900}, {}, {30, 0, 1410, 900}},
        {"leaves nothing", {0, 0, 0, 0}, {dock}, {0, 0, 1440, 875}},
        {"outside the root", {0, 0, 2000, 800}, {}, screen},
    };
    for (const auto& c : cases) EXPECT_EQ(oneMonitor(c.workArea, c.struts), c.expected) << c.name;
}

TEST(WorkAreaTest, ToolbarOnOneOfTwoMonitorsShrinksOnlyThatMonitor) {
    // 1440x900 at the origin, 1280x800 to its right; the root is 2720x900.
    const Rect left{0, 0, 1440, 900}, right{1440, 0, 1280, 800};
    const Rect root{0, 0, 2720, 900};
    // The toolbar sits at the bottom of the left monitor; the work area is
    // one rectangle for both, so it ends above the toolbar everywhere.
    const Rect workArea{0, 0, 2720, 878};
    const Rect toolbar{400, 878, 640, 22};
    WindowManagerReserve reserve{
        root, workArea, unexplainedReserve(workArea, root, {}), false, {toolbar}};
    EXPECT_EQ(narrowToWorkArea(left, left, reserve), (Rect{0, 0, 1440, 878}));
    EXPECT_EQ(narrowToWorkArea(right, right, reserve), right);

    // On the right monitor instead, which ends 100 px above the root's bottom,
    // the work area ends 122 px above it: only the right monitor gives it up.
    const Rect lowWorkArea{0, 0, 2720, 778};
    WindowManagerReserve onRight{root,
                                 lowWorkArea,
                                 unexplainedReserve(lowWorkArea, root, {}),
                                 false,
                                 {{1800, 778, 500, 22}}};
    EXPECT_EQ(narrowToWorkArea(left, left, onRight), left);
    EXPECT_EQ(narrowToWorkArea(right, right, onRight), (Rect{1440, 0, 1280, 778}));

    // Without a window to tell where the reserved space is, no monitor gives it up.
    reserve.ownWindows.clear();
    EXPECT_EQ(narrowToWorkArea(left, left, reserve), left);
}

TEST(WorkAreaTest, OnlyTheReserveBeyondTheStrutsIsUnexplained) {
    const Strut top = *Strut::fromPartial({0, 0, 30, 0, 0, 0, 0, 0, 0, 700, 0, 0});
    const Unexplained u = unexplainedReserve({10, 30, 1400, 845}, screen, {top, dock});
    EXPECT_EQ(u.left, 10);
    EXPECT_EQ(u.right, 30);
    EXPECT_EQ(u.top, 0);
    EXPECT_EQ(u.bottom, 0);
    EXPECT_FALSE(unexplainedReserve({0, 0, 1440, 875}, screen, {dock}).any());
}

}  // namespace
}  // namespace corvane::platform
