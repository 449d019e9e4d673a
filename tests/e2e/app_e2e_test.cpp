// Corvane itself on a private desktop (Xvfb, Openbox, a dock, a system tray):
// a global shortcut pressed through XTest, the scripting commands, one instance
// per user, what a user sees when a shortcut is taken, a crash and a quit.
#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <sstream>
#include <thread>

#include "tests/e2e/grid_session.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using e2e::Box;

using Connection = std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)>;

// Whether `client` can grab Ctrl+Alt+Super with `keycode`, as another hot key tool would.
bool grab(const Connection& client, xcb_keycode_t keycode) {
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(client.get())).data;
    xcb_generic_error_t* error = xcb_request_check(
        client.get(), xcb_grab_key_checked(client.get(), 1, screen->root,
                                           XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4,
                                           keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    std::free(error);
    return error == nullptr;
}

// Whether a mapped window of process `pid` sits somewhere inside trayer's windows.
bool trayShowsIconOf(const e2e::Desktop& desktop, pid_t pid, xcb_window_t window, bool inTray) {
    xcb_connection_t* c = desktop.connection();
    auto attributes =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, window), nullptr);
    const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(attributes);
    const auto owner = desktop.cardinals(window, "_NET_WM_PID");
    if (inTray && viewable && !owner.empty() && pid_t(owner[0]) == pid) return true;
    auto cls = xcb_get_property_reply(
        c, xcb_get_property(c, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64), nullptr);
    if (cls) {
        const std::string text(static_cast<const char*>(xcb_get_property_value(cls)),
                               std::size_t(xcb_get_property_value_length(cls)));
        inTray = inTray || text.find("trayer") != std::string::npos;
        std::free(cls);
    }
    auto tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
    if (!tree) return false;
    const std::vector<xcb_window_t> children(
        xcb_query_tree_children(tree),
        xcb_query_tree_children(tree) + xcb_query_tree_children_length(tree));
    std::free(tree);
    return std::any_of(children.begin(), children.end(), [&](xcb_window_t child) {
        return trayShowsIconOf(desktop, pid, child, inTray);
    });
}

