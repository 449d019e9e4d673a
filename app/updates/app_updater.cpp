#include "app/updates/app_updater.h"

#include <QSettings>
#include <QStandardPaths>

#include "app/updates/update_check_dialog.h"
#include "app/updates/update_network_loader.h"

namespace corvane {

namespace {

const QString checksKey = QStringLiteral("updates/automaticallyChecks");
const QString downloadsKey = QStringLiteral("updates/automaticallyDownloads");
// The newest version an automatic check has told the user about: a daily
// check does not open the same news every day.
const QString toldKey = QStringLiteral("updates/toldVersion");
// The newest version whose release file the user was told about.
const QString downloadedKey = QStringLiteral("updates/downloadedVersion");

// Release files are packages of some megabytes; anything far larger is not one.
constexpr qint64 maxReleaseBytes = qint64(1) << 30;

}  // namespace

AppUpdater::AppUpdater(UpdateFeedConfig config, QObject* parent)
    : QObject(parent),
      config_(std::move(config)),
      key_(decodePublicKey(config_.publicKeyBase64)),
      preferences_(std::make_unique<QSettings>(config_.preferencesFile, QSettings::IniFormat)) {
    nextCheck_.setSingleShot(true);
    connect(&nextCheck_, &QTimer::timeout, this, [this] { runCheck(Origin::schedule); });
    reloadPreferences();
    setCanCheck(isConfigured());
}

AppUpdater::~AppUpdater() {
    if (dialog_) delete dialog_.data();
}

// The network module costs resident memory for as long as Corvane runs, so it
// is loaded by the first check, never by a build without a feed. One that
// cannot be loaded is tried again by the next check.
bool AppUpdater::connectNetwork() {
    if (network_) return true;
    FetchLimits feed{.silenceMilliseconds = config_.silenceMilliseconds,
                     .allowLoopbackHttp = config_.allowLoopbackHttp};
    FetchLimits release = feed;
    release.maxBytes = maxReleaseBytes;
    UpdateNetworkLoad load = loadUpdateNetwork(config_.networkModule, feed, release);
    network_ = std::move(load.network);
    networkError_ = load.error;
    return network_ != nullptr;
}

UpdateCheckDialog* AppUpdater::dialog() const {
    return dialog_.data();
}

// The fields always show what is stored, never what was merely asked for.
void AppUpdater::reloadPreferences() {
    preferences_->sync();
    const bool checks = isConfigured() && preferences_->value(checksKey, false).toBool();
    const bool downloads = preferences_->value(downloadsKey, false).toBool();
    if (checks == automaticallyChecks_ && downloads == automaticallyDownloads_) return;
    automaticallyChecks_ = checks;
    automaticallyDownloads_ = downloads;
    emit changed();
}

void AppUpdater::setCanCheck(bool can) {
    if (can == canCheckForUpdates_) return;
    canCheckForUpdates_ = can;
    emit changed();
}

// Kept-alive connections would wake Corvane later to expire; nothing of a
// check is left once it is over (dropped from the event loop, outside the
// network reply's own signal).
void AppUpdater::becomeIdle() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (canCheckForUpdates_ && network_) network_->clearConnectionCache();  // still idle
        },
        Qt::QueuedConnection);
    setCanCheck(true);
    // The user asked while a download was under way.
    if (userWaiting_) runCheck(Origin::user);
}

void AppUpdater::setAutomaticallyChecks(bool on) {
    if (on && !isConfigured()) {
        emit changed();  // refused: the view shows the unchanged field again
        return;
    }
    preferences_->setValue(checksKey, on);
    reloadPreferences();
    if (!started_) return;
    if (on && !nextCheck_.isActive() && canCheckForUpdates_) runCheck(Origin::schedule);
    if (!on) nextCheck_.stop();
}

void AppUpdater::setAutomaticallyDownloads(bool on) {
    preferences_->setValue(downloadsKey, on);
    reloadPreferences();
}

void AppUpdater::startUpdater() {
    if (started_) return;
    started_ = true;
    if (automaticallyChecks_) runCheck(Origin::schedule);
}

void AppUpdater::stopUpdater() {
    started_ = false;
    nextCheck_.stop();
}

