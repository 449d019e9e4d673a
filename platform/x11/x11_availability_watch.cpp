#include "platform/x11/x11_availability_watch.h"

namespace corvane::platform {

X11AvailabilityWatch::X11AvailabilityWatch(WindowSystem& windows, xcb_connection_t* connection,
                                           int screenNumber)
    : windows_(windows), x_(connection, screenNumber) {
    if (!x_.alive()) return;
    // Root property changes are what announce a new window manager. Qt selects
    // them already; a tool's own connection may not have.
    auto attributes = x_.reply(xcb_get_window_attributes(x_.get(), x_.root()));
    if (!attributes.ok() || (attributes.value()->your_event_mask & XCB_EVENT_MASK_PROPERTY_CHANGE))
        return;
    const std::uint32_t mask = attributes.value()->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(x_.get(), x_.root(), XCB_CW_EVENT_MASK, &mask);
    xcb_flush(x_.get());
}

void X11AvailabilityWatch::handleEvent(const xcb_generic_event_t* event) {
    if (!event) return;
    switch (event->response_type & ~0x80) {
        case XCB_PROPERTY_NOTIFY: {
            const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event);
            if (change->window == x_.root() &&
                (change->atom == x_.atom(Atom::NET_SUPPORTING_WM_CHECK) ||
                 change->atom == x_.atom(Atom::NET_SUPPORTED))) {
                forget();
            }
            break;
        }
        case XCB_DESTROY_NOTIFY: {
            const auto* destroyed = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
            if (checkWindow_ != XCB_NONE && destroyed->window == checkWindow_) forget();
            break;
        }
        default:
            break;
    }
}

// The answer may have changed: asked anew next time, and the listener told.
void X11AvailabilityWatch::forget() {
    available_.reset();
    if (changed_) changed_();
}

bool X11AvailabilityWatch::isAvailable() {
    if (!x_.alive()) return false;
    if (available_) return *available_;
    ++serverQueries_;
    // Watch first: a window manager ending between the two steps then still
    // sends its destruction.
    watchCheckWindow();
    available_ = windows_.isAvailable();
    return *available_;
}

void X11AvailabilityWatch::watchCheckWindow() {
    checkWindow_ = XCB_NONE;
    const auto check =
        firstItem(x_.readWords(x_.root(), x_.atom(Atom::NET_SUPPORTING_WM_CHECK), XCB_ATOM_WINDOW));
    if (!check || *check == XCB_NONE) return;
    const std::uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    // Checked: a window that is gone already has no destruction left to send,
    // and must not be remembered as the one to watch.
    auto selected =
        x_.check(xcb_change_window_attributes_checked(x_.get(), *check, XCB_CW_EVENT_MASK, &mask));
    if (selected.ok()) checkWindow_ = *check;
}

}  // namespace corvane::platform
