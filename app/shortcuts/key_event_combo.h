#pragma once

#include <Qt>
#include <cstdint>
#include <optional>

#include "core/key_combo.h"

class QKeyEvent;

namespace corvane {

namespace platform {
class KeyMapping;
}

// Corvane's modifier mask of the modifiers Qt reports held (Ctrl, Alt,
// Shift, Super); Caps Lock, Num Lock and the keypad flag are ignored.
std::uint32_t modifierMask(Qt::KeyboardModifiers modifiers);

// The mask bit a modifier key stands for (0 for AltGr and Hyper, which
// modify nothing Corvane stores); nullopt for every other key.
std::optional<std::uint32_t> modifierKeyBit(int qtKey);

// The stored key code of the key pressed: its position on the keyboard,
// from the X keycode the event carries. Without one (a synthetic event)
// Escape and the two delete keys are still known by what they are, so a
// recorder can always be cancelled or cleared. Nullopt for modifier keys and
// keys no shortcut can be stored for (media keys, Print Screen).
std::optional<std::uint16_t> storedKeyCode(const QKeyEvent& event);

// The combination a key press records: the key's position, the modifiers
// held and the key's label in the current layout without modifiers (so Alt+A
// is "A" whatever Alt+A types). Without a layout to ask (`mapping` null) the
// label comes from the key Qt reports. Nullopt when storedKeyCode() is.
std::optional<KeyCombo> keyComboFromEvent(const QKeyEvent& event, platform::KeyMapping* mapping);

}  // namespace corvane
