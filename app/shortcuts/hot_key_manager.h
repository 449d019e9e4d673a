#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <unordered_map>
#include <vector>

#include "platform/hot_key_grabber.h"

namespace corvane {

// System-wide hot keys: binds key combinations to actions and runs the
// action when its combination is pressed anywhere on the desktop.
//
// Every registration gets a fresh ID (1, 2, 3 ... never reused, a refused
// registration uses one up), and a press finds its action through the ID of
// its combination, so a press that arrives after unregisterAll() runs nothing.
//
// The same combination registered twice: the second registration is refused
// (false), as the platform refuses a combination that is already taken; the
// first keeps its action.
class HotKeyManager {
public:
    using Action = std::function<void()>;

    explicit HotKeyManager(platform::HotKeyGrabber& grabber);
    ~HotKeyManager();

    HotKeyManager(const HotKeyManager&) = delete;
    HotKeyManager& operator=(const HotKeyManager&) = delete;

    // False when the combination cannot be had (another application holds
    // it, the key does not exist); nothing is kept then. Modifier bits other
    // than Super 1, Alt 2, Shift 4 and Ctrl 8 are ignored.
    bool registerHotKey(std::uint16_t keyCode, std::uint32_t modifiers, Action action);

    // Releases every combination and forgets every action. IDs keep counting.
    void unregisterAll();

    // The ID a registered combination carries, for diagnostics.
    std::optional<std::uint32_t> registeredID(std::uint16_t keyCode, std::uint32_t modifiers) const;

private:
    struct Registration {
        std::uint16_t keyCode;
        std::uint32_t modifiers;
        std::uint32_t id;
    };

    void dispatch(std::uint16_t keyCode, std::uint32_t modifiers);
    const Registration* find(std::uint16_t keyCode, std::uint32_t modifiers) const;

    platform::HotKeyGrabber& grabber_;
    std::vector<Registration> registrations_;  // in registration order
    std::unordered_map<std::uint32_t, Action> actions_;
    std::uint32_t nextID_ = 0;  // the last ID handed out
};

}  // namespace corvane
