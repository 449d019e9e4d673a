#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/panel/panel_host.h"
#include "app/settings/settings_store.h"
#include "app/shortcuts/hot_key_manager.h"
#include "app/window/window_manager.h"
#include "core/key_combo.h"
#include "core/scheduler.h"
#include "platform/desktop_shell.h"
#include "platform/displays.h"
#include "platform/hot_key_grabber.h"
#include "platform/window_system.h"

class QKeyEvent;
class QTimer;

namespace corvane {

class InterruptibleScheduler;
class PanelSelection;
class PreviewOverlay;
class TilePanel;
class TrayIcon;

// The platform services the controller works through: X11 in the application,
// the in-memory fake desktop in tests.
struct AppServices {
    platform::WindowSystem& windows;
    platform::Displays& displays;
    platform::HotKeyGrabber& hotKeys;
    platform::DesktopShell& shell;
    platform::LoginItem& loginItem;
    // A scheduler for one placement or undo (Qt timers in the application).
    std::function<std::unique_ptr<Scheduler>()> makeScheduler;
    int ownPid = 0;
};

struct AppOptions {
    bool diagnostics = false;   // "--diagnostics"
    bool smokeTest = false;     // "--smoke-test"
    bool openSettings = false;  // "--settings"
    bool show = false;          // "--show"
    // Replaces the settings folder (tests); the legacy copy is then skipped.
    std::optional<std::filesystem::path> settingsDirectory;
    // Where diagnostics lines go (standard output when null).
    std::function<void(const std::string&)> diagnosticsSink;
    // Whether to create the tray icon (off in most unit tests).
    bool createTrayIcon = true;
    // Opens a web page (the desktop's browser when null).
    std::function<void(const std::string& url)> openUrl;
};

// How a placement or undo ended, for scripting callers.
struct PlacementOutcome {
    enum class Kind { exact, notExact, failed, ignored };
    Kind kind = Kind::ignored;
    std::string text;  // the notice or error description
};
using PlacementCallback = std::function<void(const PlacementOutcome&)>;

// A key press as the grid handles it: Corvane's virtual key code and modifier mask.
struct KeyPress {
    std::uint16_t keyCode = 0;
    std::uint32_t modifiers = 0;
};

// The spine of Corvane: owns the settings, the window manager, the hot keys,
// the preview and the panels, and runs every placement on one road. All of it
// runs on the main thread. stateChanged() is emitted after every change of the
// state the views show.
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
    const AppSettings& settings() const override { return settings_; }
    GridSize activeGrid() const override;
    bool subdivided() const override { return subdivided_; }
    const std::optional<WindowTarget>& target() const override { return target_; }
    std::optional<platform::IconImage> targetIcon(int preferredSize) const override;
    bool permissionGranted() const override { return permissionGranted_; }
    const std::optional<std::string>& message() const override { return message_; }
    bool messageIsError() const override { return messageIsError_; }
    bool canUndo() const override { return canUndo_; }
    bool isApplying() const override { return isApplying_; }
    std::size_t displayCount() const override;
    bool diagnosticsEnabled() const override { return options_.diagnostics; }
    void diagnostic(const std::string& line) override;

    // Further state.
    GridSize grid() const { return grid_; }
    int panelGeneration() const { return panelGeneration_; }
    const std::optional<std::string>& pendingResizeNotice() const { return pendingResizeNotice_; }
    const std::optional<std::string>& settingsError() const { return settingsError_; }
    const std::vector<std::string>& shortcutWarnings() const { return shortcutWarnings_; }
    bool loginEnabled() const { return loginEnabled_; }
    const std::optional<SavedLayout>& editingLayout() const { return editingLayout_; }
    const std::optional<SavedLayout>& editingGlobalShortcut() const {
        return editingGlobalShortcut_;
    }
    int settingsTab() const { return settingsTab_; }
    bool recordingActive() const { return recordingActive_; }
    bool panelsOpen() const { return !panels_.empty(); }
    const WindowManager& windowManager() const { return windows_; }
    const HotKeyManager& hotKeyManager() const { return hotKeys_; }
    SettingsStore& store() { return store_; }
    bool trayIconVisible() const;
    TrayIcon* trayIcon() const { return trayIcon_.get(); }
    QWidget* settingsWindow() const { return settingsWindow_; }

    // The placement road.
    void applyRegion(const TileRegion& region, const platform::Display& display,
                     bool shiftHeld) override;
    void applyLayout(const SavedLayout& layout,
                     const std::optional<platform::Display>& display) override;
    void applyLayout(const SavedLayout& layout, const std::optional<platform::Display>& display,
                     PlacementCallback done);
    void moveToNextDisplay() override;
    void undoLastPlacement() override;
    void undoLastPlacement(PlacementCallback done);
    void updatePreview(const std::optional<TileRegion>& region,
                       const platform::Display& display) override;
    void refreshTarget();
    void showError(const std::exception& error);
    void finishPlacement(const std::optional<std::string>& notice, bool keepOpen);

