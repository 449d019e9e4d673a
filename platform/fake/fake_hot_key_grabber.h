#pragma once

#include <cstdint>
#include <vector>

#include "platform/hot_key_grabber.h"

namespace corvane::platform {

// Global hot keys without a desktop: remembers what is grabbed, refuses the
// combinations a test declares taken by "another application", and presses a
// combination on request, as a user would.
class FakeHotKeyGrabber : public HotKeyGrabber {
public:
    struct Combination {
        std::uint16_t keyCode = 0;
        std::uint32_t modifiers = 0;
        bool operator==(const Combination&) const = default;
    };

    bool grab(std::uint16_t keyCode, std::uint32_t modifiers) override;
    void ungrab(std::uint16_t keyCode, std::uint32_t modifiers) override;

    // Another application holds the combination from now on.
    void refuse(std::uint16_t keyCode, std::uint32_t modifiers);
    bool isGrabbed(std::uint16_t keyCode, std::uint32_t modifiers) const;
    const std::vector<Combination>& grabbed() const { return grabbed_; }
    // Every grab asked for, refused ones included, in order.
    const std::vector<Combination>& attempts() const { return attempts_; }
    void clearAttempts() { attempts_.clear(); }

    // Presses the combination anywhere on the desktop; false (and nothing
    // happens) when it is not grabbed.
    bool press(std::uint16_t keyCode, std::uint32_t modifiers);

private:
    std::vector<Combination> grabbed_;
    std::vector<Combination> refused_;
    std::vector<Combination> attempts_;
};

}  // namespace corvane::platform
