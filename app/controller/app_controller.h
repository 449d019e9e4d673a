#pragma once

#include <QObject>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/controller/app_services.h"
#include "app/controller/controller_state.h"
#include "app/controller/grid_panels.h"
#include "app/controller/placement_outcome.h"
#include "app/panel/panel_host.h"

class QWidget;

namespace corvane {

class HotKeyRegistration;
class PanelKeys;
class PlacementRunner;
class PreviewOverlay;
class SettingsActions;
class SettingsFileWatch;
class SettingsStore;
class AppUpdater;
class Upkeep;
class WindowManager;

// The spine of Corvane: the model the views bind to, and the one place that
// hands each request to the class whose job it is (placements, the panels,
// their keys, hot keys, settings actions, upkeep). All of it runs on the main
// thread. stateChanged() is emitted after every change of the state the views show.
class AppController : public QObject, public PanelHost {
    Q_OBJECT

public:
    AppController(AppServices services, AppOptions options, QObject* parent = nullptr);
    ~AppController() override;

    // Launch and stop.
    void start();
    void stop();
    // A second launch asked the running instance to open the grid.
    void handleReopen();

    // PanelHost: state shown by the panels.
    const AppSettings& settings() const override { return state_.settings; }
    GridSize activeGrid() const override { return state_.activeGrid(); }
    bool subdivided() const override { return state_.subdivided; }
    const std::optional<WindowTarget>& target() const override { return state_.target; }
    std::optional<platform::IconImage> targetIcon(int preferredSize) const override;
    bool permissionGranted() const override { return state_.permissionGranted; }
    const std::optional<std::string>& message() const override { return state_.message; }
    bool messageIsError() const override { return state_.messageIsError; }
    bool canUndo() const override { return state_.canUndo; }
    bool isApplying() const override { return state_.isApplying; }
    std::size_t displayCount() const override;
    std::string shownShortcut(const KeyCombo& combo) const override;
    bool diagnosticsEnabled() const override { return options_.diagnostics; }
    void diagnostic(const std::string& line) override;

    // Further state.
    GridSize grid() const { return state_.grid; }
    const std::optional<std::string>& pendingResizeNotice() const {
        return state_.pendingResizeNotice;
    }
    const std::optional<std::string>& settingsError() const { return state_.settingsError; }
    const std::optional<std::string>& settingsFileProblem() const {
        return state_.settingsFileProblem;
    }
    const std::vector<std::string>& shortcutWarnings() const { return state_.shortcutWarnings; }
    bool loginEnabled() const { return state_.loginEnabled; }
    const std::optional<SavedLayout>& editingLayout() const { return state_.editingLayout; }
    const std::optional<SavedLayout>& editingGlobalShortcut() const {
        return state_.editingGlobalShortcut;
    }
    int settingsTab() const { return state_.settingsTab; }
    bool recordingActive() const { return state_.recordingActive; }
    bool panelsOpen() const { return !panels().empty(); }
    const WindowManager& windowManager() const { return *windows_; }
    SettingsStore& store() { return *store_; }
    AppUpdater& updater() { return *updater_; }
    const SettingsStore& store() const { return *store_; }
    QWidget* settingsWindow() const;

    // The placement road.
    void applyRegion(const TileRegion& region, const platform::Display& display,
                     bool shiftHeld) override;
    void applyLayout(const SavedLayout& layout,
                     const std::optional<platform::Display>& display) override;
    void applyLayout(const SavedLayout& layout, const std::optional<platform::Display>& display,
                     const PlacementCallback& done);
    void moveToNextDisplay() override;
    void undoLastPlacement() override;
    void undoLastPlacement(const PlacementCallback& done);
    void updatePreview(const std::optional<TileRegion>& region,
                       const platform::Display& display) override;
    void refreshTarget();

