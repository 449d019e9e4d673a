#pragma once

#include <xcb/xcb.h>

#include "platform/x11/x11_connection.h"

namespace corvane::platform {

// Tells when a system tray starts: its MANAGER announcement on the root
// window (the system tray protocol), which a tray sends once it owns the
// screen's tray selection. Waiting for it costs nothing, where looking for a
// tray on a timer would wake Corvane again and again.
class X11TrayWatch {
public:
    X11TrayWatch(xcb_connection_t* connection, int screenNumber) : x_(connection, screenNumber) {}

    // Whether `event` announces a system tray on this screen.
    bool isTrayArrival(const xcb_generic_event_t* event) const;

private:
    X11Connection x_;
};

}  // namespace corvane::platform