TEST(AppE2E, ShortcutsScriptsTheTrayAndOneInstanceOnARealDesktop) {
    e2e::Desktop desktop;
    // A system tray, when scripts/deps.sh has installed trayer.
    const bool haveTray = std::system("command -v trayer >/dev/null 2>&1") == 0;
    e2e::ChildProcess tray;
    if (haveTray)
        tray = desktop.spawn({"trayer", "--edge", "bottom", "--SetPartialStrut", "false",
                              "--widthtype", "request", "--height", "24"});
    // Another client holds the activation shortcut, Ctrl+Alt+Super+T.
    const Connection other(xcb_connect(desktop.display().c_str(), nullptr), &xcb_disconnect);
    ASSERT_TRUE(grab(other, 28));
    const AppSettings settings = e2e::leftHalfOnShortcut();
    e2e::CorvaneSession corvane(desktop, settings, CORVANE_APP_PATH);  // stopped before the tray
    std::string why;
    ASSERT_TRUE(corvane.start(&why)) << why;
    EXPECT_NE(corvane.run({"--status"})
                  .out.find("Shortcut warnings:\n  Ctrl+Alt+Super+T is in use by another app. "
                            "Choose another activation shortcut.\n"),
              std::string::npos);
    if (haveTray) {
        EXPECT_TRUE(e2e::waitUntil(
            [&] { return trayShowsIconOf(desktop, corvane.pid(), desktop.root(), false); }, 10s))
            << "no icon in the tray";
    }

    // The global shortcut places the focused window exactly; the scripts undo and apply.
    const e2e::ProbeWindow probe = desktop.startProbe();
    auto frame = [&](xcb_window_t window) { return e2e::outerFrame(desktop, window); };
    auto half = [&](bool right) {
        auto a = desktop.cardinals(desktop.root(), "_NET_WORKAREA");
        a.resize(4, 0);
        const int left = int(a[2]) / 2;
        return Box{int(a[0]) + (right ? left : 0), int(a[1]), right ? int(a[2]) - left : left,
                   int(a[3])};
    };
    const Box start = frame(probe.window);
    e2e::pressKeys(desktop, "ctrl+alt+super+l");
    EXPECT_TRUE(e2e::waitUntil([&] { return frame(probe.window) == half(false); }, 5s))
        << frame(probe.window) << "\n"
        << corvane.log();
    EXPECT_TRUE(e2e::waitUntil([&] {
        return corvane.log().find("exact=true") != std::string::npos;
    })) << corvane.log();
    const e2e::Outcome undo = corvane.run({"--undo"});
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(frame(probe.window), start) << "the answer comes once the window is back";
    const e2e::Outcome apply = corvane.run({"--apply-layout", "Right half"});
    EXPECT_EQ(apply.status, 0) << apply.err;
    EXPECT_EQ(frame(probe.window), half(true));

    // A window with a minimum size is placed, but reported as not exact.
    e2e::ProbeOptions wide;
    wide.minSize = std::make_pair(900, 300);
    const e2e::ProbeWindow stiff = desktop.startProbe(wide);
    const e2e::Outcome inexact = corvane.run({"--apply-layout", "Left half"});
    EXPECT_EQ(inexact.status, 2);
    EXPECT_EQ(inexact.err,
              "The window did not reach the selected size. It may have a minimum size or another "
              "resize restriction. You can undo this change.\n");
    EXPECT_GE(frame(stiff.window).width, 900);

    // A second launch asks the running instance to open the grid, and ends.
    const e2e::Outcome second = corvane.run({});
    EXPECT_EQ(second.status, 0) << second.err;
    const e2e::Outcome status = corvane.run({"--status"});
    EXPECT_NE(status.out.find("(process " + std::to_string(corvane.pid()) + ")"),
              std::string::npos);
    EXPECT_NE(status.out.find("Grid: open on 1 display\n"), std::string::npos) << status.out;
    ASSERT_TRUE(e2e::waitUntil([&] { return corvane.isActive(); })) << "the grid has the keyboard";
    // The grid is on every workspace, above other windows, outside the taskbar.
    const xcb_window_t panel = *desktop.activeWindow();
    EXPECT_EQ(desktop.cardinals(panel, "_NET_WM_DESKTOP"), std::vector<std::uint32_t>{0xFFFFFFFF});
    const auto states = desktop.cardinals(panel, "_NET_WM_STATE");
    for (const char* state : {"_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR"})
        EXPECT_EQ(std::count(states.begin(), states.end(), desktop.atom(state)), 1) << state;
    // A click on another window closes the grid, and nothing takes the keyboard back from it.
    ASSERT_EQ(desktop.run({"xdotool", "windowactivate", std::to_string(probe.window)}), 0);
    EXPECT_TRUE(e2e::waitUntil([&] { return corvane.panels().empty(); })) << corvane.log();
    std::this_thread::sleep_for(400ms);
    EXPECT_EQ(desktop.activeWindow(), std::optional<xcb_window_t>(probe.window));

    // Killed without a chance to clean up, it starts again; a quit ends it.
    ASSERT_EQ(kill(corvane.pid(), SIGKILL), 0);
    corvane.process().wait(5s);
    ASSERT_TRUE(corvane.start(&why)) << why;
    EXPECT_EQ(corvane.run({"--quit"}).status, 0);
    EXPECT_EQ(corvane.process().wait(10s), 0);
    const e2e::Outcome none = corvane.run({"--status"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, "Corvane is not running. Start it with \u201ccorvane\u201d first.\n");
}

// A script that undoes right after a placement, while the window is still on
// its way, gets the window back where it was: the undo waits for the placement.
TEST(AppE2E, AnUndoSentWhileAPlacementSettlesWaitsForIt) {
    e2e::Desktop desktop;
    AppSettings settings;
    for (SavedLayout& layout : settings.layouts) {
        if (layout.name != "Left half") continue;
        layout.shortcut = KeyCombo{37, KeyCombo::ctrl | KeyCombo::alt | KeyCombo::super, "L"};
        layout.isGlobal = true;
    }
    settings.animateWindows = true;  // the placement takes a while: the undo meets it in flight
    e2e::CorvaneSession corvane(desktop, settings, CORVANE_APP_PATH);
    std::string why;
    ASSERT_TRUE(corvane.start(&why)) << why;
    const e2e::ProbeWindow probe = desktop.startProbe();
    const Box start = e2e::outerFrame(desktop, probe.window);

    e2e::pressKeys(desktop, "ctrl+alt+super+l");
    ASSERT_TRUE(e2e::waitUntil([&] { return e2e::outerFrame(desktop, probe.window) != start; }, 5s))
        << corvane.log();
    const e2e::Outcome undo = corvane.run({"--undo"});
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(e2e::outerFrame(desktop, probe.window), start) << corvane.log();
}

// Every thread's voluntary context switches: how often the process woke up.
long wakeUps(pid_t pid) {
    long total = 0;
    const std::filesystem::path tasks = "/proc/" + std::to_string(pid) + "/task";
    for (const auto& task : std::filesystem::directory_iterator(tasks)) {
        std::istringstream status(e2e::readFile(task.path() / "status"));
        for (std::string line; std::getline(status, line);) {
            if (line.rfind("voluntary_ctxt_switches:", 0) == 0) total += std::stol(line.substr(24));
        }
    }
    return total;
}

// With the grid closed and nothing happening, Corvane sleeps: no poll, no
// timer, not even while its tray icon waits for a tray to start.
TEST(AppE2E, IdleCorvaneDoesNotWakeUp) {
    e2e::Desktop desktop;
    e2e::CorvaneSession corvane(desktop, AppSettings{}, CORVANE_APP_PATH);
    std::string why;
    ASSERT_TRUE(corvane.start(&why)) << why;
    std::this_thread::sleep_for(1500ms);  // past the start and its one-off work
    const long before = wakeUps(corvane.pid());
    std::this_thread::sleep_for(4s);
    const long woke = wakeUps(corvane.pid()) - before;
    EXPECT_LE(woke, 1) << "Corvane woke " << woke << " times in 4 s of idleness";
}

// A tray that starts after Corvane (a session still coming up) gets the icon
// as soon as it announces itself.
TEST(AppE2E, TheIconDocksInATrayThatStartsLater) {
    e2e::Desktop desktop;
    e2e::CorvaneSession corvane(desktop, AppSettings{}, CORVANE_APP_PATH);
    std::string why;
    ASSERT_TRUE(corvane.start(&why)) << why;
    EXPECT_NE(corvane.run({"--status"}).out.find("Tray icon: waiting for a system tray"),
              std::string::npos);
    std::this_thread::sleep_for(1s);
    e2e::ChildProcess tray = desktop.spawn({"trayer", "--edge", "bottom", "--SetPartialStrut",
                                            "false", "--widthtype", "request", "--height", "24"});
    EXPECT_TRUE(e2e::waitUntil(
        [&] { return trayShowsIconOf(desktop, corvane.pid(), desktop.root(), false); }, 10s))
        << "no icon in the tray";
    corvane.process().stop();  // before the tray
}

}  // namespace
}  // namespace corvane
