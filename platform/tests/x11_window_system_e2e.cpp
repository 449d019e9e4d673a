// The X11 layer against a real X server and window manager (Openbox), with
// probe windows standing in for other applications.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "platform/x11/x11_displays.h"
#include "platform/x11/x11_window_system.h"
#include "tests/e2e/harness/desktop.h"

namespace corvane::platform {
namespace {

using e2e::Connection;
using e2e::Desktop;
using e2e::ProbeOptions;
using e2e::ProbeWindow;
using e2e::waitUntil;

// The outer frame as the harness sees it: client geometry plus Openbox's
// decorations, minus the client's shadow.
Rect outerFrame(const Desktop& desktop, xcb_window_t window) {
    auto g = desktop.clientGeometry(window).value();
    auto f = desktop.cardinals(window, "_NET_FRAME_EXTENTS");
    auto s = desktop.cardinals(window, "_GTK_FRAME_EXTENTS");
    f.resize(4, 0), s.resize(4, 0);
    return Rect{double(g.x) - f[0] + s[0], double(g.y) - f[2] + s[2],
                double(g.width) + f[0] + f[1] - s[0] - s[1],
                double(g.height) + f[2] + f[3] - s[2] - s[3]};
}

// Writes size then position, as the resizer does; whether the frame settles on `target`.
bool place(X11WindowSystem& windows, WindowId window, const Rect& target) {
    return windows.setSize(window, target.width, target.height).ok() &&
           windows.setPosition(window, target.x, target.y).ok() &&
           waitUntil([&] { return windows.frame(window).value() == target; });
}

TEST(X11WindowSystemE2E, ReadsWritesAndWatchesWindowsOfOtherApplications) {
    auto desktop = std::make_unique<Desktop>();
    Connection connection(desktop->display());
    X11WindowSystem windows(connection.get(), 0);
    X11Displays displays(connection.get(), 0);
    ASSERT_TRUE(windows.isAvailable());
    EXPECT_FALSE(windows.reduceMotion());
    ASSERT_EQ(displays.displays().size(), 1u);
    EXPECT_EQ(displays.displays()[0].frame, (Rect{0, 0, 1440, 900}));
    EXPECT_EQ(displays.displays()[0].visibleFrame, (Rect{0, 25, 1440, 875}));  // below the dock

    ProbeWindow probe = desktop->startProbe({.title = "R\u00e9sum\u00e9 \u2014 Editor"});
    const auto extents = desktop->cardinals(probe.window, "_NET_FRAME_EXTENTS");
    ASSERT_EQ(extents.size(), 4u);
    ASSERT_GT(extents[2], 0u) << "Openbox decorates the probe with a title bar";
    EXPECT_EQ(windows.frame(probe.window).value(), outerFrame(*desktop, probe.window));
    EXPECT_EQ(windows.frame(probe.window).value().height, 300 + extents[2] + extents[3]);
    EXPECT_TRUE(place(windows, probe.window, {10, 35, 705, 855}));
    EXPECT_EQ(outerFrame(*desktop, probe.window), (Rect{10, 35, 705, 855}));
    EXPECT_EQ(windows.title(probe.window), "R\u00e9sum\u00e9 \u2014 Editor");
    const AppRef app = windows.frontmostApp().value();
    EXPECT_EQ(app.pid, probe.process.pid());
    EXPECT_EQ(windows.focusedWindow(app).value(), probe.window);
    EXPECT_FALSE(windows.states(probe.window).value().minimized);
    EXPECT_TRUE(windows.settable(probe.window).value().size);

    // Plain configure requests land too.
    X11WindowSystem configuring(connection.get(), 0, {.forceConfigureRequests = true});
    EXPECT_TRUE(place(configuring, probe.window, {725, 35, 705, 855}));

    // A client-side shadow is not part of the frame.
    ProbeWindow shadowed = desktop->startProbe({.gtkExtents = 20});
    EXPECT_EQ(windows.frame(shadowed.window).value(), (Rect{120, 120, 360, 260}));
    EXPECT_TRUE(place(windows, shadowed.window, {10, 35, 705, 855}));
    EXPECT_EQ(desktop->clientGeometry(shadowed.window)->x, -10);
    EXPECT_EQ(desktop->clientGeometry(shadowed.window)->width, 745);

    // A maximized window is restored before it moves.
    ProbeWindow maximized = desktop->startProbe({.maximized = true});
    EXPECT_EQ(windows.frame(maximized.window).value(), (Rect{0, 25, 1440, 875}));
    EXPECT_TRUE(place(windows, maximized.window, {100, 100, 600, 400}));

    ProbeWindow fixed = desktop->startProbe({.fixedSize = true});
    EXPECT_FALSE(windows.settable(fixed.window).value().size);
    EXPECT_TRUE(windows.settable(fixed.window).value().position);
    ProbeWindow iconic = desktop->startProbe({.minimized = true});
    EXPECT_TRUE(windows.states(iconic.window).value().minimized);
    ProbeWindow full = desktop->startProbe({.fullscreen = true});
    EXPECT_TRUE(windows.states(full.window).value().fullscreen);
    EXPECT_FALSE(windows.states(full.window).value().minimized);
    // Minimized later through the window manager, as a taskbar would.
    ASSERT_EQ(desktop->run({"xdotool", "windowminimize", std::to_string(probe.window)}), 0);
    EXPECT_TRUE(waitUntil([&] { return windows.states(probe.window).value().minimized; }));

    // A panel the window manager does not manage, with the older four-value strut.
    ProbeWindow taskbar = desktop->startProbe({.x = 0, .y = 870, .width = 1440, .height = 30,
        .activate = false, .extraArgs = {"--panel-bottom", "30"}});
    EXPECT_EQ(displays.displays().at(0).visibleFrame, (Rect{0, 25, 1440, 845}));
    // An XSETTINGS manager asking for reduced motion.
    ProbeWindow xsettings = desktop->startProbe(
        {.activate = false, .extraArgs = {"--no-window", "--xsettings-animations", "0"}});
    EXPECT_TRUE(waitUntil([&] { return windows.reduceMotion(); }));

    // Windows of this process are never remembered as an app's focused window:
    // once another window is active, the app's window is not found again.
    X11WindowSystem own(connection.get(), 0, {.ownPid = full.process.pid()});
    const auto activate = [&](WindowId w) {
        return desktop->run({"xdotool", "windowactivate", "--sync", std::to_string(w)});
    };
    ASSERT_EQ(activate(full.window), 0);
    const AppRef fullApp = own.frontmostApp().value();
    ASSERT_EQ(fullApp.pid, full.process.pid());
    ASSERT_EQ(windows.frontmostApp()->pid, full.process.pid());
    ASSERT_EQ(activate(shadowed.window), 0);
    EXPECT_EQ(own.focusedWindow(fullApp).value(), std::nullopt);
    EXPECT_EQ(windows.focusedWindow(fullApp).value(), full.window);

    const WindowId gone = full.window;
    full.process.stop();
    ASSERT_TRUE(waitUntil([&] { return !desktop->windowExists(gone); }));
    const WindowError closed(WindowError::Kind::closed);
    EXPECT_EQ(windows.frame(gone).error(), closed);
    EXPECT_EQ(windows.states(gone).error(), closed);
    EXPECT_EQ(windows.settable(gone).error(), closed);
    EXPECT_EQ(windows.setSize(gone, 500, 400).error(), closed);
    EXPECT_EQ(windows.setPosition(gone, 10, 10).error(), closed);
    EXPECT_FALSE(windows.title(gone));

    // A server that goes away gives errors, not hangs.
    desktop.reset();
    EXPECT_FALSE(windows.isAvailable());
    EXPECT_EQ(windows.frame(probe.window).error(), WindowError(WindowError::Kind::permission));
    EXPECT_FALSE(windows.frontmostApp());
    EXPECT_TRUE(displays.displays().empty());
}

TEST(X11WindowSystemE2E, ListsBothMonitorsAndPlacesWindowsOnTheSecond) {
    if (!Desktop::xorgDummyAvailable()) GTEST_SKIP() << "Xorg with the dummy driver needs root";
    Desktop desktop(Desktop::twoMonitors());
    Connection connection(desktop.display());
    X11Displays displays(connection.get(), 0);
    EXPECT_EQ(displays.displays(),
              (std::vector<Display>{{"DUMMY0", {0, 0, 1440, 900}, {0, 25, 1440, 875}},
                                    {"DUMMY1", {1440, 0, 1280, 800}, {1440, 0, 1280, 800}}}));
    desktop.removeSecondMonitor();
    ASSERT_EQ(displays.displays().size(), 1u);
    desktop.addSecondMonitor();
    ASSERT_EQ(displays.displays().size(), 2u);
    X11WindowSystem windows(connection.get(), 0);
    ProbeWindow probe = desktop.startProbe();
    EXPECT_TRUE(place(windows, probe.window, {1440 + 640, 0, 640, 800}));
}

}  // namespace
}  // namespace corvane::platform
