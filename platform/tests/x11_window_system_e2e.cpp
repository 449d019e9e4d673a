// The X11 layer against a real X server and window manager (Openbox), with
// probe windows standing in for other applications.

#include <gtest/gtest.h>

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
using Kind = WindowError::Kind;

class X11WindowSystemTest : public ::testing::Test {
protected:
    X11WindowSystemTest()
        : desktop_(std::make_unique<Desktop>()),
          connection_(desktop_->display()),
          windows_(connection_.get(), 0) {}

    Desktop& desktop() { return *desktop_; }

    // The outer frame as the harness sees it: client geometry plus Openbox's
    // decorations, minus the client's shadow.
    Rect expectedFrame(xcb_window_t window) {
        auto g = desktop().clientGeometry(window);
        auto f = desktop().cardinals(window, "_NET_FRAME_EXTENTS");
        auto s = desktop().cardinals(window, "_GTK_FRAME_EXTENTS");
        f.resize(4, 0), s.resize(4, 0);
        return Rect{double(g->x) - f[0] + s[0], double(g->y) - f[2] + s[2],
                    double(g->width) + f[0] + f[1] - s[0] - s[1],
                    double(g->height) + f[2] + f[3] - s[2] - s[3]};
    }

    // Writes size then position, as the resizer does, and waits for the frame
    // to settle on `target`.
    bool place(WindowId window, const Rect& target) {
        EXPECT_TRUE(windows_.setSize(window, target.width, target.height).ok());
        EXPECT_TRUE(windows_.setPosition(window, target.x, target.y).ok());
        return waitUntil([&] {
            auto frame = windows_.frame(window);
            return frame.ok() && frame.value() == target;
        });
    }

    std::unique_ptr<Desktop> desktop_;
    Connection connection_;
    X11WindowSystem windows_;
};

TEST_F(X11WindowSystemTest, ReadsTheOuterFrameWithOpenboxDecorations) {
    ASSERT_TRUE(windows_.isAvailable());
    ProbeOptions options;
    options.x = 200, options.y = 150, options.width = 500, options.height = 300;
    ProbeWindow probe = desktop().startProbe(options);
    auto extents = desktop().cardinals(probe.window, "_NET_FRAME_EXTENTS");
    ASSERT_EQ(extents.size(), 4u);
    ASSERT_GT(extents[2], 0u);

    auto frame = windows_.frame(probe.window);
    ASSERT_TRUE(frame.ok());
    EXPECT_EQ(frame.value(), expectedFrame(probe.window));
    EXPECT_EQ(frame.value().width, 500 + extents[0] + extents[1]);
    EXPECT_EQ(frame.value().height, 300 + extents[2] + extents[3]);
}

TEST_F(X11WindowSystemTest, WritesPutTheOuterFrameExactlyWhereAsked) {
    ProbeWindow probe = desktop().startProbe();
    const Rect left{10, 35, 705, 855};
    ASSERT_TRUE(place(probe.window, left)) << describe(windows_.frame(probe.window).value());
    // The client sits inside the decorations.
    auto f = desktop().cardinals(probe.window, "_NET_FRAME_EXTENTS");
    auto g = desktop().clientGeometry(probe.window);
    EXPECT_EQ(g->x, 10 + int(f[0]));
    EXPECT_EQ(g->y, 35 + int(f[2]));
    EXPECT_EQ(g->width, 705 - int(f[0] + f[1]));

    const Rect right{725, 35, 705, 855};
    EXPECT_TRUE(place(probe.window, right)) << describe(windows_.frame(probe.window).value());
}

TEST_F(X11WindowSystemTest, WritesWithPlainConfigureRequestsLandToo) {
    ProbeWindow probe = desktop().startProbe();
    X11WindowSystem::Options options;
    options.forceConfigureRequests = true;
    X11WindowSystem configuring(connection_.get(), 0, options);
    const Rect target{300, 200, 640, 480};
    ASSERT_TRUE(configuring.setSize(probe.window, target.width, target.height).ok());
    ASSERT_TRUE(configuring.setPosition(probe.window, target.x, target.y).ok());
    EXPECT_TRUE(waitUntil([&] { return windows_.frame(probe.window).value() == target; }))
        << describe(windows_.frame(probe.window).value());
}

TEST_F(X11WindowSystemTest, AMaximizedWindowIsRestoredBeforeItMoves) {
    ProbeOptions options;
    options.maximized = true;
    ProbeWindow probe = desktop().startProbe(options);
    ASSERT_EQ(windows_.frame(probe.window).value(), (Rect{0, 25, 1440, 875}));
    EXPECT_TRUE(place(probe.window, Rect{100, 100, 600, 400}))
        << describe(windows_.frame(probe.window).value());
    auto states = desktop().cardinals(probe.window, "_NET_WM_STATE");
    EXPECT_TRUE(std::find(states.begin(), states.end(),
                          desktop().atom("_NET_WM_STATE_MAXIMIZED_VERT")) == states.end());
}

