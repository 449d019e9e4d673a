#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>

#include "app/controller/app_controller.h"
#include "app/panel/tile_panel.h"
#include "app/settings/settings_store.h"
#include "app/window/window_manager.h"
#include "core/testing/queued_scheduler.h"
#include "core/testing/simulated_scheduler.h"
#include "core/testing/temp_dir.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_desktop_shell.h"
#include "platform/fake/fake_hot_key_grabber.h"
#include "platform/fake/fake_key_mapping.h"
#include "platform/fake/fake_login_item.h"

namespace corvane::testing {

// Lets the event loop run, so timers that are due fire.
inline void spin(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

inline SavedLayout layoutOf(std::string name, TileRegion region, std::optional<KeyCombo> shortcut,
                            bool global, bool enabled = true) {
    SavedLayout layout;
    layout.name = std::move(name);
    layout.region = region;
    layout.shortcut = std::move(shortcut);
    layout.isGlobal = global;
    layout.enabled = enabled;
    return layout;
}

// One controller on an in-memory desktop: a 1920 × 1080 monitor with a 30-point
// top panel (work area 0, 30, 1920, 1050), and a terminal window focused on it.
// Settings live in a temporary folder. Placements finish at once on a simulated
// clock unless `queuedClock` is set; then they wait until `lastQueued` ends them.
class ControllerTest : public ::testing::Test {
protected:
    ControllerTest() {
        desktop.addMonitor("DP-1", Rect{0, 0, 1920, 1080}, 30);
        window = desktop.addWindow(platform::FakeWindowSpec{
            .app = desktop.addApp(4242, "XTerm", "XTerm"), .frame = {100, 100, 800, 600}});
        QCursor::setPos(10, 10);
    }

    ~ControllerTest() override {
        controller.reset();
        // Panels and finished schedulers are freed from the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    void saveSettings(const AppSettings& settings) { SettingsStore(dir.path()).save(settings); }

    // A controller; with `change`, on stored settings that are the defaults so changed.
    AppController& make(const std::function<void(AppSettings&)>& change = {}) {
        if (change) {
            AppSettings settings;
            change(settings);
            saveSettings(settings);
        }
        AppOptions options;
        options.settingsDirectory = dir.path();
        options.makeSettingsWindow = makeSettingsWindow;
        options.diagnostics = true;
        options.smokeTest = smokeTest;
        options.diagnosticsSink = [this](const std::string& line) { lines.push_back(line); };
        options.updates = updates;
        auto clock = [this]() -> std::unique_ptr<Scheduler> {
            if (!queuedClock) return std::make_unique<SimulatedScheduler>();
            return std::unique_ptr<Scheduler>(lastQueued = new QueuedScheduler);
        };
        AppServices services{desktop, desktop, grabber, shell, login, clock, 777, &keyMapping};
        controller = std::make_unique<AppController>(services, std::move(options));
        return *controller;
    }

    // The grid opened on the monitors the desktop has now, with `settings` stored.
    AppController& openPanels(const AppSettings& settings = {}) {
        saveSettings(settings);
        AppController& c = make();
        c.start();
        c.showPanels();
        return c;
    }
    TilePanel* panel(std::size_t index) const { return controller->panels().at(index).panel; }

    const platform::Display& displayOf(std::size_t index) const {
        return controller->panels().at(index).display;
    }

    bool hasLine(const std::string& prefix) const {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return line.rfind(prefix, 0) == 0; });
    }

    TempDir dir;
    platform::FakeDesktop desktop;
    platform::FakeHotKeyGrabber grabber;
    platform::FakeDesktopShell shell;
    platform::FakeLoginItem login;
    platform::FakeKeyMapping keyMapping;  // a US keyboard unless a test switches
    platform::WindowId window = 0;
    bool queuedClock = false;
    bool smokeTest = false;  // the controller is launched with "--smoke-test"
    // The settings window the controller opens (none unless a test gives one).
    std::function<QWidget*(AppController&)> makeSettingsWindow;
    // The update feed (none unless a test serves one).
    UpdateFeedConfig updates;
    QueuedScheduler* lastQueued = nullptr;
    std::vector<std::string> lines;
    std::unique_ptr<AppController> controller;
};

}  // namespace corvane::testing
