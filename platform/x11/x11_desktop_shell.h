#pragma once

#include <xcb/xcb.h>

#include <functional>
#include <memory>
#include <optional>

#include "platform/desktop_shell.h"
#include "platform/x11/x11_connection.h"

namespace corvane::platform {

// Corvane's own windows on an EWMH desktop: kept on every workspace above the
// others, given the keyboard as a pager or tool would ask for it, and another
// application's window activated the same way.
class X11DesktopShell final : public DesktopShell {
public:
    struct Options {
        // This process: windows carrying its _NET_WM_PID are Corvane's own.
        int ownPid = 0;  // 0: getpid()
        // Runs `work` on the main thread after `milliseconds` (a Qt timer in
        // the application). Without it, takeKeyboard() does not check whether
        // the window manager obeyed.
        std::function<void(int milliseconds, std::function<void()> work)> later;
        // How long the window manager has to hand over the keyboard before
        // Corvane sets the input focus itself.
        int focusFallbackMs = 150;
    };

    // Borrows `connection`; it must outlive this object.
    X11DesktopShell(xcb_connection_t* connection, int screenNumber, Options options);
    ~X11DesktopShell() override;

    void keepOnAllWorkspaces(WindowId ownWindow) override;
    void takeKeyboard(WindowId ownWindow) override;
    void activate(WindowId window) override;
    WindowId activeOwnWindow() override;
    // One round trip: whether the compositing manager selection of this
    // screen (_NET_WM_CM_S<n>) has an owner.
    bool isCompositing() override;

    // Feed every event of the connection here. Remembers the time of the
    // user's last key press or click (activation requests carry it) and
    // returns the new active window when _NET_ACTIVE_WINDOW changed (0: none).
    std::optional<WindowId> handleEvent(const xcb_generic_event_t* event);
    // The server time of the user's last key press or click; XCB_CURRENT_TIME
    // before there was one.
    xcb_timestamp_t lastUserTime() const { return lastUserTime_; }
    // Whether the window belongs to this process.
    bool isOwnWindow(WindowId window);
    std::optional<WindowId> activeWindow();

private:
    void requestActivation(WindowId window);
    void addStates(WindowId window, bool managed);
    void checkKeyboard(WindowId window, WindowId activeBefore);

    X11Connection x_;
    Options options_;
    xcb_timestamp_t lastUserTime_ = XCB_CURRENT_TIME;
    // The window of the last keyboard request, and whether it has been active
    // since: a window manager that granted it once needs no second request.
    WindowId keyboardRequested_ = XCB_NONE;
    bool keyboardGranted_ = false;
    // Deferred checks find out through this whether the shell still exists.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace corvane::platform
