#include "platform/x11/keyboard/x11_hot_key_grabber.h"

#include <algorithm>
#include <cstdlib>

#include "platform/key_code_map.h"

namespace corvane::platform {
namespace {

constexpr std::uint32_t knownModifierBits = 15;

// Modifier bits that take part in matching a press: Shift, Control and
// Mod1..Mod5, but not the mouse buttons or the XKB layout group above them.
constexpr std::uint16_t keyModifierBits = 0xff;

xcb_window_t firstRoot(xcb_connection_t* connection) {
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    return screens.rem > 0 ? screens.data->root : XCB_NONE;
}

template <typename T>
bool contains(const std::vector<T>& values, const T& value) {
    return std::find(values.begin(), values.end(), value) != values.end();
}

}  // namespace

X11HotKeyGrabber::X11HotKeyGrabber(xcb_connection_t* connection, xcb_window_t root)
    : connection_(connection),
      root_(root != XCB_NONE ? root : firstRoot(connection)),
      xkbFirstEvent_(xkbFirstEvent(connection)),
      modifiers_(readModifierMap(connection)) {}

X11HotKeyGrabber::~X11HotKeyGrabber() {
    for (const Grab& g : grabs_) {
        if (g.active) ungrabKey(g.keycode, g.xModifiers);
    }
    xcb_flush(connection_);
}

bool X11HotKeyGrabber::grab(std::uint16_t keyCode, std::uint32_t modifiers) {
    const std::uint32_t mask = modifiers & knownModifierBits;
    const bool alreadyHeld = std::any_of(grabs_.begin(), grabs_.end(), [&](const Grab& g) {
        return g.keyCode == keyCode && g.mask == mask;
    });
    if (alreadyHeld) return false;

    std::optional<Grab> wanted = resolve(keyCode, mask);
    if (!wanted || holdsX(wanted->keycode, wanted->xModifiers)) return false;
    if (!grabKey(wanted->keycode, wanted->xModifiers)) return false;
    grabs_.push_back(*wanted);
    return true;
}

void X11HotKeyGrabber::ungrab(std::uint16_t keyCode, std::uint32_t modifiers) {
    const std::uint32_t mask = modifiers & knownModifierBits;
    const auto found = std::find_if(grabs_.begin(), grabs_.end(), [&](const Grab& g) {
        return g.keyCode == keyCode && g.mask == mask;
    });
    if (found == grabs_.end()) return;
    if (found->active) {
        ungrabKey(found->keycode, found->xModifiers);
        xcb_flush(connection_);
    }
    grabs_.erase(found);
}

bool X11HotKeyGrabber::handleEvent(const xcb_generic_event_t* event) {
    if (event == nullptr) return false;
    switch (event->response_type & 0x7f) {
        case XCB_KEY_PRESS:
            return handleKeyPress(reinterpret_cast<const xcb_key_press_event_t*>(event));
        case XCB_KEY_RELEASE:
            return handleKeyRelease(reinterpret_cast<const xcb_key_release_event_t*>(event));
        default:
            if (isKeyboardMappingChange(event, xkbFirstEvent_)) renewGrabs();
            return false;
    }
}

std::optional<X11HotKeyGrabber::Grab> X11HotKeyGrabber::resolve(std::uint16_t keyCode,
                                                                std::uint32_t mask) const {
    const std::optional<std::uint8_t> keycode = xKeycodeFor(keyCode);
    const xcb_setup_t* setup = xcb_get_setup(connection_);
    if (!keycode || *keycode < setup->min_keycode || *keycode > setup->max_keycode)
        return std::nullopt;
    const std::optional<std::uint16_t> xModifiers = modifiers_.toX(mask);
    if (!xModifiers) return std::nullopt;
    return Grab{keyCode, mask, *keycode, *xModifiers, true};
}

bool X11HotKeyGrabber::holdsX(xcb_keycode_t keycode, std::uint16_t xModifiers) const {
    return std::any_of(grabs_.begin(), grabs_.end(), [&](const Grab& g) {
        return g.active && g.keycode == keycode && g.xModifiers == xModifiers;
    });
}

bool X11HotKeyGrabber::grabKey(xcb_keycode_t keycode, std::uint16_t xModifiers) {
    if (root_ == XCB_NONE) return false;
    std::vector<xcb_void_cookie_t> cookies;
    for (std::uint16_t lock : modifiers_.lockVariants()) {
        cookies.push_back(xcb_grab_key_checked(connection_, 0, root_,
                                               static_cast<std::uint16_t>(xModifiers | lock),
                                               keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    }
    // Collect every answer before deciding, so no error is left behind in
    // the event queue. BadAccess means another client holds the combination.
    bool granted = true;
    for (const xcb_void_cookie_t& cookie : cookies) {
        if (xcb_generic_error_t* error = xcb_request_check(connection_, cookie)) {
            granted = false;
            std::free(error);
        }
    }
    if (!granted) {
        ungrabKey(keycode, xModifiers);
        xcb_flush(connection_);
    }
    return granted;
}

void X11HotKeyGrabber::ungrabKey(xcb_keycode_t keycode, std::uint16_t xModifiers) {
    // Ungrabbing a variant that was never granted is harmless: X only ever
    // releases this client's own grabs.
    for (std::uint16_t lock : modifiers_.lockVariants()) {
        xcb_ungrab_key(connection_, keycode, root_, static_cast<std::uint16_t>(xModifiers | lock));
    }
}

bool X11HotKeyGrabber::handleKeyPress(const xcb_key_press_event_t* event) {
    const auto ignored = static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | modifiers_.numLock);
    const auto state = static_cast<std::uint16_t>(event->state & keyModifierBits & ~ignored);
    const auto found = std::find_if(grabs_.begin(), grabs_.end(), [&](const Grab& g) {
        return g.active && g.keycode == event->detail && g.xModifiers == state;
    });
    if (found == grabs_.end()) return false;

    // Auto-repeat shows up as presses without releases (detectable
    // auto-repeat, which Qt turns on) or as a release and a press with the
    // same time stamp (the classic form).
    const bool repeat = contains(held_, event->detail) ||
                        (lastReleasedKey_ == event->detail && lastReleaseTime_ == event->time);
    if (!contains(held_, event->detail)) held_.push_back(event->detail);
    if (repeat) return true;

    const std::uint16_t keyCode = found->keyCode;
    const std::uint32_t mask = found->mask;
    // A copy: the callback may register or unregister hot keys, or replace itself.
    const auto callback = onPressed;
    if (callback) callback(keyCode, mask);
    return true;
}

bool X11HotKeyGrabber::handleKeyRelease(const xcb_key_release_event_t* event) {
    const auto found = std::find(held_.begin(), held_.end(), event->detail);
    if (found == held_.end()) return false;
    held_.erase(found);
    lastReleasedKey_ = event->detail;
    lastReleaseTime_ = event->time;
    return true;
}

void X11HotKeyGrabber::renewGrabs() {
    // Grabs belong to keycodes and modifier bits, which a new layout leaves
    // alone; only a moved Alt, Super or Num Lock asks for new grabs. One
    // change often arrives as several events (core and XKB), so this check
    // also keeps the round trips down.
    X11ModifierMap fresh = readModifierMap(connection_);
    const bool allActive =
        std::all_of(grabs_.begin(), grabs_.end(), [](const Grab& g) { return g.active; });
    if (fresh == modifiers_ && allActive) return;

    // Release under the old map (its Num Lock bit), then grab under the new.
    for (Grab& g : grabs_) {
        if (g.active) ungrabKey(g.keycode, g.xModifiers);
        g.active = false;
    }
    modifiers_ = fresh;
    for (Grab& g : grabs_) {
        const std::optional<Grab> renewed = resolve(g.keyCode, g.mask);
        if (!renewed || holdsX(renewed->keycode, renewed->xModifiers)) continue;
        g.keycode = renewed->keycode;
        g.xModifiers = renewed->xModifiers;
        g.active = grabKey(g.keycode, g.xModifiers);
    }
    xcb_flush(connection_);
}

}  // namespace corvane::platform
