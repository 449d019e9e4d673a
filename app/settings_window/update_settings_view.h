#pragma once

#include <QWidget>

class QCheckBox;
class QPushButton;

namespace corvane {

class AppUpdater;

// The "Updates" section of the General tab: the two update preferences and
// "Check for Updates…". The switches show only what the updater reports and
// change it only through its setters, so a refused change springs back.
class UpdateSettingsView : public QWidget {
    Q_OBJECT

public:
    explicit UpdateSettingsView(AppUpdater& updater, QWidget* parent = nullptr);

    void refresh();

    QCheckBox* automaticChecks() const { return checks_; }
    QCheckBox* automaticDownloads() const { return downloads_; }
    QPushButton* checkNow() const { return checkNow_; }

private:
    AppUpdater& updater_;
    QCheckBox* checks_ = nullptr;
    QCheckBox* downloads_ = nullptr;
    QPushButton* checkNow_ = nullptr;
};

}  // namespace corvane
