#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include "app/updates/update_feed.h"

class QSettings;

namespace corvane {

class UpdateCheckDialog;
class UpdateNetwork;

// Where updates come from and how the updater behaves; the application fills
// it from what the build fixed, tests from a local server.
struct UpdateFeedConfig {
    QUrl feedUrl;  // empty: this build checks for no updates
    QByteArray publicKeyBase64;
    QString currentVersion;
    QString preferencesFile;  // the QSettings (ini) file the two preferences live in
    QString downloadFolder;   // empty: the user's download folder
    std::chrono::milliseconds checkInterval = std::chrono::hours(24);
    int silenceMilliseconds = 30000;
    bool allowLoopbackHttp = false;  // tests only
    // The update network module; empty: the installed one, or this build's.
    QString networkModule;
    // Opens the release page (the desktop's browser when null).
    std::function<void(const QUrl&)> openUrl;
};

// What one check found.
struct UpdateCheckOutcome {
    enum class Kind { available, upToDate, failed };
    Kind kind = Kind::failed;
    std::optional<UpdateRelease> release;
    QString error;
};

// Corvane's update checks: reads the signed feed, mirrors three observable
// fields for the views (a check may start now, the two preferences), keeps
// the preferences in Corvane's QSettings, and downloads a newer release file
// when asked to (never installs it: packages are upgraded by the package
// manager). While idle the only thing it keeps running is one single-shot
// timer for the next daily check.
class AppUpdater : public QObject {
    Q_OBJECT

public:
    explicit AppUpdater(UpdateFeedConfig config, QObject* parent = nullptr);
    ~AppUpdater() override;

    bool canCheckForUpdates() const { return canCheckForUpdates_; }
    bool automaticallyChecks() const { return automaticallyChecks_; }
    bool automaticallyDownloads() const { return automaticallyDownloads_; }

    // The preferences; the fields follow what was stored. Automatic checks
    // are refused when the build has no update feed.
    void setAutomaticallyChecks(bool on);
    void setAutomaticallyDownloads(bool on);

    // "Check for Updates…": a small dialog shows the progress and the result.
    void checkForUpdates();
    // Starts the automatic checks: one now, then one a day.
    void startUpdater();
    void stopUpdater();

    bool isConfigured() const { return key_.has_value() && !config_.feedUrl.isEmpty(); }
    bool nextCheckScheduled() const { return nextCheck_.isActive(); }
    // The dialog a check reports in, while it is open.
    UpdateCheckDialog* dialog() const;
    // Where the last automatic download put the release file (empty if none).
    const QString& downloadedFile() const { return downloadedFile_; }

signals:
    // One of the three fields changed.
    void changed();
    void checkFinished(const corvane::UpdateCheckOutcome& outcome);
    // A downloaded release file matched its signed checksum and is at `path`.
    void releaseDownloaded(const QString& version, const QString& path);

private:
    enum class Origin { user, schedule };

    bool connectNetwork();
    void reloadPreferences();
    void setCanCheck(bool can);
    void becomeIdle();
    void runCheck(Origin origin);
    void checkDone(Origin origin, const QByteArray& body, const QString& error);
    UpdateCheckOutcome outcomeOf(const QByteArray& body, const QString& error) const;
    void scheduleNextCheck();
    void tell(Origin origin, const UpdateCheckOutcome& outcome);
    void download(const UpdateRelease& release);
    void downloadDone(const UpdateRelease& release, const QString& path);
    UpdateCheckDialog* openDialog();

    UpdateFeedConfig config_;
    std::optional<FeedPublicKey> key_;
    std::unique_ptr<QSettings> preferences_;
    std::unique_ptr<UpdateNetwork> network_;
    QString networkError_;  // why the network module could not be loaded
    QTimer nextCheck_;
    QPointer<UpdateCheckDialog> dialog_;
    QString downloadedFile_;
    bool started_ = false;
    bool userWaiting_ = false;
    bool canCheckForUpdates_ = false;
    bool automaticallyChecks_ = false;
    bool automaticallyDownloads_ = false;
};

}  // namespace corvane
