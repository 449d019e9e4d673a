#include "core/key_combo.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>

namespace corvane {
namespace {

constexpr std::uint16_t kLeftArrow = 123;
constexpr std::uint16_t kEscape = 53;
constexpr std::uint16_t kReturn = 36;

std::string repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

TEST(KeyCombo, ValidityCoversKeyCodeModifiersAndLabel) {
    EXPECT_TRUE((KeyCombo{127, KeyCombo::command, "x"}).isValid());
    EXPECT_FALSE((KeyCombo{128, KeyCombo::command, "x"}).isValid());
    EXPECT_FALSE((KeyCombo{17, 16, "T"}).isValid());
    EXPECT_FALSE((KeyCombo{17, KeyCombo::command, ""}).isValid());
    // A strong modifier is not part of validity: grid-only shortcuts may be bare keys.
    EXPECT_TRUE((KeyCombo{8, 0, "C"}).isValid());
}

TEST(KeyCombo, LabelLengthCountsUserPerceivedCharacters) {
    EXPECT_TRUE((KeyCombo{1, 0, repeated("a", 24)}).isValid());
    EXPECT_FALSE((KeyCombo{1, 0, repeated("a", 25)}).isValid());
    // A family emoji: five code points joined by zero-width joiners, one character.
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";
    EXPECT_TRUE((KeyCombo{1, 0, repeated(family, 24)}).isValid());
    EXPECT_FALSE((KeyCombo{1, 0, repeated(family, 25)}).isValid());
    // e + combining acute accent is one character, but two code points.
    EXPECT_TRUE((KeyCombo{1, 0, repeated("e\u0301", 24)}).isValid());
}

TEST(KeyCombo, OnlyCtrlAltOrSuperMakeACombinationStrong) {
    EXPECT_FALSE((KeyCombo{37, KeyCombo::shift, "L"}).hasStrongModifier());
    EXPECT_FALSE((KeyCombo{37, 0, "L"}).hasStrongModifier());
    for (std::uint32_t strong : {KeyCombo::control, KeyCombo::option, KeyCombo::command}) {
        EXPECT_TRUE((KeyCombo{37, strong, "L"}).hasStrongModifier()) << strong;
    }
}

TEST(KeyCombo, LinuxWordsListCtrlAltShiftSuperInThatOrder) {
    EXPECT_EQ(KeyCombo::defaultActivation().displayString(), "Ctrl+Alt+Super+T");
    EXPECT_EQ((KeyCombo{8, 0, "C"}).displayString(), "C");
    EXPECT_EQ((KeyCombo{24, 12, "="}).displayString(), "Ctrl+Shift+=");
    EXPECT_EQ((KeyCombo{40, 15, "K"}).displayString(), "Ctrl+Alt+Shift+Super+K");
    EXPECT_EQ((KeyCombo{40, 31, "K"}).displayString(), "Ctrl+Alt+Shift+Super+K");
    EXPECT_EQ((KeyCombo{kLeftArrow, KeyCombo::option, "\u2190"}).displayString(), "Alt+\u2190");
}

TEST(KeyCombo, GlyphStyleListsControlOptionShiftCommandWithoutSeparators) {
    const auto glyphs = KeyComboStyle::glyphs;
    EXPECT_EQ(KeyCombo::defaultActivation().displayString(glyphs), "\u2303\u2325\u2318T");
    EXPECT_EQ((KeyCombo{8, 0, "C"}).displayString(glyphs), "C");
    EXPECT_EQ((KeyCombo{24, 12, "="}).displayString(glyphs), "\u21E7\u2318=");
    EXPECT_EQ((KeyCombo{40, 15, "K"}).displayString(glyphs), "\u2303\u2325\u21E7\u2318K");
    EXPECT_EQ((KeyCombo{40, 31, "K"}).displayString(glyphs), "\u2303\u2325\u21E7\u2318K");
}

TEST(KeyCombo, PanelKeepsEscapeAndTabWithAnyModifiers) {
    for (std::uint32_t modifiers = 0; modifiers <= KeyCombo::allModifiers; ++modifiers) {
        EXPECT_TRUE((KeyCombo{kEscape, modifiers, "Esc"}).isReservedForPanel()) << modifiers;
        EXPECT_TRUE((KeyCombo{48, modifiers, "Tab"}).isReservedForPanel()) << modifiers;
    }
}

TEST(KeyCombo, PanelKeepsReturnEnterAndArrowsBareOrWithShift) {
    for (std::uint16_t code : {kReturn, std::uint16_t(76), std::uint16_t(123), std::uint16_t(124),
                               std::uint16_t(125), std::uint16_t(126)}) {
        EXPECT_TRUE((KeyCombo{code, 0, "k"}).isReservedForPanel()) << code;
        EXPECT_TRUE((KeyCombo{code, KeyCombo::shift, "k"}).isReservedForPanel()) << code;
        EXPECT_FALSE((KeyCombo{code, KeyCombo::option, "k"}).isReservedForPanel()) << code;
        EXPECT_FALSE((KeyCombo{code, KeyCombo::control, "k"}).isReservedForPanel()) << code;
    }
}

TEST(KeyCombo, PanelKeepsItsCtrlShortcuts) {
    const auto ctrl = KeyCombo::command;
    const auto ctrlShift = KeyCombo::command | KeyCombo::shift;
    EXPECT_TRUE((KeyCombo{6, ctrl, "Z"}).isReservedForPanel());
    EXPECT_TRUE((KeyCombo{43, ctrl, ","}).isReservedForPanel());
    EXPECT_TRUE((KeyCombo{24, ctrl, "="}).isReservedForPanel());
    EXPECT_TRUE((KeyCombo{27, ctrl, "-"}).isReservedForPanel());
    EXPECT_TRUE((KeyCombo{24, ctrlShift, "="}).isReservedForPanel());
    EXPECT_TRUE((KeyCombo{27, ctrlShift, "-"}).isReservedForPanel());
    EXPECT_FALSE((KeyCombo{6, ctrlShift, "Z"}).isReservedForPanel());
    EXPECT_FALSE((KeyCombo{6, ctrl | KeyCombo::option, "Z"}).isReservedForPanel());
    EXPECT_FALSE((KeyCombo{43, ctrlShift, ","}).isReservedForPanel());
    EXPECT_FALSE((KeyCombo{6, 0, "Z"}).isReservedForPanel());
    EXPECT_FALSE((KeyCombo{24, 0, "="}).isReservedForPanel());
}

TEST(KeyCombo, EverythingElseIsFree) {
    EXPECT_FALSE((KeyCombo{kLeftArrow, KeyCombo::option, "\u2190"}).isReservedForPanel());
    EXPECT_FALSE((KeyCombo{kReturn, KeyCombo::control, "\u21A9"}).isReservedForPanel());
    EXPECT_FALSE(KeyCombo::defaultActivation().isReservedForPanel());
    EXPECT_FALSE((KeyCombo{17, 0, "T"}).isReservedForPanel());
}

TEST(KeyCombo, LabelsMatterForEqualityButNotForSameKeys) {
    const KeyCombo upper{0, KeyCombo::command, "A"};
    const KeyCombo lower{0, KeyCombo::command, "a"};
    EXPECT_NE(upper, lower);
    EXPECT_TRUE(upper.sameKeys(lower));
    EXPECT_FALSE(upper.sameKeys(KeyCombo{0, KeyCombo::option, "A"}));
    EXPECT_FALSE(upper.sameKeys(KeyCombo{1, KeyCombo::command, "A"}));
}

TEST(KeyCombo, HashesEqualValuesAlikeAndEveryFieldCounts) {
    std::unordered_set<KeyCombo> set{KeyCombo{0, 8, "A"}, KeyCombo{0, 8, "a"}, KeyCombo{0, 8, "A"}};
    EXPECT_EQ(set.size(), 2u);
    const std::hash<KeyCombo> hash;
    const std::size_t base = hash(KeyCombo{3, 2, "F"});
    EXPECT_NE(hash(KeyCombo{4, 2, "F"}), base);
    EXPECT_NE(hash(KeyCombo{3, 1, "F"}), base);
    EXPECT_NE(hash(KeyCombo{3, 2, "G"}), base);
    // Key code and modifiers are not interchangeable.
    EXPECT_NE(hash(KeyCombo{2, 3, "F"}), base);
}

}  // namespace
}  // namespace corvane
