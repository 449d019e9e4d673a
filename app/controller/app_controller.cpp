#include "app/controller/app_controller.h"

#include <unistd.h>

#include <QApplication>
#include <QSettings>
#include <QTimer>

#include "app/controller/hot_key_registration.h"
#include "app/controller/panel_keys.h"
#include "app/controller/placement_runner.h"
#include "app/controller/settings_actions.h"
#include "app/controller/settings_file_watch.h"
#include "app/controller/upkeep.h"
#include "app/panel/preview_overlay.h"
#include "app/settings/settings_store.h"
#include "app/window/window_manager.h"
#include "core/output_line.h"
#include "platform/desktop_shell.h"
#include "platform/shown_shortcut.h"

namespace corvane {

namespace {

constexpr int launchDelayMilliseconds = 250;

}  // namespace

AppController::AppController(AppServices services, AppOptions options, QObject* parent)
    : QObject(parent),
      services_(std::move(services)),
      options_(std::move(options)),
      store_(std::make_unique<SettingsStore>(options_.settingsDirectory)),
      updater_(std::make_unique<AppUpdater>(updaterConfig())),
      windows_(
          std::make_unique<WindowManager>(services_.windows, services_.ownPid,
                                          [this](const std::string& line) { diagnostic(line); })),
      previewOverlay_(std::make_unique<PreviewOverlay>(services_.windows, services_.shell)),
      panels_(std::make_unique<GridPanels>(*this)),
      placements_(std::make_unique<PlacementRunner>(*this)),
      keys_(std::make_unique<PanelKeys>(*this)),
      hotKeyRegistration_(std::make_unique<HotKeyRegistration>(*this)),
      settingsActions_(std::make_unique<SettingsActions>(*this)),
      fileWatch_(std::make_unique<SettingsFileWatch>(*this)),
      upkeep_(std::make_unique<Upkeep>(*this)) {
    state_.permissionGranted = services_.windows.isAvailable();
    state_.loginEnabled = services_.loginItem.isEnabled();
    state_.settings = store_->load();
    state_.grid = state_.settings.grid;
    state_.settingsError = store_->loadError();
    state_.settingsFileProblem = store_->loadError();
}

AppController::~AppController() {
    state_.shuttingDown = true;
    // Work in flight ends now, while the window manager it uses still exists;
    // its result is dropped.
    placements_->interrupt();
    stop();
    panels_->deletePanels();
    settingsActions_->deleteWindow();
}

void AppController::start() {
    if (started_) return;
    started_ = true;
    placements_->rememberFrontmostApp();
    if (!options_.smokeTest) updater_->startUpdater();
    registerHotKeys();
    upkeep_->startPolling();
    fileWatch_->start();

    const bool firstLaunch = readAndMarkLaunched();
    // The context object drops the call when the controller is gone.
    QTimer::singleShot(launchDelayMilliseconds, this,
                       [this, firstLaunch] { launchAction(firstLaunch); });
}

void AppController::stop() {
    if (!started_) return;
    started_ = false;
    upkeep_->stopPolling();
    fileWatch_->stop();
    updater_->stopUpdater();
    hotKeyRegistration_->unregisterAll();
    keys_->watch(false);
}

void AppController::handleReopen() {
    showPanels();
}

void AppController::launchAction(bool firstLaunch) {
    if (options_.smokeTest) {
        emit smokeTestRequested();
    } else if (options_.openSettings) {
        showSettings();
    } else if (firstLaunch || options_.show) {
        showPanels();
    }
}

// "hasLaunched" and the update preferences live beside settings.json, so a
// test's settings folder keeps the user's own state untouched.
QString AppController::stateFile() const {
    const std::filesystem::path folder = store_->url().parent_path();
    if (folder.empty()) {
        return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("corvane"),
                         QStringLiteral("state"))
            .fileName();
    }
    return QString::fromStdString((folder / "state.ini").string());
}

UpdateFeedConfig AppController::updaterConfig() const {
    UpdateFeedConfig config = options_.updates;
    if (config.preferencesFile.isEmpty()) config.preferencesFile = stateFile();
    if (!config.openUrl && options_.openUrl)
        config.openUrl = [open = options_.openUrl](const QUrl& url) {
            open(url.toString().toStdString());
        };
    return config;
}

bool AppController::readAndMarkLaunched() {
    QSettings state(stateFile(), QSettings::IniFormat);
    const bool launched = state.value(QStringLiteral("hasLaunched"), false).toBool();
    state.setValue(QStringLiteral("hasLaunched"), true);
    state.sync();
    return !launched;
}

