// Corvane itself on a private desktop (Xvfb, Openbox, a dock, a system tray):
// global shortcuts pressed through XTest, the scripting commands, one instance
// per user, and what a user sees when a shortcut is taken.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

#include "core/app_settings.h"
#include "core/settings_codec.h"
#include "tests/e2e/harness/desktop.h"

#ifndef CORVANE_APP_PATH
#error "CORVANE_APP_PATH must name the corvane executable"
#endif

namespace corvane {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

constexpr std::uint16_t keyL = 37;
constexpr std::uint32_t ctrlAltSuper = KeyCombo::command | KeyCombo::option | KeyCombo::control;
constexpr xcb_keycode_t xKeycodeT = 28;
constexpr xcb_keycode_t xKeycodeL = 46;
constexpr auto xCtrlAltSuper =
    static_cast<std::uint16_t>(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4);

struct Frame {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Frame&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Frame& f) {
    return out << "(" << f.x << ", " << f.y << ", " << f.width << ", " << f.height << ")";
}

using Connection = std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)>;

struct Outcome {
    int status = -1;
    std::string out;
    std::string err;
};

bool haveTray() {
    return std::system("command -v trayer >/dev/null 2>&1") == 0;
}

class AppE2E : public ::testing::Test {
protected:
    AppE2E() {
        fs::create_directories(home());
        fs::create_directories(runtime());
        fs::permissions(runtime(), fs::perms::owner_all, fs::perm_options::replace);
    }

    fs::path home() const { return desktop.tempDir() / "home"; }
    fs::path runtime() const { return desktop.tempDir() / "runtime"; }
    fs::path settingsFile() const {
        return desktop.tempDir() / "config" / "corvane" / "settings.json";
    }

