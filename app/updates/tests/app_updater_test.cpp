#include "app/updates/app_updater.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QDir>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include "app/updates/feed_fetch.h"
#include "app/updates/release_download.h"
#include "app/updates/tests/feed_server.h"
#include "app/updates/update_check_dialog.h"
#include "app/updates/update_network_loader.h"

namespace corvane::testing {
namespace {

using namespace std::chrono_literals;
using Kind = UpdateCheckOutcome::Kind;

class AppUpdaterTest : public ::testing::Test {
protected:
    std::unique_ptr<AppUpdater> make(const QString& feedPath = QStringLiteral("/feed.json")) {
        UpdateFeedConfig config;
        config.feedUrl = server.url(feedPath);
        config.publicKeyBase64 = key.publicBase64();
        config.currentVersion = QStringLiteral("1.2.0");
        config.preferencesFile = dir.filePath(QStringLiteral("state.ini"));
        config.downloadFolder = dir.filePath(QStringLiteral("Downloads"));
        config.silenceMilliseconds = 300;
        config.allowLoopbackHttp = true;
        config.networkModule = networkModule;
        config.checkInterval = checkInterval;
        config.openUrl = [this](const QUrl& url) { opened.push_back(url); };
        auto updater = std::make_unique<AppUpdater>(config);
        QObject::connect(
            updater.get(), &AppUpdater::checkFinished,
            [this](const UpdateCheckOutcome& outcome) { outcomes.push_back(outcome); });
        return updater;
    }

    // Runs a manual check and waits for what it found.
    UpdateCheckOutcome checkNow(AppUpdater& updater) {
        const std::size_t before = outcomes.size();
        updater.checkForUpdates();
        EXPECT_FALSE(updater.canCheckForUpdates()) << "busy while the check runs";
        EXPECT_TRUE(QTest::qWaitFor([&] { return outcomes.size() > before; }, 5000));
        return outcomes.empty() ? UpdateCheckOutcome{} : outcomes.back();
    }

    void publish(const QString& version, const QByteArray& fileSha = {}) {
        server.serve(QStringLiteral("/feed.json"),
                     key.feed(releaseDocument(server, version, fileSha)));
    }

    QTemporaryDir dir;
    FeedServer server;
    TestReleaseKey key;
    std::chrono::milliseconds checkInterval = 24h;
    QString networkModule;  // empty: the one this build made
    std::vector<UpdateCheckOutcome> outcomes;
    std::vector<QUrl> opened;
};

TEST_F(AppUpdaterTest, ANewerReleaseIsOfferedWithItsReleasePage) {
    publish(QStringLiteral("1.10.0"));
    auto updater = make();
    EXPECT_TRUE(updater->canCheckForUpdates());
    const UpdateCheckOutcome outcome = checkNow(*updater);
    EXPECT_EQ(outcome.kind, Kind::available);
    EXPECT_TRUE(updater->canCheckForUpdates()) << "a check may start again";

    UpdateCheckDialog* dialog = updater->dialog();
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->title(), QStringLiteral("Corvane 1.10.0 is available"));
    EXPECT_EQ(dialog->detail(), QStringLiteral("You have version 1.2.0."));
    ASSERT_TRUE(dialog->releasePageButton()->isVisibleTo(dialog));
    dialog->releasePageButton()->click();
    ASSERT_EQ(opened.size(), 1U);
    EXPECT_EQ(opened[0], server.url(QStringLiteral("/releases/1.10.0")));
}

TEST_F(AppUpdaterTest, TheSameOrAnOlderVersionIsUpToDate) {
    auto updater = make();
    for (const char* version : {"1.2.0", "1.1.9", "0.9"}) {
        publish(QString::fromLatin1(version));
        EXPECT_EQ(checkNow(*updater).kind, Kind::upToDate) << version;
        EXPECT_EQ(updater->dialog()->title(), QStringLiteral("Corvane is up to date"));
        EXPECT_FALSE(updater->dialog()->releasePageButton()->isVisibleTo(updater->dialog()));
    }
}

TEST_F(AppUpdaterTest, AFeedThatCannotBeTrustedOrFetchedIsReportedAndIgnored) {
    // Signed by another key; cut short; a redirect loop; a server that never answers.
    const TestReleaseKey other(8);
    server.serve(QStringLiteral("/forged.json"),
                 other.feed(releaseDocument(server, QStringLiteral("9.0"))));
    const QByteArray genuine = key.feed(releaseDocument(server, QStringLiteral("9.0")));
    server.truncate(QStringLiteral("/cut.json"), genuine.left(genuine.size() / 2),
                    static_cast<int>(genuine.size()));
    server.redirect(QStringLiteral("/loop-a"), server.url(QStringLiteral("/loop-b")).toString());
    server.redirect(QStringLiteral("/loop-b"), server.url(QStringLiteral("/loop-a")).toString());
    server.silence(QStringLiteral("/silent.json"));

    const std::vector<std::pair<QString, QString>> cases = {
        {QStringLiteral("/forged.json"), QString::fromUtf8(feed_errors::notVerified)},
        {QStringLiteral("/loop-a"), QString::fromUtf8(fetch_errors::tooManyRedirects)},
        {QStringLiteral("/silent.json"), QString::fromUtf8(fetch_errors::noAnswer)},
        {QStringLiteral("/cut.json"), {}},
    };
    for (const auto& [path, error] : cases) {
        auto updater = make(path);
        const UpdateCheckOutcome outcome = checkNow(*updater);
        EXPECT_EQ(outcome.kind, Kind::failed) << path.toStdString();
        EXPECT_FALSE(outcome.release) << path.toStdString();
        if (!error.isEmpty()) {
            EXPECT_EQ(outcome.error, error) << path.toStdString();
        }
        EXPECT_FALSE(outcome.error.isEmpty());
        EXPECT_EQ(updater->dialog()->title(), QStringLiteral("Couldn\u2019t check for updates"));
        EXPECT_EQ(updater->dialog()->detail(), outcome.error);
        EXPECT_TRUE(updater->canCheckForUpdates()) << path.toStdString();
    }
    EXPECT_LE(server.requests(QStringLiteral("/loop-a")), 6) << "the loop is cut short";
}

// Whether the process has the network module mapped.
bool networkModuleLoaded() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("corvane-update-network");
}

