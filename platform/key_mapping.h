#pragma once

#include <cstdint>
#include <string>

namespace corvane::platform {

// What the current keyboard layout says about a key.
class KeyMapping {
public:
    virtual ~KeyMapping() = default;

    // The label a key gets when it is recorded as a shortcut: the fixed
    // name of a special key ("Space", "↩", "F5"), else the character the key
    // types in the current layout without modifiers, upper-cased ("T", "-",
    // "Ö"), else "Key " and the virtual key code. See recordedKeyLabel().
    virtual std::string keyLabel(std::uint16_t virtualKey) = 0;

    // What the key types in the current layout with no modifiers held; empty
    // when it types nothing (a modifier, a dead key, a media key).
    virtual std::string layoutCharacters(std::uint16_t virtualKey) = 0;
};

}  // namespace corvane::platform
