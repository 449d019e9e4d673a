// corvane: the grid window tiler. One process per user runs the application;
// any later `corvane` hands its request to that one and prints the answer.

#include <sys/socket.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <iostream>
#include <thread>

#include "app/controller/app_controller.h"
#include "app/controller/self_test.h"
#include "app/main/command_line.h"
#include "app/main/keyboard_layout_watch.h"
#include "app/main/qt_scheduler.h"
#include "app/main/screen_lock.h"
#include "app/main/x11_integration.h"
#include "app/previews/preview_command.h"
#include "app/remote/command_names.h"
#include "app/remote/remote_commands.h"
#include "app/remote/single_instance.h"
#include "app/settings_window/settings_window.h"
#include "app/tray/tray_icon.h"
#include "app/tray/tray_status.h"
#include "platform/autostart/xdg_autostart.h"
#include "platform/x11/keyboard/x11_hot_key_grabber.h"
#include "platform/x11/keyboard/x11_key_labels.h"
#include "platform/x11/x11_availability_watch.h"
#include "platform/x11/x11_desktop_shell.h"
#include "platform/x11/x11_displays.h"
#include "platform/x11/x11_pointer_watch.h"
#include "platform/x11/x11_tray_watch.h"
#include "platform/x11/x11_window_system.h"

#ifndef CORVANE_VERSION
#define CORVANE_VERSION "0"
#endif
#ifndef CORVANE_UPDATE_FEED_URL
#define CORVANE_UPDATE_FEED_URL ""
#endif
#ifndef CORVANE_UPDATE_PUBLIC_KEY
#define CORVANE_UPDATE_PUBLIC_KEY ""
#endif

namespace {

using namespace corvane;
using namespace std::chrono_literals;

// How long a request waits for an instance that is still starting.
constexpr auto startupWait = 5s;
// A placement answers once the window has settled: seconds at most.
constexpr auto answerWait = 60s;

int print(const InstanceResponse& response) {
    std::cout << response.out << std::flush;
    std::cerr << response.err << std::flush;
    return response.exitCode;
}

InstanceRequest requestFor(const CommandLine& line) {
    InstanceRequest request;
    switch (line.action) {
        case CommandLine::Action::applyLayout:
            request.command = CommandName::applyLayout;
            request.argument = line.layoutName;
            break;
        case CommandLine::Action::undo:
            request.command = CommandName::undo;
            break;
        case CommandLine::Action::toggleGrid:
            request.command = CommandName::toggleGrid;
            break;
        case CommandLine::Action::listLayouts:
            request.command = CommandName::listLayouts;
            break;
        case CommandLine::Action::status:
            request.command = CommandName::status;
            break;
        case CommandLine::Action::quit:
            request.command = CommandName::quit;
            break;
        default:
            request.command = CommandName::launch;
            request.show = line.show;
            request.settings = line.settings;
    }
    return request;
}

// Hands a request to the running Corvane and prints its answer.
int handOver(const SingleInstance::Location& location, const InstanceRequest& request, int argc,
             char** argv) {
    QCoreApplication app(argc, argv);
    const auto giveUp = std::chrono::steady_clock::now() + startupWait;
    while (true) {
        std::string error;
        if (auto response = SingleInstance::send(location, request, answerWait, &error))
            return print(*response);
        if (!error.empty()) {
            std::cerr << error << '\n';
            return 1;
        }
        if (!SingleInstance::isRunning(location)) {
            std::cerr
                << (request.command == CommandName::launch
                        ? "Corvane quit while it was being started again. Start it once more.\n"
                        : "Corvane is not running. Start it with \u201ccorvane\u201d first.\n");
            return 1;
        }
        if (std::chrono::steady_clock::now() > giveUp) {
            std::cerr << "Corvane is running but does not answer.\n";
            return 1;
        }
        std::this_thread::sleep_for(50ms);  // it is still starting
    }
}

// SIGTERM (logout, kill) and SIGINT end the event loop, so the stop sequence runs.
int signalPipe[2] = {-1, -1};

void quitOnSignals(QCoreApplication& app) {
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0) return;
    auto* notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [notifier] {
        notifier->setEnabled(false);
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = [](int) {
        const char byte = 1;
        [[maybe_unused]] auto written = ::write(signalPipe[0], &byte, 1);
    };
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);
}

int screenNumber() {
    int screen = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen) == 0) screen = 0;
    std::free(host);
    return screen;
}

// Whether there is an X11 display to run on; says why not on standard error.
bool displayReachable() {
    if (qgetenv("QT_QPA_PLATFORM") == "offscreen") return true;
    // Moving other applications' windows needs X11, also inside a Wayland session (XWayland).
    qputenv("QT_QPA_PLATFORM", "xcb");
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::cerr
            << "Corvane runs on an X11 desktop, and there is none here (DISPLAY is not set).\n";
        return false;
    }
    // The toolkit would abort with a core dump; say plainly what is wrong instead.
    xcb_connection_t* probe = xcb_connect(nullptr, nullptr);
    const bool reachable = xcb_connection_has_error(probe) == 0;
    xcb_disconnect(probe);
    if (!reachable) {
        std::cerr << "Corvane could not connect to the X11 display \u201c"
                  << qgetenv("DISPLAY").toStdString() << "\u201d.\n";
    }
    return reachable;
}

