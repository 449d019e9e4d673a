// Settings changes, the settings window, export and import.

#include "app/controller/settings_actions.h"

#include <algorithm>

#include "app/controller/app_controller.h"
#include "app/controller/settings_file_watch.h"
#include "app/controller/upkeep.h"
#include "app/settings/settings_store.h"
#include "app/updates/app_updater.h"
#include "core/settings/durable_file.h"
#include "core/settings/settings_codec.h"
#include "core/settings/settings_migration.h"
#include "core/window_error.h"
#include "platform/desktop_shell.h"

namespace corvane {

namespace {

// The settings window's tab that holds the layout editor.
constexpr int shortcutsTab = 2;

}  // namespace

void SettingsActions::showSettings() {
    controller_.closePanels(false);
    ControllerState& state = controller_.state();
    if (state.recordingActive) {
        state.recordingActive = false;
        controller_.registerHotKeys();
    }
    controller_.upkeep().refreshLoginEnabled();
    if (!window_ && controller_.options().makeSettingsWindow)
        window_ = controller_.options().makeSettingsWindow(controller_);
    if (window_) {
        window_->show();
        window_->raise();
        window_->activateWindow();
        controller_.services().shell.takeKeyboard(platform::WindowId(window_->winId()));
    }
    controller_.notify();
}

void SettingsActions::handleWindowClosed() {
    ControllerState& state = controller_.state();
    if (!state.recordingActive) return;
    state.recordingActive = false;
    controller_.registerHotKeys();
}

void SettingsActions::setRecordingActive(bool active) {
    ControllerState& state = controller_.state();
    if (active == state.recordingActive) return;
    state.recordingActive = active;
    // A recorder destroyed with the window at quit ends its recording: the
    // hot keys are gone for good by then.
    if (!state.shuttingDown) controller_.registerHotKeys();
}

void SettingsActions::applySettings(const AppSettings& next) {
    ControllerState& state = controller_.state();
    const bool keysChanged = next.activationShortcut != state.settings.activationShortcut ||
                             next.layouts != state.settings.layouts;
    if (next.grid != state.settings.grid) state.grid = next.grid;
    state.settings = next;
    state.settingsError.reset();
    if (keysChanged) controller_.registerHotKeys();
    controller_.notify();
}

bool SettingsActions::saveAndApply(const AppSettings& next) {
    if (!write(next, "")) return false;
    applySettings(next);
    return true;
}

// A hand edit that reached the file since Corvane last read it is never written
// over: it is taken first, and the user makes this change again on top of it.
bool SettingsActions::write(const AppSettings& next, const std::string& failurePrefix) {
    ControllerState& state = controller_.state();
    try {
        controller_.store().save(next);
        state.settingsFileProblem.reset();
        return true;
    } catch (const SettingsFileChanged& changed) {
        // A refused edit has already said why in the banner.
        if (controller_.settingsFileWatch().takeOutsideChange() ==
            SettingsFileWatch::Outcome::refused)
            return false;
        state.settingsError = failurePrefix + changed.what() +
                              " Its new contents are shown now; make your change again.";
    } catch (const std::exception& error) {
        state.settingsError = failurePrefix + describeError(error);
    }
    controller_.notify();
    return false;
}

bool SettingsActions::saveLayout(const SavedLayout& layout) {
    AppSettings next = controller_.settings();
    auto existing = std::find_if(next.layouts.begin(), next.layouts.end(),
                                 [&](const SavedLayout& l) { return l.id == layout.id; });
    if (existing != next.layouts.end()) {
        *existing = layout;
    } else {
        next.layouts.push_back(layout);
    }
    if (next == controller_.settings()) return true;
    return saveAndApply(next);
}

void SettingsActions::saveSelectionAsLayout(const TileRegion& region) {
    SavedLayout layout;
    layout.id = Uuid::random();
    layout.name = "New layout";
    layout.grid = controller_.activeGrid();
    layout.region = region;
    layout.shortcut.reset();
    layout.isGlobal = false;
    layout.enabled = true;
    showSettings();
    controller_.state().settingsTab = shortcutsTab;
    controller_.state().editingLayout = layout;
    controller_.notify();
}

void SettingsActions::exportSettings(const std::filesystem::path& file) {
    try {
        DurableFile::replaceAtomically(file, SettingsCodec::encode(controller_.settings()));
    } catch (const std::exception& error) {
        controller_.state().settingsError = describeError(error);
        controller_.notify();
    }
}

void SettingsActions::importSettings(const std::filesystem::path& file) {
    AppSettings imported;
    try {
        imported = SettingsMigration::migrate(SettingsCodec::load(file));
    } catch (const std::exception& error) {
        controller_.state().settingsError = "Import failed: " + describeError(error);
        controller_.notify();
        return;
    }
    if (!write(imported, "Import failed: ")) return;
    controller_.state().grid = imported.grid;
    applySettings(imported);
}

// A build without an update feed says so in the same dialog.
void SettingsActions::checkForUpdates() {
    controller_.updater().checkForUpdates();
}

}  // namespace corvane
