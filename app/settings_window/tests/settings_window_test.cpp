#include <QTabWidget>

#include "app/settings_window/general_tab.h"
#include "app/settings_window/grid_spacing_tab.h"
#include "app/settings_window/help_tab.h"
#include "app/settings_window/shortcuts_tab.h"
#include "app/settings_window/tests/settings_window_fixture.h"
#include "core/settings/settings_codec.h"

namespace corvane::testing {
namespace {

constexpr std::uint32_t activationMods = KeyCombo::ctrl | KeyCombo::alt | KeyCombo::super;

// Answers the file dialogs with prepared paths and notes what was asked.
struct FileAnswers {
    std::optional<std::filesystem::path> next;
    std::vector<SettingsFileRequest> asked;

    SettingsFileChooser chooser() {
        return [this](const SettingsFileRequest& request) {
            asked.push_back(request);
            return next;
        };
    }
};

TEST_F(SettingsWindowTest, TabsShowInTheirOrderAndFollowTheControllersNumbers) {
    SettingsWindow& w = open();
    EXPECT_EQ(w.windowTitle(), QStringLiteral("Corvane Settings"));
    QTabWidget* tabs = w.tabs();
    QStringList shown;
    for (int i = 0; i < tabs->count(); ++i)
        shown << tabs->tabText(i).replace(QStringLiteral("&&"), QStringLiteral("&"));
    EXPECT_EQ(shown, (QStringList{"General", "Shortcuts", "Grid & Spacing", "Help"}));

    const std::pair<int, QWidget*> numbers[] = {{2, static_cast<QWidget*>(w.shortcuts())},
                                                {1, w.gridSpacing()},
                                                {3, w.help()},
                                                {0, w.general()}};
    for (const auto& [number, page] : numbers) {
        controller->setSettingsTab(number);
        EXPECT_EQ(tabs->currentWidget(), page) << "tab number " << number;
    }
    for (const auto& [number, page] : numbers) {
        tabs->setCurrentWidget(page);
        EXPECT_EQ(controller->settingsTab(), number);
    }
}

TEST_F(SettingsWindowTest, SaveLayoutOpensTheShortcutsTabAndTheWindowEndsARecording) {
    SettingsWindow& w = open();
    AppController& c = *controller;
    click(QStringLiteral("Open Grid"));
    EXPECT_TRUE(c.panelsOpen());
    c.saveSelectionAsLayout(TileRegion{0, 0, 0.5, 0.5});
    EXPECT_FALSE(c.panelsOpen());
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.tabs()->currentWidget(), static_cast<QWidget*>(w.shortcuts()));
    ASSERT_TRUE(c.editingLayout());
    EXPECT_EQ(c.editingLayout()->region, (TileRegion{0, 0, 0.5, 0.5}));

