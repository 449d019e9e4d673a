#include "platform/key_label.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane::platform {
namespace {

TEST(KeyLabel, SpecialKeysGetTheirFixedNameWhateverTheyType) {
    EXPECT_EQ(recordedKeyLabel(49, " "), "Space");
    EXPECT_EQ(recordedKeyLabel(36, "\r"), "\u21A9");
    EXPECT_EQ(recordedKeyLabel(48, "\t"), "\u21E5");
    EXPECT_EQ(recordedKeyLabel(53, "\x1b"), "Esc");
    EXPECT_EQ(recordedKeyLabel(76, "\r"), "\u2324");
    EXPECT_EQ(recordedKeyLabel(117, "\x7f"), "\u2326");
    EXPECT_EQ(recordedKeyLabel(123, ""), "\u2190");
    EXPECT_EQ(recordedKeyLabel(126, ""), "\u2191");
    EXPECT_EQ(recordedKeyLabel(116, ""), "PgUp");
    EXPECT_EQ(recordedKeyLabel(96, ""), "F5");
    EXPECT_EQ(recordedKeyLabel(113, ""), "F15");
}

TEST(KeyLabel, ShiftDeleteIsNamedAfterTheKeyNotWhatItTypes) {
    // The recorder asks for the label of Delete while Shift is held; the
    // backspace character must not leak into the label.
    EXPECT_EQ(recordedKeyLabel(51, "\b"), "\u232B");
}

TEST(KeyLabel, OtherKeysShowTheUpperCasedCharacterOfTheLayout) {
    EXPECT_EQ(recordedKeyLabel(0, "a"),
              "A");  // also when Alt was held: Alt never reaches the layout lookup
    EXPECT_EQ(recordedKeyLabel(17, "t"), "T");
    EXPECT_EQ(recordedKeyLabel(27, "-"), "-");
    EXPECT_EQ(recordedKeyLabel(41, "\u00F6"), "\u00D6");  // ö on a German keyboard
    EXPECT_EQ(recordedKeyLabel(0, "\u0444"), "\u0424");   // Cyrillic ef
    EXPECT_EQ(recordedKeyLabel(18, "1"), "1");
}

TEST(KeyLabel, WhiteSpaceAndControlCharactersAreTrimmedFromBothEndsOnly) {
    EXPECT_EQ(recordedKeyLabel(0, " \t a \n"), "A");
    EXPECT_EQ(recordedKeyLabel(0, "\u00A0a b\u2028"), "A B");
    EXPECT_EQ(recordedKeyLabel(0, "\u200Bx\u200B"), "X");  // format characters
}

TEST(KeyLabel, KeysThatTypeNothingVisibleAreNamedByTheirCode) {
    EXPECT_EQ(recordedKeyLabel(114, ""), "Key 114");
    EXPECT_EQ(recordedKeyLabel(72, " \t\r\n\x01"), "Key 72");
    EXPECT_EQ(recordedKeyLabel(0, "\u3000"), "Key 0");
}

TEST(KeyLabel, LongTextIsCutToTwentyFourUserPerceivedCharacters) {
    std::string decomposed;  // é as e + combining acute: one character, two code points
    for (int i = 0; i < 30; ++i) decomposed += "e\u0301";
    std::string expected;
    for (int i = 0; i < 24; ++i) expected += "E\u0301";
    EXPECT_EQ(recordedKeyLabel(0, decomposed), expected);

    const std::string flag = "\U0001F1E9\U0001F1EA";  // one flag, two regional indicators
    std::string flags;
    for (int i = 0; i < 25; ++i) flags += flag;
    std::string twentyFourFlags;
    for (int i = 0; i < 24; ++i) twentyFourFlags += flag;
    EXPECT_EQ(recordedKeyLabel(0, flags), twentyFourFlags);

    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
    EXPECT_EQ(recordedKeyLabel(0, family + "ab"), family + "AB");
    EXPECT_EQ(recordedKeyLabel(0, std::string(24, 'x')), std::string(24, 'X'));
}

TEST(KeyLabel, InvalidUtf8NeverReachesTheLabel) {
    EXPECT_EQ(recordedKeyLabel(0,
                               "\xff"
                               "a\xc3"),
              "A");
    EXPECT_EQ(recordedKeyLabel(3, "\xff\xfe"), "Key 3");
}

}  // namespace
}  // namespace corvane::platform
