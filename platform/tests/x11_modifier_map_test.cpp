// Which X modifier carries Alt, Super and Num Lock on this keyboard, and
// Corvane's modifier masks translated to it and back.
#include "platform/x11/keyboard/x11_modifier_map.h"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <map>

namespace corvane::platform {
namespace {

constexpr std::size_t controlIndex = 2, mod1 = 3, mod3 = 5, mod5 = 7;

// A keyboard described as keycode -> keysyms, and the modifier map over it.
struct Keyboard {
    std::map<xcb_keycode_t, std::vector<xcb_keysym_t>> keysyms;
    ModifierKeycodes modifiers;

    Keyboard& add(std::size_t modifier, xcb_keycode_t keycode, std::vector<xcb_keysym_t> syms) {
        keysyms[keycode] = std::move(syms);
        modifiers[modifier].push_back(keycode);
        return *this;
    }
    X11ModifierMap map() const {
        return modifierMapFrom(modifiers, [this](xcb_keycode_t keycode) {
            const auto found = keysyms.find(keycode);
            return found == keysyms.end() ? std::vector<xcb_keysym_t>{} : found->second;
        });
    }
};

// Moved modifiers, lock variants and mapping changes are pressed on a real
// server by the hot key tests; these are the keyboards that test cannot make.
TEST(X11ModifierMap, AltFallsBackToMetaAndAMissingModifierCannotBeAskedFor) {
    Keyboard metaOnly;
    metaOnly.add(controlIndex, 64, {XKB_KEY_Alt_L}).add(mod3, 65, {XKB_KEY_Meta_L});
    EXPECT_EQ(metaOnly.map().alt, XCB_MOD_MASK_3);  // Alt on Control does not count
    const X11ModifierMap map =
        Keyboard().add(mod1, 64, {XKB_KEY_Alt_L}).add(mod5, 92, {XKB_KEY_ISO_Level3_Shift}).map();
    EXPECT_FALSE(map.toX(9).has_value());  // no Super on this keyboard
    EXPECT_EQ(map.toX(16 | 8 | 2), XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1);  // unknown bits dropped
    EXPECT_EQ(map.fromX(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_LOCK | XCB_MOD_MASK_5 |
                        XCB_KEY_BUT_MASK_BUTTON_1),
              8u);  // AltGr, Caps Lock and buttons are none of the four
    EXPECT_EQ(map.lockVariants(), (std::vector<std::uint16_t>{0, XCB_MOD_MASK_LOCK}));
}

}  // namespace
}  // namespace corvane::platform
