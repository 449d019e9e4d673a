#include "app/controller/upkeep.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWidget>

#include "app/controller/app_controller.h"
#include "app/panel/preview_overlay.h"
#include "core/window_error.h"
#include "platform/desktop_shell.h"
#include "platform/window_system.h"

namespace corvane {

namespace {

constexpr int permissionPollMilliseconds = 1000;

}  // namespace

void Upkeep::startPolling() {
    // Coming to the front is a moment to look at window control again, and at
    // the login item, which another program may have changed.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state != Qt::ApplicationActive) return;
                checkPermission();
                QWidget* settings = controller_.settingsWindow();
                if (settings && settings->isVisible()) refreshLoginEnabled();
            });

    // A window system that tells of its changes needs no poll: Corvane then
    // wakes for nothing while idle. The answer is looked at from the event
    // loop, after the event that announced it has been dealt with.
    const QPointer<Upkeep> self(this);
    const bool announced = controller_.services().windows.announceAvailabilityChanges([self] {
        if (self)
            QMetaObject::invokeMethod(
                self,
                [self] {
                    if (self) self->checkPermission();
                },
                Qt::QueuedConnection);
    });
    if (announced) return;
    permissionTimer_ = new QTimer(this);
    permissionTimer_->setInterval(permissionPollMilliseconds);
    permissionTimer_->setTimerType(Qt::CoarseTimer);
    connect(permissionTimer_, &QTimer::timeout, this, [this] {
        checkPermission();
        QWidget* settings = controller_.settingsWindow();
        if (settings && settings->isVisible()) refreshLoginEnabled();
    });
    permissionTimer_->start();
}

void Upkeep::stopPolling() {
    controller_.services().windows.announceAvailabilityChanges({});
    if (permissionTimer_) {
        permissionTimer_->stop();
        delete permissionTimer_;
        permissionTimer_ = nullptr;
    }
    if (qApp) disconnect(qApp, nullptr, this, nullptr);
}

void Upkeep::checkPermission() {
    ControllerState& state = controller_.state();
    const bool available = controller_.services().windows.isAvailable();
    if (available == state.permissionGranted) return;
    state.permissionGranted = available;
    state.setMessage(std::nullopt, false);
    if (available) {
        controller_.refreshTarget();
    } else {
        state.target.reset();
        controller_.previewOverlay()->hide();
    }
    controller_.diagnostic(std::string("Accessibility permission changed: ") +
                           (available ? "true" : "false"));
    controller_.notify();
}

void Upkeep::openAccessibilitySettings() {
    checkPermission();
    if (const auto& openUrl = controller_.options().openUrl) {
        openUrl(AppController::supportedDesktopsUrl);
    } else {
        QDesktopServices::openUrl(QUrl(QString::fromLatin1(AppController::supportedDesktopsUrl)));
    }
}

void Upkeep::refreshLoginEnabled() {
    const bool enabled = controller_.services().loginItem.isEnabled();
    if (enabled == controller_.state().loginEnabled) return;
    controller_.state().loginEnabled = enabled;
    controller_.notify();
}

void Upkeep::setLoginItem(bool enabled) {
    try {
        controller_.services().loginItem.setEnabled(enabled);
    } catch (const std::exception& error) {
        controller_.state().settingsError =
            "Couldn\u2019t change login settings: " + describeError(error);
        controller_.notify();
    }
    refreshLoginEnabled();
}

}  // namespace corvane
