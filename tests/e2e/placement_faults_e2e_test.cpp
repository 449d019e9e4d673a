// Faults in the middle of Corvane's work: the target window closing, the
// window manager dying and coming back, the X server dying and a monitor
// going away while a window is being placed. Each placement ends with a clear
// answer, Corvane keeps answering `--status`, and nothing stays on screen.
#include <gtest/gtest.h>
#include <signal.h>

#include <functional>
#include <future>
#include <set>
#include <string>
#include <thread>

#include "tests/e2e/grid_session.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;

// How far into a placement each fault strikes: before it starts, during the
// animated moves, and around its end.
const int faultDelaysMs[] = {0, 20, 60, 120, 250};

const std::string windowClosed = "That window has closed. Focus another window and try again.\n";
// Killed before Corvane looks for it, the window is not there to target at all.
const std::string noWindow = "Focus a window in another app, then open the grid.\n";
const std::string sizeNotice =
    "The window did not reach the selected size. It may have a minimum size or another resize "
    "restriction. You can undo this change.\n";
const std::string nothingToUndo = "There is nothing to undo.\n";
const std::string noWindowManager =
    "Corvane needs an X11 session with a standard window manager to move other apps\u2019 "
    "windows.\n";

AppSettings animated() {
    AppSettings settings;
    settings.animateWindows = true;  // a placement of many steps
    return settings;
}

// Runs `command` and, `delay` after it starts, `fault`; the command's outcome.
e2e::Outcome runWithFault(const e2e::CorvaneSession& session,
                          const std::vector<std::string>& command, std::chrono::milliseconds delay,
                          const std::function<void()>& fault) {
    auto placing = std::async(std::launch::async, [&] { return session.run(command); });
    std::this_thread::sleep_for(delay);
    fault();
    return placing.get();
}

// What a user is left with after a fault: an answer that says what happened,
// and a Corvane that answers, shows no preview and no stray grid.
void expectRecovered(const e2e::CorvaneSession& session, const e2e::Outcome& outcome,
                     const std::set<std::string>& failures) {
    EXPECT_NE(outcome.status, 124) << "the command hung\n" << session.log();
    if (outcome.status != 0) {
        EXPECT_EQ(outcome.status, outcome.err == sizeNotice ? 2 : 1) << outcome.err;
        EXPECT_TRUE(failures.contains(outcome.err)) << "unclear failure: " << outcome.err;
    }
    // With no window left to place, the grid opens to say so; it closes as usual.
    if (outcome.err == noWindow) {
        EXPECT_TRUE(e2e::waitUntil([&] { return session.panels().size() == 1; }));
        EXPECT_EQ(session.run({"--toggle-grid"}).status, 0);
        EXPECT_TRUE(e2e::waitUntil([&] { return session.panels().empty(); }));
    }
    const e2e::Outcome status = session.run({"--status"});
    EXPECT_EQ(status.status, 0) << session.log();
    EXPECT_NE(status.out.find("Grid: closed\n"), std::string::npos) << status.out;
    EXPECT_FALSE(session.preview());
    EXPECT_TRUE(session.panels().empty());
}

TEST(PlacementFaultsE2E, TheTargetWindowClosingAtAnyStepOfAPlacementOrUndo) {
    e2e::Desktop desktop(e2e::Desktop::Options{.dockHeight = 0});
    e2e::CorvaneSession session(desktop, animated());
    std::string why;
    ASSERT_TRUE(session.start(&why)) << why;
    const std::set<std::string> failures = {windowClosed, noWindow, nothingToUndo};

    for (const int delay : faultDelaysMs) {
        SCOPED_TRACE("placement, window closed after " + std::to_string(delay) + " ms");
        e2e::ProbeWindow probe = desktop.startProbe();
        const e2e::Outcome placed =
            runWithFault(session, {"--apply-layout", "Left half"}, std::chrono::milliseconds(delay),
                         [&] { probe.process.stop(); });
        expectRecovered(session, placed, failures);
    }
    for (const int delay : faultDelaysMs) {
        SCOPED_TRACE("undo, window closed after " + std::to_string(delay) + " ms");
        e2e::ProbeWindow probe = desktop.startProbe();
        ASSERT_EQ(session.run({"--apply-layout", "Left half"}).status, 0) << session.log();
        const e2e::Outcome undone = runWithFault(
            session, {"--undo"}, std::chrono::milliseconds(delay), [&] { probe.process.stop(); });
        expectRecovered(session, undone, failures);
    }
    // The next window is placed as if nothing had happened.
    e2e::ProbeWindow probe = desktop.startProbe();
    EXPECT_EQ(session.run({"--apply-layout", "Left half"}).status, 0) << session.log();
}

