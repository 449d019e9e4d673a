#include "platform/x11/x11_connection.h"

#include <algorithm>

namespace corvane::platform {

namespace {

constexpr std::uint8_t badWindow = 3;
constexpr std::uint8_t badDrawable = 9;

}  // namespace

WindowError windowErrorFor(std::uint8_t errorCode) {
    if (errorCode == badWindow || errorCode == badDrawable)
        return WindowError(WindowError::Kind::closed);
    return WindowError::failed(errorCode);
}

WindowError connectionLost() {
    return WindowError(WindowError::Kind::permission);
}

std::optional<std::span<const std::uint8_t>> checkedPropertyValue(
    const xcb_get_property_reply_t& reply, xcb_atom_t type, std::uint8_t format) {
    if (reply.type == XCB_NONE) return std::nullopt;  // the window does not have it
    if (type != XCB_GET_PROPERTY_TYPE_ANY && reply.type != type) return std::nullopt;
    if (reply.format != format) return std::nullopt;
    // The property belongs to another client; the count it claims must fit
    // in what the server actually sent after the fixed 32-byte reply.
    const std::uint64_t bytes = std::uint64_t{reply.value_len} * (format / 8);
    if (bytes > std::uint64_t{reply.length} * 4) return std::nullopt;
    const auto* data = static_cast<const std::uint8_t*>(
        xcb_get_property_value(const_cast<xcb_get_property_reply_t*>(&reply)));
    return std::span<const std::uint8_t>(data, static_cast<std::size_t>(bytes));
}

std::optional<std::uint32_t> firstItem(const PropertyRead<std::uint32_t>& read) {
    if (!read.ok() || !read.value() || read.value()->items.empty()) return std::nullopt;
    return read.value()->items.front();
}

X11Connection::X11Connection(xcb_connection_t* connection, int screenNumber)
    : connection_(connection), screenNumber_(screenNumber) {
    if (!alive()) return;
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenNumber && it.rem > 0; ++i) xcb_screen_next(&it);
    if (it.rem > 0) root_ = it.data->root;
    atoms_ = internAtoms(connection_, screenNumber);
}

xcb_get_property_cookie_t X11Connection::request(xcb_window_t window, xcb_atom_t property,
                                                 xcb_atom_t type, std::uint32_t maxWords) {
    return xcb_get_property(connection_, 0, window, property, type, 0, maxWords);
}

WindowResult<void> X11Connection::check(xcb_void_cookie_t cookie) {
    // A reply to a later request proves the server has handled the checked
    // one; xcb_request_check then answers without waiting.
    auto sync = reply(xcb_get_input_focus(connection_));
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

}  // namespace corvane::platform
