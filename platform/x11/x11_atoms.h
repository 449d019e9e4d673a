#pragma once

#include <xcb/xcb.h>

#include <array>
#include <cstddef>
#include <string>

namespace corvane::platform {

// Every atom the X11 layer uses beyond the predefined ones (XCB_ATOM_*).
// Names ending in _S are selections of one screen: the connection's screen
// number is appended when they are interned.
enum class Atom : std::size_t {
    UTF8_STRING,
    WM_STATE,
    NET_SUPPORTED,
    NET_SUPPORTING_WM_CHECK,
    NET_ACTIVE_WINDOW,
    NET_CLIENT_LIST,
    NET_WM_PID,
    NET_WM_NAME,
    NET_WM_ICON,
    NET_WM_DESKTOP,
    NET_WM_STATE,
    NET_WM_STATE_FULLSCREEN,
    NET_WM_STATE_HIDDEN,
    NET_WM_STATE_MAXIMIZED_VERT,
    NET_WM_STATE_MAXIMIZED_HORZ,
    NET_WM_STATE_ABOVE,
    NET_WM_STATE_SKIP_TASKBAR,
    NET_WM_STATE_SKIP_PAGER,
    NET_WM_ALLOWED_ACTIONS,
    NET_WM_ACTION_MOVE,
    NET_WM_ACTION_RESIZE,
    NET_FRAME_EXTENTS,
    GTK_FRAME_EXTENTS,
    NET_MOVERESIZE_WINDOW,
    NET_REQUEST_FRAME_EXTENTS,
    NET_WM_WINDOW_TYPE,
    NET_WM_WINDOW_TYPE_DOCK,
    NET_WM_STRUT,
    NET_WM_STRUT_PARTIAL,
    NET_WORKAREA,
    NET_CURRENT_DESKTOP,
    I3_FLOATING_WINDOW,
    NET_WM_CM_S,  // the compositing manager's selection
    XSETTINGS_S,  // the settings manager's selection
    XSETTINGS_SETTINGS,
    NET_SYSTEM_TRAY_S,  // the system tray's selection
    MANAGER,            // announces a new owner of a manager selection
    count
};

using AtomTable = std::array<xcb_atom_t, static_cast<std::size_t>(Atom::count)>;

// The atom's name on a connection to `screenNumber`.
std::string atomName(Atom atom, int screenNumber);

// All atoms of the table in one round trip: every request first, then every
// reply. An atom the server cannot intern is XCB_NONE.
AtomTable internAtoms(xcb_connection_t* connection, int screenNumber);

}  // namespace corvane::platform
