#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/updates/app_updater.h"
#include "core/scheduler.h"
#include "platform/desktop_shell.h"
#include "platform/displays.h"
#include "platform/hot_key_grabber.h"
#include "platform/key_mapping.h"
#include "platform/window_system.h"

class QWidget;

namespace corvane {

class AppController;

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
    // The current keyboard layout, which labels the keys Corvane shows and
    // tells the panel which key types "z"; without it keys keep their stored
    // labels and the panel reads keys by position.
    platform::KeyMapping* keyMapping = nullptr;
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
    // Opens a web page (the desktop's browser when null).
    std::function<void(const std::string& url)> openUrl;
    // Builds the settings window the first time it is asked for; without it
    // "Settings…" only closes the grid.
    std::function<QWidget*(AppController&)> makeSettingsWindow;
    // The update feed (none: this build offers no update checks). Its
    // preferences file, when not given, is Corvane's state file.
    UpdateFeedConfig updates;
};

}  // namespace corvane
