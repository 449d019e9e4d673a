#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::platform {

// The fixed name of a key whose typed character would be invisible or
// ambiguous: Space, Return, Tab, Delete, Escape, keypad Enter, forward delete,
// the arrows, Home/End, Page Up/Down and F1 to F15.
std::optional<std::string_view> namedKeyLabel(std::uint16_t virtualKey);

// The label of a recorded key, given what the key types in the current layout
// with no modifiers held (UTF-8, may be empty). The fixed name comes first;
// otherwise the typed text, trimmed of white space and control characters
// at both ends, upper-cased and cut to 24 user-perceived characters;
// otherwise "Key " and the code. Modifiers never change the label, so
// Alt+A is recorded as "A" whatever Alt+A types.
std::string recordedKeyLabel(std::uint16_t virtualKey, std::string_view layoutCharacters);

// The longest key label a shortcut may carry, in user-perceived characters.
inline constexpr std::size_t maxKeyLabelLength = 24;

}  // namespace corvane::platform
