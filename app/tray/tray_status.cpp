#include "app/tray/tray_status.h"

#include "app/controller/app_controller.h"
#include "app/tray/tray_icon.h"
#include "app/updates/app_updater.h"

namespace corvane {

TrayStatus::TrayStatus(AppController& controller)
    : controller_(controller), icon_(std::make_unique<TrayIcon>()) {
    connect(icon_.get(), &TrayIcon::toggleRequested, &controller, &AppController::togglePanels);
    connect(icon_.get(), &TrayIcon::settingsRequested, &controller, &AppController::showSettings);
    connect(icon_.get(), &TrayIcon::updatesRequested, &controller, &AppController::checkForUpdates);
    connect(icon_.get(), &TrayIcon::quitRequested, &controller, &AppController::quitRequested);
    connect(&controller, &AppController::stateChanged, this, &TrayStatus::update);
    connect(&controller.updater(), &AppUpdater::changed, this, &TrayStatus::update);
    update();
    // Without this, settings that failed to load would go unnoticed until the
    // settings window is opened, while every layout quietly ran on the defaults.
    if (const auto& problem = controller.settingsFileProblem())
        icon_->showNotice(QString::fromStdString(*problem));
}

TrayStatus::~TrayStatus() = default;

void TrayStatus::update() {
    const AppSettings& settings = controller_.settings();
    const std::optional<std::string>& problem = controller_.settingsFileProblem();
    icon_->setWanted(settings.showMenuBarIcon || !controller_.shortcutWarnings().empty() ||
                     problem.has_value());
    std::string tip = "Corvane";
    if (settings.activationShortcut)
        tip += " \u2014 " + controller_.shownShortcut(*settings.activationShortcut);
    if (problem) tip += "\n" + *problem;
    tip += "\nRight-click for settings";
    icon_->setToolTip(QString::fromStdString(tip));
    icon_->setUpdatesEnabled(controller_.updater().canCheckForUpdates());
}

bool TrayStatus::iconWanted() const {
    return icon_->isWanted();
}

std::string TrayStatus::describe() const {
    if (!icon_->isWanted()) return "hidden (switched off in the settings)";
    if (!QSystemTrayIcon::isSystemTrayAvailable()) return "waiting for a system tray";
    return icon_->isVisible() ? "shown" : "hidden";
}

}  // namespace corvane