    std::vector<std::string> environment() const {
        std::vector<std::string> env = desktop.environment();
        env.push_back("HOME=" + home().string());
        env.push_back("XDG_RUNTIME_DIR=" + runtime().string());
        // No session bus: the tray icon takes the XEmbed road, and nothing starts a bus.
        env.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" +
                      (desktop.tempDir() / "no-bus").string());
        return env;
    }

    // The starter layouts, "Left half" made global on Ctrl+Alt+Super+L.
    void writeSettings(const std::function<void(AppSettings&)>& change = {}) {
        AppSettings settings;
        for (SavedLayout& layout : settings.layouts) {
            if (layout.name != "Left half") continue;
            layout.shortcut = KeyCombo{keyL, ctrlAltSuper, "L"};
            layout.isGlobal = true;
        }
        settings.animateWindows = false;
        if (change) change(settings);
        fs::create_directories(settingsFile().parent_path());
        std::ofstream(settingsFile()) << SettingsCodec::encode(settings);
    }

    void startTray() {
        tray = desktop.spawn({"trayer", "--edge", "bottom", "--SetPartialStrut", "false",
                              "--widthtype", "request", "--height", "24"});
        ASSERT_TRUE(e2e::waitUntil([&] { return trayOwner() != XCB_NONE; }, 10s))
            << "the tray did not start";
    }
    xcb_window_t trayOwner() const {
        xcb_connection_t* c = desktop.connection();
        auto reply = xcb_get_selection_owner_reply(
            c, xcb_get_selection_owner(c, desktop.atom("_NET_SYSTEM_TRAY_S0")), nullptr);
        xcb_window_t owner = reply ? reply->owner : XCB_NONE;
        std::free(reply);
        return owner;
    }

    // Starts Corvane and waits until it answers.
    void startCorvane() {
        e2e::ChildProcess::Options options;
        options.argv = {CORVANE_APP_PATH, "--diagnostics"};
        options.env = environment();
        options.outputFile = (desktop.tempDir() / "corvane.log").string();
        corvane = e2e::ChildProcess(options);
        ASSERT_TRUE(e2e::waitUntil([&] { return run({"--status"}).status == 0; }, 15s))
            << "Corvane did not come up:\n"
            << log();
        // A first launch opens the grid a quarter of a second after the start;
        // these tests start with it closed.
        std::this_thread::sleep_for(500ms);
        if (run({"--status"}).out.find("Grid: closed") == std::string::npos) {
            ASSERT_EQ(run({"--toggle-grid"}).status, 0);
        }
    }

    Outcome run(const std::vector<std::string>& arguments,
                std::chrono::milliseconds timeout = 30s) const {
        const fs::path errors = desktop.tempDir() / "stderr.txt";
        std::vector<std::string> argv = {
            "/bin/sh", "-c", "exec \"$0\" \"$@\" 2>\"$CORVANE_TEST_STDERR\"", CORVANE_APP_PATH};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        std::vector<std::string> env = environment();
        env.push_back("CORVANE_TEST_STDERR=" + errors.string());
        Outcome result;
        result.status = e2e::runCommand(argv, env, &result.out, timeout);
        std::ifstream in(errors);
        result.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return result;
    }

    std::string log() const {
        std::ifstream in(desktop.tempDir() / "corvane.log");
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }

    // The window's outer frame, decorations included, as Corvane tiles it.
    Frame frameOf(xcb_window_t window) const {
        const auto client = desktop.clientGeometry(window);
        if (!client) return {};
        auto extents = desktop.cardinals(window, "_NET_FRAME_EXTENTS");
        extents.resize(4, 0);
        const int left = int(extents[0]), right = int(extents[1]), top = int(extents[2]),
                  bottom = int(extents[3]);
        return {client->x - left, client->y - top, client->width + left + right,
                client->height + top + bottom};
    }

    Frame workArea() const {
        auto area = desktop.cardinals(desktop.root(), "_NET_WORKAREA");
        area.resize(4, 0);
        return {int(area[0]), int(area[1]), int(area[2]), int(area[3])};
    }
    Frame leftHalf() const {
        const Frame a = workArea();
        return {a.x, a.y, a.width / 2, a.height};
    }
    Frame rightHalf() const {
        const Frame a = workArea();
        return {a.x + a.width / 2, a.y, a.width - a.width / 2, a.height};
    }

    bool reaches(xcb_window_t window, const Frame& frame) const {
        return e2e::waitUntil([&] { return frameOf(window) == frame; }, 5s);
    }

    // One of Corvane's windows has the keyboard.
    bool corvaneIsActive() const {
        auto active = desktop.activeWindow();
        if (!active) return false;
        auto pid = desktop.cardinals(*active, "_NET_WM_PID");
        return !pid.empty() && pid_t(pid[0]) == corvane.pid();
    }

    void press(const std::string& keys) { ASSERT_EQ(desktop.run({"xdotool", "key", keys}), 0); }

    // Another client grabs a combination on the root, as another hot key tool would.
    bool grabElsewhere(xcb_connection_t* client, xcb_keycode_t key) {
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(client)).data;
        xcb_generic_error_t* error = xcb_request_check(
            client, xcb_grab_key_checked(client, 1, screen->root, xCtrlAltSuper, key,
                                         XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(error);
        return error == nullptr;
    }

    // Whether a window of process `pid` sits, mapped, inside the tray.
    bool trayShowsIconOf(pid_t pid) const {
        std::function<bool(xcb_window_t, bool)> search = [&](xcb_window_t window,
                                                             bool inTray) -> bool {
            xcb_connection_t* c = desktop.connection();
            if (inTray) {
                auto owner = desktop.cardinals(window, "_NET_WM_PID");
                auto attributes = xcb_get_window_attributes_reply(
                    c, xcb_get_window_attributes(c, window), nullptr);
                const bool viewable = attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
                std::free(attributes);
                if (viewable && !owner.empty() && pid_t(owner[0]) == pid) return true;
            }
            auto cls = xcb_get_property_reply(
                c, xcb_get_property(c, 0, window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 0, 64),
                nullptr);
            if (cls) {
                std::string text(static_cast<const char*>(xcb_get_property_value(cls)),
                                 std::size_t(xcb_get_property_value_length(cls)));
                std::free(cls);
                inTray = inTray || text.find("trayer") != std::string::npos;
            }
            auto tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
            if (!tree) return false;
            std::vector<xcb_window_t> children(
                xcb_query_tree_children(tree),
                xcb_query_tree_children(tree) + xcb_query_tree_children_length(tree));
            std::free(tree);
            for (xcb_window_t child : children) {
                if (search(child, inTray)) return true;
            }
            return false;
        };
        return search(desktop.root(), false);
    }

    e2e::Desktop desktop;
    e2e::ChildProcess tray;
    e2e::ChildProcess corvane;  // stopped first, before the tray and the desktop
};