TEST_F(X11WindowSystemTest, ClientSideShadowIsNotPartOfTheFrame) {
    ProbeOptions options;
    options.x = 100, options.y = 100, options.width = 400, options.height = 300;
    options.gtkExtents = 20;
    ProbeWindow probe = desktop().startProbe(options);
    EXPECT_EQ(windows_.frame(probe.window).value(), (Rect{120, 120, 360, 260}));

    const Rect target{10, 35, 705, 855};
    ASSERT_TRUE(place(probe.window, target)) << describe(windows_.frame(probe.window).value());
    auto g = desktop().clientGeometry(probe.window);
    EXPECT_EQ(g->x, -10);
    EXPECT_EQ(g->y, 15);
    EXPECT_EQ(g->width, 745);
    EXPECT_EQ(g->height, 895);
}

TEST_F(X11WindowSystemTest, DetectsFixedSizeFullScreenAndMinimizedWindows) {
    ProbeWindow normal = desktop().startProbe();
    EXPECT_FALSE(windows_.states(normal.window).value().fullscreen);
    EXPECT_FALSE(windows_.states(normal.window).value().minimized);
    EXPECT_TRUE(windows_.settable(normal.window).value().size);
    EXPECT_TRUE(windows_.settable(normal.window).value().position);

    ProbeOptions fixed;
    fixed.fixedSize = true;
    ProbeWindow fixedProbe = desktop().startProbe(fixed);
    EXPECT_FALSE(windows_.settable(fixedProbe.window).value().size);
    EXPECT_TRUE(windows_.settable(fixedProbe.window).value().position);

    ProbeOptions full;
    full.fullscreen = true;
    ProbeWindow fullProbe = desktop().startProbe(full);
    EXPECT_TRUE(windows_.states(fullProbe.window).value().fullscreen);

    ProbeOptions iconic;
    iconic.minimized = true;
    ProbeWindow iconicProbe = desktop().startProbe(iconic);
    EXPECT_TRUE(windows_.states(iconicProbe.window).value().minimized);
    EXPECT_FALSE(windows_.states(iconicProbe.window).value().fullscreen);

    // Minimized later through the window manager, as a taskbar would.
    ASSERT_EQ(desktop().run({"xdotool", "windowminimize", std::to_string(normal.window)}), 0);
    EXPECT_TRUE(waitUntil([&] { return windows_.states(normal.window).value().minimized; }));
}

TEST_F(X11WindowSystemTest, AWindowThatIsGoneGivesClosed) {
    ProbeWindow probe = desktop().startProbe();
    const WindowId window = probe.window;
    const AppRef app = windows_.frontmostApp().value();
    EXPECT_FALSE(windows_.isTerminated(app));
    probe.process.stop();
    ASSERT_TRUE(waitUntil([&] { return !desktop().windowExists(window); }));

    EXPECT_EQ(windows_.frame(window).error(), WindowError(Kind::closed));
    EXPECT_EQ(windows_.states(window).error(), WindowError(Kind::closed));
    EXPECT_EQ(windows_.settable(window).error(), WindowError(Kind::closed));
    EXPECT_EQ(windows_.setSize(window, 500, 400).error(), WindowError(Kind::closed));
    EXPECT_EQ(windows_.setPosition(window, 10, 10).error(), WindowError(Kind::closed));
    EXPECT_FALSE(windows_.title(window));
    EXPECT_TRUE(windows_.isTerminated(app));
    EXPECT_EQ(windows_.focusedWindow(app).value(), std::nullopt);
}

TEST_F(X11WindowSystemTest, TitlesPreferTheUtf8Name) {
    ProbeOptions modern;
    modern.title = "R\u00e9sum\u00e9 \u2014 Editor";
    ProbeWindow a = desktop().startProbe(modern);
    EXPECT_EQ(windows_.title(a.window), "R\u00e9sum\u00e9 \u2014 Editor");

    ProbeOptions legacy;
    legacy.title = "xterm";
    legacy.extraArgs = {"--legacy-title"};
    ProbeWindow b = desktop().startProbe(legacy);
    EXPECT_EQ(windows_.title(b.window), "xterm");
}

TEST_F(X11WindowSystemTest, FocusedWindowFallsBackToTheAppsMostRecentlyActiveWindow) {
    windows_.watchRoot();
    ProbeOptions first;
    first.title = "First";
    ProbeWindow a = desktop().startProbe(first);
    auto appA = windows_.frontmostApp();
    ASSERT_TRUE(appA);
    EXPECT_EQ(appA->pid, a.process.pid());
    EXPECT_EQ(appA->wmClass, "CorvaneProbe");
    EXPECT_EQ(appA->name, "CorvaneProbe");
    EXPECT_EQ(windows_.focusedWindow(*appA).value(), a.window);

    ProbeOptions second;
    second.title = "Second";
    ProbeWindow b = desktop().startProbe(second);
    // The activation reaches this connection as an event, as it reaches Qt's.
    xcb_flush(connection_.get());
    EXPECT_TRUE(waitUntil([&] {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection_.get())) {
            windows_.handleEvent(event);
            std::free(event);
        }
        auto appB = windows_.frontmostApp();
        return appB && appB->pid == b.process.pid();
    }));
    EXPECT_EQ(windows_.focusedWindow(*appA).value(), a.window);
    AppRef stranger;
    stranger.pid = 1;
    EXPECT_EQ(windows_.focusedWindow(stranger).value(), std::nullopt);
}

