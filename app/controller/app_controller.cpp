#include "app/controller/app_controller.h"

#include <QApplication>
#include <QSettings>
#include <QTimer>
#include <iostream>

#include "app/controller/interruptible_scheduler.h"
#include "app/controller/tray_icon.h"
#include "app/panel/panel_selection.h"
#include "app/panel/preview_overlay.h"
#include "app/panel/tile_panel.h"

namespace corvane {

namespace {

constexpr int permissionPollMilliseconds = 1000;
constexpr int launchDelayMilliseconds = 250;

}  // namespace

AppController::AppController(AppServices services, AppOptions options, QObject* parent)
    : QObject(parent),
      services_(std::move(services)),
      options_(std::move(options)),
      permissionGranted_(services_.windows.isAvailable()),
      loginEnabled_(services_.loginItem.isEnabled()),
      store_(options_.settingsDirectory),
      windows_(services_.windows, services_.ownPid,
               [this](const std::string& line) { diagnostic(line); }),
      hotKeys_(services_.hotKeys),
      previewOverlay_(std::make_unique<PreviewOverlay>(services_.windows, services_.shell)) {
    settings_ = store_.load();
    grid_ = settings_.grid;
    settingsError_ = store_.loadError();
}

AppController::~AppController() {
    shuttingDown_ = true;
    // Work in flight ends now, while the window manager it uses still exists;
    // its result is dropped.
    if (activeScheduler_) activeScheduler_->interrupt();
    stop();
    for (PanelEntry& entry : panels_) delete entry.panel.data();
    panels_.clear();
    delete settingsWindow_.data();
}

void AppController::start() {
    if (started_) return;
    started_ = true;
    rememberFrontmostApp();
    if (options_.createTrayIcon) createTrayIcon();
    updateStatusItem();
    registerHotKeys();
    qApp->installEventFilter(this);
    // Coming to the front is a moment to look at window control again.
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationActive) checkPermission();
            });

    permissionTimer_ = new QTimer(this);
    permissionTimer_->setInterval(permissionPollMilliseconds);
    permissionTimer_->setTimerType(Qt::CoarseTimer);
    connect(permissionTimer_, &QTimer::timeout, this, [this] {
        checkPermission();
        if (settingsWindow_ && settingsWindow_->isVisible()) refreshLoginEnabled();
    });
    permissionTimer_->start();

    const bool firstLaunch = readAndMarkLaunched();
    // The context object drops the call when the controller is gone.
    QTimer::singleShot(launchDelayMilliseconds, this,
                       [this, firstLaunch] { launchAction(firstLaunch); });
}

void AppController::stop() {
    if (!started_) return;
    started_ = false;
    if (permissionTimer_) {
        permissionTimer_->stop();
        delete permissionTimer_;
        permissionTimer_ = nullptr;
    }
    hotKeys_.unregisterAll();
    if (qApp) {
        qApp->removeEventFilter(this);
        disconnect(qApp, nullptr, this, nullptr);
    }
}

void AppController::setCompositing(bool compositing) {
    compositing_ = compositing;
    previewOverlay_->setCompositing(compositing);
    for (PanelEntry& entry : panels_) {
        if (entry.panel) entry.panel->setCompositing(compositing);
    }
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

// "hasLaunched" lives beside settings.json, so a test's settings folder keeps
// the user's own state untouched.
bool AppController::readAndMarkLaunched() {
    const std::filesystem::path folder = store_.url().parent_path();
    std::unique_ptr<QSettings> state;
    if (folder.empty()) {
        state = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("corvane"), QStringLiteral("state"));
    } else {
        state = std::make_unique<QSettings>(QString::fromStdString((folder / "state.ini").string()),
                                            QSettings::IniFormat);
    }
    const bool launched = state->value(QStringLiteral("hasLaunched"), false).toBool();
    state->setValue(QStringLiteral("hasLaunched"), true);
    state->sync();
    return !launched;
}

GridSize AppController::activeGrid() const {
    return subdivided_ ? grid_.subdivided() : grid_;
}

std::optional<platform::IconImage> AppController::targetIcon(int preferredSize) const {
    if (!target_) return std::nullopt;
    return services_.windows.icon(target_->window, preferredSize);
}

std::size_t AppController::displayCount() const {
    // While the grid is open there is one panel per display; asking the desktop
    // again for every panel's refresh would cost a dozen round trips each time.
    if (gridDisplays_) return gridDisplays_->size();
    return currentDisplays().size();
}

std::vector<platform::Display> AppController::currentDisplays() const {
    return services_.displays.displays();
}

void AppController::diagnostic(const std::string& line) {
    if (!options_.diagnostics) return;
    if (options_.diagnosticsSink) {
        options_.diagnosticsSink(line);
    } else {
        std::cout << line << '\n' << std::flush;
    }
}

void AppController::notify() {
    if (shuttingDown_) return;
    for (PanelEntry& entry : panels_) {
        if (entry.panel) entry.panel->refresh();
    }
    emit stateChanged();
}

void AppController::setMessage(std::optional<std::string> message, bool isError) {
    message_ = std::move(message);
    messageIsError_ = isError;
}

void AppController::rememberFrontmostApp() {
    std::optional<platform::AppRef> app = services_.windows.frontmostApp();
    if (!app) return;
    if (app->pid > 0 && app->pid == services_.ownPid) return;
    lastExternalApp_ = std::move(app);
}

void AppController::handleApplicationActivated(const platform::AppRef& app) {
    if (!(app.pid > 0 && app.pid == services_.ownPid)) lastExternalApp_ = app;
    if (!panels_.empty() && settings_.keepPanelOpen) {
        refreshTarget();
        notify();
    }
}

void AppController::handleScreensChanged() {
    if (panels_.empty()) return;
    // The new panels take the keyboard before the old ones go: hiding the panel
    // that has it first would let the window manager hand it to another window
    // in between, which reads as a click elsewhere and closes the new grid.
    std::vector<PanelEntry> old;
    old.swap(panels_);
    closePanels(false);
    showPanels();
    for (PanelEntry& entry : old) {
        if (!entry.panel) continue;
        entry.panel->hide();
        entry.panel->deleteLater();
    }
}

void AppController::setSettingsError(const std::optional<std::string>& error) {
    settingsError_ = error;
    notify();
}

void AppController::setEditingLayout(const std::optional<SavedLayout>& layout) {
    editingLayout_ = layout;
    notify();
}

void AppController::setEditingGlobalShortcut(const std::optional<SavedLayout>& layout) {
    editingGlobalShortcut_ = layout;
    notify();
}

void AppController::setSettingsTab(int tab) {
    settingsTab_ = tab;
    notify();
}

}  // namespace corvane
