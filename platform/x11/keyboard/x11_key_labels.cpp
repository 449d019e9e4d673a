#include "platform/x11/keyboard/x11_key_labels.h"

#include <xkbcommon/xkbcommon-x11.h>
#include <xkbcommon/xkbcommon.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <memory>

#include "platform/key_code_map.h"
#include "platform/key_label.h"

namespace corvane::platform {
namespace {

// Keypad keys type nothing at their first level while Num Lock is off (they
// move the cursor there), so their label comes from the Num Lock level: the
// digit or sign printed on the key.
constexpr std::uint16_t keypadKeys[] = {0x41, 0x43, 0x45, 0x4B, 0x4E, 0x51, 0x52, 0x53, 0x54,
                                        0x55, 0x56, 0x57, 0x58, 0x59, 0x5B, 0x5C, 0x5F};

bool isKeypadKey(std::uint16_t virtualKey) {
    return std::find(std::begin(keypadKeys), std::end(keypadKeys), virtualKey) !=
           std::end(keypadKeys);
}

// The XKB events a layout change brings, as the X protocol numbers them
// (<xcb/xkb.h> does not compile as C++): the kind sits in each event's second
// byte, and a state notification says in bytes 26 and 27 what changed.
constexpr std::uint8_t xkbNewKeyboardNotify = 0, xkbMapNotify = 1, xkbStateNotify = 2;
constexpr std::size_t stateChangedOffset = 26;
constexpr std::uint16_t groupStateChanged = 1u << 4;

using Keymap = std::unique_ptr<xkb_keymap, decltype(&xkb_keymap_unref)>;
using State = std::unique_ptr<xkb_state, decltype(&xkb_state_unref)>;

std::string charactersAtLevel(xkb_keymap* keymap, xkb_keycode_t keycode, xkb_layout_index_t layout,
                              xkb_level_index_t level) {
    const xkb_keysym_t* syms = nullptr;
    const int count = xkb_keymap_key_get_syms_by_level(keymap, keycode, layout, level, &syms);
    std::string characters;
    for (int i = 0; i < count; ++i) {
        std::array<char, 8> buffer{};  // one code point in UTF-8 and the terminating zero
        if (xkb_keysym_to_utf8(syms[i], buffer.data(), buffer.size()) > 0)
            characters += buffer.data();
    }
    return characters;
}

}  // namespace

X11KeyMapping::X11KeyMapping(xcb_connection_t* connection)
    : connection_(connection), context_(xkb_context_new(XKB_CONTEXT_NO_FLAGS)) {
    const int ready = xkb_x11_setup_xkb_extension(
        connection_, XKB_X11_MIN_MAJOR_XKB_VERSION, XKB_X11_MIN_MINOR_XKB_VERSION,
        XKB_X11_SETUP_XKB_EXTENSION_NO_FLAGS, nullptr, nullptr, &firstXkbEvent_, nullptr);
    if (ready) deviceId_ = xkb_x11_get_core_keyboard_device_id(connection_);
}

X11KeyMapping::~X11KeyMapping() {
    xkb_context_unref(context_);
}

std::string X11KeyMapping::keyLabel(std::uint16_t virtualKey) {
    if (namedKeyLabel(virtualKey)) return recordedKeyLabel(virtualKey, {});
    return recordedKeyLabel(virtualKey, layoutCharacters(virtualKey));
}

bool X11KeyMapping::isLayoutChange(const xcb_generic_event_t* event) const {
    if (deviceId_ < 0 || (event->response_type & 0x7f) != firstXkbEvent_) return false;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(event);
    switch (bytes[1]) {
        case xkbNewKeyboardNotify:
        case xkbMapNotify:
            return true;
        case xkbStateNotify: {
            std::uint16_t changed = 0;
            std::memcpy(&changed, bytes + stateChangedOffset, sizeof changed);
            return (changed & groupStateChanged) != 0;
        }
        default:
            return false;
    }
}

std::string X11KeyMapping::layoutCharacters(std::uint16_t virtualKey) {
    const std::optional<std::uint8_t> keycode = xKeycodeFor(virtualKey);
    if (!keycode || context_ == nullptr || deviceId_ < 0) return {};

    const Keymap keymap(xkb_x11_keymap_new_from_device(context_, connection_, deviceId_,
                                                       XKB_KEYMAP_COMPILE_NO_FLAGS),
                        &xkb_keymap_unref);
    if (!keymap) return {};
    // The state tells the active layout (group) the key types in.
    const State state(xkb_x11_state_new_from_device(keymap.get(), connection_, deviceId_),
                      &xkb_state_unref);
    if (!state) return {};
    const xkb_layout_index_t layout = xkb_state_key_get_layout(state.get(), *keycode);
    if (layout == XKB_LAYOUT_INVALID) return {};

    std::string characters = charactersAtLevel(keymap.get(), *keycode, layout, 0);
    if (characters.empty() && isKeypadKey(virtualKey)) {
        characters = charactersAtLevel(keymap.get(), *keycode, layout, 1);
    }
    return characters;
}

}  // namespace corvane::platform
