// Placements through the window manager, the real resizer and the X11 layer,
// on a private desktop with Openbox: what a user sees when a window is tiled.

#include <gtest/gtest.h>

#include "app/window/window_manager.h"
#include "core/tile_geometry.h"
#include "platform/scheduler/blocking_scheduler.h"
#include "platform/x11/x11_displays.h"
#include "platform/x11/x11_window_system.h"
#include "tests/e2e/harness/desktop.h"

namespace corvane {
namespace {

using e2e::Desktop;
using e2e::ProbeWindow;

const Rect left{10, 35, 705, 855}, right{725, 35, 705, 855};
const std::string closedText = "That window has closed. Focus another window and try again.";

// A blocking scheduler that runs `action` when its second wait (a settle pause) begins.
struct InterruptingScheduler : platform::BlockingScheduler {
    using BlockingScheduler::BlockingScheduler;
    std::function<void()> action;
    int waits = 0;
    bool beginWait(WaitKind kind, double seconds, std::function<void()> resume) override {
        if (++waits == 2) action();
        return BlockingScheduler::beginWait(kind, seconds, std::move(resume));
    }
};

// Openbox and the X11 layer under a WindowManager, as the application has them.
struct Placer {
    explicit Placer(const Desktop::Options& options = {}) : desktop(options) {}
    Desktop desktop;
    e2e::Connection connection{desktop.display()};
    platform::X11WindowSystem windows{connection.get(), 0};
    platform::X11Displays displays{connection.get(), 0};
    WindowManager manager{windows, getpid()};
    // Settle pauses end when Openbox has answered, as in the application.
    platform::BlockingScheduler blocking{&windows};

