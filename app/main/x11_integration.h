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
// - monitors added, removed or resized rebuild an open grid, once the changes
//   have settled for a moment.
class X11Integration : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT

public:
    static constexpr int screenSettleMilliseconds = 100;

    X11Integration(AppController& controller, platform::X11WindowSystem& windows,
                   platform::X11AvailabilityWatch& availability,
                   platform::X11HotKeyGrabber& hotKeys, platform::X11DesktopShell& shell,
                   QObject* parent = nullptr);
    ~X11Integration() override;

    // Starts listening; call once the controller exists.
    void install();
    // Stops listening: no event reaches the controller afterwards.
    void remove();

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    void activeWindowChanged(platform::WindowId window, platform::WindowId previous);
    bool isOwnWindow(platform::WindowId window) const;
    void watchScreen(QScreen* screen);

    AppController& controller_;
    platform::X11WindowSystem& windows_;
    platform::X11AvailabilityWatch& availability_;
    platform::X11HotKeyGrabber& hotKeys_;
    platform::X11DesktopShell& shell_;
    QTimer screenSettle_;
    // The last window that was active (never 0: "none active" is a moment
    // between two windows).
    platform::WindowId lastActive_ = 0;
    bool installed_ = false;
};

}  // namespace corvane
