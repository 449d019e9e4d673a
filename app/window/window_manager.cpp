#include "app/window/window_manager.h"

#include <algorithm>
#include <exception>

#include "core/window_error.h"
#include "core/window_resizer.h"

namespace corvane {

namespace {

using Kind = WindowError::Kind;

const char* text(bool value) {
    return value ? "true" : "false";
}

// X11 has no enhanced user interface mode to switch off, so the line always
// reports it off; scripts read the line in this exact shape.
std::string animationLine(bool animate) {
    return std::string("Window animation: ") + text(animate) +
           "; Enhanced UI: false, temporarily disabled: false";
}

}  // namespace

Rect WindowManager::FrameAccess::frame() {
    return manager_.frame(target_);
}

void WindowManager::FrameAccess::setSize(double width, double height) {
    manager_.windows_.setSize(target_.window, width, height).valueOrThrow();
}

void WindowManager::FrameAccess::setPosition(double x, double y) {
    manager_.windows_.setPosition(target_.window, x, y).valueOrThrow();
}

WindowManager::WindowManager(platform::WindowSystem& windows, int ownPid,
                             std::function<void(const std::string&)> diagnostics)
    : windows_(windows), ownPid_(ownPid), diagnostics_(std::move(diagnostics)) {}

WindowTarget WindowManager::focusedTarget(const std::optional<platform::AppRef>& app) {
    if (!windows_.isAvailable()) throw WindowError(Kind::permission);
    const bool ownProcess = app && app->pid > 0 && app->pid == ownPid_;
    if (!app || ownProcess || windows_.isTerminated(*app)) throw WindowError(Kind::noWindow);

    const std::optional<platform::WindowId> window = windows_.focusedWindow(*app).valueOrThrow();
    if (!window) throw WindowError(Kind::noWindow);

    WindowTarget target{*window, *app, {}};
    if (auto title = windows_.title(*window)) {
        target.title = *title;
    } else if (!app->name.empty()) {
        target.title = app->name;
    } else {
        target.title = "Window";
    }
    return target;
}

Rect WindowManager::frame(const WindowTarget& target) {
    if (windows_.isTerminated(target.app)) throw WindowError(Kind::closed);
    return windows_.frame(target.window).valueOrThrow();
}

WindowManager::Before WindowManager::readTileableWindow(const WindowTarget& target) {
    const platform::WindowStates states = windows_.states(target.window).valueOrThrow();
    if (states.fullscreen) throw WindowError(Kind::fullscreen);
    if (states.minimized) throw WindowError(Kind::minimized);
    const Rect before = frame(target);
    const platform::Settable settable = windows_.settable(target.window).valueOrThrow();
    // A window that can be resized but not moved cannot be tiled either.
    if (!settable.size || !settable.position) throw WindowError(Kind::fixedSize);
    return Before{before, states.maximized};
}

bool WindowManager::effectiveAnimation(bool animated) {
    // The desktop's preference is asked only when the user wants animation.
    return animated && !windows_.reduceMotion();
}

Task<bool> WindowManager::apply(Rect destination, WindowTarget target, bool recordUndo,
                                bool animated, Scheduler& scheduler) {
    if (!windows_.isAvailable()) throw WindowError(Kind::permission);
    if (!WindowResizer::isValid(destination)) {
        throw WindowResizeError(WindowResizeError::Kind::invalidFrame);
    }
    const Before before = readTileableWindow(target);
    const bool animate = effectiveAnimation(animated);
    if (diagnostics_) diagnostics_(animationLine(animate));

    FrameAccess access(*this, target);
    std::exception_ptr failure;
    bool exact = false;
    try {
        exact = co_await WindowResizer::resize(destination, access, animate, scheduler);
    } catch (const WindowResizeError& error) {
        // Asked again for a frame it could not quite reach, the window stays
        // where it got to the first time: that is the same outcome, not a
        // refusal of the resize.
        if (error.kind() != WindowResizeError::Kind::unchanged ||
            !repeatsShortStop(target, destination, before.frame))
            failure = std::current_exception();
    } catch (...) {
        failure = std::current_exception();
    }
    // A resize that failed or was cancelled part-way may still have moved the
    // window; the user can put it back all the same.
    if (recordUndo) recordMove(target, before);
    if (failure) {
        shortStop_.reset();
        std::rethrow_exception(failure);
    }
    rememberOutcome(target, destination, exact);
    co_return exact;
}

bool WindowManager::repeatsShortStop(const WindowTarget& target, const Rect& destination,
                                     const Rect& now) const {
    return shortStop_ && shortStop_->window == target.window &&
           WindowResizer::matches(shortStop_->destination, destination) &&
           WindowResizer::matches(shortStop_->reached, now);
}

void WindowManager::rememberOutcome(const WindowTarget& target, const Rect& destination,
                                    bool exact) {
    shortStop_.reset();
    if (exact) return;
    try {
        shortStop_ = ShortStop{target.window, destination, frame(target)};
    } catch (const WindowError&) {
        // gone: nothing to repeat
    }
}

void WindowManager::recordMove(const WindowTarget& target, const Before& before) {
    Rect after;
    try {
        after = frame(target);
    } catch (const WindowError&) {
        return;  // nothing left to put back
    }
    if (WindowResizer::matches(before.frame, after) && !lostMaximized(target, before.maximized))
        return;
    history_.push_back(UndoEntry{target, before.frame, before.maximized});
    while (history_.size() > historyLimit) history_.pop_front();
}

// A maximized window moved onto its own frame has changed all the same.
bool WindowManager::lostMaximized(const WindowTarget& target, const platform::Maximized& before) {
    if (!before.any()) return false;
    const auto states = windows_.states(target.window);
    return states.ok() && states.value().maximized != before;
}

Task<bool> WindowManager::undo(bool animated, Scheduler& scheduler) {
    if (history_.empty()) co_return true;
    const UndoEntry entry = history_.back();
    bool exact = false;
    try {
        exact = co_await apply(entry.frame, entry.target, false, animated, scheduler);
        if (entry.maximized.any()) exact = maximizeAgain(entry);
    } catch (const WindowError& error) {
        if (error.kind() == Kind::closed) forget(entry);
        throw;
    }
    if (exact) forget(entry);
    co_return exact;
}

// The window manager chooses the frame of a maximized window: along the
// directions it is maximized in, the frame it gives now counts (the desktop's
// panels may have changed since); along the others, the restored frame must
// have held. So the undo is exact when the window has the maximized states it
// had and, apart from what maximizing decides, the frame it had.
bool WindowManager::maximizeAgain(const UndoEntry& entry) {
    windows_.maximize(entry.target.window, entry.maximized).valueOrThrow();
    const platform::WindowStates states = windows_.states(entry.target.window).valueOrThrow();
    const Rect now = frame(entry.target);
    Rect expected = entry.frame;
    if (entry.maximized.horizontally) {
        expected.x = now.x;
        expected.width = now.width;
    }
    if (entry.maximized.vertically) {
        expected.y = now.y;
        expected.height = now.height;
    }
    return states.maximized == entry.maximized && WindowResizer::matches(expected, now);
}

// Removes the entry that was undone. It is the newest one unless the history
// changed while the undo waited, so look for it rather than drop the last.
void WindowManager::forget(const UndoEntry& entry) {
    auto found = std::find_if(history_.rbegin(), history_.rend(), [&](const UndoEntry& e) {
        return e.target.window == entry.target.window && e.frame == entry.frame;
    });
    if (found != history_.rend()) history_.erase(std::next(found).base());
}

}  // namespace corvane
