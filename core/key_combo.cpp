#include "core/key_combo.h"

#include <array>
#include <string_view>

#include "core/panel_keys.h"
#include "core/unicode_text.h"

namespace corvane {

namespace {

struct ModifierName {
    std::uint32_t bit;
    std::string_view text;
};

// Linux desktops list modifiers as Ctrl, Alt, Shift, Super.
constexpr std::array<ModifierName, 4> kWords{{
    {KeyCombo::command, "Ctrl"},
    {KeyCombo::option, "Alt"},
    {KeyCombo::shift, "Shift"},
    {KeyCombo::control, "Super"},
}};

// The glyph style orders them Control, Option, Shift, Command.
constexpr std::array<ModifierName, 4> kGlyphs{{
    {KeyCombo::control, "\u2303"},
    {KeyCombo::option, "\u2325"},
    {KeyCombo::shift, "\u21E7"},
    {KeyCombo::command, "\u2318"},
}};

}  // namespace

std::string KeyCombo::displayString(KeyComboStyle style) const {
    std::string text;
    const auto& names = style == KeyComboStyle::words ? kWords : kGlyphs;
    const std::string_view separator = style == KeyComboStyle::words ? "+" : "";
    for (const ModifierName& name : names) {
        if ((modifiers & name.bit) == 0) continue;
        text += name.text;
        text += separator;
    }
    return text + key;
}

bool KeyCombo::hasStrongModifier() const {
    return (modifiers & strongModifiers) != 0;
}

bool KeyCombo::isValid() const {
    if (keyCode > highestKeyCode || (modifiers & ~allModifiers) != 0 || key.empty()) return false;
    return UnicodeText::hasAtMostCharacters(key, longestKeyLabel);
}

bool KeyCombo::sameKeys(const KeyCombo& other) const {
    return keyCode == other.keyCode && modifiers == other.modifiers;
}

bool KeyCombo::isReservedForPanel() const {
    return reservedPanelKey(keyCode, modifiers) != nullptr;
}

}  // namespace corvane

std::size_t std::hash<corvane::KeyCombo>::operator()(
    const corvane::KeyCombo& combo) const noexcept {
    std::size_t seed = std::hash<std::uint16_t>{}(combo.keyCode);
    auto mix = [&seed](std::size_t value) {
        seed ^= value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2);
    };
    mix(std::hash<std::uint32_t>{}(combo.modifiers));
    mix(std::hash<std::string>{}(combo.key));
    return seed;
}
