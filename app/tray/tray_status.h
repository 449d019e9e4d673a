#pragma once

#include <QObject>
#include <memory>
#include <string>

namespace corvane {

class AppController;
class TrayIcon;

// Keeps Corvane's tray icon in step with the controller: shown when the user
// wants it or when a shortcut could not be registered (then the icon is the
// way in) or the settings file has a problem, with the activation shortcut and
// that problem in its tooltip; its menu asks the controller for the grid, the
// settings, an update check or to quit. Settings that could not be loaded at
// start are also told once in a notification.
class TrayStatus : public QObject {
public:
    explicit TrayStatus(AppController& controller);
    ~TrayStatus() override;

    TrayIcon& icon() { return *icon_; }
    bool iconWanted() const;
    // For --status: shown, hidden, or why it is not.
    std::string describe() const;

private:
    void update();

    AppController& controller_;
    std::unique_ptr<TrayIcon> icon_;
};

}  // namespace corvane
