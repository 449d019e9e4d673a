#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <string>

#include "platform/key_mapping.h"

struct xkb_context;

namespace corvane::platform {

// Key labels from the server's current keyboard layout through
// xkbcommon-x11. Keymap and state are fetched afresh for every label, so a
// new layout (setxkbmap, xmodmap, a layout switch) shows at once. That costs
// a fraction of a millisecond, once per recorded key, and needs no mapping
// notifications, which an XKB client only receives when it selects them.
class X11KeyMapping final : public KeyMapping {
public:
    explicit X11KeyMapping(xcb_connection_t* connection);
    ~X11KeyMapping() override;

    X11KeyMapping(const X11KeyMapping&) = delete;
    X11KeyMapping& operator=(const X11KeyMapping&) = delete;

    std::string keyLabel(std::uint16_t virtualKey) override;

    std::string layoutCharacters(std::uint16_t virtualKey) override;

    // Whether an event read from the connection says the keyboard layout
    // changed: a new keymap (setxkbmap, xmodmap) or another active group (a
    // layout switch). The events arrive when some client on the connection
    // selected them; Qt does so on its own connection for its key events.
    bool isLayoutChange(const xcb_generic_event_t* event) const;

private:
    xcb_connection_t* connection_;
    xkb_context* context_ = nullptr;
    std::int32_t deviceId_ = -1;  // the core keyboard; -1 without XKB
    std::uint8_t firstXkbEvent_ = 0;
};

}  // namespace corvane::platform
