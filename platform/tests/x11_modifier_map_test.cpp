#include "platform/x11/x11_modifier_map.h"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <map>

namespace corvane::platform {
namespace {

constexpr std::size_t shiftIndex = 0, lockIndex = 1, controlIndex = 2;
constexpr std::size_t mod1 = 3, mod2 = 4, mod3 = 5, mod4 = 6, mod5 = 7;

// A keyboard described as keycode -> keysyms, and the modifier map over it.
struct Keyboard {
    std::map<xcb_keycode_t, std::vector<xcb_keysym_t>> keysyms;
    ModifierKeycodes modifiers;

    void add(std::size_t modifier, xcb_keycode_t keycode, std::vector<xcb_keysym_t> syms) {
        keysyms[keycode] = std::move(syms);
        modifiers[modifier].push_back(keycode);
    }
    X11ModifierMap map() const {
        return modifierMapFrom(modifiers, [this](xcb_keycode_t keycode) {
            const auto found = keysyms.find(keycode);
            return found == keysyms.end() ? std::vector<xcb_keysym_t>{} : found->second;
        });
    }
};

// The usual layout: Alt on Mod1, Num Lock on Mod2, Super on Mod4, AltGr on Mod5.
Keyboard usualKeyboard() {
    Keyboard k;
    k.add(shiftIndex, 50, {XKB_KEY_Shift_L});
    k.add(lockIndex, 66, {XKB_KEY_Caps_Lock});
    k.add(controlIndex, 37, {XKB_KEY_Control_L});
    k.add(mod1, 64, {XKB_KEY_Alt_L, XKB_KEY_Meta_L});
    k.add(mod2, 77, {XKB_KEY_Num_Lock});
    k.add(mod4, 133, {XKB_KEY_Super_L});
    k.add(mod4, 207, {XKB_KEY_Hyper_L});
    k.add(mod5, 92, {XKB_KEY_ISO_Level3_Shift});
    k.modifiers[mod1].push_back(0);  // unused slots are keycode 0
    return k;
}

TEST(X11ModifierMap, FindsAltSuperAndNumLockWhereverTheKeyboardPutsThem) {
    const X11ModifierMap usual = usualKeyboard().map();
    EXPECT_EQ(usual.alt, XCB_MOD_MASK_1);
    EXPECT_EQ(usual.numLock, XCB_MOD_MASK_2);
    EXPECT_EQ(usual.super, XCB_MOD_MASK_4);

    Keyboard moved;
    moved.add(mod3, 133, {XKB_KEY_Super_L, XKB_KEY_Super_R});
    moved.add(mod5, 77, {XKB_KEY_NoSymbol, XKB_KEY_Num_Lock});
    moved.add(mod2, 64, {XKB_KEY_Alt_R});
    const X11ModifierMap map = moved.map();
    EXPECT_EQ(map.alt, XCB_MOD_MASK_2);
    EXPECT_EQ(map.super, XCB_MOD_MASK_3);
    EXPECT_EQ(map.numLock, XCB_MOD_MASK_5);
}

TEST(X11ModifierMap, AltFallsBackToMetaAndIsNeverTakenFromShiftLockOrControl) {
    Keyboard metaOnly;
    metaOnly.add(controlIndex, 64, {XKB_KEY_Alt_L});  // not a ModN: does not count
    metaOnly.add(mod3, 65, {XKB_KEY_Meta_L});
    EXPECT_EQ(metaOnly.map().alt, XCB_MOD_MASK_3);

    Keyboard both;
    both.add(mod1, 65, {XKB_KEY_Meta_L});
    both.add(mod3, 64, {XKB_KEY_Alt_L});
    EXPECT_EQ(both.map().alt, XCB_MOD_MASK_3);
}

TEST(X11ModifierMap, TranslatesCorvaneMasksToXModifiersAndBack) {
    const X11ModifierMap map = usualKeyboard().map();
    EXPECT_EQ(map.toX(11),
              XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4);  // Ctrl+Alt+Super
    EXPECT_EQ(map.toX(4), XCB_MOD_MASK_SHIFT);
    EXPECT_EQ(map.toX(0), 0);
    EXPECT_EQ(map.toX(16 | 8), XCB_MOD_MASK_CONTROL);  // unknown bits are dropped

    for (std::uint32_t mask = 0; mask < 16; ++mask) {
        EXPECT_EQ(map.fromX(*map.toX(mask)), mask) << mask;
    }
    const auto locksAndButtons = static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2 |
                                                            XCB_KEY_BUT_MASK_BUTTON_1 | 0x2000);
    EXPECT_EQ(map.fromX(static_cast<std::uint16_t>(*map.toX(15) | locksAndButtons)), 15u);
    EXPECT_EQ(map.fromX(XCB_MOD_MASK_5 | XCB_MOD_MASK_3), 0u);  // AltGr is none of the four
}

TEST(X11ModifierMap, AModifierTheKeyboardLacksCannotBeAskedFor) {
    Keyboard noSuper;
    noSuper.add(mod1, 64, {XKB_KEY_Alt_L});
    const X11ModifierMap map = noSuper.map();
    EXPECT_FALSE(map.toX(1).has_value());
    EXPECT_FALSE(map.toX(9).has_value());
    EXPECT_EQ(map.toX(10), XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1);
    EXPECT_EQ(map.fromX(XCB_MOD_MASK_4), 0u);

    EXPECT_FALSE(X11ModifierMap{}.toX(2).has_value());
}

TEST(X11ModifierMap, GrabsCoverCapsLockAndNumLock) {
    const X11ModifierMap usual = usualKeyboard().map();
    EXPECT_EQ(usual.lockVariants(),
              (std::vector<std::uint16_t>{0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                          XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2}));
    EXPECT_EQ(X11ModifierMap{}.lockVariants(), (std::vector<std::uint16_t>{0, XCB_MOD_MASK_LOCK}));
}

xcb_generic_event_t eventOf(std::uint8_t type, std::uint8_t secondByte) {
    xcb_generic_event_t event{};
    event.response_type = type;
    event.pad0 = secondByte;
    return event;
}

TEST(X11ModifierMap, RecognisesKeyboardMappingChanges) {
    xcb_mapping_notify_event_t mapping{};
    mapping.response_type = XCB_MAPPING_NOTIFY;
    for (std::uint8_t request : {XCB_MAPPING_MODIFIER, XCB_MAPPING_KEYBOARD}) {
        mapping.request = request;
        EXPECT_TRUE(isKeyboardMappingChange(reinterpret_cast<xcb_generic_event_t*>(&mapping), 0));
    }
    mapping.request = XCB_MAPPING_POINTER;
    EXPECT_FALSE(isKeyboardMappingChange(reinterpret_cast<xcb_generic_event_t*>(&mapping), 0));

    constexpr std::uint8_t xkbBase = 85;
    auto newKeyboard = eventOf(xkbBase, 0);
    auto map = eventOf(xkbBase | 0x80, 1);  // also when sent by another client
    auto state = eventOf(xkbBase, 2);
    EXPECT_TRUE(isKeyboardMappingChange(&newKeyboard, xkbBase));
    EXPECT_TRUE(isKeyboardMappingChange(&map, xkbBase));
    EXPECT_FALSE(isKeyboardMappingChange(&state, xkbBase));
    EXPECT_FALSE(isKeyboardMappingChange(&newKeyboard, 0));  // no XKB on this server

    auto keyPress = eventOf(XCB_KEY_PRESS, 28);
    EXPECT_FALSE(isKeyboardMappingChange(&keyPress, xkbBase));
}

}  // namespace
}  // namespace corvane::platform
