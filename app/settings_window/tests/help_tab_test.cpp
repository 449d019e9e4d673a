#include "app/settings_window/help_tab.h"

#include <QLabel>

#include "app/settings_window/tests/settings_window_fixture.h"

namespace corvane::testing {
namespace {

using HelpTabTest = SettingsWindowTest;

TEST_F(HelpTabTest, TheStepsNameTheActivationShortcutAndTheSettingsFile) {
    open();
    const QString prefix = QStringLiteral(
        "Click the window you want to arrange, then click the tray grid icon or press ");
    EXPECT_TRUE(named<QLabel>(prefix + QStringLiteral("Ctrl+Alt+Super+T.")));
    EXPECT_TRUE(
        named<QLabel>(QStringLiteral("Settings are saved locally in ") +
                      QString::fromStdString((dir / "settings.json").string()) +
                      QStringLiteral(". Export and import use Corvane\u2019s JSON format.")));
    EXPECT_TRUE(named<QLabel>(QStringLiteral("Ctrl+Shift++ / Ctrl+Shift+\u2212")));

    AppSettings trayOnly = controller->settings();
    trayOnly.activationShortcut.reset();
    controller->settingsActions().saveAndApply(trayOnly);
    EXPECT_TRUE(named<QLabel>(prefix + QStringLiteral("your activation shortcut.")));
}

TEST_F(HelpTabTest, LinksGoToTheHomePageWhenThereIsOne) {
    AppController& c = make();
    const HelpTab without(c, QString());
    EXPECT_TRUE(without.links().empty());

    const HelpTab with(c, QStringLiteral("https://corvane.example/"));
    const std::vector<std::pair<QString, QString>> expected = {
        {QStringLiteral("Website"), QStringLiteral("https://corvane.example")},
        {QStringLiteral("Support"), QStringLiteral("https://corvane.example/support")},
        {QStringLiteral("Privacy"), QStringLiteral("https://corvane.example/privacy")}};
    EXPECT_EQ(with.links(), expected);
    int buttons = 0;
    for (auto* button : with.findChildren<QAbstractButton*>()) {
        if (button->text() == QStringLiteral("Support")) ++buttons;
    }
    EXPECT_EQ(buttons, 1);
}

TEST_F(HelpTabTest, QuitCorvaneAsksTheApplicationToQuit) {
    open();
    int quits = 0;
    QObject::connect(controller.get(), &AppController::quitRequested, [&] { ++quits; });
    click(QStringLiteral("Quit Corvane"));
    EXPECT_EQ(quits, 1);
}

}  // namespace
}  // namespace corvane::testing
