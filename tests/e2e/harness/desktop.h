#pragma once

#include <xcb/xcb.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/harness/child_process.h"
#include "tests/e2e/harness/window_manager.h"

namespace corvane::e2e {

using namespace std::chrono_literals;

// Polls `condition` every few milliseconds until it holds or `timeout` passes.
bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 3000ms);

// A connection of a test's own to its desktop, as the application has Qt's.
class Connection {
public:
    explicit Connection(const std::string& display) : c_(xcb_connect(display.c_str(), nullptr)) {}
    ~Connection() { xcb_disconnect(c_); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    xcb_connection_t* get() const { return c_; }

private:
    xcb_connection_t* c_;
};

// What a probe window (tests/e2e/probe) asks the window manager for.
struct ProbeOptions {
    std::string title = "Corvane probe";
    int x = 100, y = 100, width = 400, height = 300;
    std::optional<std::pair<int, int>> minSize{};
    std::optional<std::pair<int, int>> increments{};  // resize increments, as terminals have
    bool fixedSize = false, fullscreen = false, maximized = false;
    bool minimized = false;             // starts iconic
    int gtkExtents = 0;                 // client-side shadow on each side; no server decorations
    bool activate = true;               // waits until it is the active window
    bool namesOwner = true;             // false: neither _NET_WM_PID nor WM_CLASS
    std::vector<std::uint32_t> icon{};  // _NET_WM_ICON: width, height, pixels, repeated
    int lateMs = 0;  // takes a size someone else gives it this late (the old one meanwhile)
};

struct ProbeWindow {
    ChildProcess process;
    std::uint32_t window = 0;
};

// A private X server for one test: Xvfb on a display number the server picks
// (or Xorg with the dummy driver for two monitors), a window manager (Openbox
// unless chosen) and a dock with a top strut. Everything it starts dies with it, and with the test
// process if that crashes.
class Desktop {
public:
    struct Options {
        int width = 1440, height = 900;
        e2e::WindowManager windowManager = e2e::WindowManager::openbox;
        int dockHeight = 25;         // 0: no dock
        bool xorgDummy = false;      // Xorg + dummy driver (needs root): RandR outputs DUMMY0...
        bool secondMonitor = false;  // with xorgDummy: DUMMY1, 1280x800, right of the first
        // Key bindings of Openbox's own, each running a command: {"W-F11", "touch /tmp/x"}.
        OpenboxKeys openboxKeys{};
    };
    static constexpr int secondWidth = 1280, secondHeight = 800;
    static Options twoMonitors() { return {.xorgDummy = true, .secondMonitor = true}; }
    static bool xorgDummyAvailable();

    Desktop();
    explicit Desktop(const Options& options);  // throws std::runtime_error
    ~Desktop() { stopAll(); }
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    const std::string& display() const { return display_; }  // ":N"
    // DISPLAY and XDG_CONFIG_HOME for a program on this desktop.
    std::vector<std::string> environment() const;
    int run(const std::vector<std::string>& argv, std::string* output = nullptr,
            std::chrono::milliseconds timeout = 10s, std::string* errors = nullptr) const;
    ChildProcess spawn(const std::vector<std::string>& argv, bool captureStdout = false) const;
    // Openbox started apart from the desktop's own window manager, for a test that
    // stops and restarts it; returns once it manages windows. Throws
    // std::runtime_error when it does not come up.
    ChildProcess spawnOpenbox() const;
    // Opens a probe window and waits until the window manager manages it.
    [[nodiscard]] ProbeWindow startProbe(const ProbeOptions& options = {});
    // Unplugs the second monitor (Xorg dummy only) and waits until the window
    // manager has taken the change.
    void removeSecondMonitor();

    // The harness's own connection, for checking what the tests expect.
    xcb_connection_t* connection() const { return connection_; }
    xcb_window_t root() const { return root_; }
    xcb_atom_t atom(const std::string& name) const;
    // A window's property as 32-bit values; empty when absent or the window is gone.
    std::vector<std::uint32_t> cardinals(xcb_window_t window, const std::string& property) const;
    std::optional<xcb_window_t> activeWindow() const;
    struct Geometry {
        int x = 0, y = 0, width = 0, height = 0;
        int border = 0;  // the client's own X border, outside x, y, width and height
    };
    // Root-relative geometry of a client window, without its decorations; none once it is gone.
    std::optional<Geometry> clientGeometry(xcb_window_t window) const;
    const std::filesystem::path& tempDir() const { return tempDir_; }
    pid_t serverPid() const { return server_.pid(); }
    pid_t windowManagerPid() const { return windowManager_.pid(); }
    // How long the window manager took until it was ready for windows.
    std::chrono::milliseconds windowManagerStartTime() const { return windowManagerStartTime_; }
    // Whether the window manager publishes _NET_WORKAREA (i3 does not).
    bool publishesWorkArea() const { return workArea_ != WorkAreaPublished::never; }
    // Asks the window manager to make `window` the active one, as a pager does,
    // and waits until it is; false when it is not within `timeout`.
    bool activate(xcb_window_t window, std::chrono::milliseconds timeout = 3000ms);

private:
    void startServer(std::vector<std::string> argv);
    void startXorg();
    void xrandr(std::vector<std::string> args);
    void startDock();
    void startWindowManager();
    void stopAll();

    Options options_;
    std::filesystem::path tempDir_;
    std::string display_;
    ChildProcess server_;
    ChildProcess windowManager_;
    ChildProcess dock_;
    WorkAreaPublished workArea_ = WorkAreaPublished::never;
    std::chrono::milliseconds windowManagerStartTime_{0};
    xcb_connection_t* connection_ = nullptr;
    xcb_window_t root_ = XCB_NONE;
};

}  // namespace corvane::e2e
