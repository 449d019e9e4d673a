#pragma once

#include <xcb/xcb.h>

#include <optional>

#include "platform/window_system.h"
#include "platform/x11/x11_connection.h"

namespace corvane::platform {

// The X11 window system with an availability answer that costs nothing while
// nothing changes. It asks the server once and then follows the events that
// change the answer: the root's EWMH properties (a window manager starting or
// replacing another) and the destruction of the window manager's check window
// (it ended or crashed), and tells the listener of each, so Corvane needs no
// poll and sleeps while idle. Everything else is passed on unchanged.
class X11AvailabilityWatch final : public WindowSystem {
public:
    // Borrows both; they must outlive this object. `windows` must work on
    // `connection`.
    X11AvailabilityWatch(WindowSystem& windows, xcb_connection_t* connection, int screenNumber);

    // Feed every event of the connection here.
    void handleEvent(const xcb_generic_event_t* event);

    bool isAvailable() override;
    bool announceAvailabilityChanges(std::function<void()> changed) override {
        changed_ = std::move(changed);
        return true;
    }
    std::optional<AppRef> frontmostApp() override { return windows_.frontmostApp(); }
    bool isTerminated(const AppRef& app) override { return windows_.isTerminated(app); }
    WindowResult<std::optional<WindowId>> focusedWindow(const AppRef& app) override {
        return windows_.focusedWindow(app);
    }
    std::optional<std::string> title(WindowId window) override { return windows_.title(window); }
    WindowResult<WindowStates> states(WindowId window) override { return windows_.states(window); }
    WindowResult<Settable> settable(WindowId window) override { return windows_.settable(window); }
    WindowResult<Rect> frame(WindowId window) override { return windows_.frame(window); }
    WindowResult<void> setSize(WindowId window, double width, double height) override {
        return windows_.setSize(window, width, height);
    }
    WindowResult<void> setPosition(WindowId window, double x, double y) override {
        return windows_.setPosition(window, x, y);
    }
    WindowResult<void> maximize(WindowId window, Maximized directions) override {
        return windows_.maximize(window, directions);
    }
    bool reduceMotion() override { return windows_.reduceMotion(); }
    std::optional<IconImage> icon(WindowId window, int preferredSize) override {
        return windows_.icon(window, preferredSize);
    }

    // How many times the answer was asked of the server (for tests).
    int serverQueries() const { return serverQueries_; }

private:
    void watchCheckWindow();
    void forget();

    WindowSystem& windows_;
    X11Connection x_;
    std::optional<bool> available_;
    xcb_window_t checkWindow_ = XCB_NONE;
    int serverQueries_ = 0;
    std::function<void()> changed_;
};

}  // namespace corvane::platform
