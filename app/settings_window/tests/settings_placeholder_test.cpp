#include "app/settings_window/settings_placeholder.h"

#include <QLabel>

#include "app/controller/tests/controller_fixture.h"

namespace corvane::testing {
namespace {

constexpr std::uint32_t activationMods = KeyCombo::ctrl | KeyCombo::alt | KeyCombo::super;

class SettingsPlaceholderTest : public ControllerTest {
protected:
    SettingsPlaceholderTest() {
        makeSettingsWindow = [](AppController& c) { return new SettingsPlaceholder(c); };
    }
};

TEST_F(SettingsPlaceholderTest, SaveLayoutOpensTheEditorAndTheWindowEndsARecording) {
    AppController& c = make();
    c.start();
    c.showPanels();
    const std::vector<SavedLayout> stored = c.settings().layouts;
    c.saveSelectionAsLayout(TileRegion{0, 0, 0.5, 0.5});
    EXPECT_FALSE(c.panelsOpen());
    ASSERT_TRUE(c.settingsWindow() && c.settingsWindow()->isVisible() && c.editingLayout());
    EXPECT_EQ(c.settingsTab(), 2);
    EXPECT_EQ(c.editingLayout()->name, "New layout");
    EXPECT_EQ(c.editingLayout()->region, (TileRegion{0, 0, 0.5, 0.5}));
    EXPECT_EQ(c.settings().layouts, stored) << "stored only when the editor saves it";

    // Recording a shortcut releases the hot keys; opening or closing the window ends it.
    for (const bool closeIt : {false, true}) {
        c.setRecordingActive(true);
        EXPECT_TRUE(grabber.grabbed().empty());
        closeIt ? (void)c.settingsWindow()->close() : c.showSettings();
        EXPECT_FALSE(c.recordingActive());
        EXPECT_TRUE(grabber.isGrabbed(17, activationMods));
    }
}

TEST_F(SettingsPlaceholderTest, ItListsTheProblemsTheUserMustKnowAbout) {
    grabber.refuse(17, activationMods);
    AppController& c = make();
    c.start();
    c.showSettings();
    auto* window = qobject_cast<SettingsPlaceholder*>(c.settingsWindow());
    ASSERT_TRUE(window);
    EXPECT_EQ(window->problemsText(), QStringLiteral("Ctrl+Alt+Super+T is in use by another app. "
                                                     "Choose another activation shortcut."));
    c.setSettingsError(std::string("The settings file is damaged."));
    EXPECT_TRUE(
        window->problemsText().startsWith(QStringLiteral("The settings file is damaged.\n")))
        << "the view follows the controller";
}

}  // namespace
}  // namespace corvane::testing
