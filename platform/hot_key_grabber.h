#pragma once

#include <cstdint>
#include <functional>

namespace corvane::platform {

// System-wide key combinations. Key codes are Corvane's layout-independent
// virtual key codes (17 = T, 53 = Escape); modifiers are Corvane's mask
// (1 = Super, 2 = Alt, 4 = Shift, 8 = Ctrl on Linux).
class HotKeyGrabber {
public:
    virtual ~HotKeyGrabber() = default;

    // Grabs the combination for the whole desktop. False when another client
    // holds it or the key does not exist on this keyboard; nothing stays
    // grabbed then.
    virtual bool grab(std::uint16_t keyCode, std::uint32_t modifiers) = 0;
    virtual void ungrab(std::uint16_t keyCode, std::uint32_t modifiers) = 0;

    // Called on the main thread for every press of a grabbed combination.
    std::function<void(std::uint16_t keyCode, std::uint32_t modifiers)> onPressed;
};

}  // namespace corvane::platform
