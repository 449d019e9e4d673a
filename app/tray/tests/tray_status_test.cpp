#include "app/tray/tray_status.h"

#include <QMenu>
#include <QTest>

#include "app/controller/settings_actions.h"
#include "app/controller/tests/controller_fixture.h"
#include "app/tray/tray_icon.h"
#include "app/updates/app_updater.h"
#include "app/updates/tests/feed_server.h"
#include "app/updates/update_check_dialog.h"

namespace corvane::testing {
namespace {

constexpr std::uint32_t activationMods = KeyCombo::ctrl | KeyCombo::alt | KeyCombo::super;

using TrayStatusTest = ControllerTest;

TEST_F(TrayStatusTest, ATakenShortcutBringsBackTheIconTheUserSwitchedOff) {
    grabber.refuse(17, activationMods);
    AppController& c = make([](AppSettings& s) { s.showMenuBarIcon = false; });
    TrayStatus tray(c);
    EXPECT_FALSE(tray.iconWanted());
    EXPECT_EQ(tray.describe(), "hidden (switched off in the settings)");
    c.start();
    EXPECT_TRUE(tray.iconWanted()) << "warnings bring back the icon the user switched off";
    EXPECT_EQ(tray.icon().toolTip(),
              QStringLiteral("Corvane \u2014 Ctrl+Alt+Super+T\nRight-click for settings"));
    // The off-screen test platform has no tray: the icon waits for one.
    EXPECT_EQ(tray.describe(), "waiting for a system tray");

    AppSettings settings = c.settings();
    settings.activationShortcut.reset();
    c.applySettings(settings);
    EXPECT_FALSE(tray.iconWanted());
    EXPECT_EQ(tray.icon().toolTip(), QStringLiteral("Corvane\nRight-click for settings"));

    // A left click on the icon toggles the grid.
    emit tray.icon().activated(QSystemTrayIcon::Trigger);
    EXPECT_TRUE(c.panelsOpen());
}

TEST_F(TrayStatusTest, TheTooltipLabelsTheShortcutAsTheCurrentKeyboardLayoutDoes) {
    keyMapping.setLayout(platform::FakeKeyMapping::french());
    AppController& c = make([](AppSettings& s) {
        s.activationShortcut = KeyCombo{0, activationMods, "A"};  // where US keyboards have A
    });
    TrayStatus tray(c);
    c.start();
    EXPECT_EQ(tray.icon().toolTip(),
              QStringLiteral("Corvane \u2014 Ctrl+Alt+Super+Q\nRight-click for settings"));
    keyMapping.setLayout(platform::FakeKeyMapping::us());
    c.handleKeyboardLayoutChanged();
    EXPECT_EQ(tray.icon().toolTip(),
              QStringLiteral("Corvane \u2014 Ctrl+Alt+Super+A\nRight-click for settings"));
}

TEST_F(TrayStatusTest, SettingsThatFailedToLoadAreToldOnceAndAnEditThatIsRefusedToo) {
    writeFile(dir / "settings.json", "{ damaged");
    AppController& c = make();
    TrayStatus tray(c);
    ASSERT_TRUE(c.settingsFileProblem());
    const std::string problem = *c.settingsFileProblem();
    EXPECT_EQ(problem.rfind("Couldn\u2019t load saved settings. A backup was saved as ", 0), 0u);
    EXPECT_EQ(tray.icon().toolTip().toStdString(),
              "Corvane \u2014 Ctrl+Alt+Super+T\n" + problem + "\nRight-click for settings");
    EXPECT_EQ(tray.icon().notices(), QStringList{QString::fromStdString(problem)});

    c.start();
    AppSettings settings = c.settings();
    settings.keepPanelOpen = true;
    ASSERT_TRUE(c.settingsActions().saveAndApply(settings));  // the damaged file is replaced
    EXPECT_EQ(tray.icon().toolTip(),
              QStringLiteral("Corvane \u2014 Ctrl+Alt+Super+T\nRight-click for settings"));
    EXPECT_EQ(tray.icon().notices().size(), 1);

    // An edit by hand that is refused says so where the user looks, with the icon
    // back even when it is switched off.
    settings.showMenuBarIcon = false;
    ASSERT_TRUE(c.settingsActions().saveAndApply(settings));
    EXPECT_FALSE(tray.iconWanted());
    writeFile(dir / "settings.json", "[]");
    ASSERT_TRUE(QTest::qWaitFor([&] { return c.settingsFileProblem().has_value(); }));
    EXPECT_TRUE(tray.icon().toolTip().contains(QStringLiteral("was refused")));
    EXPECT_TRUE(tray.iconWanted());
    EXPECT_EQ(tray.icon().notices().size(), 1) << "one notification per start";
}

TEST(TrayIconTest, TheMarkSuitsThePanelItSitsOn) {
    EXPECT_EQ(TrayIcon::variantFor(std::nullopt), TrayIcon::Variant::light);
    EXPECT_EQ(TrayIcon::variantFor(QColor(30, 30, 30)), TrayIcon::Variant::light);
    EXPECT_EQ(TrayIcon::variantFor(QColor(235, 235, 235)), TrayIcon::Variant::dark);
    TrayIcon tray;
    QStringList entries;
    for (QAction* action : tray.menu()->actions()) entries << action->text();
    EXPECT_EQ(entries.join('|'),
              QStringLiteral("Open Grid|Settings\u2026|Check for Updates\u2026||Quit Corvane"));
}

TEST_F(TrayStatusTest, CheckForUpdatesIsOperableOnlyWhileACheckMayStart) {
    // A build without a feed: the entry is off, and asking anyway says why.
    {
        AppController& c = make();
        TrayStatus tray(c);
        EXPECT_FALSE(tray.icon().updatesEnabled());
        c.checkForUpdates();
        ASSERT_TRUE(c.updater().dialog());
        EXPECT_EQ(c.updater().dialog()->title(),
                  QStringLiteral("Update checks are unavailable in this build."));
    }
    FeedServer server;
    TestReleaseKey key;
    server.serve(QStringLiteral("/feed.json"),
                 key.feed(releaseDocument(server, QStringLiteral("3.0"))));
    updates.feedUrl = server.url(QStringLiteral("/feed.json"));
    updates.publicKeyBase64 = key.publicBase64();
    updates.currentVersion = QStringLiteral("1.0");
    updates.allowLoopbackHttp = true;
    AppController& c = make();
    TrayStatus tray(c);
    EXPECT_TRUE(tray.icon().updatesEnabled());
    emit tray.icon().updatesRequested();
    EXPECT_FALSE(tray.icon().updatesEnabled()) << "off while the check runs";
    ASSERT_TRUE(QTest::qWaitFor([&] { return tray.icon().updatesEnabled(); }, 5000));
    EXPECT_EQ(c.updater().dialog()->title(), QStringLiteral("Corvane 3.0 is available"));
}

}  // namespace
}  // namespace corvane::testing
