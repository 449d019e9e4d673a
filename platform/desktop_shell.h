#pragma once

#include <cstdint>

#include "platform/window_system.h"

namespace corvane::platform {

// What Corvane's own floating windows need from the desktop beyond what the
// toolkit offers: staying on every workspace above normal windows, taking the
// keyboard on request, and handing it back to another application.
class DesktopShell {
public:
    virtual ~DesktopShell() = default;

    // Puts one of Corvane's own top-level windows on every workspace, above
    // normal windows, out of the taskbar and pager. Call after it is mapped.
    virtual void keepOnAllWorkspaces(WindowId ownWindow) = 0;
    // Gives the keyboard to one of Corvane's own windows (a tool's activation
    // request carrying the time of the user's last key press or click).
    virtual void takeKeyboard(WindowId ownWindow) = 0;
    // Activates another application's window, as a pager would.
    virtual void activate(WindowId window) = 0;
    // The Corvane window that has the keyboard, or 0.
    virtual WindowId activeOwnWindow() = 0;
    // Whether a compositing manager blends translucent windows with what lies
    // below. Without one, translucent pixels show as black.
    virtual bool isCompositing() { return false; }
};

// Starting Corvane at login (an XDG autostart entry on Linux).
class LoginItem {
public:
    virtual ~LoginItem() = default;
    virtual bool isEnabled() = 0;
    // Throws std::runtime_error with a description on failure.
    virtual void setEnabled(bool enabled) = 0;
};

}  // namespace corvane::platform
