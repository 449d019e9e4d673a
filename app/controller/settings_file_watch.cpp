#include "app/controller/settings_file_watch.h"

#include <filesystem>

#include "app/controller/app_controller.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

const char* const kRefused =
    "The edited settings file was refused; the settings in use are unchanged. ";

// The folder of `file`, or while that does not exist yet the nearest folder above
// it that does: its change tells when the settings folder appears.
fs::path nearestFolder(const fs::path& file) {
    fs::path folder = file.parent_path();
    std::error_code error;
    while (!folder.empty() && !fs::is_directory(folder, error) && folder != folder.parent_path())
        folder = folder.parent_path();
    return folder;
}

}  // namespace

SettingsFileWatch::SettingsFileWatch(AppController& controller) : controller_(controller) {
    settle_.setSingleShot(true);
    settle_.setInterval(settleMilliseconds);
    connect(&settle_, &QTimer::timeout, this, [this] { takeOutsideChange(); });
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &SettingsFileWatch::pathChanged);
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this,
            &SettingsFileWatch::pathChanged);
}

void SettingsFileWatch::start() {
    if (watching_ || controller_.store().url().empty()) return;
    watching_ = true;
    follow();
}

void SettingsFileWatch::stop() {
    watching_ = false;
    settle_.stop();
    const QStringList paths = watcher_.files() + watcher_.directories();
    if (!paths.isEmpty()) watcher_.removePaths(paths);
}

// Watches the file itself (writes in place) and its folder (a file renamed over
// it, deleted or created). A replaced file is a new file to the system, so the
// watch on it is set up again after every change.
void SettingsFileWatch::follow() {
    const fs::path file = controller_.store().url();
    QStringList wanted{QString::fromStdString(nearestFolder(file).string())};
    std::error_code error;
    if (fs::exists(file, error)) wanted << QString::fromStdString(file.string());
    const QStringList watched = watcher_.files() + watcher_.directories();
    for (const QString& path : watched) {
        if (!wanted.contains(path) || watcher_.files().contains(path)) watcher_.removePath(path);
    }
    for (const QString& path : wanted) {
        if (!watcher_.directories().contains(path)) watcher_.addPath(path);
    }
}

void SettingsFileWatch::pathChanged() {
    if (!watching_) return;
    follow();
    settle_.start();
}

SettingsFileWatch::Outcome SettingsFileWatch::takeOutsideChange() {
    SettingsStore::Reread reread = controller_.store().reread();
    if (reread.retry && watching_) settle_.start();
    ControllerState& state = controller_.state();
    switch (reread.outcome) {
        case Outcome::unchanged:
            break;
        case Outcome::loaded:
            state.settingsFileProblem.reset();
            state.grid = reread.settings.grid;
            controller_.applySettings(reread.settings);
            break;
        case Outcome::refused:
            state.settingsFileProblem = kRefused + reread.problem;
            state.settingsError = state.settingsFileProblem;
            controller_.notify();
            break;
        case Outcome::missing:
            // The problem was the file's, and the file is gone.
            if (!state.settingsFileProblem) break;
            if (state.settingsError == state.settingsFileProblem) state.settingsError.reset();
            state.settingsFileProblem.reset();
            controller_.notify();
            break;
    }
    emit checked(reread.outcome);
    return reread.outcome;
}

}  // namespace corvane