std::optional<platform::IconImage> AppController::targetIcon(int preferredSize) const {
    if (!state_.target) return std::nullopt;
    return services_.windows.icon(state_.target->window, preferredSize);
}

std::size_t AppController::displayCount() const {
    // While the grid is open there is one panel per display; asking the desktop
    // again for every panel's refresh would cost a dozen round trips each time.
    if (const auto& displays = panels_->gridDisplays()) return displays->size();
    return services_.displays.displays().size();
}

void AppController::diagnostic(const std::string& line) {
    if (!options_.diagnostics) return;
    if (options_.diagnosticsSink) {
        options_.diagnosticsSink(line);
    } else {
        writeWholeLine(STDOUT_FILENO, line);
    }
}

void AppController::notify() {
    if (state_.shuttingDown) return;
    panels_->refreshAll();
    emit stateChanged();
}

QWidget* AppController::settingsWindow() const {
    return settingsActions_->window();
}

// The placement road.

void AppController::applyRegion(const TileRegion& region, const platform::Display& display,
                                bool shiftHeld) {
    placements_->applyRegion(region, display, shiftHeld);
}

void AppController::applyLayout(const SavedLayout& layout,
                                const std::optional<platform::Display>& display) {
    placements_->applyLayout(layout, display, nullptr);
}

void AppController::applyLayout(const SavedLayout& layout,
                                const std::optional<platform::Display>& display,
                                const PlacementCallback& done) {
    placements_->applyLayout(layout, display, done);
}

void AppController::moveToNextDisplay() {
    placements_->moveToNextDisplay();
}
void AppController::undoLastPlacement() {
    placements_->undo(nullptr);
}
void AppController::undoLastPlacement(const PlacementCallback& done) {
    placements_->undo(done);
}

void AppController::updatePreview(const std::optional<TileRegion>& region,
                                  const platform::Display& display) {
    placements_->updatePreview(region, display);
}

void AppController::refreshTarget() {
    placements_->refreshTarget();
}

// Panels and their keys.

void AppController::showPanels() {
    panels_->show();
}
void AppController::closePanels(bool restoreFocus) {
    panels_->close(restoreFocus);
}
void AppController::togglePanels() {
    panels_->toggle();
}
void AppController::changeGrid(int columnDelta, int rowDelta) {
    panels_->changeGrid(columnDelta, rowDelta);
}
void AppController::toggleSubdivision() {
    panels_->toggleSubdivision();
}
void AppController::handleOutsideClick() {
    panels_->handleOutsideClick();
}
void AppController::handleScreensChanged() {
    panels_->handleScreensChanged();
}
void AppController::setCompositing(bool compositing) {
    panels_->setCompositing(compositing);
}

std::string AppController::shownShortcut(const KeyCombo& combo) const {
    return platform::shownShortcut(combo, services_.keyMapping);
}

void AppController::handleKeyboardLayoutChanged() {
    notify();
}

void AppController::handleApplicationActivated(const platform::AppRef& app) {
    placements_->noteActivatedApp(app);
    if (panelsOpen() && state_.settings.keepPanelOpen) {
        refreshTarget();
        notify();
    }
}

// Upkeep and settings.

void AppController::checkPermission() {
    upkeep_->checkPermission();
}
void AppController::openAccessibilitySettings() {
    upkeep_->openAccessibilitySettings();
}
void AppController::registerHotKeys() {
    hotKeyRegistration_->registerAll();
}
void AppController::unregisterHotKeys() {
    hotKeyRegistration_->unregisterAll();
}
void AppController::showSettings() {
    settingsActions_->showSettings();
}
void AppController::applySettings(const AppSettings& next) {
    settingsActions_->applySettings(next);
}
void AppController::saveSelectionAsLayout(const TileRegion& region) {
    settingsActions_->saveSelectionAsLayout(region);
}
void AppController::setRecordingActive(bool active) {
    settingsActions_->setRecordingActive(active);
}
void AppController::handleSettingsWindowClosed() {
    settingsActions_->handleWindowClosed();
}
void AppController::checkForUpdates() {
    settingsActions_->checkForUpdates();
}

void AppController::setSettingsError(const std::optional<std::string>& error) {
    state_.settingsError = error;
    notify();
}

void AppController::setEditingLayout(const std::optional<SavedLayout>& layout) {
    state_.editingLayout = layout;
    notify();
}

void AppController::setEditingGlobalShortcut(const std::optional<SavedLayout>& layout) {
    state_.editingGlobalShortcut = layout;
    notify();
}

void AppController::setSettingsTab(int tab) {
    state_.settingsTab = tab;
    notify();
}

}  // namespace corvane
