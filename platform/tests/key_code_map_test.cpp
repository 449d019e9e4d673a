#include "platform/key_code_map.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <set>

#include "platform/key_label.h"

namespace corvane::platform {
namespace {

std::uint8_t xKeycodeOfEvdev(int evdev) {
    return static_cast<std::uint8_t>(evdev + 8);
}

TEST(KeyCodeMap, KnownKeysLandOnTheirPhysicalPositions) {
    EXPECT_EQ(xKeycodeFor(0x11), 28);   // T: evdev 20
    EXPECT_EQ(xKeycodeFor(0x00), 38);   // A: evdev 30
    EXPECT_EQ(xKeycodeFor(0x24), 36);   // Return: evdev 28
    EXPECT_EQ(xKeycodeFor(0x35), 9);    // Escape: evdev 1
    EXPECT_EQ(xKeycodeFor(0x7B), 113);  // Left arrow: evdev 105
    EXPECT_EQ(xKeycodeFor(0x4C), 104);  // keypad Enter: evdev 96
    EXPECT_EQ(xKeycodeFor(0x60), 71);   // F5: evdev 63
    EXPECT_EQ(xKeycodeFor(0x1B), 20);   // minus: evdev 12
    EXPECT_EQ(xKeycodeFor(0x75), 119);  // forward delete: evdev 111
    EXPECT_EQ(xKeycodeFor(0x33), 22);   // Delete (backspace): evdev 14

    EXPECT_EQ(virtualKeyFor(28), 0x11);
    EXPECT_EQ(virtualKeyFor(9), 0x35);
    EXPECT_EQ(virtualKeyFor(113), 0x7B);
    EXPECT_EQ(virtualKeyFor(104), 0x4C);
}

TEST(KeyCodeMap, EveryPositionRoundTripsAndNoKeyIsListedTwice) {
    std::set<std::uint16_t> virtualKeys;
    std::set<std::uint16_t> evdevCodes;
    for (const KeyPosition& p : keyPositions()) {
        SCOPED_TRACE(p.virtualKey);
        EXPECT_TRUE(virtualKeys.insert(p.virtualKey).second);
        EXPECT_TRUE(evdevCodes.insert(p.evdev).second);
        EXPECT_LE(p.virtualKey, 127) << "stored key codes go up to 127";
        const auto keycode = xKeycodeFor(p.virtualKey);
        ASSERT_TRUE(keycode.has_value());
        EXPECT_EQ(*keycode, p.evdev + 8);
        EXPECT_EQ(virtualKeyFor(*keycode), p.virtualKey);
    }
}

TEST(KeyCodeMap, CoversEveryKeyOfAFullKeyboardThatCanCarryAShortcut) {
    std::vector<int> evdev;
    for (int code = KEY_ESC; code <= KEY_SLASH; ++code) {  // the main block, row by row
        if (code != KEY_LEFTCTRL && code != KEY_LEFTSHIFT) evdev.push_back(code);
    }
    for (int code = KEY_F1; code <= KEY_F10; ++code) evdev.push_back(code);
    for (int code = KEY_KP7; code <= KEY_KPDOT; ++code) evdev.push_back(code);
    for (int code = KEY_HOME; code <= KEY_DELETE; ++code)
        evdev.push_back(code);  // arrows, Insert ...
    for (int code = KEY_F13; code <= KEY_F20; ++code) evdev.push_back(code);
    for (int code :
         {KEY_SPACE, KEY_KPASTERISK, KEY_102ND, KEY_F11, KEY_F12, KEY_KPENTER, KEY_KPSLASH,
          KEY_KPEQUAL, KEY_COMPOSE, KEY_MUTE, KEY_VOLUMEDOWN, KEY_VOLUMEUP}) {
        evdev.push_back(code);
    }
    for (int code : evdev) {
        EXPECT_TRUE(virtualKeyFor(xKeycodeOfEvdev(code)).has_value()) << "evdev " << code;
    }
}

TEST(KeyCodeMap, ModifierAndLockKeysAreNeverShortcutKeys) {
    for (int code : {KEY_LEFTCTRL, KEY_RIGHTCTRL, KEY_LEFTSHIFT, KEY_RIGHTSHIFT, KEY_LEFTALT,
                     KEY_RIGHTALT, KEY_LEFTMETA, KEY_RIGHTMETA, KEY_CAPSLOCK, KEY_NUMLOCK}) {
        EXPECT_FALSE(virtualKeyFor(xKeycodeOfEvdev(code)).has_value()) << "evdev " << code;
    }
}

TEST(KeyCodeMap, CodesWithoutAKeyHaveNoKeycode) {
    EXPECT_FALSE(xKeycodeFor(0x34).has_value());
    EXPECT_FALSE(xKeycodeFor(0x7F).has_value());
    EXPECT_FALSE(xKeycodeFor(128).has_value());
    EXPECT_FALSE(xKeycodeFor(0xFFFF).has_value());
    for (std::uint8_t keycode = 0; keycode < 8; ++keycode)
        EXPECT_FALSE(virtualKeyFor(keycode).has_value());
    EXPECT_FALSE(virtualKeyFor(255).has_value());
}

TEST(KeyCodeMap, EveryNamedKeyCanBeGrabbed) {
    int named = 0;
    for (std::uint16_t virtualKey = 0; virtualKey < 128; ++virtualKey) {
        if (!namedKeyLabel(virtualKey)) continue;
        ++named;
        EXPECT_TRUE(xKeycodeFor(virtualKey).has_value()) << *namedKeyLabel(virtualKey);
    }
    EXPECT_EQ(named, 30);
}

}  // namespace
}  // namespace corvane::platform
