#include "platform/x11/x11_atoms.h"

#include <string_view>

#include "platform/x11/x11_reply.h"

namespace corvane::platform {

namespace {

constexpr std::string_view names[] = {
    "UTF8_STRING",
    "WM_STATE",
    "_NET_SUPPORTED",
    "_NET_SUPPORTING_WM_CHECK",
    "_NET_ACTIVE_WINDOW",
    "_NET_CLIENT_LIST",
    "_NET_WM_PID",
    "_NET_WM_NAME",
    "_NET_WM_ICON",
    "_NET_WM_DESKTOP",
    "_NET_WM_STATE",
    "_NET_WM_STATE_FULLSCREEN",
    "_NET_WM_STATE_HIDDEN",
    "_NET_WM_STATE_MAXIMIZED_VERT",
    "_NET_WM_STATE_MAXIMIZED_HORZ",
    "_NET_WM_STATE_ABOVE",
    "_NET_WM_STATE_SKIP_TASKBAR",
    "_NET_WM_STATE_SKIP_PAGER",
    "_NET_WM_ALLOWED_ACTIONS",
    "_NET_WM_ACTION_MOVE",
    "_NET_WM_ACTION_RESIZE",
    "_NET_FRAME_EXTENTS",
    "_GTK_FRAME_EXTENTS",
    "_NET_MOVERESIZE_WINDOW",
    "_NET_REQUEST_FRAME_EXTENTS",
    "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_DOCK",
    "_NET_WM_STRUT",
    "_NET_WM_STRUT_PARTIAL",
    "_NET_WORKAREA",
    "_NET_CURRENT_DESKTOP",
    "I3_FLOATING_WINDOW",
    "_NET_WM_CM_S",
    "_XSETTINGS_S",
    "_XSETTINGS_SETTINGS",
    "_NET_SYSTEM_TRAY_S",
    "MANAGER",
};
static_assert(std::size(names) == static_cast<std::size_t>(Atom::count));

}  // namespace

std::string atomName(Atom atom, int screenNumber) {
    std::string name(names[static_cast<std::size_t>(atom)]);
    if (name.ends_with("_S")) name += std::to_string(screenNumber);
    return name;
}

AtomTable internAtoms(xcb_connection_t* connection, int screenNumber) {
    std::array<xcb_intern_atom_cookie_t, static_cast<std::size_t>(Atom::count)> cookies{};
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        const std::string name = atomName(static_cast<Atom>(i), screenNumber);
        cookies[i] =
            xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.data());
    }
    AtomTable atoms{};
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        auto reply = awaitReply(connection, cookies[i]);
        atoms[i] = reply.ok() ? reply.value()->atom : XCB_NONE;
    }
    return atoms;
}

}  // namespace corvane::platform
