#include "platform/shown_shortcut.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_key_mapping.h"

namespace corvane::platform {
namespace {

constexpr std::uint32_t ctrlAlt = KeyCombo::ctrl | KeyCombo::alt;

TEST(ShownShortcutTest, TheKeyReadsAsTheCurrentLayoutLabelsItsPosition) {
    FakeKeyMapping german(FakeKeyMapping::german());
    // Recorded on a US keyboard: Z, ";" and "-" where a German keyboard has Y, Ö and ß
    // (shown as capitals, as when a key is recorded).
    EXPECT_EQ(shownShortcut(KeyCombo{6, ctrlAlt, "Z"}, &german), "Ctrl+Alt+Y");
    EXPECT_EQ(shownShortcut(KeyCombo{41, 0, ";"}, &german), "\u00d6");
    EXPECT_EQ(shownShortcut(KeyCombo{27, KeyCombo::shift, "-"}, &german), "Shift+\u1e9e");
    // Keys with fixed names keep them, whatever the layout types there.
    EXPECT_EQ(shownShortcut(KeyCombo{123, ctrlAlt, "\u2190"}, &german), "Ctrl+Alt+\u2190");
    EXPECT_EQ(currentKeyLabel(49, german), "Space");
}

TEST(ShownShortcutTest, TheStoredLabelShowsWhereTheLayoutGivesNoCharacter) {
    FakeKeyMapping german(FakeKeyMapping::german());
    // "´" is a dead key: it types nothing on its own.
    EXPECT_EQ(shownShortcut(KeyCombo{24, ctrlAlt, "="}, &german), "Ctrl+Alt+=");
    EXPECT_EQ(currentKeyLabel(24, german), std::nullopt);
    // A key this layout leaves out, and a layout that types only white space there.
    EXPECT_EQ(shownShortcut(KeyCombo{10, 0, "\u00a7"}, &german), "\u00a7");
    FakeKeyMapping blank({{17, " \t"}});
    EXPECT_EQ(shownShortcut(KeyCombo{17, ctrlAlt, "T"}, &blank), "Ctrl+Alt+T");
    // Without a keyboard layout to ask, the stored label.
    EXPECT_EQ(shownShortcut(KeyCombo{6, ctrlAlt, "Z"}, nullptr), "Ctrl+Alt+Z");
}

}  // namespace
}  // namespace corvane::platform
