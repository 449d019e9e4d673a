// The same placements on every window manager people run on X11, one real
// desktop each: where the window manager lets a window land exactly, Corvane
// lands it exactly; where it does not, Corvane says so quickly and never calls a
// wrong frame exact. Each line "MATRIX wm | cell | ..." of the output is a cell.

#include <gtest/gtest.h>

#include <map>

#include "tests/e2e/matrix_cells.h"

namespace corvane::e2e {
namespace {

constexpr int screenWidth = 1440, screenHeight = 900, dockHeight = 25;

// The cells whose outcome depends on the window manager.
enum class Cell { plain, shadows, increments, minimumSize, shortcut, xterm, gtk };

// What a cell comes to unless a window manager's row says otherwise: a size in
// steps is honoured, and so is a minimum size larger than the half.
Expect usual(Cell cell) {
    if (cell == Cell::increments || cell == Cell::xterm) return Expect::withinIncrement;
    if (cell == Cell::minimumSize) return Expect::notExact;
    return Expect::exact;
}

struct Row {
    WindowManager wm;
    bool twoMonitors = false;
    std::map<Cell, Expect> exceptions{};  // each with the window manager's reason
    bool ownPanel = false;  // keeps space at the bottom of the screen for a panel of its own
};

// Every window manager of the matrix, and where it does not allow the usual outcome.
const Row rows[] = {
    {WindowManager::openbox, true},
    {WindowManager::xfwm4, true},
    {WindowManager::kwin, true},
    {WindowManager::mutter, true},
    {WindowManager::muffin},
    // Marco keeps a window's whole rectangle, its client-side shadow included, inside the
    // work area, whatever the request: the visible window lands a shadow's width inwards.
    {WindowManager::marco, false, {{Cell::shadows, Expect::notExact}}},
    {WindowManager::metacity},
    {WindowManager::icewm,
     false,
     {// IceWM grabs the Super key for its start menu: Ctrl+Alt+Super+L never arrives.
      {Cell::shortcut, Expect::swallowed},
      // IceWM keeps a window's whole rectangle, shadow included, on screen unless the
      // user sets LimitPosition=0 in its preferences.
      {Cell::shadows, Expect::notExact},
      // IceWM gives a window less than its minimum size when another client asks.
      {Cell::minimumSize, Expect::exact}},
     true},
    // Fluxbox gives a window less than its minimum size when another client asks.
    {WindowManager::fluxbox, false, {{Cell::minimumSize, Expect::exact}}, true},
    // i3 gives a floating window less than its minimum size when another client asks.
    {WindowManager::i3, false, {{Cell::minimumSize, Expect::exact}}},
};

// Test names and failure messages name the window manager.
void PrintTo(const Row& row, std::ostream* out) {
    *out << windowManagerName(row.wm);
}

class WindowManagerMatrix : public ::testing::TestWithParam<Row> {
protected:
    std::string wm() const { return windowManagerName(GetParam().wm); }
    Expect expected(Cell cell) const {
        const auto& exceptions = GetParam().exceptions;
        const auto found = exceptions.find(cell);
        return found == exceptions.end() ? usual(cell) : found->second;
    }
    static Box area(const Desktop& desktop) {
        return managerWorkArea(desktop, screenWidth, screenHeight, dockHeight);
    }
    // Places `window` (made active) on a half with margins and checks the cell.
    void placeHalf(Desktop& desktop, xcb_window_t window, const std::string& cell, Expect expect,
                   bool right, std::pair<int, int> step = {1, 1}) {
        ASSERT_TRUE(desktop.activate(window)) << cell << ": the window did not become active";
        const Box target = halfWithMargins(area(desktop), right);
        expectCell(wm(), cell, expect,
                   placeActive(desktop, window,
                               {right ? "0.5,0,0.5,1" : "0,0,0.5,1", "--margins", "10"}, target),
                   step);
    }
    // A global shortcut pressed on the keyboard, then an undo, through Corvane itself.
    void shortcutAndUndo(Desktop& desktop, CorvaneSession& corvane) {
        const Outcome status = corvane.run({"--status"});
        EXPECT_NE(status.out.find("Shortcut warnings: none\n"), std::string::npos) << status.out;
        const ProbeWindow probe = desktop.startProbe({.title = "Shortcut probe"});
        const Box start = visibleFrame(desktop, probe.window);
        const Box a = area(desktop);
        const Box half = {a.x, a.y, a.width / 2, a.height};
        pressKeys(desktop, "ctrl+alt+super+l");
        const bool placed =
            waitUntil([&] { return visibleFrame(desktop, probe.window) == half; }, 3s);
        const Box now = visibleFrame(desktop, probe.window);
        const Expect expect = expected(Cell::shortcut);
        std::cout << "MATRIX " << wm() << " | global shortcut | expected " << expectName(expect)
                  << " | "
                  << (placed         ? "placed exactly"
                      : now == start ? "never arrived"
                                     : "moved elsewhere")
                  << std::endl;
        if (expect == Expect::swallowed) {
            EXPECT_FALSE(placed) << "the window manager let the shortcut through";
            const Outcome apply = corvane.run({"--apply-layout", "Left half"});
            EXPECT_EQ(apply.status, 0) << apply.err;
        } else {
            EXPECT_TRUE(placed) << visibleFrame(desktop, probe.window) << "\n" << corvane.log();
        }
        const Outcome undo = corvane.run({"--undo"});
        EXPECT_EQ(undo.status, 0) << undo.err;
        const bool back = visibleFrame(desktop, probe.window) == start;
        std::cout << "MATRIX " << wm() << " | undo | expected exact | "
                  << (back ? "back where it was" : "elsewhere") << std::endl;
        EXPECT_TRUE(back) << visibleFrame(desktop, probe.window) << " for " << start;
    }
};

// A client of another program (xterm, a GTK demo), once the window manager has it.
std::optional<xcb_window_t> clientOf(const Desktop& desktop, pid_t pid) {
    for (std::uint32_t window : desktop.cardinals(desktop.root(), "_NET_CLIENT_LIST")) {
        const auto owner = desktop.cardinals(window, "_NET_WM_PID");
        if (!owner.empty() && pid_t(owner[0]) == pid) return window;
    }
    return std::nullopt;
}

xcb_window_t waitForClient(const Desktop& desktop, const ChildProcess& program) {
    std::optional<xcb_window_t> window;
    waitUntil([&] { return (window = clientOf(desktop, program.pid())).has_value(); }, 15s);
    return window.value_or(XCB_NONE);
}

// The resize increment a window asks for in WM_NORMAL_HINTS.
std::pair<int, int> increment(const Desktop& desktop, xcb_window_t window) {
    auto hints = desktop.cardinals(window, "WM_NORMAL_HINTS");
    if (hints.size() < 11 || !(hints[0] & 64)) return {1, 1};
    return {int(hints[9]), int(hints[10])};
}

TEST_P(WindowManagerMatrix, PlacesExactlyWhereTheWindowManagerAllowsAndSaysSoQuicklyWhereNot) {
    Desktop desktop({.windowManager = GetParam().wm, .dockHeight = dockHeight});
    std::cout << "MATRIX " << wm() << " | start | " << desktop.windowManagerStartTime().count()
              << " ms" << std::endl;
    CorvaneSession corvane(desktop, leftHalfOnShortcut());
    std::string why;
    ASSERT_TRUE(corvane.start(&why)) << why;

    // IceWM's taskbar and Fluxbox's toolbar are there, as users have them.
    if (GetParam().ownPanel) {
        const Box a = area(desktop);
        EXPECT_LT(a.y + a.height, screenHeight) << "no panel of " << wm() << "'s own";
    }
    // On one monitor Corvane's work area is the window manager's own.
    ProbeWindow plain = desktop.startProbe();
    const Placement whole = placeActive(desktop, plain.window, {"0,0,1,1"}, area(desktop));
    expectCell(wm(), "work area", Expect::exact, whole);

    placeHalf(desktop, plain.window, "plain left half", expected(Cell::plain), false);
    placeHalf(desktop, plain.window, "plain right half", expected(Cell::plain), true);
    ProbeWindow shadowed = desktop.startProbe({.title = "Shadowed probe", .gtkExtents = 20});
    placeHalf(desktop, shadowed.window, "shadows left half", expected(Cell::shadows), false);
    placeHalf(desktop, shadowed.window, "shadows right half", expected(Cell::shadows), true);
    // 705 x 855 is no whole number of 7 x 13 steps.
    ProbeWindow stepped =
        desktop.startProbe({.title = "Terminal-like probe", .increments = {{7, 13}}});
    placeHalf(desktop, stepped.window, "resize increments", expected(Cell::increments), false,
              {7, 13});
    ProbeWindow wide = desktop.startProbe({.title = "Wide probe", .minSize = {{900, 300}}});
    placeHalf(desktop, wide.window, "minimum size", expected(Cell::minimumSize), false);
    if (expected(Cell::minimumSize) == Expect::notExact) {
        EXPECT_GE(visibleFrame(desktop, wide.window).width, 900) << "the minimum size is kept";
    }

    ChildProcess xterm = desktop.spawn({"xterm", "-geometry", "80x24+100+100"});
    const xcb_window_t terminal = waitForClient(desktop, xterm);
    ASSERT_NE(terminal, XCB_NONE) << "xterm did not appear";
    placeHalf(desktop, terminal, "xterm right half", expected(Cell::xterm), true,
              increment(desktop, terminal));

    std::vector<std::string> gtkEnv = desktop.environment();
    gtkEnv.insert(gtkEnv.end(), {"GDK_BACKEND=x11", "NO_AT_BRIDGE=1",
                                 "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent"});
    ChildProcess gtk({.argv = {"gtk3-demo"}, .env = gtkEnv});
    const xcb_window_t demo = waitForClient(desktop, gtk);
    ASSERT_NE(demo, XCB_NONE) << "gtk3-demo did not appear";
    placeHalf(desktop, demo, "GTK 3 left half", expected(Cell::gtk), false);

    shortcutAndUndo(desktop, corvane);
}

// Two monitors: a window carried to the second and placed on its right half.
class TwoMonitorMatrix : public WindowManagerMatrix {};

TEST_P(TwoMonitorMatrix, CarriesAWindowToTheSecondMonitorAndPlacesItThere) {
    Desktop::Options options = Desktop::twoMonitors();
    options.windowManager = GetParam().wm;
    Desktop desktop(options);
    const std::vector<Box> screens = monitors(desktop);
    ASSERT_EQ(screens.size(), 2u) << "the window manager turned a monitor off";
    ProbeWindow probe = desktop.startProbe();
    // _NET_WORKAREA spans both monitors: the first one's is its part below the dock, and
    // above a panel of the window manager's own (Fluxbox's toolbar sits on the first);
    // the second keeps its whole height.
    Box first = {screens[0].x, dockHeight, screens[0].width, screens[0].height - dockHeight};
    if (GetParam().ownPanel)
        first.height =
            managerWorkArea(desktop, screens[0].width, screens[0].height, dockHeight).height;
    expectCell(wm(), "two monitors, left half of the first", Expect::exact,
               placeActive(desktop, probe.window, {"0,0,0.5,1", "--margins", "10"},
                           halfWithMargins(first, false)));
    const Placement carried =
        placeActive(desktop, probe.window, {"--next-display"}, visibleFrame(desktop, probe.window));
    EXPECT_EQ(carried.status, 0) << carried.output;
    EXPECT_GE(carried.frame.x, screens[1].x) << "not on the second monitor: " << carried.output;
    const Placement right = placeActive(desktop, probe.window, {"0.5,0,0.5,1", "--margins", "10"},
                                        halfWithMargins(screens[1], true));
    expectCell(wm(), "two monitors, right half of the second", Expect::exact, right);
}

std::string rowName(const ::testing::TestParamInfo<Row>& info) {
    return windowManagerName(info.param.wm);
}

std::vector<Row> rowsWithTwoMonitors() {
    std::vector<Row> chosen;
    for (const Row& row : rows)
        if (row.twoMonitors) chosen.push_back(row);
    return chosen;
}

INSTANTIATE_TEST_SUITE_P(Every, WindowManagerMatrix, ::testing::ValuesIn(rows), rowName);
INSTANTIATE_TEST_SUITE_P(Every, TwoMonitorMatrix, ::testing::ValuesIn(rowsWithTwoMonitors()),
                         rowName);

}  // namespace
}  // namespace corvane::e2e
