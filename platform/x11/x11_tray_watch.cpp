#include "platform/x11/x11_tray_watch.h"

namespace corvane::platform {

bool X11TrayWatch::isTrayArrival(const xcb_generic_event_t* event) const {
    if (event == nullptr || (event->response_type & ~0x80) != XCB_CLIENT_MESSAGE) return false;
    const auto* message = reinterpret_cast<const xcb_client_message_event_t*>(event);
    // data: the time, the selection now owned, the owner.
    return message->window == x_.root() && message->format == 32 &&
           message->type == x_.atom(Atom::MANAGER) &&
           message->data.data32[1] == x_.atom(Atom::NET_SYSTEM_TRAY_S);
}

}  // namespace corvane::platform
