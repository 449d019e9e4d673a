#pragma once

#include <QAbstractNativeEventFilter>
#include <QTimer>
#include <functional>

namespace corvane {

namespace platform {
class X11KeyMapping;
}

// Tells when the X server's keyboard layout changed, once a burst of layout
// events (setxkbmap sends several) has passed, so the shortcuts Corvane shows
// can be labelled anew.
class KeyboardLayoutWatch : public QAbstractNativeEventFilter {
public:
    KeyboardLayoutWatch(platform::X11KeyMapping& mapping, std::function<void()> changed);
    ~KeyboardLayoutWatch() override;

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    platform::X11KeyMapping& mapping_;
    QTimer settle_;
};

}  // namespace corvane
