#include "app/settings_window/update_settings_view.h"

#include <QPushButton>

#include "app/settings_window/tests/settings_window_fixture.h"
#include "app/updates/app_updater.h"
#include "app/updates/tests/feed_server.h"
#include "app/updates/update_check_dialog.h"

namespace corvane::testing {
namespace {

const QString checksName = QStringLiteral("Automatically check for updates");
const QString downloadsName = QStringLiteral("Automatically download and install updates");
const QString checkNowName = QStringLiteral("Check for Updates\u2026");

class UpdateSettingsViewTest : public SettingsWindowTest {
protected:
    // A build whose feed is the local server's.
    void serveFeed(const QString& version) {
        server.serve(QStringLiteral("/feed.json"), key.feed(releaseDocument(server, version)));
        updates.feedUrl = server.url(QStringLiteral("/feed.json"));
        updates.publicKeyBase64 = key.publicBase64();
        updates.currentVersion = QStringLiteral("1.0.0");
        updates.allowLoopbackHttp = true;
        updates.openUrl = [](const QUrl&) {};
    }

    FeedServer server;
    TestReleaseKey key;
};

TEST_F(UpdateSettingsViewTest, TheDownloadSwitchWaitsForAutomaticChecksAndKeepsItsValue) {
    serveFeed(QStringLiteral("1.0.0"));
    open();
    QCheckBox* checks = named<QCheckBox>(checksName);
    QCheckBox* downloads = named<QCheckBox>(downloadsName);
    ASSERT_TRUE(checks && downloads);
    EXPECT_FALSE(checks->isChecked());
    EXPECT_FALSE(downloads->isEnabled()) << "shown but not operable while checks are off";

    checks->click();
    EXPECT_TRUE(controller->updater().automaticallyChecks());
    ASSERT_TRUE(downloads->isEnabled());
    downloads->click();
    EXPECT_TRUE(controller->updater().automaticallyDownloads());

    checks->click();
    EXPECT_FALSE(checks->isChecked());
    EXPECT_FALSE(downloads->isEnabled());
    EXPECT_TRUE(downloads->isChecked()) << "keeps its last value";
}

TEST_F(UpdateSettingsViewTest, TheButtonIsOffWhileACheckRunsAndShowsItsResult) {
    serveFeed(QStringLiteral("1.0.0"));
    open();
    QPushButton* button = named<QPushButton>(checkNowName);
    ASSERT_TRUE(button && button->isEnabled());
    EXPECT_TRUE(named(QStringLiteral("Updates are checked for authenticity before installation.")));
    button->click();
    EXPECT_FALSE(button->isEnabled()) << "a check is under way";
    ASSERT_TRUE(QTest::qWaitFor([&] { return button->isEnabled(); }, 5000));
    ASSERT_TRUE(controller->updater().dialog());
    EXPECT_EQ(controller->updater().dialog()->title(), QStringLiteral("Corvane is up to date"));
}

TEST_F(UpdateSettingsViewTest, WithoutAFeedTheSwitchSpringsBackAndTheButtonIsOff) {
    open();
    QCheckBox* checks = named<QCheckBox>(checksName);
    QPushButton* button = named<QPushButton>(checkNowName);
    ASSERT_TRUE(checks && button);
    EXPECT_FALSE(button->isEnabled());
    checks->click();
    EXPECT_FALSE(checks->isChecked()) << "the updater refused: the switch shows what it reports";
    EXPECT_FALSE(named<QCheckBox>(downloadsName)->isEnabled());
}

}  // namespace
}  // namespace corvane::testing