TEST_F(AppUpdaterTest, TheNetworkModuleIsLoadedByTheFirstCheckNotBefore) {
    if (networkModuleLoaded()) GTEST_SKIP() << "an earlier case in this process loaded it";
    publish(QStringLiteral("1.2.0"));
    auto updater = make();
    updater->setAutomaticallyDownloads(true);
    updater->startUpdater();  // automatic checks are off
    QTest::qWait(50);
    EXPECT_FALSE(networkModuleLoaded());
    EXPECT_EQ(checkNow(*updater).kind, Kind::upToDate);
    EXPECT_TRUE(networkModuleLoaded());
}

TEST_F(AppUpdaterTest, ANetworkModuleThatCannotBeLoadedFailsOnlyTheCheck) {
    publish(QStringLiteral("2.0.0"));
    const QString notALibrary = dir.filePath(QStringLiteral("corvane-update-network.so"));
    {
        QFile file(notALibrary);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("not a shared library");
    }
    for (const QString& module : {dir.filePath(QStringLiteral("missing.so")), notALibrary}) {
        networkModule = module;
        auto updater = make();
        const UpdateCheckOutcome outcome = checkNow(*updater);
        EXPECT_EQ(outcome.kind, Kind::failed) << module.toStdString();
        EXPECT_TRUE(outcome.error.startsWith(QString::fromUtf8(network_module_errors::cannotLoad)))
            << outcome.error.toStdString();
        EXPECT_TRUE(outcome.error.contains(module)) << outcome.error.toStdString();
        EXPECT_EQ(updater->dialog()->title(), QStringLiteral("Couldn\u2019t check for updates"));
        EXPECT_EQ(updater->dialog()->detail(), outcome.error);
        EXPECT_TRUE(updater->canCheckForUpdates()) << "the next check tries again";
        EXPECT_EQ(checkNow(*updater).kind, Kind::failed);
    }
    EXPECT_EQ(server.requests(QStringLiteral("/feed.json")), 0);
}

TEST_F(AppUpdaterTest, ABuildWithoutAFeedOffersNoChecks) {
    UpdateFeedConfig config;
    config.preferencesFile = dir.filePath(QStringLiteral("state.ini"));
    AppUpdater updater(config);
    EXPECT_FALSE(updater.canCheckForUpdates());
    int changes = 0;
    QObject::connect(&updater, &AppUpdater::changed, [&] { ++changes; });
    updater.setAutomaticallyChecks(true);
    EXPECT_FALSE(updater.automaticallyChecks()) << "refused";
    EXPECT_EQ(changes, 1) << "the views hear of the refusal and show the old value again";
    updater.startUpdater();
    EXPECT_FALSE(updater.nextCheckScheduled());
    updater.checkForUpdates();
    ASSERT_TRUE(updater.dialog());
    EXPECT_EQ(updater.dialog()->title(),
              QStringLiteral("Update checks are unavailable in this build."));
}

TEST_F(AppUpdaterTest, ThePreferencesAreKeptAndTheFieldsFollowWhatWasStored) {
    {
        auto updater = make();
        EXPECT_FALSE(updater->automaticallyChecks());
        EXPECT_FALSE(updater->automaticallyDownloads());
        updater->setAutomaticallyChecks(true);
        updater->setAutomaticallyDownloads(true);
        EXPECT_TRUE(updater->automaticallyChecks());
        EXPECT_TRUE(updater->automaticallyDownloads());
    }
    QSettings stored(dir.filePath(QStringLiteral("state.ini")), QSettings::IniFormat);
    EXPECT_TRUE(stored.value(QStringLiteral("updates/automaticallyChecks")).toBool());
    auto again = make();
    EXPECT_TRUE(again->automaticallyChecks());
    EXPECT_TRUE(again->automaticallyDownloads());
    EXPECT_EQ(server.requests(QStringLiteral("/feed.json")), 0) << "not started: no check";
}

