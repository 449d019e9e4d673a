#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "core/settings_codec.h"

namespace corvane {
namespace {

const char* const kOutOfRange = "Grid sizes must be 1\u201320; margins must be 0\u2013300.";
const char* const kBadLayout = "Every layout needs a name and a valid grid selection.";
const char* const kWeakGlobal = "Global shortcuts need Ctrl, Alt, or Super.";
const char* const kWeakActivation = "The activation shortcut needs Ctrl, Alt, or Super.";

// The validation message, or "" when the settings pass.
std::string refusal(const AppSettings& settings) {
    try {
        SettingsCodec::validate(settings);
        return "";
    } catch (const SettingsError& error) {
        return error.message();
    }
}

SavedLayout layout(std::string name, std::optional<KeyCombo> shortcut = std::nullopt) {
    SavedLayout l;
    l.name = std::move(name);
    l.shortcut = std::move(shortcut);
    return l;
}

std::string repeated(const std::string& piece, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

// "L0", "L1", ...; built by appending (GCC 12 warns falsely about "L" + string at -O3).
std::string numbered(int i) {
    std::string name = "L";
    return name.append(std::to_string(i));
}

TEST(SettingsValidation, DefaultsPassAndComeBackUnchanged) {
    const AppSettings settings;
    EXPECT_EQ(&SettingsCodec::validate(settings), &settings);
    EXPECT_EQ(refusal(settings), "");
}

TEST(SettingsValidation, LayoutCountIsCheckedFirst) {
    AppSettings settings;
    settings.layouts.clear();
    for (int i = 0; i < 256; ++i) settings.layouts.push_back(layout(numbered(i)));
    EXPECT_EQ(refusal(settings), "");
    settings.layouts.push_back(layout("one too many"));
    settings.version = 2;
    settings.layouts[0].name = "";
    EXPECT_EQ(refusal(settings), "Keep at most 256 saved layouts.");
}

TEST(SettingsValidation, VersionsMustBeSupported) {
    AppSettings settings;
    settings.version = 2;
    settings.starterLayoutsVersion = 0;
    EXPECT_EQ(refusal(settings), "This settings file uses an unsupported version.");
    settings.version = 1;
    const char* starter = "This settings file uses an unsupported starter layout version.";
    EXPECT_EQ(refusal(settings), starter);
    settings.starterLayoutsVersion = 4;
    EXPECT_EQ(refusal(settings), starter);
    for (int generation : {1, 2, 3}) {
        settings.starterLayoutsVersion = generation;
        EXPECT_EQ(refusal(settings), "") << generation;
    }
}

TEST(SettingsValidation, GridAndMarginsShareOneMessage) {
    AppSettings settings;
    settings.grid = GridSize{21, 6};
    EXPECT_EQ(refusal(settings), kOutOfRange);
    settings.grid = GridSize{1, 20};
    EXPECT_EQ(refusal(settings), "");
    settings.margins.right = 300.5;
    EXPECT_EQ(refusal(settings), kOutOfRange);
    settings.margins.right = 300;
    settings.margins.bottom = -0.0;
    EXPECT_EQ(refusal(settings), "");
    settings.margins.horizontalGap = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ(refusal(settings), kOutOfRange);
    settings.margins = Margins{};
    settings.margins.enabled = false;
    settings.margins.verticalGap = 500;  // off margins are still checked
    EXPECT_EQ(refusal(settings), kOutOfRange);
}

TEST(SettingsValidation, ActivationShortcutNeedsAStrongModifierAndALabel) {
    AppSettings settings;
    settings.activationShortcut = KeyCombo{17, KeyCombo::shift, "T"};
    EXPECT_EQ(refusal(settings), kWeakActivation);
    settings.activationShortcut = KeyCombo{17, 11, ""};
    EXPECT_EQ(refusal(settings), kWeakActivation);
    settings.activationShortcut = KeyCombo{17, 11 | 16, "T"};
    EXPECT_EQ(refusal(settings), kWeakActivation);
    // The activation shortcut is not held to the panel's reserved keys.
    settings.activationShortcut = KeyCombo{53, KeyCombo::command, "Esc"};
    EXPECT_EQ(refusal(settings), "");
}

TEST(SettingsValidation, SomeWayToOpenTheGridMustRemain) {
    AppSettings settings;
    settings.activationShortcut.reset();
    EXPECT_EQ(refusal(settings), "");
    settings.showMenuBarIcon = false;
    EXPECT_EQ(refusal(settings), "Keep the tray icon or an activation shortcut enabled.");
    settings.activationShortcut = KeyCombo::defaultActivation();
    EXPECT_EQ(refusal(settings), "");
}

TEST(SettingsValidation, DuplicateIdsComeBeforeEveryOtherLayoutRule) {
    AppSettings settings;
    settings.layouts[3].id = settings.layouts[1].id;
    settings.layouts[3].name = "";
    EXPECT_EQ(refusal(settings), "Layout IDs must be unique.");
}

TEST(SettingsValidation, NamesNeedTextAndAtMostEightyCharacters) {
    AppSettings settings;
    settings.layouts = {layout(repeated("n", 80))};
    EXPECT_EQ(refusal(settings), "");
    settings.layouts = {layout(repeated("n", 81))};
    EXPECT_EQ(refusal(settings), kBadLayout);
    settings.layouts = {layout("   ")};
    EXPECT_EQ(refusal(settings), kBadLayout);
    settings.layouts = {layout("\n\u2003\t")};
    EXPECT_EQ(refusal(settings), kBadLayout);
    settings.layouts = {layout(" Work ")};
    EXPECT_EQ(refusal(settings), "");
    EXPECT_EQ(SettingsCodec::validate(settings).layouts[0].name, " Work ");
    // 80 emoji of several code points each: 80 characters, far more than 80 bytes.
    settings.layouts = {layout(repeated("\U0001F469\u200D\U0001F4BB", 80))};
    EXPECT_EQ(refusal(settings), "");
    settings.layouts = {layout(repeated("\U0001F469\u200D\U0001F4BB", 81))};
    EXPECT_EQ(refusal(settings), kBadLayout);
    // The limit counts the untrimmed name.
    settings.layouts = {layout(" " + repeated("n", 79) + " ")};
    EXPECT_EQ(refusal(settings), kBadLayout);
}

TEST(SettingsValidation, LayoutGridAndRegionMustBeValid) {
    AppSettings settings;
    settings.layouts = {layout("Grid")};
    settings.layouts[0].grid = GridSize{0, 6};
    EXPECT_EQ(refusal(settings), kBadLayout);
    settings.layouts[0].grid = GridSize{6, 6};
    settings.layouts[0].region = TileRegion{0.5, 0, 0.5000011, 1};
    EXPECT_EQ(refusal(settings), kBadLayout);
    settings.layouts[0].region = TileRegion{0.5, 0, 0.5000005, 1};
    EXPECT_EQ(refusal(settings), "");
    settings.layouts[0].region.height = 0;
    EXPECT_EQ(refusal(settings), kBadLayout);
}

TEST(SettingsValidation, ShortcutsMustBeValidAndGlobalOnesStrong) {
    AppSettings settings;
    settings.layouts = {layout("Wide", KeyCombo{37, KeyCombo::shift, "L"})};
    EXPECT_EQ(refusal(settings), "");
    settings.layouts[0].isGlobal = true;
    EXPECT_EQ(refusal(settings), kWeakGlobal);
    settings.layouts[0].shortcut = KeyCombo{37, KeyCombo::shift | KeyCombo::option, "L"};
    EXPECT_EQ(refusal(settings), "");
    // An invalid shortcut is refused even on a grid-only, disabled layout.
    settings.layouts[0].isGlobal = false;
    settings.layouts[0].enabled = false;
    settings.layouts[0].shortcut = KeyCombo{200, 0, "L"};
    EXPECT_EQ(refusal(settings), kWeakGlobal);
    settings.layouts[0].isGlobal = true;
    settings.layouts[0].shortcut = KeyCombo{37, 0, "L"};
    EXPECT_EQ(refusal(settings), kWeakGlobal);
}

TEST(SettingsValidation, EnabledShortcutsMustNotRepeatTheActivationShortcutOrEachOther) {
    AppSettings settings;
    settings.layouts = {layout("Clash", KeyCombo{17, 11, "t"})};
    settings.layouts[0].isGlobal = true;
    EXPECT_EQ(refusal(settings), "The shortcut Ctrl+Alt+Super+t is assigned more than once.");
    settings.layouts[0].enabled = false;
    EXPECT_EQ(refusal(settings), "");

    settings.layouts = {layout("A", KeyCombo{0, 0, "A"}), layout("B", KeyCombo{0, 0, "A"})};
    settings.layouts[0].enabled = false;
    settings.layouts[1].enabled = false;
    EXPECT_EQ(refusal(settings), "");
    settings.layouts[1].enabled = true;
    EXPECT_EQ(refusal(settings), "");
    settings.layouts[0].enabled = true;
    EXPECT_EQ(refusal(settings), "The shortcut A is assigned more than once.");
    // Grid-only and global shortcuts share one pool of keys.
    settings.layouts[0].shortcut = KeyCombo{0, KeyCombo::command, "A"};
    settings.layouts[1].shortcut = KeyCombo{0, KeyCombo::command, "A"};
    settings.layouts[1].isGlobal = true;
    EXPECT_EQ(refusal(settings), "The shortcut Ctrl+A is assigned more than once.");
}

TEST(SettingsValidation, EnabledShortcutsMustLeaveThePanelKeysAlone) {
    AppSettings settings;
    settings.layouts = {layout("Arrow", KeyCombo{123, 0, "\u2190"})};
    EXPECT_EQ(refusal(settings), "\u2190 is reserved for panel navigation.");
    settings.layouts[0].enabled = false;
    EXPECT_EQ(refusal(settings), "");
    settings.layouts[0].enabled = true;
    settings.layouts[0].shortcut = KeyCombo{27, 12, "-"};
    EXPECT_EQ(refusal(settings), "Ctrl+Shift+- is reserved for panel navigation.");
    settings.layouts[0].shortcut = KeyCombo{123, KeyCombo::option, "\u2190"};
    EXPECT_EQ(refusal(settings), "");
}

TEST(SettingsValidation, TheFirstBrokenLayoutDecides) {
    AppSettings settings;
    settings.layouts = {layout("Free", KeyCombo{123, 0, "\u2190"}), layout("")};
    EXPECT_EQ(refusal(settings), "\u2190 is reserved for panel navigation.");
    std::swap(settings.layouts[0], settings.layouts[1]);
    EXPECT_EQ(refusal(settings), kBadLayout);
    // A duplicate is reported before the reserved check of the same layout.
    settings.activationShortcut = KeyCombo{53, KeyCombo::command, "Esc"};
    settings.layouts = {layout("Escape", KeyCombo{53, KeyCombo::command, "Escape"})};
    EXPECT_EQ(refusal(settings), "The shortcut Ctrl+Escape is assigned more than once.");
}

}  // namespace
}  // namespace corvane
