#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>
#include <QTimer>

#include "platform/window_system.h"

class QScreen;

namespace corvane {

class AppController;

namespace platform {
class X11AvailabilityWatch;
class X11DesktopShell;
class X11HotKeyGrabber;
class X11PointerWatch;
class X11TrayWatch;
class X11WindowSystem;
}  // namespace platform

// Connects the controller to the X server through Qt's own connection: every
// X event passes the X11 services first (hot key presses, the active window,
// the time of the user's last key press or click), and what they learn
// reaches the controller from the event loop, never from inside Qt's event
// dispatch:
// - a hot key press runs its action;
// - a window manager starting or ending is noticed by the next permission check;
// - another application's window becoming active is an application
//   activation, and when it takes the keyboard from the grid also a click
//   outside it;
// - while the grid is open, a press of a pointer button anywhere but on
//   Corvane's own windows is a click outside it: on another window, the
//   desktop background, or a dock that takes no keyboard;
// - the grid's keyboard going to no window at all, and staying there for a
//   moment, is a click outside it too (Openbox does so for the desktop);
// - monitors added, removed or resized rebuild an open grid, once the changes
//   have settled for a moment;
// - a system tray starting is told, so the tray icon can dock in it.
class X11Integration : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    static constexpr int screenSettleMilliseconds = 100;
    // How long no window may be active before the grid counts as left.
    static constexpr int noneActiveSettleMilliseconds = 200;
    // How long a click elsewhere waits for the window manager to handle it.
    static constexpr int clickLandMilliseconds = 150;

    X11Integration(AppController& controller, platform::X11WindowSystem& windows,
                   platform::X11AvailabilityWatch& availability,
                   platform::X11HotKeyGrabber& hotKeys, platform::X11DesktopShell& shell,
                   platform::X11PointerWatch& pointer, const platform::X11TrayWatch& tray,
                   QObject* parent = nullptr);
    ~X11Integration() override;

    // Starts listening; call once the controller exists.
    void install();
    // Stops listening: no event reaches the controller afterwards.
    void remove();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

signals:
    // A system tray has started (told from the event loop).
    void trayAppeared();

private:
    void activeWindowChanged(platform::WindowId window, platform::WindowId previous);
    void noneActiveSettled();
    void pointerPressed();
    void followGrid();
    bool isOwnWindow(platform::WindowId window) const;
    void watchScreen(QScreen* screen);

    AppController& controller_;
    platform::X11WindowSystem& windows_;
    platform::X11AvailabilityWatch& availability_;
    platform::X11HotKeyGrabber& hotKeys_;
    platform::X11DesktopShell& shell_;
    platform::X11PointerWatch& pointer_;
    const platform::X11TrayWatch& tray_;
    QTimer screenSettle_;
    QTimer noneActiveSettle_;
    // The last window that was active; never 0, so while no window is, it is
    // the one that had the keyboard before.
    platform::WindowId lastActive_ = 0;
    bool installed_ = false;
};

}  // namespace corvane
