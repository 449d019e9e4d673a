#include "platform/x11/x11_connection.h"

#include <xcb/xcbext.h>

#include <algorithm>
#include <cstring>

namespace corvane::platform {

namespace {

constexpr const char* atomNames[] = {
    "UTF8_STRING",
    "WM_STATE",
    "WM_PROTOCOLS",
    "_NET_SUPPORTED",
    "_NET_SUPPORTING_WM_CHECK",
    "_NET_ACTIVE_WINDOW",
    "_NET_CLIENT_LIST",
    "_NET_WM_PID",
    "_NET_WM_NAME",
    "_NET_WM_STATE",
    "_NET_WM_STATE_FULLSCREEN",
    "_NET_WM_STATE_HIDDEN",
    "_NET_WM_STATE_MAXIMIZED_VERT",
    "_NET_WM_STATE_MAXIMIZED_HORZ",
    "_NET_WM_ALLOWED_ACTIONS",
    "_NET_WM_ACTION_MOVE",
    "_NET_WM_ACTION_RESIZE",
    "_NET_FRAME_EXTENTS",
    "_GTK_FRAME_EXTENTS",
    "_NET_MOVERESIZE_WINDOW",
    "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_DOCK",
    "_NET_WM_STRUT",
    "_NET_WM_STRUT_PARTIAL",
    "_XSETTINGS_SETTINGS",
};
static_assert(std::size(atomNames) == static_cast<std::size_t>(Atom::count));

constexpr std::uint8_t badWindow = 3;
constexpr std::uint8_t badDrawable = 9;

WindowError connectionLost() {
    return WindowError(WindowError::Kind::permission);
}

}  // namespace

std::vector<std::uint32_t> Property::values() const {
    std::vector<std::uint32_t> result;
    if (format != 32) return result;
    result.resize(bytes.size() / 4);
    if (!result.empty()) std::memcpy(result.data(), bytes.data(), result.size() * 4);
    return result;
}

WindowError windowErrorFor(std::uint8_t errorCode) {
    if (errorCode == badWindow || errorCode == badDrawable)
        return WindowError(WindowError::Kind::closed);
    return WindowError::failed(errorCode);
}

X11Connection::X11Connection(xcb_connection_t* connection, int screenNumber)
    : connection_(connection), screenNumber_(screenNumber) {
    if (!alive()) return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) xcb_screen_next(&it);
    if (it.rem > 0) root_ = it.data->root;

    // One round trip for all of them.
    std::array<xcb_intern_atom_cookie_t, static_cast<std::size_t>(Atom::count)> cookies;
    for (std::size_t i = 0; i < cookies.size(); ++i)
        cookies[i] = xcb_intern_atom(
            connection_, 0, static_cast<std::uint16_t>(std::strlen(atomNames[i])), atomNames[i]);
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        auto r = reply<xcb_intern_atom_reply_t>(cookies[i].sequence);
        atoms_[i] = r.ok() ? r.value()->atom : XCB_NONE;
    }
}

xcb_atom_t X11Connection::intern(const std::string& name) {
    auto cookie =
        xcb_intern_atom(connection_, 0, static_cast<std::uint16_t>(name.size()), name.c_str());
    auto r = reply<xcb_intern_atom_reply_t>(cookie.sequence);
    return r.ok() ? r.value()->atom : XCB_NONE;
}

std::string X11Connection::atomName(xcb_atom_t atom) {
    auto r = reply<xcb_get_atom_name_reply_t>(xcb_get_atom_name(connection_, atom).sequence);
    if (!r.ok()) return {};
    const auto* reply = r.value().get();
    return std::string(xcb_get_atom_name_name(reply),
                       static_cast<std::size_t>(xcb_get_atom_name_name_length(reply)));
}

xcb_get_property_cookie_t X11Connection::requestProperty(xcb_window_t window, xcb_atom_t property,
                                                         std::uint32_t maxWords) {
    return xcb_get_property(connection_, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0,
                            maxWords);
}

WindowResult<Property> X11Connection::property(xcb_get_property_cookie_t cookie) {
    auto r = reply<xcb_get_property_reply_t>(cookie.sequence);
    if (!r.ok()) return r.error();
    const auto* reply = r.value().get();
    Property p;
    p.type = reply->type;
    p.format = reply->format;
    const auto* data = static_cast<const std::uint8_t*>(xcb_get_property_value(reply));
    p.bytes.assign(data, data + xcb_get_property_value_length(reply));
    return p;
}

WindowResult<void> X11Connection::check(xcb_void_cookie_t cookie) {
    // A reply to a later request proves the server has handled the checked
    // one; xcb_request_check then answers without waiting.
    auto sync = reply<xcb_get_input_focus_reply_t>(xcb_get_input_focus(connection_).sequence);
    if (!sync.ok()) return sync.error();
    if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
        auto code = error->error_code;
        std::free(error);
        return windowErrorFor(code);
    }
    return {};
}

void X11Connection::sendToRoot(xcb_window_t window, xcb_atom_t type,
                               const std::array<std::uint32_t, 5>& data) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = type;
    std::copy(data.begin(), data.end(), event.data.data32);
    xcb_send_event(connection_, 0, root_,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&event));
}

WindowResult<void*> X11Connection::awaitReply(unsigned int sequence) {
    if (!alive()) return connectionLost();
    // Blocks until the reply, an X error or the loss of the connection. A reply
    // comes back within a millisecond or two from a live server; a server that
    // goes away ends the wait at once. Waiting in timed slices instead lost up
    // to a slice per round trip whenever Qt's reader thread took the data off
    // the shared socket first.
    xcb_generic_error_t* error = nullptr;
    void* answer = xcb_wait_for_reply(connection_, sequence, &error);
    if (error) {
        auto code = error->error_code;
        std::free(error);
        std::free(answer);
        return windowErrorFor(code);
    }
    if (answer) return answer;
    if (!alive()) return connectionLost();
    return WindowError::failed(noReplyCode);
}

}  // namespace corvane::platform
