#include "platform/fake/fake_hot_key_grabber.h"

#include <algorithm>

namespace corvane::platform {

namespace {
bool contains(const std::vector<FakeHotKeyGrabber::Combination>& list,
              const FakeHotKeyGrabber::Combination& combination) {
    return std::find(list.begin(), list.end(), combination) != list.end();
}
}  // namespace

bool FakeHotKeyGrabber::grab(std::uint16_t keyCode, std::uint32_t modifiers) {
    const Combination combination{keyCode, modifiers};
    attempts_.push_back(combination);
    if (contains(refused_, combination)) return false;
    // X lets a client grab what it already holds; it stays one grab.
    if (!contains(grabbed_, combination)) grabbed_.push_back(combination);
    return true;
}

void FakeHotKeyGrabber::ungrab(std::uint16_t keyCode, std::uint32_t modifiers) {
    std::erase(grabbed_, Combination{keyCode, modifiers});
}

void FakeHotKeyGrabber::refuse(std::uint16_t keyCode, std::uint32_t modifiers) {
    const Combination combination{keyCode, modifiers};
    if (!contains(refused_, combination)) refused_.push_back(combination);
}

bool FakeHotKeyGrabber::isGrabbed(std::uint16_t keyCode, std::uint32_t modifiers) const {
    return contains(grabbed_, Combination{keyCode, modifiers});
}

bool FakeHotKeyGrabber::press(std::uint16_t keyCode, std::uint32_t modifiers) {
    if (!isGrabbed(keyCode, modifiers)) return false;
    if (onPressed) onPressed(keyCode, modifiers);
    return true;
}

}  // namespace corvane::platform
