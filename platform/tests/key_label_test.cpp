// The label a recorded shortcut shows for its key.
#include "platform/key_label.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane::platform {
namespace {

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
