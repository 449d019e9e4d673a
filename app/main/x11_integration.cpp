#include "app/main/x11_integration.h"

#include <QGuiApplication>
#include <QMetaObject>
#include <QPointer>
#include <QScreen>
#include <QWindow>
#include <utility>
#include <vector>

#include "app/controller/app_controller.h"
#include "platform/x11/keyboard/x11_hot_key_grabber.h"
#include "platform/x11/x11_availability_watch.h"
#include "platform/x11/x11_desktop_shell.h"
#include "platform/x11/x11_pointer_watch.h"
#include "platform/x11/x11_tray_watch.h"
#include "platform/x11/x11_window_system.h"

namespace corvane {

X11Integration::X11Integration(AppController& controller, platform::X11WindowSystem& windows,
                               platform::X11AvailabilityWatch& availability,
                               platform::X11HotKeyGrabber& hotKeys,
                               platform::X11DesktopShell& shell, platform::X11PointerWatch& pointer,
                               const platform::X11TrayWatch& tray, QObject* parent)
    : QObject(parent),
      controller_(controller),
      windows_(windows),
      availability_(availability),
      hotKeys_(hotKeys),
      shell_(shell),
      pointer_(pointer),
      tray_(tray) {
    screenSettle_.setSingleShot(true);
    screenSettle_.setInterval(screenSettleMilliseconds);
    connect(&screenSettle_, &QTimer::timeout, &controller_, &AppController::handleScreensChanged);
    noneActiveSettle_.setSingleShot(true);
    noneActiveSettle_.setInterval(noneActiveSettleMilliseconds);
    connect(&noneActiveSettle_, &QTimer::timeout, this, &X11Integration::noneActiveSettled);
}

X11Integration::~X11Integration() {
    remove();
}

void X11Integration::install() {
    if (installed_) return;
    installed_ = true;
    qApp->installNativeEventFilter(this);

    // The grabber reports presses from inside the event filter; the action
    // (which may open windows and talk to the server) runs from the event
    // loop instead, and not at all once the controller is gone.
    auto press = hotKeys_.onPressed;
    QPointer<AppController> controller(&controller_);
    hotKeys_.onPressed = [press, controller](std::uint16_t keyCode, std::uint32_t modifiers) {
        if (!press || !controller) return;
        QMetaObject::invokeMethod(
            controller, [press, keyCode, modifiers] { press(keyCode, modifiers); },
            Qt::QueuedConnection);
    };

    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    connect(app, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watchScreen(screen);
        screenSettle_.start();
    });
    connect(app, &QGuiApplication::screenRemoved, this, [this] { screenSettle_.start(); });
    for (QScreen* screen : QGuiApplication::screens()) watchScreen(screen);
    lastActive_ = shell_.activeWindow().value_or(0);
    connect(&controller_, &AppController::stateChanged, this, &X11Integration::followGrid);
    followGrid();
}

void X11Integration::remove() {
    if (!installed_) return;
    installed_ = false;
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->removeNativeEventFilter(this);
        disconnect(app, nullptr, this, nullptr);
    }
    for (QScreen* screen : QGuiApplication::screens()) disconnect(screen, nullptr, this, nullptr);
    disconnect(&controller_, nullptr, this, nullptr);
    screenSettle_.stop();
    noneActiveSettle_.stop();
    pointer_.stop();
}

// Clicks are watched only while there is a grid for them to close.
void X11Integration::followGrid() {
    if (controller_.panelsOpen()) {
        pointer_.start();
    } else {
        pointer_.stop();
    }
}

void X11Integration::watchScreen(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, [this] { screenSettle_.start(); });
    connect(screen, &QScreen::availableGeometryChanged, this, [this] { screenSettle_.start(); });
}

bool X11Integration::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (!installed_ || eventType != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const platform::X11PointerWatch::Seen press = pointer_.handleEvent(event);
    if (press.click) {
        QMetaObject::invokeMethod(this, &X11Integration::pointerPressed, Qt::QueuedConnection);
    }
    // The raw presses were selected for Corvane alone; Qt's input handling never asked for them.
    if (press.consumed) return true;
    if (tray_.isTrayArrival(event))
        QMetaObject::invokeMethod(this, &X11Integration::trayAppeared, Qt::QueuedConnection);
    const std::optional<platform::WindowId> active = shell_.handleEvent(event);
    windows_.handleEvent(event);
    availability_.handleEvent(event);
    // lastActive_ stays the window that had the keyboard before none had it.
    if (active && *active == 0 && lastActive_ != 0) noneActiveSettle_.start();
    if (active && *active != 0 && *active != lastActive_) {
        const platform::WindowId window = *active;
        const platform::WindowId previous = std::exchange(lastActive_, window);
        QMetaObject::invokeMethod(
            this, [this, window, previous] { activeWindowChanged(window, previous); },
            Qt::QueuedConnection);
    }
    // A grabbed combination is Corvane's alone: nobody else sees the press.
    return hotKeys_.handleEvent(event);
}

void X11Integration::pointerPressed() {
    if (!controller_.panelsOpen()) return;
    const auto where = pointer_.pointer();
    if (!where) return;
    // The panels, the preview and the tray icon are Corvane's; a press on any
    // of them is handled there.
    std::vector<platform::WindowId> own;
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->handle() && window->isVisible())
            own.push_back(platform::WindowId(window->winId()));
    }
    if (pointer_.isOnAny(*where, own)) return;
    // The window manager handles the same click: let it move the keyboard
    // first. A panel that still had the keyboard when it closed would make
    // the window manager hand it back to the window before the grid.
    const int generation = controller_.state().panelGeneration;
    QTimer::singleShot(clickLandMilliseconds, this, [this, generation] {
        if (controller_.state().panelGeneration == generation) controller_.handleOutsideClick();
    });
}

void X11Integration::noneActiveSettled() {
    // The window manager may pass the keyboard through no window on its way to the next one.
    if (shell_.activeWindow().value_or(0) != 0) return;
    if (controller_.isPanelWindow(lastActive_)) controller_.handleOutsideClick();
}

bool X11Integration::isOwnWindow(platform::WindowId window) const {
    for (QWindow* own : QGuiApplication::topLevelWindows()) {
        if (own->handle() && platform::WindowId(own->winId()) == window) return true;
    }
    return false;
}

void X11Integration::activeWindowChanged(platform::WindowId window, platform::WindowId previous) {
    if (isOwnWindow(window)) return;
    // Only while it still is: a window manager may pass the keyboard through
    // another window for a moment (a panel closing just before its successor opens).
    if (shell_.activeWindow().value_or(0) != window) return;
    const auto app = windows_.appOf(window);
    if (!app.ok()) return;  // gone already
    controller_.handleApplicationActivated(app.value());
    // The grid lost the keyboard to another application: a click outside it.
    // The keyboard passing through another window before the grid had it is
    // none: the window manager hands it on when Corvane hides the settings
    // window to open the grid.
    if (controller_.isPanelWindow(previous)) controller_.handleOutsideClick();
}

}  // namespace corvane
