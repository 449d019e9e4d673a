#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>

class QLabel;
class QPushButton;

namespace corvane {

struct UpdateCheckOutcome;

// The small window a check reports in: "Checking for updates…" while it runs,
// then the newer version with a button to its release page, "Corvane is up to
// date", or what went wrong.
class UpdateCheckDialog : public QDialog {
    Q_OBJECT

public:
    explicit UpdateCheckDialog(std::function<void(const QUrl&)> openUrl, QWidget* parent = nullptr);

    void showChecking();
    void showOutcome(const UpdateCheckOutcome& outcome, const QString& currentVersion);
    void showUnavailable();
    // An automatic download put the release file at `path`.
    void showDownloaded(const QString& path);
    void showDownloadFailed(const QString& error);
    QString downloadNote() const;

    QString title() const;
    QString detail() const;
    QPushButton* releasePageButton() const { return releasePage_; }
    QPushButton* closeButton() const { return close_; }

private:
    void present(const QString& title, const QString& detail);
    void showDownloadNote(const QString& text);

    std::function<void(const QUrl&)> openUrl_;
    QUrl releaseUrl_;
    QLabel* title_ = nullptr;
    QLabel* detail_ = nullptr;
    QLabel* download_ = nullptr;
    QPushButton* releasePage_ = nullptr;
    QPushButton* close_ = nullptr;
};

}  // namespace corvane
