#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/window_system.h"
#include "platform/x11/x11_connection.h"

namespace corvane::platform {

// Presses of the pointer's buttons anywhere on the screen, through XInput 2
// raw events on the root window. The root's own ButtonPress belongs to the
// window manager (only one client may select it), and a click on the desktop
// background or on a dock moves the keyboard nowhere in particular: raw
// presses are the one sign every click gives, and XInput 2.1 delivers them
// even while another client grabs the pointer.
//
// Toolkits use XInput 2 on the same connection (Qt does): selecting merges
// into the root's existing selection and stopping takes back only what was
// added, so their events keep coming.
class X11PointerWatch {
public:
    // What an event of the connection was to this watch.
    struct Seen {
        bool click = false;     // a button pressed anywhere (wheel steps are no clicks)
        bool consumed = false;  // a raw event only this watch asked for: keep it from the toolkit
    };
    struct Position {
        int x = 0, y = 0;  // root pixels
    };

    // Borrows `connection`; it must outlive this object.
    X11PointerWatch(xcb_connection_t* connection, int screenNumber);
    ~X11PointerWatch();
    X11PointerWatch(const X11PointerWatch&) = delete;
    X11PointerWatch& operator=(const X11PointerWatch&) = delete;

    // Whether the server has XInput 2.0 or later, without which nothing is watched.
    bool available() const { return opcode_ != 0; }
    // Starts or stops selecting raw presses; either twice is harmless.
    void start();
    void stop();
    bool watching() const { return watching_; }

    // Feed every event of the connection here.
    Seen handleEvent(const xcb_generic_event_t* event) const;

    // Where the pointer is now; none when the server does not answer.
    std::optional<Position> pointer();
    // Whether `position` lies on one of `windows` (mapped windows of any
    // depth; their rectangles, decorations excluded).
    bool isOnAny(Position position, std::span<const WindowId> windows);

private:
    std::vector<std::uint32_t> rootMask();
    void selectOnRoot(const std::vector<std::uint32_t>& mask);

    X11Connection x_;
    std::uint8_t opcode_ = 0;  // the extension's major opcode; 0: no XInput 2
    bool watching_ = false;
    // Raw presses were selected before this watch started: someone else's,
    // left alone and passed on.
    bool selectedByOthers_ = false;
};

}  // namespace corvane::platform