    WindowTarget focused() { return manager.focusedTarget(windows.frontmostApp()); }
    // What the user hears when there is no window to tile; empty when there is one.
    std::string focusRefusal() {
        try {
            focused();
        } catch (const std::exception& error) {
            return describeError(error);
        }
        return {};
    }
    // "exact", "not exact", or the text a user sees when the placement fails.
    std::string place(const Rect& frame, const WindowTarget& target, bool animated = false,
                      Scheduler* scheduler = nullptr) {
        try {
            auto task =
                manager.apply(frame, target, true, animated, scheduler ? *scheduler : blocking);
            return runSynchronously(std::move(task)) ? "exact" : "not exact";
        } catch (const std::exception& error) {
            return describeError(error);
        }
    }
};

TEST(WindowManagerE2E, EveryKindOfWindowOnAMonitorWithADock) {
    Placer p;
    ProbeWindow probe = p.desktop.startProbe();
    const WindowTarget plain = p.focused();
    ASSERT_EQ(plain.window, probe.window);
    Margins margins;
    margins.enabled = true;  // all six values 10
    const Rect visible = p.displays.displays().at(0).visibleFrame;
    ASSERT_EQ(TileGeometry::frame({0, 0, 0.5, 1}, visible, margins), left);
    ASSERT_EQ(TileGeometry::frame({0.5, 0, 0.5, 1}, visible, margins), right);
    EXPECT_EQ("exact", p.place(left, plain));
    EXPECT_EQ("exact", p.place(right, plain, true));

    // A minimum size wider than the half: the origin is reached, the undo entry kept.
    ProbeWindow wide =
        p.desktop.startProbe({.width = 950, .height = 720, .minSize = std::pair(900, 700)});
    const WindowTarget wideTarget = p.focused();
    const Rect before = p.manager.frame(wideTarget);
    EXPECT_EQ("not exact", p.place(left, wideTarget));
    EXPECT_EQ(p.manager.frame(wideTarget).x, left.x);
    EXPECT_GT(p.manager.frame(wideTarget).width, left.width);
    ASSERT_EQ(p.manager.history().size(), 3u);
    EXPECT_TRUE(runSynchronously(p.manager.undo(false, p.blocking)));
    EXPECT_EQ(p.manager.frame(wideTarget), before);
    EXPECT_EQ(p.manager.history().size(), 2u);

    // A terminal's resize increments: short of the half by less than one step.
    ProbeWindow terminal = p.desktop.startProbe({.increments = std::pair(7, 13)});
    const WindowTarget terminalTarget = p.focused();
    EXPECT_EQ("not exact", p.place(left, terminalTarget));
    const Rect stepped = p.manager.frame(terminalTarget);
    EXPECT_EQ(stepped.x, left.x);
    EXPECT_EQ(stepped.y, left.y);
    const double shortBy[] = {left.width - stepped.width, left.height - stepped.height};
    EXPECT_TRUE(shortBy[0] >= 0 && shortBy[0] < 7 && shortBy[1] >= 0 && shortBy[1] < 13)
        << describe(stepped);

    // A client-side shadow lies outside the frame that lands on the target.
    ProbeWindow csd = p.desktop.startProbe({.gtkExtents = 20});
    EXPECT_EQ("exact", p.place(left, p.focused()));
    EXPECT_EQ(p.desktop.clientGeometry(csd.window)->x, 10 - 20);
    EXPECT_EQ(p.desktop.clientGeometry(csd.window)->width, 705 + 40);

    ProbeWindow fixed = p.desktop.startProbe({.fixedSize = true});
    EXPECT_EQ(p.place(left, p.focused()), "This app does not allow its window to be resized.");
    ProbeWindow fullScreen = p.desktop.startProbe({.fullscreen = true});
    EXPECT_EQ(p.place(left, p.focused()), "Exit full screen before tiling this window.");
    ASSERT_EQ(p.desktop.run({"xdotool", "windowminimize", std::to_string(terminal.window)}), 0);
    ASSERT_TRUE(
        e2e::waitUntil([&] { return p.windows.states(terminal.window).value().minimized; }));
    EXPECT_EQ(p.place(left, terminalTarget),
              "Restore this window from the taskbar before tiling it.");

    // The window goes away in the middle of the resize.
    ProbeWindow closing = p.desktop.startProbe();
    const WindowTarget closingTarget = p.focused();
    InterruptingScheduler closer{&p.windows};
    closer.action = [&] {
        closing.process.stop();
        e2e::waitUntil([&] { return !p.desktop.clientGeometry(closing.window); });
    };
    EXPECT_EQ(p.place(left, closingTarget, false, &closer), closedText);
    EXPECT_EQ(p.place(left, closingTarget), closedText);
    EXPECT_EQ(p.manager.history().size(), 4u) << "refused and closed windows leave no undo entry";
}

// Simple X clients name neither their process nor their class: each is an
// application of its own, and Corvane's own windows stay out of reach all the same.
TEST(WindowManagerE2E, WindowsThatNameNoOwnerAreTiledAsTheirClientsApps) {
    Placer p;
    ProbeWindow first = p.desktop.startProbe({.namesOwner = false});
    ASSERT_TRUE(p.desktop.cardinals(first.window, "_NET_WM_PID").empty());
    const WindowTarget target = p.focused();
    ASSERT_EQ(target.window, first.window);
    EXPECT_EQ("exact", p.place(left, target));
    EXPECT_EQ(p.manager.frame(target), left);

    ProbeWindow second = p.desktop.startProbe({.namesOwner = false});
    const WindowTarget other = p.focused();
    EXPECT_EQ(other.window, second.window);
    EXPECT_EQ("exact", p.place(right, other));
    EXPECT_EQ(p.manager.focusedTarget(target.app).window, first.window);
    first.process.stop();
    ASSERT_TRUE(e2e::waitUntil([&] { return !p.desktop.clientGeometry(first.window); }));
    EXPECT_EQ(p.place(right, target), closedText);

    // A window of Corvane's own connection that names no owner is still Corvane's.
    xcb_connection_t* c = p.connection.get();
    const xcb_window_t own = xcb_generate_id(c);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, own, screen->root, 0, 0, 300, 200, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(c, own);
    xcb_flush(c);
    ASSERT_TRUE(e2e::waitUntil([&] { return !p.desktop.cardinals(own, "WM_STATE").empty(); }));
    ASSERT_EQ(p.desktop.run({"xdotool", "windowactivate", std::to_string(own)}), 0);
    ASSERT_TRUE(e2e::waitUntil([&] { return p.desktop.activeWindow() == own; }));
    EXPECT_EQ(p.focusRefusal(), "Focus a window in another app, then open the grid.");
}

// A placement takes a maximized window out of that state; undo maximizes it again.
TEST(WindowManagerE2E, UndoMaximizesAgainAMaximizedWindow) {
    Placer p;
    ProbeWindow probe = p.desktop.startProbe({.maximized = true});
    const WindowTarget target = p.focused();
    const Rect maximizedFrame{0, 25, 1440, 875};
    ASSERT_EQ(p.manager.frame(target), maximizedFrame);
    EXPECT_EQ("exact", p.place(left, target));
    EXPECT_FALSE(p.windows.states(probe.window).value().maximized.any());

    EXPECT_TRUE(runSynchronously(p.manager.undo(false, p.blocking)));
    EXPECT_EQ(p.windows.states(probe.window).value().maximized, (platform::Maximized{true, true}));
    EXPECT_EQ(p.manager.frame(target), maximizedFrame);
    EXPECT_TRUE(p.manager.history().empty());
}

TEST(WindowManagerE2E, FlushRightWindowStaysFlushRightOnTheNextMonitor) {
    if (!Desktop::xorgDummyAvailable()) GTEST_SKIP() << "Xorg with the dummy driver needs root";
    Placer p(Desktop::twoMonitors());
    ProbeWindow probe = p.desktop.startProbe();
    const WindowTarget target = p.focused();
    const auto monitors = p.displays.displays();  // the dock's strut on the first monitor only
    ASSERT_EQ(monitors, (std::vector<platform::Display>{
                            {"DUMMY0", {0, 0, 1440, 900}, {0, 25, 1440, 875}},
                            {"DUMMY1", {1440, 0, 1280, 800}, {1440, 0, 1280, 800}}}));
    ASSERT_EQ("exact", p.place({1440 - 600, 25, 600, 400}, target));
    const Rect moved = TileGeometry::relocate(p.manager.frame(target), monitors[0].visibleFrame,
                                              monitors[1].visibleFrame);
    EXPECT_EQ(moved, (Rect{2720 - 600, 0, 600, 400}));
    EXPECT_EQ("exact", p.place(moved, target));
    EXPECT_EQ(p.manager.frame(target), moved);
}

}  // namespace
}  // namespace corvane
