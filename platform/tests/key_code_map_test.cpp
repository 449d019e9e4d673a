// Stored key codes, the X keycodes of the physical keys they stand for, and
// the label a recorded shortcut shows for its key.
#include "platform/key_code_map.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <set>
#include <string>

#include "platform/key_label.h"

namespace corvane::platform {
namespace {

std::uint8_t xKeycodeOfEvdev(int evdev) {
    return static_cast<std::uint8_t>(evdev + 8);
}

TEST(KeyCodeMap, KnownKeysLandOnTheirPhysicalPositionsAndRoundTrip) {
    const std::pair<std::uint16_t, int> known[] = {
        {0x11, KEY_T}, {0x24, KEY_ENTER}, {0x7B, KEY_LEFT}, {0x4C, KEY_KPENTER}};
    for (const auto& [virtualKey, evdev] : known)
        EXPECT_EQ(xKeycodeFor(virtualKey), xKeycodeOfEvdev(evdev)) << virtualKey;
    std::set<std::uint16_t> virtualKeys, evdevCodes;
    for (const KeyPosition& p : keyPositions()) {
        EXPECT_TRUE(virtualKeys.insert(p.virtualKey).second && evdevCodes.insert(p.evdev).second)
            << "listed twice: " << p.virtualKey;
        EXPECT_LE(p.virtualKey, 127) << "stored key codes go up to 127";
        EXPECT_EQ(virtualKeyFor(xKeycodeOfEvdev(p.evdev)), p.virtualKey);
    }
    for (std::uint16_t virtualKey = 0; virtualKey < 128; ++virtualKey) {
        const auto name = namedKeyLabel(virtualKey);
        EXPECT_TRUE(!name || xKeycodeFor(virtualKey).has_value()) << virtualKey;
    }
    EXPECT_FALSE(xKeycodeFor(0x34) || xKeycodeFor(128) || virtualKeyFor(7) || virtualKeyFor(255));
}

TEST(KeyCodeMap, EveryKeyThatCanCarryAShortcutIsKnownAndNoModifierKey) {
    std::vector<int> evdev;
    for (int code = KEY_ESC; code <= KEY_SLASH; ++code) {  // the main block, row by row
        if (code != KEY_LEFTCTRL && code != KEY_LEFTSHIFT) evdev.push_back(code);
    }
    for (int code = KEY_HOME; code <= KEY_DELETE; ++code) evdev.push_back(code);  // arrows ...
    for (int code : {KEY_F1, KEY_F12, KEY_KP7, KEY_KPSLASH, KEY_102ND}) evdev.push_back(code);
    for (int code : evdev)
        EXPECT_TRUE(virtualKeyFor(xKeycodeOfEvdev(code)).has_value()) << "evdev " << code;
    for (int code :
         {KEY_LEFTCTRL, KEY_RIGHTSHIFT, KEY_LEFTALT, KEY_RIGHTMETA, KEY_CAPSLOCK, KEY_NUMLOCK})
        EXPECT_FALSE(virtualKeyFor(xKeycodeOfEvdev(code)).has_value()) << "evdev " << code;
}

std::string repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

TEST(KeyLabel, NamedKeysUpperCasedCharactersOrTheCodeCutToTwentyFourCharacters) {
    const std::string flag = "\U0001F1E9\U0001F1EA";  // one flag, two regional indicators
    const struct {
        std::uint16_t code;
        std::string typed, label;
    } cases[] = {{49, " ", "Space"},
                 {36, "\r", "\u21A9"},
                 {53, "\x1b", "Esc"},
                 {123, "", "\u2190"},
                 {116, "", "PgUp"},
                 {113, "", "F15"},
                 {51, "\b", "\u232B"},  // Shift+Delete types a backspace: named after the key
                 {0, "a", "A"},
                 {41, "\u00F6", "\u00D6"},
                 {0, "\u0444", "\u0424"},
                 {0, " \t a \n", "A"},
                 {0, "\u00A0a b\u2028", "A B"},
                 {0, "\u200Bx\u200B", "X"},
                 {114, "", "Key 114"},
                 {72, " \t\r\n\x01", "Key 72"},
                 {0, "\u3000", "Key 0"},
                 {0,
                  "\xff"
                  "a\xc3",
                  "A"},
                 {3, "\xff\xfe", "Key 3"},
                 {0, repeated("e\u0301", 30), repeated("E\u0301", 24)},
                 {0, repeated(flag, 25), repeated(flag, 24)}};
    for (const auto& c : cases) EXPECT_EQ(recordedKeyLabel(c.code, c.typed), c.label) << c.code;
}

}  // namespace
}  // namespace corvane::platform
