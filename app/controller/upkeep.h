#pragma once

#include <QObject>

class QTimer;

namespace corvane {

class AppController;

// Background upkeep: whether windows can be controlled (followed through the
// window system's announcements where it makes them, else looked at every
// second, and whenever Corvane comes to the front) and whether Corvane starts
// at login.
class Upkeep : public QObject {
public:
    explicit Upkeep(AppController& controller) : controller_(controller) {}

    void startPolling();
    void stopPolling();

    void checkPermission();
    // X11 has no permission to grant: "Learn more…" explains which desktops work.
    void openAccessibilitySettings();
    void refreshLoginEnabled();
    void setLoginItem(bool enabled);

private:
    AppController& controller_;
    QTimer* permissionTimer_ = nullptr;
};

}  // namespace corvane