TEST_F(AppUpdaterTest, AutomaticChecksRunAtStartThenOnOneSingleShotTimer) {
    publish(QStringLiteral("1.3.0"));
    checkInterval = 300ms;
    auto updater = make();
    updater->setAutomaticallyChecks(true);
    updater->startUpdater();
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcomes.size() == 1; }, 5000));
    EXPECT_TRUE(updater->nextCheckScheduled()) << "the next check waits on its timer";
    // News of 1.3.0 is told once; the next day's check says nothing new.
    ASSERT_TRUE(updater->dialog());
    EXPECT_EQ(updater->dialog()->title(), QStringLiteral("Corvane 1.3.0 is available"));
    updater->dialog()->close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcomes.size() == 2; }, 5000));
    QCoreApplication::processEvents();
    EXPECT_FALSE(updater->dialog());

    updater->setAutomaticallyChecks(false);
    EXPECT_FALSE(updater->nextCheckScheduled());
    QTest::qWait(500);
    EXPECT_EQ(outcomes.size(), 2U) << "no check while automatic checks are off";
    EXPECT_EQ(server.requests(QStringLiteral("/feed.json")), 2);
}

TEST_F(AppUpdaterTest, AnAutomaticDownloadKeepsOnlyAFileThatMatchesTheSignedChecksum) {
    const QByteArray package = "a release package";
    const QByteArray sha = QCryptographicHash::hash(package, QCryptographicHash::Sha256);
    publish(QStringLiteral("2.0.0"), sha);
    server.serve(QStringLiteral("/files/corvane_2.0.0_amd64.deb"), package);
    auto updater = make();
    updater->setAutomaticallyChecks(true);
    updater->setAutomaticallyDownloads(true);
    updater->startUpdater();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !updater->downloadedFile().isEmpty(); }, 5000));
    const QString saved = dir.filePath(QStringLiteral("Downloads/corvane_2.0.0_amd64.deb"));
    EXPECT_EQ(updater->downloadedFile(), saved);
    QFile file(saved);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), package);
    ASSERT_TRUE(updater->dialog());
    EXPECT_TRUE(updater->dialog()->downloadNote().contains(saved));
    EXPECT_TRUE(updater->canCheckForUpdates());
}

TEST_F(AppUpdaterTest, ADownloadThatDoesNotMatchLeavesNothingBehind) {
    publish(QStringLiteral("2.0.0"), QByteArray(32, '\x01'));
    server.serve(QStringLiteral("/files/corvane_2.0.0_amd64.deb"), "tampered");
    auto updater = make();
    updater->setAutomaticallyChecks(true);
    updater->setAutomaticallyDownloads(true);
    updater->startUpdater();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return updater->dialog() && !updater->dialog()->downloadNote().isEmpty(); }, 5000));
    EXPECT_TRUE(
        updater->dialog()->downloadNote().contains(QString::fromUtf8(download_errors::mismatch)));
    EXPECT_TRUE(updater->downloadedFile().isEmpty());
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("Downloads")))
                    .entryList(QDir::Files | QDir::Hidden)
                    .isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return updater->canCheckForUpdates(); }, 1000));
}

TEST_F(AppUpdaterTest, ACheckAskedForDuringADownloadAnswersAfterIt) {
    publish(QStringLiteral("2.0.0"), QByteArray(32, '\x02'));
    server.silence(QStringLiteral("/files/corvane_2.0.0_amd64.deb"));
    auto updater = make();
    updater->setAutomaticallyChecks(true);
    updater->setAutomaticallyDownloads(true);
    updater->startUpdater();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return server.requests(QStringLiteral("/files/corvane_2.0.0_amd64.deb")) == 1; },
        5000));
    EXPECT_FALSE(updater->canCheckForUpdates()) << "busy while the file downloads";
    updater->checkForUpdates();
    EXPECT_EQ(updater->dialog()->title(), QStringLiteral("Checking for updates\u2026"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return outcomes.size() == 2; }, 5000));
    EXPECT_EQ(updater->dialog()->title(), QStringLiteral("Corvane 2.0.0 is available"));
    EXPECT_EQ(server.requests(QStringLiteral("/feed.json")), 2);
}

TEST_F(AppUpdaterTest, WithoutAutomaticChecksNothingIsDownloaded) {
    const QByteArray package = "a release package";
    publish(QStringLiteral("2.0.0"), QCryptographicHash::hash(package, QCryptographicHash::Sha256));
    server.serve(QStringLiteral("/files/corvane_2.0.0_amd64.deb"), package);
    auto updater = make();
    updater->setAutomaticallyDownloads(true);
    updater->startUpdater();
    EXPECT_EQ(checkNow(*updater).kind, Kind::available);
    QTest::qWait(200);
    EXPECT_EQ(server.requests(QStringLiteral("/files/corvane_2.0.0_amd64.deb")), 0);
}

}  // namespace
}  // namespace corvane::testing