    // Recording a shortcut releases the hot keys; opening or closing the window ends it.
    for (const bool closeIt : {false, true}) {
        c.setRecordingActive(true);
        EXPECT_TRUE(grabber.grabbed().empty());
        closeIt ? (void)w.close() : c.showSettings();
        EXPECT_FALSE(c.recordingActive());
        EXPECT_TRUE(grabber.isGrabbed(17, activationMods));
    }
}

TEST_F(SettingsWindowTest, TheBannerShowsTheProblemUntilDismissed) {
    SettingsWindow& w = open();
    EXPECT_TRUE(w.bannerText().isEmpty());
    EXPECT_TRUE(w.banner()->isHidden());
    controller->setSettingsError(std::string("The settings file is damaged."));
    EXPECT_FALSE(w.banner()->isHidden());
    EXPECT_EQ(w.bannerText(), QStringLiteral("The settings file is damaged."));
    click(QStringLiteral("Dismiss"));
    EXPECT_FALSE(controller->settingsError());
    EXPECT_TRUE(w.banner()->isHidden());
}

TEST_F(SettingsWindowTest, ShortcutsTakenByAnotherProgramAreListed) {
    grabber.refuse(17, activationMods);
    SettingsWindow& w = open();
    EXPECT_EQ(w.shortcutWarningsText(), QStringLiteral("Ctrl+Alt+Super+T is in use by another app. "
                                                       "Choose another activation shortcut."));
    AppSettings other = controller->settings();
    other.activationShortcut = KeyCombo{46, KeyCombo::ctrl | KeyCombo::alt, "M"};
    controller->settingsActions().saveAndApply(other);
    EXPECT_TRUE(w.shortcutWarningsText().isEmpty()) << "a free shortcut clears the list";
}

TEST_F(SettingsWindowTest, ExportAndImportUseTheChosenFilesAndCancelDoesNothing) {
    SettingsWindow& w = open([](AppSettings& s) { s.grid = GridSize{5, 4}; });
    FileAnswers answers;
    w.setFileChooser(answers.chooser());
    const std::string storedBefore = storedFile();

    click(QStringLiteral("Export\u2026"));
    click(QStringLiteral("Import\u2026"));
    ASSERT_EQ(answers.asked.size(), 2u);
    EXPECT_EQ(answers.asked[0].kind, SettingsFileRequest::Kind::save);
    EXPECT_EQ(answers.asked[0].proposedName, QStringLiteral("corvane-settings.json"));
    EXPECT_EQ(answers.asked[0].filter, QStringLiteral("JSON files (*.json)"));
    EXPECT_EQ(answers.asked[1].kind, SettingsFileRequest::Kind::open);
    EXPECT_EQ(answers.asked[1].filter, QStringLiteral("JSON files (*.json)"));
    EXPECT_EQ(answers.asked[1].title,
              QStringLiteral("Import a Corvane settings export. This replaces your layouts and "
                             "preferences."));
    EXPECT_FALSE(controller->settingsError()) << "cancelled dialogs do nothing";
    EXPECT_EQ(storedFile(), storedBefore);

    answers.next = dir / "exported.json";
    click(QStringLiteral("Export\u2026"));
    EXPECT_EQ(readFile(dir / "exported.json"), SettingsCodec::encode(controller->settings()));

    named<QCheckBox>(QStringLiteral("Keep the grid open after tiling"))->click();
    click(QStringLiteral("Import\u2026"));
    EXPECT_FALSE(controller->settings().keepPanelOpen) << "the export came back";
    EXPECT_FALSE(named<QCheckBox>(QStringLiteral("Keep the grid open after tiling"))->isChecked());
    EXPECT_EQ(controller->grid(), (GridSize{5, 4}));
}

TEST_F(SettingsWindowTest, AFailedImportSaysWhyAndChangesNothing) {
    SettingsWindow& w = open();
    FileAnswers answers;
    w.setFileChooser(answers.chooser());
    const AppSettings before = controller->settings();
    const std::string storedBefore = storedFile();
    writeFile(dir / "big.json", std::string(3'000'000, ' '));
    writeFile(dir / "broken.json", "{ \"version\": 1, ");

    answers.next = dir / "big.json";
    click(QStringLiteral("Import\u2026"));
    EXPECT_EQ(w.bannerText(),
              QStringLiteral("Import failed: Settings files must be smaller than 2 MB."));
    answers.next = dir / "broken.json";
    click(QStringLiteral("Import\u2026"));
    EXPECT_TRUE(w.bannerText().startsWith(QStringLiteral("Import failed: ")));
    EXPECT_GT(w.bannerText().size(), QStringLiteral("Import failed: ").size());
    EXPECT_EQ(controller->settings(), before);
    EXPECT_EQ(storedFile(), storedBefore);
    EXPECT_TRUE(grabber.isGrabbed(17, activationMods));
}

TEST_F(SettingsWindowTest, TheFooterShowsTheVersion) {
    open();
    const QString version = SettingsWindow::versionText();
    EXPECT_TRUE(version.startsWith(QStringLiteral("Version ")));
    EXPECT_NE(version, QStringLiteral("Version ")) << "a number or \u201cDevelopment\u201d";
    QWidget* label = named<QWidget>(version);
    ASSERT_TRUE(label);
    EXPECT_EQ(label->font().pointSize(), 11);
}

}  // namespace
}  // namespace corvane::testing
