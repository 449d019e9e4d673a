#pragma once

#include <xcb/xcb.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

namespace corvane::platform {

// Which X modifier bits (Mod1 ... Mod5) carry Alt, Super and Num Lock on the
// current keyboard, and the translation between Corvane's modifier mask
// (8 Ctrl, 2 Alt, 4 Shift, 1 Super) and X modifier states. A zero bit means
// the keyboard has no such modifier.
struct X11ModifierMap {
    std::uint16_t alt = 0;
    std::uint16_t super = 0;
    std::uint16_t numLock = 0;

    // X modifiers for a Corvane mask; bits other than the four are dropped.
    // Nothing when the mask asks for Alt or Super and the keyboard has none.
    std::optional<std::uint16_t> toX(std::uint32_t mask) const;

    // Corvane mask of a key event's state: Caps Lock, Num Lock, the mouse
    // buttons, the layout group and every other modifier are ignored.
    std::uint32_t fromX(std::uint16_t state) const;

    // The lock states a grab must also cover so that it works with Caps Lock
    // and Num Lock on: none, Lock, Num Lock, both.
    std::vector<std::uint16_t> lockVariants() const;

    bool operator==(const X11ModifierMap&) const = default;
};

// Keycodes of each of the eight modifiers (Shift, Lock, Control, Mod1..Mod5).
using ModifierKeycodes = std::array<std::vector<xcb_keycode_t>, 8>;
using KeysymsOfKeycode = std::function<std::vector<xcb_keysym_t>(xcb_keycode_t)>;

// Finds Alt (Alt_L/Alt_R, else Meta), Super and Num Lock among Mod1..Mod5.
X11ModifierMap modifierMapFrom(const ModifierKeycodes& modifiers, const KeysymsOfKeycode& keysyms);

// Reads the server's modifier map and keyboard mapping (two round trips).
// An empty map when the server does not answer.
X11ModifierMap readModifierMap(xcb_connection_t* connection);

// The first event code of the XKB extension on this server, 0 without XKB.
std::uint8_t xkbFirstEvent(xcb_connection_t* connection);

// True for events that say the keyboard mapping or the modifier map changed:
// core MappingNotify (keyboard or modifier) and XKB new-keyboard and map
// notifications. Qt selects the XKB ones on its own connection.
bool isKeyboardMappingChange(const xcb_generic_event_t* event, std::uint8_t xkbFirstEvent);

}  // namespace corvane::platform
