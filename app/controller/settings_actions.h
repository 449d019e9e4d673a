#pragma once

#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <string>

#include "core/saved_layout.h"
#include "core/settings/app_settings.h"
#include "core/tile_region.h"

namespace corvane {

class AppController;

// What the settings window and the panel's "Save layout" ask for: open the
// window, store a layout, apply, export and import settings, and the shortcut
// recorder that silences the hot keys while it listens.
class SettingsActions {
public:
    explicit SettingsActions(AppController& controller) : controller_(controller) {}

    void showSettings();
    QWidget* window() const { return window_; }
    void deleteWindow() { delete window_.data(); }
    // The settings window was closed by the user.
    void handleWindowClosed();
    void setRecordingActive(bool active);

    // Takes `next` as the live settings (the grid follows a changed stored grid).
    void applySettings(const AppSettings& next);
    // Stores, then applies; false (and the reason shown) when it cannot be stored.
    bool saveAndApply(const AppSettings& next);
    bool saveLayout(const SavedLayout& layout);
    // "Save layout": the layout editor opens on a new layout holding `region`.
    void saveSelectionAsLayout(const TileRegion& region);
    void exportSettings(const std::filesystem::path& file);
    // A file that cannot be read or is refused changes nothing.
    void importSettings(const std::filesystem::path& file);
    void checkForUpdates();

private:
    // Saves `next`; false, with the reason after `failurePrefix` shown, when it cannot.
    bool write(const AppSettings& next, const std::string& failurePrefix);

    AppController& controller_;
    QPointer<QWidget> window_;
};

}  // namespace corvane
