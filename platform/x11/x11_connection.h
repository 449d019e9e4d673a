#pragma once

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/window_system.h"
#include "platform/x11/x11_atoms.h"
#include "platform/x11/x11_reply.h"

namespace corvane::platform {

// A property is read as the items of its format: 32-bit values (CARDINAL,
// ATOM, WINDOW) into a vector, bytes (text) into a string.
template <typename Item>
concept PropertyItem = std::is_same_v<Item, std::uint32_t> || std::is_same_v<Item, char>;

template <PropertyItem Item>
using PropertyItems =
    std::conditional_t<std::is_same_v<Item, char>, std::string, std::vector<std::uint32_t>>;

// A property that had the type and format its reader expected.
template <PropertyItem Item>
struct PropertyValue {
    xcb_atom_t type = XCB_NONE;  // the one it has, when the reader accepted any
    PropertyItems<Item> items;
};

// None: the window does not have the property, or has it with another type
// or format. An error: the window is gone, or the server.
template <PropertyItem Item>
using PropertyRead = WindowResult<std::optional<PropertyValue<Item>>>;

// A property read under way; property() collects it.
template <PropertyItem Item>
struct PropertyRequest {
    xcb_get_property_cookie_t cookie;
    xcb_atom_t type;  // XCB_GET_PROPERTY_TYPE_ANY: whatever it is
};

// The value bytes of a property reply, when its type is `type` (or `type` is
// XCB_GET_PROPERTY_TYPE_ANY) and its format `format`, and the length it
// claims fits in the reply; none otherwise.
std::optional<std::span<const std::uint8_t>> checkedPropertyValue(
    const xcb_get_property_reply_t& reply, xcb_atom_t type, std::uint8_t format);

// The items of a read, empty when it failed or the property was absent.
template <PropertyItem Item>
PropertyItems<Item> itemsOf(const PropertyRead<Item>& read) {
    if (!read.ok() || !read.value()) return {};
    return read.value()->items;
}

// The first 32-bit item of a read.
std::optional<std::uint32_t> firstItem(const PropertyRead<std::uint32_t>& read);

// An xcb connection borrowed from its owner (Qt's, or a tool's own) with the
// atoms interned; a server that goes away turns into an error, not a hang.
class X11Connection {
public:
    X11Connection(xcb_connection_t* connection, int screenNumber);

    xcb_connection_t* get() const { return connection_; }
    xcb_window_t root() const { return root_; }
    int screenNumber() const { return screenNumber_; }
    // The server is still there.
    bool alive() const { return xcb_connection_has_error(connection_) == 0; }
    xcb_atom_t atom(Atom which) const { return atoms_[static_cast<std::size_t>(which)]; }

    // The reply to the request of `cookie`, or the error it caused.
    template <typename Cookie>
    WindowResult<Reply<ReplyType<Cookie>>> reply(Cookie cookie) {
        return awaitReply(connection_, cookie);
    }

    // Starts reading a 32-bit property of type `type` (at most `maxWords` values).
    PropertyRequest<std::uint32_t> requestWords(xcb_window_t window, xcb_atom_t property,
                                                xcb_atom_t type, std::uint32_t maxWords = 1024) {
        return {request(window, property, type, maxWords), type};
    }
    // Starts reading an 8-bit property of type `type` (at most 4 × `maxWords` bytes).
    PropertyRequest<char> requestText(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                                      std::uint32_t maxWords = 1024) {
        return {request(window, property, type, maxWords), type};
    }
    template <PropertyItem Item>
    PropertyRead<Item> property(const PropertyRequest<Item>& request);
    // Both steps at once.
    PropertyRead<std::uint32_t> readWords(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                                          std::uint32_t maxWords = 1024) {
        return this->property(requestWords(window, property, type, maxWords));
    }
    PropertyRead<char> readText(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                                std::uint32_t maxWords = 1024) {
        return this->property(requestText(window, property, type, maxWords));
    }

    // Waits until the server has handled everything sent so far and reports
    // the error of the checked void request `cookie`, if it caused one.
    WindowResult<void> check(xcb_void_cookie_t cookie);

    // Sends a client message to the root window, as window managers expect
    // requests from pagers and tools.
    void sendToRoot(xcb_window_t window, xcb_atom_t type, const std::array<std::uint32_t, 5>& data);

private:
    xcb_get_property_cookie_t request(xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                                      std::uint32_t maxWords);

    xcb_connection_t* connection_;
    int screenNumber_;
    xcb_window_t root_ = XCB_NONE;
    AtomTable atoms_{};
};

template <PropertyItem Item>
PropertyRead<Item> X11Connection::property(const PropertyRequest<Item>& request) {
    auto answer = reply(request.cookie);
    if (!answer.ok()) return answer.error();
    const auto bytes = checkedPropertyValue(*answer.value(), request.type, sizeof(Item) * 8);
    if (!bytes) return std::optional<PropertyValue<Item>>();
    PropertyValue<Item> value;
    value.type = answer.value()->type;
    value.items.resize(bytes->size() / sizeof(Item));
    if (!bytes->empty()) std::memcpy(value.items.data(), bytes->data(), bytes->size());
    return std::optional<PropertyValue<Item>>(std::move(value));
}

}  // namespace corvane::platform