void AppUpdater::checkForUpdates() {
    UpdateCheckDialog* dialog = openDialog();
    if (!isConfigured()) {
        dialog->showUnavailable();
        return;
    }
    dialog->showChecking();
    // A check already under way answers in the dialog too.
    userWaiting_ = true;
    if (canCheckForUpdates_) runCheck(Origin::user);
}

UpdateCheckDialog* AppUpdater::openDialog() {
    if (!dialog_) dialog_ = new UpdateCheckDialog(config_.openUrl);
    dialog_->show();
    dialog_->raise();
    dialog_->activateWindow();
    return dialog_;
}

void AppUpdater::runCheck(Origin origin) {
    if (!isConfigured() || !canCheckForUpdates_) return;
    nextCheck_.stop();
    setCanCheck(false);
    if (!connectNetwork()) {
        // Reported from the event loop, like a network error.
        QMetaObject::invokeMethod(
            this, [this, origin] { checkDone(origin, {}, networkError_); }, Qt::QueuedConnection);
        return;
    }
    network_->fetchFeed(config_.feedUrl,
                        [this, origin](const QByteArray& body, const QString& error) {
                            checkDone(origin, body, error);
                        });
}

UpdateCheckOutcome AppUpdater::outcomeOf(const QByteArray& body, const QString& error) const {
    if (!error.isEmpty()) return {UpdateCheckOutcome::Kind::failed, std::nullopt, error};
    FeedReading reading = readSignedFeed(body, *key_, config_.allowLoopbackHttp);
    if (!reading.release) return {UpdateCheckOutcome::Kind::failed, std::nullopt, reading.error};
    const auto current = parseVersion(config_.currentVersion);
    const bool newer =
        !current || isNewerVersion(*parseVersion(reading.release->version), *current);
    return {newer ? UpdateCheckOutcome::Kind::available : UpdateCheckOutcome::Kind::upToDate,
            std::move(reading.release),
            {}};
}

void AppUpdater::checkDone(Origin origin, const QByteArray& body, const QString& error) {
    const UpdateCheckOutcome outcome = outcomeOf(body, error);
    const bool downloading = outcome.kind == UpdateCheckOutcome::Kind::available &&
                             automaticallyChecks_ && automaticallyDownloads_ &&
                             outcome.release->file.has_value();
    tell(origin, outcome);
    if (downloading) {
        download(*outcome.release);
    } else {
        becomeIdle();
    }
    scheduleNextCheck();
    emit checkFinished(outcome);
}

void AppUpdater::tell(Origin origin, const UpdateCheckOutcome& outcome) {
    if (origin == Origin::user || std::exchange(userWaiting_, false)) {
        userWaiting_ = false;
        if (dialog_) dialog_->showOutcome(outcome, config_.currentVersion);
        return;
    }
    // A scheduled check speaks only of news, and of each version once.
    if (outcome.kind != UpdateCheckOutcome::Kind::available) return;
    if (preferences_->value(toldKey).toString() == outcome.release->version) return;
    preferences_->setValue(toldKey, outcome.release->version);
    openDialog()->showOutcome(outcome, config_.currentVersion);
}

void AppUpdater::download(const UpdateRelease& release) {
    const QString folder = config_.downloadFolder.isEmpty()
                               ? QStandardPaths::writableLocation(QStandardPaths::DownloadLocation)
                               : config_.downloadFolder;
    // The check that found the release loaded the network module.
    network_->downloadRelease(*release.file, folder,
                              [this, release](const QString& path, const QString& error) {
                                  becomeIdle();
                                  if (error.isEmpty()) {
                                      downloadDone(release, path);
                                  } else if (dialog_) {
                                      dialog_->showDownloadFailed(error);
                                  }
                              });
}

// The user hears once per version where its file is; a file that is already
// there from an earlier day is not news.
void AppUpdater::downloadDone(const UpdateRelease& release, const QString& path) {
    downloadedFile_ = path;
    emit releaseDownloaded(release.version, path);
    const bool told = preferences_->value(downloadedKey).toString() == release.version;
    preferences_->setValue(downloadedKey, release.version);
    if (told && !dialog_) return;
    UpdateCheckDialog* dialog = openDialog();
    dialog->showOutcome({UpdateCheckOutcome::Kind::available, release, {}}, config_.currentVersion);
    dialog->showDownloaded(path);
}

void AppUpdater::scheduleNextCheck() {
    if (started_ && automaticallyChecks_) nextCheck_.start(config_.checkInterval);
}

}  // namespace corvane