AppOptions optionsFor(const CommandLine& line) {
    AppOptions options;
    options.diagnostics = line.diagnostics;
    options.smokeTest = line.smokeTest;
    options.openSettings = line.settings;
    options.show = line.show;
    options.makeSettingsWindow = [](AppController& controller) -> QWidget* {
        return new SettingsWindow(controller);
    };
    options.updates.feedUrl = QUrl(QStringLiteral(CORVANE_UPDATE_FEED_URL));
    options.updates.publicKeyBase64 = QByteArrayLiteral(CORVANE_UPDATE_PUBLIC_KEY);
    options.updates.currentVersion = QStringLiteral(CORVANE_VERSION);
    return options;
}

int runApplication(const CommandLine& line, SingleInstance& instance, int argc, char** argv) {
    if (!displayReachable()) return 1;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("corvane"));
    // No application display name: Qt would append " — Corvane" to every window
    // title, and the panels are titled "Corvane — <monitor>" exactly.
    QApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("corvane"));
    QApplication::setQuitOnLastWindowClosed(false);

    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    if (!x11 || !x11->connection()) {
        std::cerr << "Corvane needs an X11 display to move and resize windows.\n";
        return 1;
    }
    std::string error;
    if (!instance.listen(&error)) {
        std::cerr << error << '\n';
        return 1;
    }

    xcb_connection_t* connection = x11->connection();
    const int screen = screenNumber();
    const int ownPid = static_cast<int>(getpid());
    platform::X11WindowSystem windows(connection, screen, {.ownPid = ownPid});
    platform::X11AvailabilityWatch watchedWindows(windows, connection, screen);
    platform::X11Displays displays(connection, screen);
    platform::X11HotKeyGrabber hotKeys(connection);
    platform::X11DesktopShell shell(
        connection, screen, {.ownPid = ownPid, .later = [](int ms, std::function<void()> work) {
                                 QTimer::singleShot(ms, qApp, std::move(work));
                             }});
    platform::X11PointerWatch pointer(connection, screen);
    platform::X11TrayWatch trayWatch(connection, screen);
    platform::XdgAutostart loginItem;
    platform::X11KeyMapping keyMapping(connection);

    AppServices services{watchedWindows,
                         displays,
                         hotKeys,
                         shell,
                         loginItem,
                         [&windows] { return std::unique_ptr<Scheduler>(new QtScheduler(&windows)); },
                         ownPid,
                         &keyMapping};
    AppController controller(services, optionsFor(line));
    QObject::connect(&controller, &AppController::quitRequested, &app, &QCoreApplication::quit);

    X11Integration integration(controller, windows, watchedWindows, hotKeys, shell, pointer,
                               trayWatch);
    integration.install();
    KeyboardLayoutWatch layoutWatch(keyMapping,
                                    [&controller] { controller.handleKeyboardLayoutChanged(); });
    TrayStatus tray(controller);
    QObject::connect(&integration, &X11Integration::trayAppeared, &tray.icon(),
                     &TrayIcon::trayAppeared);
    RemoteCommands commands(
        controller, [] { QCoreApplication::quit(); }, [&tray] { return tray.describe(); });
    instance.setHandler(
        [&commands](const InstanceRequest& request, const SingleInstance::Responder& respond) {
            commands.handle(request, respond);
        });
    quitOnSignals(app);
    SelfTest selfTest(controller, {.desktopLocked = screenSaverActive,
                                   .finish = [](int status) { QCoreApplication::exit(status); }});
    QObject::connect(&controller, &AppController::smokeTestRequested, &selfTest, &SelfTest::start);

    controller.start();
    const int status = app.exec();

    // Stop: no more requests, hot keys released, filters and observers removed.
    instance.setHandler(nullptr);
    instance.close();
    controller.stop();
    integration.remove();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    const CommandLine line = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    switch (line.action) {
        case CommandLine::Action::help:
            std::cout << usageText();
            return 0;
        case CommandLine::Action::version:
            std::cout << "corvane " CORVANE_VERSION "\n";
            return 0;
        default:
            break;
    }
    if (line.error) {
        std::cerr << *line.error << '\n';
        return 1;
    }
    // Pictures need neither a desktop nor the running Corvane.
    if (line.action == CommandLine::Action::renderPreviews)
        return runPreviewCommand(line.previewsFolder, argc, argv, std::cout, std::cerr);

    std::string error;
    const std::optional<SingleInstance::Location> location =
        SingleInstance::defaultLocation(&error);
    if (!location) {
        std::cerr << error << '\n';
        return 1;
    }
    if (line.isScripting()) return handOver(*location, requestFor(line), argc, argv);

    SingleInstance instance(*location);
    if (!instance.claim()) {
        // The running Corvane would only open its grid, and nothing would be checked.
        if (line.smokeTest) {
            std::cerr << "Corvane is running already; quit it before running the self-test.\n";
            return 1;
        }
        return handOver(*location, requestFor(line), argc, argv);
    }
    return runApplication(line, instance, argc, argv);
}
