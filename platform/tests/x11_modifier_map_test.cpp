// Which X modifier carries Alt, Super and Num Lock on this keyboard, and
// Corvane's modifier masks translated to it and back.
#include "platform/x11/x11_modifier_map.h"

#include <gtest/gtest.h>
#include <xkbcommon/xkbcommon-keysyms.h>

#include <map>

namespace corvane::platform {
namespace {

constexpr std::size_t controlIndex = 2, mod1 = 3, mod2 = 4, mod3 = 5, mod4 = 6, mod5 = 7;

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

TEST(X11ModifierMap, FindsTheModifiersWhereverTheKeyboardPutsThem) {
    const X11ModifierMap moved = Keyboard()
                                     .add(mod3, 133, {XKB_KEY_Super_L, XKB_KEY_Super_R})
                                     .add(mod5, 77, {XKB_KEY_NoSymbol, XKB_KEY_Num_Lock})
                                     .add(mod2, 64, {XKB_KEY_Alt_R})
                                     .map();
    EXPECT_EQ(moved.alt, XCB_MOD_MASK_2);
    EXPECT_EQ(moved.super, XCB_MOD_MASK_3);
    EXPECT_EQ(moved.numLock, XCB_MOD_MASK_5);
    // Alt falls back to Meta, and is never taken from Shift, Lock or Control.
    Keyboard metaOnly;
    metaOnly.add(controlIndex, 64, {XKB_KEY_Alt_L}).add(mod3, 65, {XKB_KEY_Meta_L});
    EXPECT_EQ(metaOnly.map().alt, XCB_MOD_MASK_3);
    EXPECT_EQ(Keyboard().add(mod1, 65, {XKB_KEY_Meta_L}).add(mod3, 64, {XKB_KEY_Alt_L}).map().alt,
              XCB_MOD_MASK_3);
}

TEST(X11ModifierMap, TranslatesMasksBothWaysIgnoringLocksAndRefusesMissingModifiers) {
    const X11ModifierMap map = Keyboard()
                                   .add(mod1, 64, {XKB_KEY_Alt_L, XKB_KEY_Meta_L})
                                   .add(mod2, 77, {XKB_KEY_Num_Lock})
                                   .add(mod4, 133, {XKB_KEY_Super_L})
                                   .add(mod5, 92, {XKB_KEY_ISO_Level3_Shift})
                                   .map();
    EXPECT_EQ(map.toX(11), XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4);
    EXPECT_EQ(map.toX(16 | 4), XCB_MOD_MASK_SHIFT);  // unknown bits are dropped
    for (std::uint32_t mask = 0; mask < 16; ++mask) EXPECT_EQ(map.fromX(*map.toX(mask)), mask);
    const auto locksAndButtons =
        static_cast<std::uint16_t>(XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2 | XCB_KEY_BUT_MASK_BUTTON_1);
    EXPECT_EQ(map.fromX(static_cast<std::uint16_t>(*map.toX(15) | locksAndButtons)), 15u);
    EXPECT_EQ(map.fromX(XCB_MOD_MASK_5), 0u);  // AltGr is none of the four
    EXPECT_EQ(map.lockVariants(), (std::vector<std::uint16_t>{0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                                              XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2}));

    const X11ModifierMap noSuper = Keyboard().add(mod1, 64, {XKB_KEY_Alt_L}).map();
    EXPECT_FALSE(noSuper.toX(9).has_value());
    EXPECT_EQ(noSuper.toX(10), XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1);
    EXPECT_EQ(noSuper.lockVariants(), (std::vector<std::uint16_t>{0, XCB_MOD_MASK_LOCK}));
}

}  // namespace
}  // namespace corvane::platform
