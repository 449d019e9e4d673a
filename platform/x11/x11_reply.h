#pragma once

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <type_traits>

#include "platform/window_system.h"

namespace corvane::platform {

// Every xcb request with a reply has a cookie type of its own. ReplyFor ties
// each cookie type to the function that collects its reply, and so to the
// reply's type: a reply can only be read as the answer to the request that
// asked for it. A request missing here does not compile until it is added.
template <typename Cookie>
struct ReplyFor;

template <auto collect>
struct ReplyFunction;

template <typename R, typename C, R* (*collect)(xcb_connection_t*, C, xcb_generic_error_t**)>
struct ReplyFunction<collect> {
    using Cookie = C;
    using Reply = R;
    static R* wait(xcb_connection_t* c, C cookie, xcb_generic_error_t** error) {
        return collect(c, cookie, error);
    }
};

template <>
struct ReplyFor<xcb_get_property_cookie_t> : ReplyFunction<&xcb_get_property_reply> {};
template <>
struct ReplyFor<xcb_intern_atom_cookie_t> : ReplyFunction<&xcb_intern_atom_reply> {};
template <>
struct ReplyFor<xcb_get_atom_name_cookie_t> : ReplyFunction<&xcb_get_atom_name_reply> {};
template <>
struct ReplyFor<xcb_get_input_focus_cookie_t> : ReplyFunction<&xcb_get_input_focus_reply> {};
template <>
struct ReplyFor<xcb_get_window_attributes_cookie_t>
    : ReplyFunction<&xcb_get_window_attributes_reply> {};
template <>
struct ReplyFor<xcb_get_geometry_cookie_t> : ReplyFunction<&xcb_get_geometry_reply> {};
template <>
struct ReplyFor<xcb_translate_coordinates_cookie_t>
    : ReplyFunction<&xcb_translate_coordinates_reply> {};
template <>
struct ReplyFor<xcb_get_selection_owner_cookie_t> : ReplyFunction<&xcb_get_selection_owner_reply> {
};
template <>
struct ReplyFor<xcb_query_tree_cookie_t> : ReplyFunction<&xcb_query_tree_reply> {};
template <>
struct ReplyFor<xcb_query_extension_cookie_t> : ReplyFunction<&xcb_query_extension_reply> {};
template <>
struct ReplyFor<xcb_query_pointer_cookie_t> : ReplyFunction<&xcb_query_pointer_reply> {};
template <>
struct ReplyFor<xcb_get_modifier_mapping_cookie_t>
    : ReplyFunction<&xcb_get_modifier_mapping_reply> {};
template <>
struct ReplyFor<xcb_get_keyboard_mapping_cookie_t>
    : ReplyFunction<&xcb_get_keyboard_mapping_reply> {};
template <>
struct ReplyFor<xcb_randr_query_version_cookie_t> : ReplyFunction<&xcb_randr_query_version_reply> {
};
template <>
struct ReplyFor<xcb_randr_get_monitors_cookie_t> : ReplyFunction<&xcb_randr_get_monitors_reply> {};

template <typename Cookie>
using ReplyType = typename ReplyFor<Cookie>::Reply;

// `failed` code of a request that got neither a reply nor an X error.
inline constexpr std::int32_t noReplyCode = -1;

// The X error code of a failed request mapped onto WindowError: a window that
// is gone (BadWindow, BadDrawable) is `closed`, anything else `failed(code)`.
WindowError windowErrorFor(std::uint8_t errorCode);
// A server that has gone away.
WindowError connectionLost();

// A server's reply, owned; only awaitReply() makes one.
template <typename R>
class Reply {
public:
    const R* operator->() const { return reply_.get(); }
    const R& operator*() const { return *reply_; }
    const R* get() const { return reply_.get(); }

private:
    struct Free {
        void operator()(R* p) const { std::free(p); }
    };
    explicit Reply(R* reply) : reply_(reply) {}
    template <typename Cookie>
    friend WindowResult<Reply<ReplyType<Cookie>>> awaitReply(xcb_connection_t*, Cookie);

    std::unique_ptr<R, Free> reply_;
};

// The reply to the request of `cookie` (sent already), or the error it caused
// as a value. Blocks until the reply, an X error or the loss of the
// connection: a live server answers within a millisecond or two, one that
// goes away ends the wait at once. (Waiting in timed slices instead lost up
// to a slice per round trip whenever Qt's reader thread took the data off the
// shared socket first.)
template <typename Cookie>
WindowResult<Reply<ReplyType<Cookie>>> awaitReply(xcb_connection_t* connection, Cookie cookie) {
    static_assert(std::is_same_v<typename ReplyFor<Cookie>::Cookie, Cookie>,
                  "ReplyFor pairs this cookie with another request's reply");
    if (xcb_connection_has_error(connection)) return connectionLost();
    xcb_generic_error_t* error = nullptr;
    ReplyType<Cookie>* answer = ReplyFor<Cookie>::wait(connection, cookie, &error);
    if (error) {
        const std::uint8_t code = error->error_code;
        std::free(error);
        std::free(answer);
        return windowErrorFor(code);
    }
    if (answer) return Reply<ReplyType<Cookie>>(answer);
    if (xcb_connection_has_error(connection)) return connectionLost();
    return WindowError::failed(noReplyCode);
}

}  // namespace corvane::platform
