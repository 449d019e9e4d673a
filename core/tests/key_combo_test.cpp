// Key combinations and the user-perceived characters their labels are counted in.
#include "core/key_combo.h"

#include <gtest/gtest.h>

#include <string>
#include <unordered_set>

#include "core/unicode_text.h"

namespace corvane {
namespace {

constexpr auto ctrl = KeyCombo::command, alt = KeyCombo::option, shift = KeyCombo::shift,
               super = KeyCombo::control;
const std::string kFamily = "\U0001F468\u200D\U0001F469\u200D\U0001F467";  // one character

std::string repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

TEST(KeyCombo, ValidityCoversKeyCodeModifiersAndLabelLength) {
    const struct {
        KeyCombo combo;
        bool valid;
    } cases[] = {
        {{127, ctrl, "x"}, true},
        {{128, ctrl, "x"}, false},
        {{17, 16, "T"}, false},
        {{17, ctrl, ""}, false},
        {{8, 0, "C"}, true},  // bare keys are valid: grid-only shortcuts
        {{1, 0, repeated("a", 24)}, true},
        {{1, 0, repeated("a", 25)}, false},
        {{1, 0, repeated(kFamily, 24)}, true},
        {{1, 0, repeated(kFamily, 25)}, false},
        {{1, 0, repeated("e\u0301", 24)}, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.combo.isValid(), c.valid) << c.combo.keyCode << c.combo.key;
}

TEST(KeyCombo, OnlyCtrlAltOrSuperMakeACombinationStrong) {
    for (std::uint32_t modifiers = 0; modifiers <= KeyCombo::allModifiers; ++modifiers) {
        EXPECT_EQ((KeyCombo{37, modifiers, "L"}).hasStrongModifier(), (modifiers & ~shift) != 0)
            << modifiers;
    }
}

TEST(KeyCombo, DisplaysInWordsAndInGlyphs) {
    const struct {
        KeyCombo combo;
        const char* words;
        const char* glyphs;
    } cases[] = {
        {KeyCombo::defaultActivation(), "Ctrl+Alt+Super+T", "\u2303\u2325\u2318T"},
        {{8, 0, "C"}, "C", "C"},
        {{24, ctrl | shift, "="}, "Ctrl+Shift+=", "\u21E7\u2318="},
        {{40, 31, "K"}, "Ctrl+Alt+Shift+Super+K", "\u2303\u2325\u21E7\u2318K"},
        {{123, alt, "\u2190"}, "Alt+\u2190", "\u2325\u2190"},
        {{1, super, "S"}, "Super+S", "\u2303S"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.combo.displayString(), c.words);
        EXPECT_EQ(c.combo.displayString(KeyComboStyle::glyphs), c.glyphs);
    }
}

TEST(KeyCombo, ThePanelKeepsItsOwnKeys) {
    // Escape and Tab with any modifiers.
    for (std::uint32_t modifiers = 0; modifiers <= KeyCombo::allModifiers; ++modifiers) {
        EXPECT_TRUE((KeyCombo{53, modifiers, "Esc"}).isReservedForPanel()) << modifiers;
        EXPECT_TRUE((KeyCombo{48, modifiers, "Tab"}).isReservedForPanel()) << modifiers;
    }
    // Return, Enter and the arrows bare or with Shift only.
    for (std::uint16_t code : {36, 76, 123, 124, 125, 126}) {
        EXPECT_TRUE((KeyCombo{code, 0, "k"}).isReservedForPanel()) << code;
        EXPECT_TRUE((KeyCombo{code, shift, "k"}).isReservedForPanel()) << code;
        EXPECT_FALSE((KeyCombo{code, alt, "k"}).isReservedForPanel()) << code;
        EXPECT_FALSE((KeyCombo{code, super, "k"}).isReservedForPanel()) << code;
    }
    // Ctrl+Z, Ctrl+comma, and Ctrl(+Shift) with = or -.
    const struct {
        std::uint16_t code;
        std::uint32_t modifiers;
        bool reserved;
    } cases[] = {{6, ctrl, true},
                 {43, ctrl, true},
                 {24, ctrl, true},
                 {27, ctrl, true},
                 {24, ctrl | shift, true},
                 {27, ctrl | shift, true},
                 {6, ctrl | shift, false},
                 {6, ctrl | alt, false},
                 {43, ctrl | shift, false},
                 {6, 0, false},
                 {24, 0, false},
                 {17, 11, false},
                 {17, 0, false}};
    for (const auto& c : cases) {
        EXPECT_EQ((KeyCombo{c.code, c.modifiers, "k"}).isReservedForPanel(), c.reserved)
            << c.code << "/" << c.modifiers;
    }
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
    EXPECT_EQ(characterCount(""), 0u);
    EXPECT_EQ(characterCount("cafe\u0301"), 4u);
    EXPECT_EQ(characterCount(kFamily + "\u200D\U0001F466"), 1u);
    EXPECT_EQ(characterCount("\U0001F1EB\U0001F1F7\U0001F1E9\U0001F1EA"), 2u);  // two flags
    EXPECT_EQ(characterCount("\r\n"), 1u);
    EXPECT_EQ(characterCount("a\xFF\xFE"
                             "b"),
              4u);  // each invalid byte is one
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
