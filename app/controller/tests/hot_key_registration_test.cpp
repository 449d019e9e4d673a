#include "app/controller/tests/controller_fixture.h"

namespace corvane::testing {
namespace {

constexpr std::uint32_t ctrlAlt = KeyCombo::ctrl | KeyCombo::alt;
constexpr std::uint32_t activationMods = ctrlAlt | KeyCombo::super;
const TileRegion leftHalf{0, 0, 0.5, 1};

using HotKeyRegistrationTest = ControllerTest;

TEST_F(HotKeyRegistrationTest, TakenShortcutsBecomeWarningsAndOnlyEnabledGlobalLayoutsAreGrabbed) {
    AppSettings settings;
    settings.layouts = {layoutOf("Left Half", leftHalf, KeyCombo{0, ctrlAlt, "A"}, true),
                        layoutOf("Off", leftHalf, KeyCombo{11, ctrlAlt, "B"}, true, false),
                        layoutOf("Grid only", leftHalf, KeyCombo{8, ctrlAlt, "C"}, false)};
    saveSettings(settings);
    grabber.refuse(17, activationMods);
    grabber.refuse(0, ctrlAlt);
    AppController& c = make();
    c.start();
    using Combo = platform::FakeHotKeyGrabber::Combination;
    EXPECT_EQ(grabber.attempts(), (std::vector<Combo>{{17, activationMods}, {0, ctrlAlt}}));
    EXPECT_EQ(c.shortcutWarnings(),
              (std::vector<std::string>{
                  "Ctrl+Alt+Super+T is in use by another app. Choose another activation shortcut.",
                  "Left Half: Ctrl+Alt+A is in use by another app."}));

    settings.activationShortcut.reset();
    settings.layouts[0].shortcut = KeyCombo{1, ctrlAlt, "S"};
    c.applySettings(settings);
    EXPECT_TRUE(c.shortcutWarnings().empty());
    ASSERT_TRUE(grabber.press(1, ctrlAlt));
    EXPECT_EQ(desktop.frameOf(window), (Rect{0, 30, 960, 1050}));

    // Recording a shortcut releases every grab; ending it takes them back.
    c.setRecordingActive(true);
    EXPECT_TRUE(grabber.grabbed().empty());
    c.setRecordingActive(false);
    EXPECT_TRUE(grabber.isGrabbed(1, ctrlAlt));
    c.stop();
    EXPECT_TRUE(grabber.grabbed().empty()) << "a stopped Corvane holds no keys";
}

}  // namespace
}  // namespace corvane::testing
