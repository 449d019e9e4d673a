// Key combinations and the user-perceived characters their labels are counted in.
#include "core/key_combo.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>

#include "core/unicode_text.h"

namespace corvane {
namespace {

constexpr auto ctrl = KeyCombo::command, alt = KeyCombo::option, shift = KeyCombo::shift;
const std::string kFamily = "\U0001F468\u200D\U0001F469\u200D\U0001F467";  // one character

std::string repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

TEST(KeyCombo, ValidityStrengthAndBothDisplayStyles) {
    const std::pair<KeyCombo, bool> validity[] = {
        {{127, ctrl, "x"}, true},  {{128, ctrl, "x"}, false}, {{17, 16, "T"}, false},
        {{17, ctrl, ""}, false},   {{8, 0, "C"}, true},  // bare keys: grid-only shortcuts
        {{1, 0, repeated("a", 24)}, true},       {{1, 0, repeated("a", 25)}, false},
        {{1, 0, repeated(kFamily, 24)}, true},   {{1, 0, repeated(kFamily, 25)}, false},
        {{1, 0, repeated("e\u0301", 24)}, true}, {{1, 0, repeated("e\u0301", 25)}, false}};
    for (const auto& [combo, valid] : validity)
        EXPECT_EQ(combo.isValid(), valid) << combo.keyCode << " " << combo.key.size();
    for (std::uint32_t modifiers = 0; modifiers <= KeyCombo::allModifiers; ++modifiers) {
        EXPECT_EQ((KeyCombo{37, modifiers, "L"}).hasStrongModifier(), (modifiers & ~shift) != 0)
            << modifiers;
    }
    const std::tuple<KeyCombo, const char*, const char*> shown[] = {
        {KeyCombo::defaultActivation(), "Ctrl+Alt+Super+T", "\u2303\u2325\u2318T"},
        {{8, 0, "C"}, "C", "C"},
        {{24, ctrl | shift, "="}, "Ctrl+Shift+=", "\u21E7\u2318="},
        {{40, 31, "K"}, "Ctrl+Alt+Shift+Super+K", "\u2303\u2325\u21E7\u2318K"},
        {{123, alt, "\u2190"}, "Alt+\u2190", "\u2325\u2190"},
        {{1, KeyCombo::control, "S"}, "Super+S", "\u2303S"}};
    for (const auto& [combo, words, glyphs] : shown) {
        EXPECT_EQ(combo.displayString(), words);
        EXPECT_EQ(combo.displayString(KeyComboStyle::glyphs), glyphs);
    }
}

TEST(KeyCombo, ThePanelKeepsItsOwnKeys) {
    for (std::uint32_t m = 0; m <= KeyCombo::allModifiers; ++m) {
        EXPECT_TRUE((KeyCombo{53, m, "Esc"}).isReservedForPanel()) << m;  // with any modifiers
        EXPECT_TRUE((KeyCombo{48, m, "Tab"}).isReservedForPanel()) << m;
        // Return, Enter and the arrows bare or with Shift only.
        for (std::uint16_t code : {36, 76, 123, 124, 125, 126})
            EXPECT_EQ((KeyCombo{code, m, "k"}).isReservedForPanel(), (m & ~shift) == 0) << code;
    }
    // Ctrl+Z, Ctrl+comma, and Ctrl (with or without Shift) with = or -.
    const std::tuple<std::uint16_t, std::uint32_t, bool> cases[] = {
        {6, ctrl, true},          {43, ctrl, true},         {24, ctrl, true},
        {27, ctrl, true},         {24, ctrl | shift, true}, {27, ctrl | shift, true},
        {6, ctrl | shift, false}, {6, ctrl | alt, false},   {43, ctrl | shift, false},
        {6, 0, false},            {24, 0, false},           {17, 11, false}};
    for (const auto& [code, modifiers, reserved] : cases)
        EXPECT_EQ((KeyCombo{code, modifiers, "k"}).isReservedForPanel(), reserved) << code;
}

TEST(KeyCombo, LabelsMatterForEqualityButNotForSameKeys) {
    const KeyCombo upper{0, ctrl, "A"};
    EXPECT_NE(upper, (KeyCombo{0, ctrl, "a"}));
    EXPECT_TRUE(upper.sameKeys(KeyCombo{0, ctrl, "a"}));
    EXPECT_FALSE(upper.sameKeys(KeyCombo{0, alt, "A"}));
    EXPECT_FALSE(upper.sameKeys(KeyCombo{1, ctrl, "A"}));
    const std::unordered_set<KeyCombo> set{{0, 8, "A"}, {0, 8, "a"}, {0, 8, "A"}, {8, 0, "A"}};
    EXPECT_EQ(set.size(), 3u);
}

TEST(UnicodeText, CountsTrimsAndBlanksByUserPerceivedCharacters) {
    using UnicodeText::characterCount;
    EXPECT_EQ(characterCount("cafe\u0301"), 4u);
    EXPECT_EQ(characterCount("\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA"), 2u);  // two flags
    EXPECT_EQ(characterCount("\r\na\xFF\xFE"), 4u);  // each invalid byte is one
    EXPECT_TRUE(UnicodeText::hasAtMostCharacters(kFamily + kFamily, 2));
    EXPECT_FALSE(UnicodeText::hasAtMostCharacters(kFamily + kFamily, 1));
    EXPECT_FALSE(UnicodeText::hasAtMostCharacters(std::string(100000, 'x'), 80));
    EXPECT_EQ(UnicodeText::trimmed("\u00A0\u3000\tWide  text\u2029\u0085"), "Wide  text");
    EXPECT_EQ(UnicodeText::trimmed("\u200B"), "\u200B");  // a format character, not a space
    EXPECT_TRUE(UnicodeText::isBlank(" \u2003\u2028\r\n"));
    EXPECT_FALSE(UnicodeText::isBlank("\xFF"));
}

}  // namespace
}  // namespace corvane