    // Panels and the grid's keys.
    void showPanels();
    void closePanels(bool restoreFocus) override;
    void togglePanels();
    void changeGrid(int columnDelta, int rowDelta) override;
    void toggleSubdivision() override;
    // Another application was clicked (the grid lost the keyboard to it).
    void handleOutsideClick();
    // The active window changed to one of another application.
    void handleApplicationActivated(const platform::AppRef& app);
    // Monitors were added, removed or rearranged.
    void handleScreensChanged();
    // Whether a compositing manager runs: without one, panels and preview are shaped
    // instead of translucent. Told by the X11 glue; off until then.
    void setCompositing(bool compositing);
    // The keyboard layout changed: every shortcut shown is labelled anew.
    void handleKeyboardLayoutChanged();

    // Upkeep and settings.
    void checkPermission() override;
    void openAccessibilitySettings() override;
    void showSettings() override;
    void registerHotKeys();
    void unregisterHotKeys();
    void applySettings(const AppSettings& settings);
    void saveSelectionAsLayout(const TileRegion& region) override;
    void setRecordingActive(bool active);
    void setSettingsError(const std::optional<std::string>& error);
    void setEditingLayout(const std::optional<SavedLayout>& layout);
    void setEditingGlobalShortcut(const std::optional<SavedLayout>& layout);
    void setSettingsTab(int tab);
    // The settings window was closed by the user.
    void handleSettingsWindowClosed();
    // "Check for Updates…"
    void checkForUpdates();

    // Where README's section on supported desktops lives ("Learn more…").
    static constexpr const char* supportedDesktopsUrl =
        "https://github.com/corvane/corvane#supported-desktops";

    // The open panels, in display order.
    using PanelEntry = GridPanels::Entry;
    const std::vector<PanelEntry>& panels() const { return panels_->entries(); }
    // The open panel that has the keyboard, if one has.
    std::optional<std::size_t> keyPanelIndex() const { return panels_->keyPanelIndex(); }
    // Whether `window` is one of the open grid's panels.
    bool isPanelWindow(platform::WindowId window) const { return panels_->isPanelWindow(window); }
    PreviewOverlay* previewOverlay() const { return previewOverlay_.get(); }

    // For the classes the controller delegates to.
    const AppServices& services() const { return services_; }
    const AppOptions& options() const { return options_; }
    ControllerState& state() { return state_; }
    WindowManager& windows() { return *windows_; }
    GridPanels& gridPanels() { return *panels_; }
    PanelKeys& panelKeys() { return *keys_; }
    PlacementRunner& placements() { return *placements_; }
    SettingsActions& settingsActions() { return *settingsActions_; }
    SettingsFileWatch& settingsFileWatch() { return *fileWatch_; }
    Upkeep& upkeep() { return *upkeep_; }
    // Refreshes the open panels and tells every other view.
    void notify();

signals:
    void stateChanged();
    // Asks the application to quit ("Quit Corvane").
    void quitRequested();
    // 0.25 s after a launch with "--smoke-test": the self-test takes over.
    void smokeTestRequested();

private:
    void launchAction(bool firstLaunch);
    bool readAndMarkLaunched();
    QString stateFile() const;
    UpdateFeedConfig updaterConfig() const;

    AppServices services_;
    AppOptions options_;
    ControllerState state_;
    std::unique_ptr<SettingsStore> store_;
    std::unique_ptr<AppUpdater> updater_;
    std::unique_ptr<WindowManager> windows_;
    std::unique_ptr<PreviewOverlay> previewOverlay_;
    std::unique_ptr<GridPanels> panels_;
    std::unique_ptr<PlacementRunner> placements_;
    std::unique_ptr<PanelKeys> keys_;
    std::unique_ptr<HotKeyRegistration> hotKeyRegistration_;
    std::unique_ptr<SettingsActions> settingsActions_;
    std::unique_ptr<SettingsFileWatch> fileWatch_;
    std::unique_ptr<Upkeep> upkeep_;
    bool started_ = false;
};

}  // namespace corvane
