// The rules every settings document must pass, with the message the user reads
// and the order in which they are checked.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "core/settings/settings_codec.h"

namespace corvane {
namespace {

const char* const kRange = "Grid sizes must be 1\u201320; margins must be 0\u2013300.";
const char* const kBadLayout = "Every layout needs a name and a valid grid selection.";
const char* const kWeakGlobal = "Global shortcuts need Ctrl, Alt, or Super.";
const char* const kTooMany = "Keep at most 256 saved layouts.";
const char* const kWeakStart = "The activation shortcut needs Ctrl, Alt, or Super.";
const char* const kVersion = "This settings file uses an unsupported version.";
const char* const kStarter = "This settings file uses an unsupported starter layout version.";

SavedLayout layout(std::string name, std::optional<KeyCombo> shortcut = std::nullopt,
                   bool isGlobal = false, bool enabled = true) {
    SavedLayout l;
    l.name = std::move(name);
    l.shortcut = std::move(shortcut);
    l.isGlobal = isGlobal;
    l.enabled = enabled;
    return l;
}

void manyLayouts(AppSettings& s, int count) {
    s.layouts.clear();
    for (int i = 0; i < count; ++i) s.layouts.push_back(layout(std::to_string(i)));
}

void one(AppSettings& s, SavedLayout l) {
    s.layouts = {std::move(l)};
}

TEST(SettingsValidation, EachRuleHasItsMessageAndTheFirstBrokenRuleDecides) {
    using S = AppSettings&;
    const KeyCombo arrow{123, 0, "\u2190"}, a{0, 0, "A"}, ctrlA{0, 8, "A"}, ctrlEsc{53, 8, "Esc"};
    std::string emoji80;  // 80 characters of 3 code points each
    for (int i = 0; i < 80; ++i) emoji80 += "\U0001F469\u200D\U0001F4BB";
    const struct {
        const char* name;
        std::function<void(AppSettings&)> change;
        std::string message;  // empty: valid
    } cases[] = {
        // clang-format off
        {"256 layouts", [](S s) { manyLayouts(s, 256); }, ""},
        {"257 layouts first", [](S s) { manyLayouts(s, 257), s.version = 2; }, kTooMany},
        {"version before starters", [](S s) { s.version = 2, s.starterLayoutsVersion = 0; },
         kVersion},
        {"starters 0", [](S s) { s.starterLayoutsVersion = 0; }, kStarter},
        {"starters before range", [](S s) { s.starterLayoutsVersion = 4, s.grid = {0, 6}; },
         kStarter},
        {"grid before activation", [](S s) { s.grid = {21, 6}, s.activationShortcut->key = ""; },
         kRange},
        {"edges of the range", [](S s) { s.grid = {1, 20}, s.margins = {true, 300, 0, -0.0}; }, ""},
        {"margin 300.5", [](S s) { s.margins.right = 300.5; }, kRange},
        {"NaN gap", [](S s) { s.margins.horizontalGap = std::nan(""); }, kRange},
        {"margins off still checked", [](S s) { s.margins = {false, 10, 500}; }, kRange},
        {"activation Shift only", [](S s) { s.activationShortcut->modifiers = 4; }, kWeakStart},
        {"activation unknown bit", [](S s) { s.activationShortcut->modifiers = 27; }, kWeakStart},
        {"activation may be Ctrl+Esc", [&](S s) { s.activationShortcut = ctrlEsc; }, ""},
        {"no activation, no tray, before layouts",
         [](S s) { s.activationShortcut.reset(), s.showMenuBarIcon = false, one(s, layout("")); },
         "Keep the tray icon or an activation shortcut enabled."},
        {"id before name", [](S s) { s.layouts[3].id = s.layouts[1].id, s.layouts[3].name = ""; },
         "Layout IDs must be unique."},
        {"81 characters", [](S s) { one(s, layout(std::string(81, 'n'))); }, kBadLayout},
        {"80 emoji", [&](S s) { one(s, layout(emoji80)); }, ""},
        {"untrimmed name counts", [](S s) { one(s, layout(" " + std::string(79, 'n') + " ")); },
         kBadLayout},
        {"blank name", [](S s) { one(s, layout("\n\u2003\t ")); }, kBadLayout},
        {"layout grid", [](S s) { s.layouts[2].grid = {0, 6}; }, kBadLayout},
        {"region past the edge", [](S s) { s.layouts[2].region = {0.5, 0, 0.5000011, 1}; },
         kBadLayout},
        {"region within rounding", [](S s) { s.layouts[2].region = {0.5, 0, 0.5000005, 1}; }, ""},
        {"empty region", [](S s) { s.layouts[2].region.height = 0; }, kBadLayout},
        {"grid-only Shift", [](S s) { one(s, layout("W", KeyCombo{37, 4, "L"})); }, ""},
        {"global Shift", [](S s) { one(s, layout("W", KeyCombo{37, 4, "L"}, true)); }, kWeakGlobal},
        {"invalid, grid-only, disabled",
         [](S s) { one(s, layout("W", KeyCombo{200, 0, "L"}, false, false)); }, kWeakGlobal},
        {"repeats activation", [](S s) { one(s, layout("W", KeyCombo{17, 11, "t"}, true)); },
         "The shortcut Ctrl+Alt+Super+t is assigned more than once."},
        {"disabled may repeat",
         [](S s) { one(s, layout("W", KeyCombo{17, 11, "t"}, true, false)); }, ""},
        {"both enabled", [&](S s) { s.layouts = {layout("A", a), layout("B", a)}; },
         "The shortcut A is assigned more than once."},
        {"grid-only and global share keys",
         [&](S s) { s.layouts = {layout("A", ctrlA), layout("B", ctrlA, true)}; },
         "The shortcut Ctrl+A is assigned more than once."},
        {"reserved", [&](S s) { one(s, layout("A", arrow)); },
         "\u2190 is reserved for panel navigation."},
        {"reserved but disabled", [&](S s) { one(s, layout("A", arrow, false, false)); }, ""},
        {"reserved Ctrl+Shift+-", [](S s) { one(s, layout("A", KeyCombo{27, 12, "-"})); },
         "Ctrl+Shift+- is reserved for panel navigation."},
        {"first layout decides", [&](S s) { s.layouts = {layout("A", arrow), layout("")}; },
         "\u2190 is reserved for panel navigation."},
        {"first layout decides, swapped",
         [&](S s) { s.layouts = {layout(""), layout("A", arrow)}; }, kBadLayout},
        {"repeat before reserved",
         [&](S s) { s.activationShortcut = ctrlEsc, one(s, layout("E", ctrlEsc)); },
         "The shortcut Ctrl+Esc is assigned more than once."},
        // clang-format on
    };
    for (const auto& c : cases) {
        AppSettings settings;
        c.change(settings);
        std::string message;
        try {
            EXPECT_EQ(&SettingsCodec::validate(settings), &settings);
        } catch (const SettingsError& error) {
            message = error.message();
        }
        EXPECT_EQ(message, c.message) << c.name;
    }
}

}  // namespace
}  // namespace corvane
