#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/hot_key_grabber.h"
#include "platform/x11/keyboard/x11_modifier_map.h"

namespace corvane::platform {

// Global hot keys as passive key grabs on the root window. Each combination
// is grabbed four times, plain and with Caps Lock, Num Lock and both, so it
// works whatever lock is on. The application feeds every event of the
// connection to handleEvent() (from a Qt native event filter).
//
// A combination this grabber already holds is refused a second time: X would
// accept the repeated grab from the same client, and the caller expects the
// refusal that the first holder causes for everyone else.
class X11HotKeyGrabber final : public HotKeyGrabber {
public:
    // `root` defaults to the root window of the connection's first screen.
    explicit X11HotKeyGrabber(xcb_connection_t* connection, xcb_window_t root = XCB_NONE);
    ~X11HotKeyGrabber() override;

    X11HotKeyGrabber(const X11HotKeyGrabber&) = delete;
    X11HotKeyGrabber& operator=(const X11HotKeyGrabber&) = delete;

    bool grab(std::uint16_t keyCode, std::uint32_t modifiers) override;
    void ungrab(std::uint16_t keyCode, std::uint32_t modifiers) override;

    // True when the event was a press (or the matching release) of a grabbed
    // combination and has been handled; the caller then drops it. Keyboard
    // mapping changes renew the grabs and return false, because the toolkit
    // needs to see them too.
    bool handleEvent(const xcb_generic_event_t* event);

    const X11ModifierMap& modifierMap() const { return modifiers_; }

private:
    struct Grab {
        std::uint16_t keyCode;
        std::uint32_t mask;  // Corvane's mask, unknown bits dropped
        xcb_keycode_t keycode;
        std::uint16_t xModifiers;
        bool active;  // false while the keyboard cannot express it
    };

    bool grabKey(xcb_keycode_t keycode, std::uint16_t xModifiers);
    void ungrabKey(xcb_keycode_t keycode, std::uint16_t xModifiers);
    std::optional<Grab> resolve(std::uint16_t keyCode, std::uint32_t mask) const;
    bool holdsX(xcb_keycode_t keycode, std::uint16_t xModifiers) const;
    bool handleKeyPress(const xcb_key_press_event_t* event);
    bool handleKeyRelease(const xcb_key_release_event_t* event);
    void renewGrabs();

    xcb_connection_t* connection_;
    xcb_window_t root_;
    std::uint8_t xkbFirstEvent_;
    X11ModifierMap modifiers_;
    std::vector<Grab> grabs_;

    // Keys of grabbed combinations that are down, so that auto-repeat fires a
    // hot key once per press and not 25 times a second.
    std::vector<xcb_keycode_t> held_;
    xcb_keycode_t lastReleasedKey_ = 0;
    xcb_timestamp_t lastReleaseTime_ = 0;
};

}  // namespace corvane::platform