TEST_F(AppE2E, AGlobalShortcutPlacesTheFocusedWindowExactlyAndScriptsUndoAndApply) {
    writeSettings();
    ASSERT_NO_FATAL_FAILURE(startCorvane());
    e2e::ProbeOptions options;
    options.title = "Probe";
    e2e::ProbeWindow probe = desktop.startProbe(options);
    const Frame start = frameOf(probe.window);

    press("ctrl+alt+super+l");
    EXPECT_TRUE(reaches(probe.window, leftHalf()))
        << frameOf(probe.window) << " not " << leftHalf() << "\n"
        << log();
    // Corvane answers once it has verified the window, a moment after it got there.
    EXPECT_TRUE(e2e::waitUntil([&] { return log().find("exact=true") != std::string::npos; }))
        << log();

    Outcome undo = run({"--undo"});
    EXPECT_EQ(undo.status, 0) << undo.err;
    EXPECT_EQ(frameOf(probe.window), start) << "the answer comes once the window is back";

    Outcome apply = run({"--apply-layout", "Right half"});
    EXPECT_EQ(apply.status, 0) << apply.err;
    EXPECT_EQ(frameOf(probe.window), rightHalf());

    Outcome unknown = run({"--apply-layout", "Nope"});
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.err, "No saved layout is named \u201cNope\u201d.\n");
    EXPECT_EQ(frameOf(probe.window), rightHalf());

    Outcome list = run({"--list-layouts"});
    EXPECT_EQ(list.status, 0);
    EXPECT_NE(list.out.find("Left half\tCtrl+Alt+Super+L\tglobal\n"), std::string::npos)
        << list.out;
    EXPECT_NE(list.out.find("Right half\tR\tgrid only\n"), std::string::npos) << list.out;
}

TEST_F(AppE2E, AWindowWithAMinimumSizeIsPlacedButReportedAsNotExact) {
    writeSettings();
    ASSERT_NO_FATAL_FAILURE(startCorvane());
    e2e::ProbeOptions options;
    options.minSize = std::make_pair(900, 300);
    e2e::ProbeWindow probe = desktop.startProbe(options);

    Outcome apply = run({"--apply-layout", "Left half"});
    EXPECT_EQ(apply.status, 2);
    EXPECT_EQ(
        apply.err,
        "The window did not reach the selected size. It may have a minimum size or another resize "
        "restriction. You can undo this change.\n");
    EXPECT_GE(frameOf(probe.window).width, 900);
    EXPECT_EQ(run({"--undo"}).status, 0);
}

TEST_F(AppE2E, ATakenActivationShortcutWarnsAndBringsBackTheTrayIcon) {
    if (!haveTray()) GTEST_SKIP() << "trayer is not installed (scripts/deps.sh installs it)";
    writeSettings([](AppSettings& settings) { settings.showMenuBarIcon = false; });
    ASSERT_NO_FATAL_FAILURE(startTray());
    Connection other(xcb_connect(desktop.display().c_str(), nullptr), &xcb_disconnect);
    ASSERT_TRUE(grabElsewhere(other.get(), xKeycodeT));

    ASSERT_NO_FATAL_FAILURE(startCorvane());
    const Outcome status = run({"--status"});
    EXPECT_NE(status.out.find(
                  "Shortcut warnings:\n  Ctrl+Alt+Super+T is in use by another app. Choose another "
                  "activation shortcut.\n"),
              std::string::npos)
        << status.out;
    EXPECT_TRUE(e2e::waitUntil(
        [&] { return run({"--status"}).out.find("Tray icon: shown\n") != std::string::npos; }, 10s))
        << run({"--status"}).out;
    EXPECT_TRUE(e2e::waitUntil([&] { return trayShowsIconOf(corvane.pid()); }, 10s))
        << "no icon in the tray";
}