TEST(PlacementFaultsE2E, TheWindowManagerDyingDuringAPlacementOrWithTheGridOpen) {
    e2e::Desktop desktop(
        e2e::Desktop::Options{.windowManager = e2e::WindowManager::none, .dockHeight = 0});
    e2e::ChildProcess openbox;
    auto startOpenbox = [&] { openbox = desktop.spawnOpenbox(); };
    ASSERT_NO_FATAL_FAILURE(startOpenbox());
    e2e::CorvaneSession session(desktop, animated());
    std::string why;
    ASSERT_TRUE(session.start(&why)) << why;
    auto windowControl = [&](const std::string& line) {
        return e2e::waitUntil(
            [&] { return session.run({"--status"}).out.find(line + "\n") != std::string::npos; },
            5s);
    };
    e2e::ProbeWindow probe = desktop.startProbe();
    const std::set<std::string> failures = {noWindowManager, windowClosed, noWindow};

    for (const int delay : {10, 80, 200}) {
        SCOPED_TRACE("window manager killed after " + std::to_string(delay) + " ms");
        const std::string layout = delay == 80 ? "Right half" : "Left half";
        const e2e::Outcome placed =
            runWithFault(session, {"--apply-layout", layout}, std::chrono::milliseconds(delay),
                         [&] { kill(openbox.pid(), SIGKILL); });
        openbox.wait(2s);
        expectRecovered(session, placed, failures);
        EXPECT_TRUE(windowControl("Window control unavailable")) << session.log();
        ASSERT_NO_FATAL_FAILURE(startOpenbox());
        EXPECT_TRUE(windowControl("Window control available")) << session.log();
    }

    ASSERT_EQ(session.run({"--toggle-grid"}).status, 0);
    ASSERT_TRUE(e2e::waitUntil([&] { return session.panels().size() == 1; })) << session.log();
    openbox.stop();
    ASSERT_NO_FATAL_FAILURE(startOpenbox());
    EXPECT_TRUE(windowControl("Window control available")) << session.log();
    ASSERT_EQ(session.run({"--toggle-grid"}).status, 0);
    EXPECT_TRUE(e2e::waitUntil([&] { return session.panels().empty(); })) << session.log();
    EXPECT_EQ(session.run({"--apply-layout", "Left half"}).status, 0) << session.log();
    openbox.stop();
}

TEST(PlacementFaultsE2E, TheXServerDyingDuringAPlacementEndsCorvaneCleanly) {
    e2e::Desktop desktop(e2e::Desktop::Options{.dockHeight = 0});
    e2e::CorvaneSession session(desktop, animated());
    std::string why;
    ASSERT_TRUE(session.start(&why)) << why;
    e2e::ProbeWindow probe = desktop.startProbe();

    const e2e::Outcome placed = runWithFault(session, {"--apply-layout", "Left half"}, 60ms,
                                             [&] { kill(desktop.serverPid(), SIGKILL); });
    EXPECT_NE(placed.status, 124) << "the command hung\n" << session.log();
    const std::optional<int> status = session.process().wait(10s);
    ASSERT_TRUE(status) << "Corvane hangs without its X server\n" << session.log();
    EXPECT_EQ(*status, 1) << "128 + signal when it crashed\n" << session.log();
}

TEST(PlacementFaultsE2E, AMonitorGoingAwayDuringAPlacement) {
    e2e::Desktop desktop(e2e::Desktop::twoMonitors());
    e2e::CorvaneSession session(desktop, animated());
    std::string why;
    ASSERT_TRUE(session.start(&why)) << why;
    e2e::ProbeWindow probe = desktop.startProbe({.x = 1440 + 200, .y = 200});

    const e2e::Outcome placed = runWithFault(session, {"--apply-layout", "Left half"}, 40ms,
                                             [&] { desktop.removeSecondMonitor(); });
    // The frame it aimed at may no longer exist: the window stops short of it.
    expectRecovered(session, placed, {windowClosed, sizeNotice});
    // The window is placed on the monitor that is left.
    EXPECT_EQ(session.run({"--apply-layout", "Left half"}).status, 0) << session.log();
    const e2e::Box frame = e2e::outerFrame(desktop, probe.window);
    EXPECT_LT(frame.x + frame.width, 1440) << frame;
}

}  // namespace
}  // namespace corvane