TEST_F(X11WindowSystemTest, WindowsOfThisProcessAreNeverRemembered) {
    ProbeWindow a = desktop().startProbe();
    X11WindowSystem::Options options;
    options.ownPid = a.process.pid();  // pretend the probe is Corvane
    X11WindowSystem corvane(connection_.get(), 0, options);
    auto app = corvane.frontmostApp();
    ASSERT_TRUE(app);
    ProbeWindow b = desktop().startProbe();
    EXPECT_EQ(corvane.focusedWindow(*app).value(), std::nullopt);
}

TEST_F(X11WindowSystemTest, ReduceMotionFollowsXSettings) {
    EXPECT_FALSE(windows_.reduceMotion());
    ProbeOptions manager;
    manager.activate = false;
    manager.extraArgs = {"--no-window", "--xsettings-animations", "0"};
    {
        ProbeWindow settings = desktop().startProbe(manager);
        EXPECT_TRUE(waitUntil([&] { return windows_.reduceMotion(); }));
    }
    manager.extraArgs = {"--no-window", "--xsettings-animations", "1"};
    ProbeWindow settings = desktop().startProbe(manager);
    EXPECT_TRUE(waitUntil([&] { return !windows_.reduceMotion(); }));
}

TEST_F(X11WindowSystemTest, VisibleFrameLeavesOutTheDockStrut) {
    X11Displays displays(connection_.get(), 0);
    auto list = displays.displays();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_FALSE(list[0].name.empty());
    EXPECT_EQ(list[0].frame, (Rect{0, 0, 1440, 900}));
    EXPECT_EQ(list[0].visibleFrame, (Rect{0, 25, 1440, 875}));

    // A panel the window manager does not manage, like IceWM's own taskbar,
    // with the older four-value strut.
    ProbeOptions panel;
    panel.x = 0, panel.y = 870, panel.width = 1440, panel.height = 30;
    panel.activate = false;
    panel.extraArgs = {"--panel-bottom", "30"};
    ProbeWindow taskbar = desktop().startProbe(panel);
    EXPECT_EQ(displays.displays().at(0).visibleFrame, (Rect{0, 25, 1440, 845}));
}

TEST_F(X11WindowSystemTest, AServerThatGoesAwayGivesErrorsNotHangs) {
    ProbeWindow probe = desktop().startProbe();
    const WindowId window = probe.window;
    X11Displays displays(connection_.get(), 0);
    probe.process.stop();
    desktop_.reset();

    EXPECT_FALSE(windows_.isAvailable());
    EXPECT_EQ(windows_.frame(window).error(), WindowError(Kind::permission));
    EXPECT_EQ(windows_.setSize(window, 10, 10).error(), WindowError(Kind::permission));
    EXPECT_FALSE(windows_.frontmostApp());
    EXPECT_TRUE(displays.displays().empty());
}

TEST(X11WindowSystemWithoutWindowManagerTest, IsNotAvailable) {
    Desktop::Options options;
    options.windowManager = false;
    options.dockHeight = 0;
    Desktop desktop(options);
    Connection connection(desktop.display());
    X11WindowSystem windows(connection.get(), 0);
    EXPECT_FALSE(windows.isAvailable());
}

TEST(X11TwoMonitors, ListsBothMonitorsWithTheirVisibleFrames) {
    if (!Desktop::xorgDummyAvailable()) GTEST_SKIP() << "Xorg with the dummy driver needs root";
    Desktop desktop(Desktop::twoMonitors());
    Connection connection(desktop.display());
    X11Displays displays(connection.get(), 0);

    auto list = displays.displays();
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0], (Display{"DUMMY0", Rect{0, 0, 1440, 900}, Rect{0, 25, 1440, 875}}));
    EXPECT_EQ(list[1], (Display{"DUMMY1", Rect{1440, 0, 1280, 800}, Rect{1440, 0, 1280, 800}}));

    desktop.removeSecondMonitor();
    list = displays.displays();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].visibleFrame, (Rect{0, 25, 1440, 875}));

    // A window on the second monitor goes where asked there too.
    desktop.addSecondMonitor();
    X11WindowSystem windows(connection.get(), 0);
    ProbeWindow probe = desktop.startProbe();
    const Rect target{1440 + 640, 0, 640, 800};
    ASSERT_TRUE(windows.setSize(probe.window, target.width, target.height).ok());
    ASSERT_TRUE(windows.setPosition(probe.window, target.x, target.y).ok());
    EXPECT_TRUE(waitUntil([&] { return windows.frame(probe.window).value() == target; }))
        << describe(windows.frame(probe.window).value());
}

}  // namespace
}  // namespace corvane::platform
