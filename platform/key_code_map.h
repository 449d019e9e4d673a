#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace corvane::platform {

// One physical key: Corvane's stored virtual key code (layout-independent,
// 17 = T, 53 = Escape, 123 = Left arrow) and the Linux evdev code of the same
// key position. The X keycode is the evdev code plus 8.
struct KeyPosition {
    std::uint16_t virtualKey;
    std::uint16_t evdev;
};

// Every key that can carry a shortcut: letters, digits, punctuation, the
// editing and navigation keys, F1 to F20, the keypad and the volume keys.
// Modifier and lock keys (Shift, Ctrl, Alt, Super, Caps Lock, Num Lock) are
// deliberately absent: they only ever modify another key. Keys the stored
// format has no code for (Print Screen, Scroll Lock, Pause) are absent too.
std::span<const KeyPosition> keyPositions();

// The X keycode of a virtual key; nothing when no key sits at that position.
std::optional<std::uint8_t> xKeycodeFor(std::uint16_t virtualKey);

// The virtual key of an X keycode; nothing for modifier keys and for keys
// that have no stored code.
std::optional<std::uint16_t> virtualKeyFor(std::uint8_t xKeycode);

}  // namespace corvane::platform
