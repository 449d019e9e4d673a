#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QKeyEvent>
#include <QTimer>
#include <QWindow>
#include <memory>
#include <string>
#include <vector>

#include "app/controller/app_controller.h"
#include "app/panel/tile_panel.h"
#include "app/settings/settings_store.h"
#include "core/testing/queued_scheduler.h"
#include "core/testing/simulated_scheduler.h"
#include "core/testing/temp_dir.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_desktop_shell.h"
#include "platform/fake/fake_hot_key_grabber.h"
#include "platform/fake/fake_login_item.h"
#include "platform/key_code_map.h"

namespace corvane::testing {

// Lets the event loop run, so timers that are due fire.
inline void spin(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// One controller on an in-memory desktop: a 1920 × 1080 monitor with a 30-point
// top panel, and a terminal window focused on it. Settings live in a
// temporary folder. Placements run on a simulated clock (they finish at once)
// unless `queuedClock` is set; then every wait stays pending until the test
// ends it through `lastQueued`.
class ControllerTest : public ::testing::Test {
protected:
    static constexpr int ownPid = 777;

    ControllerTest() {
        desktop.addMonitor("DP-1", Rect{0, 0, 1920, 1080}, 30);
        app = desktop.addApp(4242, "XTerm", "XTerm");
        window =
            desktop.addWindow(platform::FakeWindowSpec{.app = app, .frame = {100, 100, 800, 600}});
        QCursor::setPos(10, 10);
    }

    ~ControllerTest() override {
        controller.reset();
        // Panels and finished schedulers are freed from the event loop.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

    // Settings written before the controller loads them.
    void saveSettings(const AppSettings& settings) { SettingsStore(dir.path()).save(settings); }

    AppController& make(AppOptions options = {}) {
        options.settingsDirectory = dir.path();
        options.createTrayIcon = wantTray;
        options.diagnostics = true;
        options.diagnosticsSink = [this](const std::string& line) { lines.push_back(line); };
        options.openUrl = [this](const std::string& url) { openedUrls.push_back(url); };
        AppServices services{desktop,
                             desktop,
                             grabber,
                             shell,
                             login,
                             [this]() -> std::unique_ptr<Scheduler> {
                                 if (queuedClock) {
                                     auto queued = std::make_unique<QueuedScheduler>();
                                     lastQueued = queued.get();
                                     return queued;
                                 }
                                 return std::make_unique<SimulatedScheduler>();
                             },
                             ownPid};
        controller = std::make_unique<AppController>(services, std::move(options));
        return *controller;
    }

    AppSettings settingsWith(auto&& change) {
        AppSettings settings;
        change(settings);
        return settings;
    }

    TilePanel* panel(std::size_t index) const { return controller->panels().at(index).panel; }
    PanelSelection& selection(std::size_t index) const {
        return *controller->panels().at(index).selection;
    }
    const platform::Display& displayOf(std::size_t index) const {
        return controller->panels().at(index).display;
    }

    // A key as the desktop delivers it to a panel's window: Qt's key and
    // modifiers plus the X keycode of Corvane's virtual key.
    void sendKey(std::size_t panelIndex, QEvent::Type type, int qtKey,
                 Qt::KeyboardModifiers modifiers,
                 std::optional<std::uint16_t> virtualKey = std::nullopt) {
        quint32 scanCode = 0;
        if (virtualKey) scanCode = platform::xKeycodeFor(*virtualKey).value_or(0);
        QKeyEvent event(type, qtKey, modifiers, scanCode, 0, 0);
        QCoreApplication::sendEvent(panel(panelIndex)->windowHandle(), &event);
    }
    void tapKey(std::size_t panelIndex, int qtKey, Qt::KeyboardModifiers modifiers,
                std::uint16_t virtualKey) {
        sendKey(panelIndex, QEvent::KeyPress, qtKey, modifiers, virtualKey);
        // The press may have closed the grid; the release then goes elsewhere.
        if (panelIndex < controller->panels().size()) {
            sendKey(panelIndex, QEvent::KeyRelease, qtKey, modifiers, virtualKey);
        }
    }

    bool hasLine(const std::string& prefix) const {
        for (const std::string& line : lines) {
            if (line.rfind(prefix, 0) == 0) return true;
        }
        return false;
    }

    TempDir dir;
    platform::FakeDesktop desktop;
    platform::FakeHotKeyGrabber grabber;
    platform::FakeDesktopShell shell;
    platform::FakeLoginItem login;
    platform::AppRef app;
    platform::WindowId window = 0;
    bool queuedClock = false;
    bool wantTray = false;
    QueuedScheduler* lastQueued = nullptr;
    std::vector<std::string> lines;
    std::vector<std::string> openedUrls;
    std::unique_ptr<AppController> controller;
};

}  // namespace corvane::testing
