#pragma once

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/window_system.h"

namespace corvane::platform {

// The atoms the X11 layer uses, interned once per connection.
enum class Atom : std::size_t {
    UTF8_STRING,
    WM_STATE,
    WM_PROTOCOLS,
    NET_SUPPORTED,
    NET_SUPPORTING_WM_CHECK,
    NET_ACTIVE_WINDOW,
    NET_CLIENT_LIST,
    NET_WM_PID,
    NET_WM_NAME,
    NET_WM_STATE,
    NET_WM_STATE_FULLSCREEN,
    NET_WM_STATE_HIDDEN,
    NET_WM_STATE_MAXIMIZED_VERT,
    NET_WM_STATE_MAXIMIZED_HORZ,
    NET_WM_ALLOWED_ACTIONS,
    NET_WM_ACTION_MOVE,
    NET_WM_ACTION_RESIZE,
    NET_FRAME_EXTENTS,
    GTK_FRAME_EXTENTS,
    NET_MOVERESIZE_WINDOW,
    NET_WM_WINDOW_TYPE,
    NET_WM_WINDOW_TYPE_DOCK,
    NET_WM_STRUT,
    NET_WM_STRUT_PARTIAL,
    XSETTINGS_SETTINGS,
    count
};

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename R>
using ReplyPtr = std::unique_ptr<R, FreeDeleter>;

// A window property as it came from the server; `type` is XCB_NONE when the
// window does not have it.
struct Property {
    xcb_atom_t type = XCB_NONE;
    std::uint8_t format = 0;
    std::vector<std::uint8_t> bytes;

    bool present() const { return type != XCB_NONE; }
    // The values of a 32-bit property (CARDINAL, ATOM, WINDOW); empty otherwise.
    std::vector<std::uint32_t> values() const;
    std::string text() const { return std::string(bytes.begin(), bytes.end()); }
};

// The X error code of a failed request mapped onto WindowError: a window that
// is gone (BadWindow, BadDrawable) is `closed`, anything else `failed(code)`.
WindowError windowErrorFor(std::uint8_t errorCode);

// An xcb connection borrowed from its owner (Qt's, or a tool's own) with the
// atoms interned; a server that goes away turns into an error, not a hang.
class X11Connection {
public:
    // `failed` code of a request that got neither a reply nor an X error.
    static constexpr std::int32_t noReplyCode = -1;

    X11Connection(xcb_connection_t* connection, int screenNumber);

    xcb_connection_t* get() const { return connection_; }
    xcb_window_t root() const { return root_; }
    int screenNumber() const { return screenNumber_; }
    // The server is still there.
    bool alive() const { return xcb_connection_has_error(connection_) == 0; }
    xcb_atom_t atom(Atom which) const { return atoms_[static_cast<std::size_t>(which)]; }
    // Any other atom; XCB_NONE when it cannot be interned.
    xcb_atom_t intern(const std::string& name);
    std::string atomName(xcb_atom_t atom);

    // The reply to request `sequence` (sent already), or the error it caused.
    template <typename R>
    WindowResult<ReplyPtr<R>> reply(unsigned int sequence) {
        auto raw = awaitReply(sequence);
        if (!raw.ok()) return raw.error();
        return ReplyPtr<R>(static_cast<R*>(raw.value()));
    }

    // Starts reading a property; collect the result with property().
    xcb_get_property_cookie_t requestProperty(xcb_window_t window, xcb_atom_t property,
                                              std::uint32_t maxWords = 1024);
    WindowResult<Property> property(xcb_get_property_cookie_t cookie);
    // Both steps at once.
    WindowResult<Property> readProperty(xcb_window_t window, xcb_atom_t property,
                                        std::uint32_t maxWords = 1024) {
        return this->property(requestProperty(window, property, maxWords));
    }

    // Waits until the server has handled everything sent so far and reports
    // the error of the checked void request `cookie`, if it caused one.
    WindowResult<void> check(xcb_void_cookie_t cookie);

    // Sends a client message to the root window, as window managers expect
    // requests from pagers and tools.
    void sendToRoot(xcb_window_t window, xcb_atom_t type, const std::array<std::uint32_t, 5>& data);

private:
    WindowResult<void*> awaitReply(unsigned int sequence);

    xcb_connection_t* connection_;
    int screenNumber_;
    xcb_window_t root_ = XCB_NONE;
    std::array<xcb_atom_t, static_cast<std::size_t>(Atom::count)> atoms_{};
};

}  // namespace corvane::platform
