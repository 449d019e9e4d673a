#include "platform/x11/keyboard/x11_modifier_map.h"

#include <xkbcommon/xkbcommon-keysyms.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>

#include "core/key_combo.h"
#include "platform/x11/x11_reply.h"

namespace corvane::platform {
namespace {

constexpr int firstModN = 3;  // Mod1 is the fourth modifier after Shift, Lock, Control

// XKB event subtypes (byte 1 of every XKB event).
constexpr std::uint8_t xkbNewKeyboardNotify = 0;
constexpr std::uint8_t xkbMapNotify = 1;

// The Mod bit of the first of Mod1..Mod5 that holds a key with one of `wanted`.
std::uint16_t modifierCarrying(const ModifierKeycodes& modifiers, const KeysymsOfKeycode& keysyms,
                               std::initializer_list<xcb_keysym_t> wanted) {
    for (int index = firstModN; index < 8; ++index) {
        for (xcb_keycode_t keycode : modifiers[static_cast<std::size_t>(index)]) {
            if (keycode == 0) continue;
            const std::vector<xcb_keysym_t> syms = keysyms(keycode);
            const bool carries = std::any_of(syms.begin(), syms.end(), [&](xcb_keysym_t sym) {
                return std::find(wanted.begin(), wanted.end(), sym) != wanted.end();
            });
            if (carries) return static_cast<std::uint16_t>(1u << index);
        }
    }
    return 0;
}

}  // namespace

std::optional<std::uint16_t> X11ModifierMap::toX(std::uint32_t mask) const {
    std::uint16_t state = 0;
    if (mask & KeyCombo::ctrl) state |= XCB_MOD_MASK_CONTROL;
    if (mask & KeyCombo::shift) state |= XCB_MOD_MASK_SHIFT;
    if (mask & KeyCombo::alt) {
        if (alt == 0) return std::nullopt;
        state |= alt;
    }
    if (mask & KeyCombo::super) {
        if (super == 0) return std::nullopt;
        state |= super;
    }
    return state;
}

std::uint32_t X11ModifierMap::fromX(std::uint16_t state) const {
    std::uint32_t mask = 0;
    if (state & XCB_MOD_MASK_CONTROL) mask |= KeyCombo::ctrl;
    if (state & XCB_MOD_MASK_SHIFT) mask |= KeyCombo::shift;
    if (alt != 0 && (state & alt)) mask |= KeyCombo::alt;
    if (super != 0 && (state & super)) mask |= KeyCombo::super;
    return mask;
}

std::vector<std::uint16_t> X11ModifierMap::lockVariants() const {
    std::vector<std::uint16_t> variants{0, XCB_MOD_MASK_LOCK};
    if (numLock != 0 && numLock != XCB_MOD_MASK_LOCK) {
        variants.push_back(numLock);
        variants.push_back(static_cast<std::uint16_t>(numLock | XCB_MOD_MASK_LOCK));
    }
    return variants;
}

X11ModifierMap modifierMapFrom(const ModifierKeycodes& modifiers, const KeysymsOfKeycode& keysyms) {
    X11ModifierMap map;
    map.alt = modifierCarrying(modifiers, keysyms, {XKB_KEY_Alt_L, XKB_KEY_Alt_R});
    if (map.alt == 0)
        map.alt = modifierCarrying(modifiers, keysyms, {XKB_KEY_Meta_L, XKB_KEY_Meta_R});
    map.super = modifierCarrying(modifiers, keysyms, {XKB_KEY_Super_L, XKB_KEY_Super_R});
    map.numLock = modifierCarrying(modifiers, keysyms, {XKB_KEY_Num_Lock});
    return map;
}

X11ModifierMap readModifierMap(xcb_connection_t* connection) {
    const xcb_setup_t* setup = xcb_get_setup(connection);
    const xcb_keycode_t minKeycode = setup->min_keycode;
    const auto keycodeCount = static_cast<std::uint8_t>(setup->max_keycode - minKeycode + 1);

    auto modCookie = xcb_get_modifier_mapping(connection);
    auto keyCookie = xcb_get_keyboard_mapping(connection, minKeycode, keycodeCount);
    auto modReply = awaitReply(connection, modCookie);
    auto keyReply = awaitReply(connection, keyCookie);
    if (!modReply.ok() || !keyReply.ok()) return {};
    const xcb_get_modifier_mapping_reply_t* modMap = modReply.value().get();
    const xcb_get_keyboard_mapping_reply_t* keyMap = keyReply.value().get();

    ModifierKeycodes modifiers;
    const xcb_keycode_t* modKeycodes = xcb_get_modifier_mapping_keycodes(modMap);
    const int perModifier = modMap->keycodes_per_modifier;
    if (xcb_get_modifier_mapping_keycodes_length(modMap) < 8 * perModifier) return {};
    for (int index = 0; index < 8; ++index) {
        const std::ptrdiff_t first = std::ptrdiff_t{index} * perModifier;
        modifiers[static_cast<std::size_t>(index)].assign(modKeycodes + first,
                                                          modKeycodes + first + perModifier);
    }

    const xcb_keysym_t* allKeysyms = xcb_get_keyboard_mapping_keysyms(keyMap);
    const int symsLength = xcb_get_keyboard_mapping_keysyms_length(keyMap);
    const int perKeycode = keyMap->keysyms_per_keycode;
    auto keysymsOf = [&](xcb_keycode_t keycode) {
        const int first = (keycode - minKeycode) * perKeycode;
        if (keycode < minKeycode || first + perKeycode > symsLength)
            return std::vector<xcb_keysym_t>{};
        return std::vector<xcb_keysym_t>(allKeysyms + first, allKeysyms + first + perKeycode);
    };
    return modifierMapFrom(modifiers, keysymsOf);
}

std::uint8_t xkbFirstEvent(xcb_connection_t* connection) {
    static constexpr char name[] = "XKEYBOARD";
    auto cookie =
        xcb_query_extension(connection, static_cast<std::uint16_t>(std::strlen(name)), name);
    auto reply = awaitReply(connection, cookie);
    if (!reply.ok() || !reply.value()->present) return 0;
    return reply.value()->first_event;
}

bool isKeyboardMappingChange(const xcb_generic_event_t* event, std::uint8_t xkbFirstEvent) {
    const std::uint8_t type = event->response_type & 0x7f;
    if (type == XCB_MAPPING_NOTIFY) {
        const auto* mapping = reinterpret_cast<const xcb_mapping_notify_event_t*>(event);
        return mapping->request == XCB_MAPPING_MODIFIER || mapping->request == XCB_MAPPING_KEYBOARD;
    }
    if (xkbFirstEvent != 0 && type == xkbFirstEvent) {
        // Every XKB event shares one event code; the second byte tells them apart.
        const std::uint8_t xkbType = event->pad0;
        return xkbType == xkbNewKeyboardNotify || xkbType == xkbMapNotify;
    }
    return false;
}

}  // namespace corvane::platform
