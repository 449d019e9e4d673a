// Corvane on a desktop that changes under it: the settings window in the way
// of the grid, the window manager ending and coming back, the X server going away.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <thread>

#include "tests/e2e/grid_session.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;

TEST(RobustnessE2E, CorvaneWeathersTheSettingsWindowTheWindowManagerAndTheXServerGoing) {
    e2e::Desktop::Options options;
    options.windowManager =
        e2e::WindowManager::none;  // the test runs Openbox itself, to stop and restart it
    options.dockHeight = 0;
    e2e::Desktop desktop(options);
    e2e::ChildProcess openbox;
    auto startOpenbox = [&] { openbox = desktop.spawnOpenbox(); };
    ASSERT_NO_FATAL_FAILURE(startOpenbox());
    AppSettings settings;
    settings.animateWindows = false;
    e2e::CorvaneSession session(desktop, settings);  // stopped before the desktop
    std::string why;
    ASSERT_TRUE(session.start(&why)) << why;
    auto statusSays = [&](const std::string& line) {
        return e2e::waitUntil(
            [&] { return session.run({"--status"}).out.find(line + "\n") != std::string::npos; },
            5s);
    };
    e2e::ProbeWindow probe = desktop.startProbe();

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE("settings window, round " + std::to_string(round));
        ASSERT_EQ(session.run({"--settings"}).status, 0);
        ASSERT_TRUE(e2e::waitUntil([&] {
            const auto active = desktop.activeWindow();
            return active && session.title(*active) == "Corvane Settings";
        })) << session.log();
        // Hiding the settings window hands the keyboard to the probe for a
        // moment: that is no click elsewhere, and the grid stays open.
        ASSERT_EQ(session.run({"--toggle-grid"}).status, 0);
        EXPECT_TRUE(e2e::waitUntil([&] {
            return session.panels().size() == 1 && desktop.activeWindow() == session.panels()[0];
        })) << session.log();
        std::this_thread::sleep_for(400ms);
        ASSERT_EQ(session.panels().size(), 1u) << session.log();
        EXPECT_EQ(desktop.activeWindow(), session.panels()[0]);
        EXPECT_TRUE(session.windowsTitled("Corvane Settings").empty());
        e2e::pressKeys(desktop, "Escape");
        ASSERT_TRUE(e2e::waitUntil([&] { return session.panels().empty(); }));
        EXPECT_TRUE(e2e::waitUntil([&] { return desktop.activeWindow() == probe.window; }));
    }

    openbox.stop();
    EXPECT_TRUE(statusSays("Window control unavailable")) << session.log();
    const e2e::Outcome refused = session.run({"--apply-layout", "Left half"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "Corvane needs an X11 session with a standard window manager to move other "
              "apps\u2019 windows.\n");
    // The grid still opens, to say what is wrong.
    EXPECT_EQ(session.run({"--toggle-grid"}).status, 0);
    EXPECT_TRUE(statusSays("Grid: open on 1 display"));
    EXPECT_EQ(session.run({"--toggle-grid"}).status, 0);

    ASSERT_NO_FATAL_FAILURE(startOpenbox());
    EXPECT_TRUE(statusSays("Window control available")) << session.log();
    const e2e::Outcome placed = session.run({"--apply-layout", "Left half"});
    EXPECT_EQ(placed.status, 0) << placed.err;
    const auto area = desktop.cardinals(desktop.root(), "_NET_WORKAREA");
    ASSERT_GE(area.size(), 4u);
    EXPECT_EQ(e2e::outerFrame(desktop, probe.window),
              (e2e::Box{int(area[0]), int(area[1]), int(area[2]) / 2, int(area[3])}));

    // The grid open when the X server dies: a plain exit, not a crash or a hang.
    ASSERT_EQ(session.run({"--toggle-grid"}).status, 0);
    ASSERT_TRUE(statusSays("Grid: open on 1 display"));
    ASSERT_EQ(kill(desktop.serverPid(), SIGKILL), 0);
    const std::optional<int> status = session.process().wait(10s);
    ASSERT_TRUE(status) << "Corvane hangs without its X server\n" << session.log();
    EXPECT_EQ(*status, 1) << "128 + signal when it crashed\n" << session.log();
    openbox.stop();
}

}  // namespace
}  // namespace corvane