TEST_F(AppE2E, ASecondLaunchWakesTheRunningInstanceAndEnds) {
    writeSettings();
    ASSERT_NO_FATAL_FAILURE(startCorvane());
    const Outcome second = run({}, 10s);
    EXPECT_EQ(second.status, 0) << second.err;
    EXPECT_TRUE(corvane.running());
    const Outcome status = run({"--status"});
    EXPECT_NE(status.out.find("(process " + std::to_string(corvane.pid()) + ")"), std::string::npos)
        << status.out;
    // It asked the running one to open the grid, which took the keyboard.
    EXPECT_NE(status.out.find("Grid: open on 1 display\n"), std::string::npos) << status.out;
    EXPECT_TRUE(e2e::waitUntil([&] { return corvaneIsActive(); }));
    // The grid is on every workspace, above other windows, outside the taskbar.
    const xcb_window_t panel = *desktop.activeWindow();
    EXPECT_EQ(desktop.cardinals(panel, "_NET_WM_DESKTOP"), std::vector<std::uint32_t>{0xFFFFFFFF});
    const auto states = desktop.cardinals(panel, "_NET_WM_STATE");
    for (const char* state :
         {"_NET_WM_STATE_ABOVE", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER"}) {
        EXPECT_NE(std::find(states.begin(), states.end(), desktop.atom(state)), states.end())
            << state;
    }
}

TEST_F(AppE2E, ClickingAnotherWindowClosesTheGrid) {
    writeSettings();
    ASSERT_NO_FATAL_FAILURE(startCorvane());
    e2e::ProbeWindow probe = desktop.startProbe();
    ASSERT_EQ(run({"--toggle-grid"}).status, 0);
    ASSERT_TRUE(e2e::waitUntil([&] { return corvaneIsActive(); }));

    ASSERT_EQ(desktop.run({"xdotool", "windowactivate", std::to_string(probe.window)}), 0);
    EXPECT_TRUE(e2e::waitUntil([&] {
        return run({"--status"}).out.find("Grid: closed") != std::string::npos;
    })) << run({"--status"}).out
        << log();
    // The grid's keyboard request was granted before the click: nothing takes
    // the keyboard back from the window the user chose.
    std::this_thread::sleep_for(400ms);
    EXPECT_EQ(desktop.activeWindow(), std::optional<xcb_window_t>(probe.window));
}

TEST_F(AppE2E, QuitReleasesEverythingAndACrashLeavesNothingInTheWay) {
    writeSettings();
    ASSERT_NO_FATAL_FAILURE(startCorvane());
    EXPECT_EQ(run({"--quit"}).status, 0);
    EXPECT_EQ(corvane.wait(10s), 0);

    const Outcome none = run({"--status"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err, "Corvane is not running. Start it with \u201ccorvane\u201d first.\n");
    // Its hot keys went with it.
    Connection other(xcb_connect(desktop.display().c_str(), nullptr), &xcb_disconnect);
    EXPECT_TRUE(grabElsewhere(other.get(), xKeycodeL));

    // Killed without a chance to clean up: the next start still works.
    ASSERT_NO_FATAL_FAILURE(startCorvane());
    ASSERT_EQ(kill(corvane.pid(), SIGKILL), 0);
    corvane.wait(5s);
    ASSERT_NO_FATAL_FAILURE(startCorvane());
    EXPECT_EQ(run({"--status"}).status, 0);
}

TEST_F(AppE2E, OptionsThatCannotWorkSaySoAndFail) {
    const Outcome smoke = run({"--smoke-test"});
    EXPECT_EQ(smoke.status, 1);
    EXPECT_EQ(smoke.err, "--smoke-test is not available in this version of Corvane yet.\n");
    const Outcome render = run({"--render-previews", (desktop.tempDir() / "previews").string()});
    EXPECT_EQ(render.status, 1);
    EXPECT_EQ(render.err, "--render-previews is not available in this version of Corvane yet.\n");
    EXPECT_FALSE(fs::exists(desktop.tempDir() / "previews"));
    const Outcome typo = run({"--staus"});
    EXPECT_EQ(typo.status, 1);
    EXPECT_EQ(
        typo.err,
        "Unknown option \u201c--staus\u201d. Run \u201ccorvane --help\u201d for the options.\n");

    // A display that is not there: a plain message, not a crash.
    std::vector<std::string> env = environment();
    std::erase_if(env, [](const std::string& entry) { return entry.rfind("DISPLAY=", 0) == 0; });
    env.push_back("DISPLAY=:64999");
    std::string out;
    EXPECT_EQ(e2e::runCommand({CORVANE_APP_PATH}, env, &out, 10s), 1);
    EXPECT_EQ(run({"--status"}).status, 1) << "nothing was left running";
}

}  // namespace
}  // namespace corvane