    // Panels and the grid's keys.
    void showPanels();
    void closePanels(bool restoreFocus) override;
    void togglePanels();
    void changeGrid(int columnDelta, int rowDelta) override;
    void toggleSubdivision() override;
    // A key pressed while the panel at `panelIndex` has the keyboard; true when handled.
    bool handleKeyDown(const KeyPress& key, std::size_t panelIndex);
    // Modifier state changed while a panel has the keyboard (the Alt tap).
    void handleFlagsChanged(std::uint32_t modifiers);
    // Another application was clicked (the grid lost the keyboard to it).
    void handleOutsideClick();
    // The active window changed to one of another application.
    void handleApplicationActivated(const platform::AppRef& app);
    // Monitors were added, removed or rearranged.
    void handleScreensChanged();
    // Whether a compositing manager runs: without one, panels and preview are shaped
    // instead of translucent. Told by the X11 glue; off until then.
    void setCompositing(bool compositing);

    // Upkeep.
    void checkPermission() override;
    void openAccessibilitySettings() override;
    void refreshLoginEnabled();
    void setLoginItem(bool enabled);
    void showSettings() override;
    void registerHotKeys();
    void applySettings(const AppSettings& settings);
    bool saveLayout(const SavedLayout& layout);
    void saveSelectionAsLayout(const TileRegion& region) override;
    // Export to / import from a file the user picked (the dialogs run in the settings window).
    void exportSettings(const std::filesystem::path& file);
    void importSettings(const std::filesystem::path& file);
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
    struct PanelEntry {
        QPointer<TilePanel> panel;
        platform::Display display;
        PanelSelection* selection = nullptr;
    };
    const std::vector<PanelEntry>& panels() const { return panels_; }
    // The open panel that has the keyboard, if one has.
    std::optional<std::size_t> keyPanelIndex() const;
    // Whether `window` is one of the open grid's panels.
    bool isPanelWindow(platform::WindowId window) const;
    PreviewOverlay* previewOverlay() const { return previewOverlay_.get(); }

signals:
    void stateChanged();
    // Asks the application to quit ("Quit Corvane").
    void quitRequested();
    // 0.25 s after a launch with "--smoke-test": the self-test takes over.
    void smokeTestRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct LastLayout {
        Uuid id;
        platform::WindowId window = 0;
        Rect frame;
    };
    // What a placement carries into its asynchronous part.
    struct PlacementJob {
        WindowTarget target;
        Rect frame;
        std::optional<Uuid> layoutId;
        int generation = 0;
        bool keepOpen = false;
    };

    void notify();
    std::vector<platform::Display> currentDisplays() const;
    // The target window's frame; when it cannot be read the user is told why.
    std::optional<Rect> targetFrame(const PlacementCallback& done);
    std::optional<std::size_t> panelIndexOfWindow(const QObject* window) const;
    void startPlacement(const WindowTarget& target, const Rect& frame, std::optional<Uuid> layoutId,
                        bool keepOpen, PlacementCallback done);
    void finishJob(const PlacementJob& job, std::optional<bool> exact, std::exception_ptr error,
                   double startTime, const PlacementCallback& done);
    void failJob(const PlacementJob& job, const std::exception& error,
                 const PlacementCallback& done);
    void endAsyncWork();
    void finishUndo(std::optional<bool> exact, std::exception_ptr error, int generation,
                    const PlacementCallback& done);
    PlacementOutcome ignoredOutcome() const;
    void resetSelections();
    void rememberFrontmostApp();
    void updateStatusItem();
    void createTrayIcon();
    void launchAction(bool firstLaunch);
    bool readAndMarkLaunched();
    void openPanel(const platform::Display& display);
    void giveKeyboardTo(std::size_t panelIndex);
    bool handleKeyEvent(QObject* watched, QKeyEvent* event);
    bool saveAndApply(const AppSettings& next);
    void setMessage(std::optional<std::string> message, bool isError);

    AppServices services_;
    AppOptions options_;

    AppSettings settings_;
    GridSize grid_;
    bool subdivided_ = false;
    std::optional<WindowTarget> target_;
    bool permissionGranted_ = false;
    std::optional<std::string> message_;
    bool messageIsError_ = false;
    bool canUndo_ = false;
    bool isApplying_ = false;
    int panelGeneration_ = 0;
    std::optional<std::string> pendingResizeNotice_;
    std::optional<std::string> settingsError_;
    std::vector<std::string> shortcutWarnings_;
    bool loginEnabled_ = false;
    std::optional<SavedLayout> editingLayout_;
    std::optional<SavedLayout> editingGlobalShortcut_;
    int settingsTab_ = 0;
    bool recordingActive_ = false;

    SettingsStore store_;
    WindowManager windows_;
    HotKeyManager hotKeys_;
    std::unique_ptr<PreviewOverlay> previewOverlay_;
    std::unique_ptr<TrayIcon> trayIcon_;
    std::vector<PanelEntry> panels_;
    // The displays the open grid was built for; none while it is closed.
    std::optional<std::vector<platform::Display>> gridDisplays_;
    QPointer<QWidget> settingsWindow_;
    // The waits of the placement or undo in flight; none when idle.
    std::unique_ptr<InterruptibleScheduler> activeScheduler_;
    std::optional<platform::AppRef> lastExternalApp_;
    bool optionTapArmed_ = false;
    bool optionDown_ = false;
    std::optional<LastLayout> lastLayout_;
    QTimer* permissionTimer_ = nullptr;
    bool started_ = false;
    bool shuttingDown_ = false;
    bool compositing_ = false;
};

}  // namespace corvane
