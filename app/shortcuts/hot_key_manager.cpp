#include "app/shortcuts/hot_key_manager.h"

#include <algorithm>
#include <utility>

namespace corvane {
namespace {

constexpr std::uint32_t knownModifierBits = 15;

}  // namespace

HotKeyManager::HotKeyManager(platform::HotKeyGrabber& grabber) : grabber_(grabber) {
    grabber_.onPressed = [this](std::uint16_t keyCode, std::uint32_t modifiers) {
        dispatch(keyCode, modifiers);
    };
}

HotKeyManager::~HotKeyManager() {
    unregisterAll();
    grabber_.onPressed = nullptr;
}

bool HotKeyManager::registerHotKey(std::uint16_t keyCode, std::uint32_t modifiers, Action action) {
    const std::uint32_t id = ++nextID_;  // wraps at 2^32; a refusal uses the ID up too
    const std::uint32_t mask = modifiers & knownModifierBits;
    if (find(keyCode, mask) != nullptr) return false;
    if (!grabber_.grab(keyCode, mask)) return false;
    registrations_.push_back({keyCode, mask, id});
    actions_[id] = std::move(action);
    return true;
}

void HotKeyManager::unregisterAll() {
    // Taken out first, so the manager is already empty should ungrabbing
    // lead back into it.
    const std::vector<Registration> released = std::exchange(registrations_, {});
    for (const Registration& r : released) grabber_.ungrab(r.keyCode, r.modifiers);
    actions_.clear();
}

std::optional<std::uint32_t> HotKeyManager::registeredID(std::uint16_t keyCode,
                                                         std::uint32_t modifiers) const {
    const Registration* registration = find(keyCode, modifiers & knownModifierBits);
    if (registration == nullptr) return std::nullopt;
    return registration->id;
}

void HotKeyManager::dispatch(std::uint16_t keyCode, std::uint32_t modifiers) {
    const Registration* registration = find(keyCode, modifiers & knownModifierBits);
    if (registration == nullptr) return;  // consumed silently
    const auto found = actions_.find(registration->id);
    if (found == actions_.end() || !found->second) return;
    // A copy: the action may unregister everything (a settings change) and
    // so destroy the stored one while it runs.
    const Action action = found->second;
    action();
}

const HotKeyManager::Registration* HotKeyManager::find(std::uint16_t keyCode,
                                                       std::uint32_t modifiers) const {
    const auto found = std::find_if(
        registrations_.begin(), registrations_.end(),
        [&](const Registration& r) { return r.keyCode == keyCode && r.modifiers == modifiers; });
    return found == registrations_.end() ? nullptr : &*found;
}

}  // namespace corvane
