#include "app/previews/still_desktop.h"

#include <QGuiApplication>
#include <QScreen>

namespace corvane {

namespace {

// Every question about a window has the same answer: there is none.
const WindowError gone(WindowError::Kind::closed);

Rect rectOf(const QRect& rect) {
    return Rect{static_cast<double>(rect.x()), static_cast<double>(rect.y()),
                static_cast<double>(rect.width()), static_cast<double>(rect.height())};
}

}  // namespace

platform::WindowResult<std::optional<platform::WindowId>> StillDesktop::focusedWindow(
    const platform::AppRef&) {
    return std::optional<platform::WindowId>();
}

platform::WindowResult<platform::WindowStates> StillDesktop::states(platform::WindowId) {
    return gone;
}

platform::WindowResult<platform::Settable> StillDesktop::settable(platform::WindowId) {
    return gone;
}

platform::WindowResult<Rect> StillDesktop::frame(platform::WindowId) {
    return gone;
}

platform::WindowResult<void> StillDesktop::setSize(platform::WindowId, double, double) {
    return gone;
}

platform::WindowResult<void> StillDesktop::setPosition(platform::WindowId, double, double) {
    return gone;
}

platform::WindowResult<void> StillDesktop::maximize(platform::WindowId, platform::Maximized) {
    return gone;
}

std::vector<platform::Display> StillDesktop::displays() {
    std::vector<platform::Display> result;
    QList<QScreen*> screens = QGuiApplication::screens();
    QScreen* primary = QGuiApplication::primaryScreen();
    if (primary && screens.removeOne(primary)) screens.prepend(primary);
    for (const QScreen* screen : screens) {
        result.push_back(platform::Display{screen->name().toStdString(), rectOf(screen->geometry()),
                                           rectOf(screen->availableGeometry())});
    }
    return result;
}

}  // namespace corvane
