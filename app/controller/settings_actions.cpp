// Background upkeep: window control availability, start at login, the
// settings window, global hot keys, settings changes, export and import.

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>
#include <algorithm>

#include "app/controller/app_controller.h"
#include "app/controller/settings_placeholder.h"
#include "app/controller/tray_icon.h"
#include "app/panel/preview_overlay.h"
#include "core/durable_file.h"
#include "core/settings_codec.h"
#include "core/settings_migration.h"
#include "core/window_error.h"

namespace corvane {

void AppController::checkPermission() {
    const bool available = services_.windows.isAvailable();
    if (available == permissionGranted_) return;
    permissionGranted_ = available;
    setMessage(std::nullopt, false);
    if (available) {
        refreshTarget();
    } else {
        target_.reset();
        previewOverlay_->hide();
    }
    diagnostic(std::string("Accessibility permission changed: ") + (available ? "true" : "false"));
    notify();
}

// X11 has no permission to grant: "Learn more…" explains which desktops work.
void AppController::openAccessibilitySettings() {
    checkPermission();
    if (options_.openUrl) {
        options_.openUrl(supportedDesktopsUrl);
    } else {
        QDesktopServices::openUrl(QUrl(QString::fromLatin1(supportedDesktopsUrl)));
    }
}

void AppController::refreshLoginEnabled() {
    const bool enabled = services_.loginItem.isEnabled();
    if (enabled == loginEnabled_) return;
    loginEnabled_ = enabled;
    notify();
}

void AppController::setLoginItem(bool enabled) {
    try {
        services_.loginItem.setEnabled(enabled);
    } catch (const std::exception& error) {
        settingsError_ = "Couldn\u2019t change login settings: " + describeError(error);
        notify();
    }
    refreshLoginEnabled();
}

void AppController::showSettings() {
    closePanels(false);
    if (recordingActive_) {
        recordingActive_ = false;
        registerHotKeys();
    }
    refreshLoginEnabled();
    if (!settingsWindow_) settingsWindow_ = new SettingsPlaceholder(*this);
    settingsWindow_->show();
    settingsWindow_->raise();
    settingsWindow_->activateWindow();
    services_.shell.takeKeyboard(platform::WindowId(settingsWindow_->winId()));
    notify();
}

void AppController::handleSettingsWindowClosed() {
    if (!recordingActive_) return;
    recordingActive_ = false;
    registerHotKeys();
}

void AppController::setRecordingActive(bool active) {
    if (active == recordingActive_) return;
    recordingActive_ = active;
    registerHotKeys();
}

void AppController::registerHotKeys() {
    hotKeys_.unregisterAll();
    shortcutWarnings_.clear();
    if (recordingActive_) {
        // The recorder must see every combination, Corvane's own included.
        notify();
        return;
    }

    const QPointer<AppController> self(this);
    if (const std::optional<KeyCombo>& activation = settings_.activationShortcut) {
        const bool registered =
            hotKeys_.registerHotKey(activation->keyCode, activation->modifiers, [self] {
                if (self) self->togglePanels();
            });
        if (!registered) {
            shortcutWarnings_.push_back(
                activation->displayString() +
                " is in use by another app. Choose another activation shortcut.");
            updateStatusItem();  // the tray icon is then the way in
        }
    }
    for (const SavedLayout& layout : settings_.layouts) {
        if (!layout.enabled || !layout.isGlobal || !layout.shortcut) continue;
        const bool registered = hotKeys_.registerHotKey(
            layout.shortcut->keyCode, layout.shortcut->modifiers, [self, layout] {
                if (self) self->applyLayout(layout, std::nullopt);
            });
        if (!registered) {
            shortcutWarnings_.push_back(layout.name + ": " + layout.shortcut->displayString() +
                                        " is in use by another app.");
        }
    }
    updateStatusItem();
    notify();
}

void AppController::applySettings(const AppSettings& next) {
    const bool keysChanged = next.activationShortcut != settings_.activationShortcut ||
                             next.layouts != settings_.layouts;
    if (next.grid != settings_.grid) grid_ = next.grid;
    settings_ = next;
    settingsError_.reset();
    if (keysChanged) {
        registerHotKeys();
    } else {
        updateStatusItem();
    }
    notify();
}

bool AppController::saveAndApply(const AppSettings& next) {
    try {
        store_.save(next);
    } catch (const std::exception& error) {
        settingsError_ = describeError(error);
        notify();
        return false;
    }
    applySettings(next);
    return true;
}

bool AppController::saveLayout(const SavedLayout& layout) {
    AppSettings next = settings_;
    auto existing = std::find_if(next.layouts.begin(), next.layouts.end(),
                                 [&](const SavedLayout& l) { return l.id == layout.id; });
    if (existing != next.layouts.end()) {
        *existing = layout;
    } else {
        next.layouts.push_back(layout);
    }
    if (next == settings_) return true;
    return saveAndApply(next);
}

void AppController::saveSelectionAsLayout(const TileRegion& region) {
    SavedLayout layout;
    layout.id = Uuid::random();
    layout.name = "New layout";
    layout.grid = activeGrid();
    layout.region = region;
    layout.shortcut.reset();
    layout.isGlobal = false;
    layout.enabled = true;
    showSettings();
    settingsTab_ = 2;  // "Shortcuts"
    editingLayout_ = layout;
    notify();
}

void AppController::exportSettings(const std::filesystem::path& file) {
    try {
        DurableFile::replaceAtomically(file, SettingsCodec::encode(settings_));
    } catch (const std::exception& error) {
        settingsError_ = describeError(error);
        notify();
    }
}

void AppController::importSettings(const std::filesystem::path& file) {
    AppSettings imported;
    try {
        imported = SettingsMigration::migrate(SettingsCodec::load(file));
        store_.save(imported);
    } catch (const std::exception& error) {
        settingsError_ = "Import failed: " + describeError(error);
        notify();
        return;
    }
    grid_ = imported.grid;
    applySettings(imported);
}

// Update checks come with the update feed client; until then the menu entry
// says plainly that this build has none.
void AppController::checkForUpdates() {
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Corvane"),
                                QStringLiteral("Update checks are unavailable in this build."),
                                QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

void AppController::updateStatusItem() {
    if (!trayIcon_) return;
    trayIcon_->setWanted(settings_.showMenuBarIcon || !shortcutWarnings_.empty());
    std::string tip = "Corvane";
    if (settings_.activationShortcut)
        tip += " \u2014 " + settings_.activationShortcut->displayString();
    tip += "\nRight-click for settings";
    trayIcon_->setToolTip(QString::fromStdString(tip));
}

bool AppController::trayIconVisible() const {
    return trayIcon_ && trayIcon_->isWanted();
}

void AppController::createTrayIcon() {
    trayIcon_ = std::make_unique<TrayIcon>();
    connect(trayIcon_.get(), &TrayIcon::toggleRequested, this, &AppController::togglePanels);
    connect(trayIcon_.get(), &TrayIcon::settingsRequested, this, &AppController::showSettings);
    connect(trayIcon_.get(), &TrayIcon::updatesRequested, this, &AppController::checkForUpdates);
    connect(trayIcon_.get(), &TrayIcon::quitRequested, this, &AppController::quitRequested);
}

}  // namespace corvane
