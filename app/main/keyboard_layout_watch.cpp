#include "app/main/keyboard_layout_watch.h"

#include <xcb/xcb.h>

#include <QCoreApplication>

#include "platform/x11/keyboard/x11_key_labels.h"

namespace corvane {

KeyboardLayoutWatch::KeyboardLayoutWatch(platform::X11KeyMapping& mapping,
                                         std::function<void()> changed)
    : mapping_(mapping) {
    settle_.setSingleShot(true);
    settle_.setInterval(50);
    QObject::connect(&settle_, &QTimer::timeout, std::move(changed));
    QCoreApplication::instance()->installNativeEventFilter(this);
}

KeyboardLayoutWatch::~KeyboardLayoutWatch() {
    QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool KeyboardLayoutWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t") return false;
    // Qt reads these events too: they are watched, never taken.
    if (mapping_.isLayoutChange(static_cast<const xcb_generic_event_t*>(message))) settle_.start();
    return false;
}

}  // namespace corvane
