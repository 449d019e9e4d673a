// Key combinations: when they are valid, how they read, and which keys the panel keeps.
// (Names counted in user-perceived characters are covered by the validation table.)
#include "core/key_combo.h"

#include <gtest/gtest.h>

#include <string>

namespace corvane {
namespace {

constexpr auto ctrl = KeyCombo::ctrl, alt = KeyCombo::alt, shift = KeyCombo::shift;

std::string repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

TEST(KeyCombo, ValidityBothDisplayStylesAndSameKeys) {
    const std::string family = "\U0001F468\u200D\U0001F469\u200D\U0001F467";  // one character
    const std::pair<KeyCombo, bool> validity[] = {{{127, ctrl, "x"}, true},
                                                  {{128, ctrl, "x"}, false},
                                                  {{17, 16, "T"}, false},
                                                  {{17, ctrl, ""}, false},
                                                  {{1, 0, repeated(family, 24)}, true},
                                                  {{1, 0, repeated(family, 25)}, false},
                                                  {{1, 0, repeated("e\u0301", 25)}, false}};
    for (const auto& [combo, valid] : validity)
        EXPECT_EQ(combo.isValid(), valid) << combo.keyCode << " " << combo.key.size();
    const std::tuple<KeyCombo, const char*, const char*> shown[] = {
        {KeyCombo::defaultActivation(), "Ctrl+Alt+Super+T", "\u2303\u2325\u2318T"},
        {{40, 31, "K"}, "Ctrl+Alt+Shift+Super+K", "\u2303\u2325\u21E7\u2318K"},
        {{1, KeyCombo::control, "S"}, "Super+S", "\u2303S"}};
    for (const auto& [combo, words, glyphs] : shown) {
        EXPECT_EQ(combo.displayString(), words);
        EXPECT_EQ(combo.displayString(KeyComboStyle::glyphs), glyphs);
    }
    const KeyCombo upper{0, ctrl, "A"};
    EXPECT_NE(upper, (KeyCombo{0, ctrl, "a"}));
    EXPECT_TRUE(upper.sameKeys(KeyCombo{0, ctrl, "a"}));
    EXPECT_FALSE(upper.sameKeys(KeyCombo{0, alt, "A"}) || upper.sameKeys(KeyCombo{1, ctrl, "A"}));
}

TEST(KeyCombo, ThePanelKeepsItsOwnKeys) {
    // Esc and Tab with any modifiers; Return, Enter and the arrows bare or with Shift only;
    // Ctrl+Z, Ctrl+comma, and Ctrl (with or without Shift) with = or -.
    const std::tuple<std::uint16_t, std::uint32_t, bool> cases[] = {
        {53, 15, true},           {48, ctrl | alt, true},   {36, shift, true},
        {126, alt, false},        {6, ctrl, true},          {43, ctrl, true},
        {24, ctrl | shift, true}, {6, ctrl | shift, false}, {24, 0, false}};
    for (const auto& [code, modifiers, reserved] : cases)
        EXPECT_EQ((KeyCombo{code, modifiers, "k"}).isReservedForPanel(), reserved) << code;
}

}  // namespace
}  // namespace corvane
