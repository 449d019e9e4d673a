#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace corvane {

// How a key combination is written for the user.
enum class KeyComboStyle {
    words,   // "Ctrl+Alt+Super+T": what the Linux build shows everywhere
    glyphs,  // "⌃⌥⌘T": symbols without separators, kept for a build on a glyph-style desktop
};

// One keyboard shortcut: a physical key, a set of modifiers and the key's label.
// Key codes are layout-independent virtual key codes (17 = T, 53 = Escape,
// 123 = Left arrow); modifiers use Corvane's own mask below, which maps to
// Super (1), Alt (2), Shift (4) and Ctrl (8) on Linux.
struct KeyCombo {
    static constexpr std::uint32_t control = 1;  // Super on Linux
    static constexpr std::uint32_t option = 2;   // Alt
    static constexpr std::uint32_t shift = 4;
    static constexpr std::uint32_t command = 8;  // Ctrl
    // The same bits by the names Linux desktops give the keys.
    static constexpr std::uint32_t ctrl = command;
    static constexpr std::uint32_t alt = option;
    static constexpr std::uint32_t super = control;
    static constexpr std::uint32_t allModifiers = control | option | shift | command;
    static constexpr std::uint32_t strongModifiers = control | option | command;
    static constexpr std::uint16_t highestKeyCode = 127;
    static constexpr std::size_t longestKeyLabel = 24;

    std::uint16_t keyCode = 0;
    std::uint32_t modifiers = 0;
    std::string key;

    // Ctrl+Alt+Super+T, the shortcut that opens the grid unless the user changes it.
    static KeyCombo defaultActivation() { return KeyCombo{17, control | option | command, "T"}; }

    // The modifiers that are set, then the key. Bits outside the four are ignored.
    std::string displayString(KeyComboStyle style = KeyComboStyle::words) const;
    // Ctrl, Alt or Super is held; Shift alone is not enough for a global shortcut.
    bool hasStrongModifier() const;
    // A known key code, no unknown modifier bits, and a label of 1 to 24 characters.
    bool isValid() const;
    // The same key and modifiers, whatever the labels say.
    bool sameKeys(const KeyCombo& other) const;
    // A combination the focused grid panel handles itself, so no layout may claim it.
    bool isReservedForPanel() const;

    bool operator==(const KeyCombo&) const = default;
};

}  // namespace corvane

template <>
struct std::hash<corvane::KeyCombo> {
    std::size_t operator()(const corvane::KeyCombo& combo) const noexcept;
};
