#include "platform/fake/fake_desktop.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <utility>

namespace corvane::platform {

namespace {

void count(FakeAccessCounts& counts, FakeAccess access) {
    switch (access) {
        case FakeAccess::statesRead:
            ++counts.stateReads;
            break;
        case FakeAccess::settableRead:
            ++counts.settableReads;
            break;
        case FakeAccess::frameRead:
            ++counts.frameReads;
            break;
        case FakeAccess::sizeWrite:
            ++counts.sizeWrites;
            break;
        case FakeAccess::positionWrite:
            ++counts.positionWrites;
            break;
        case FakeAccess::maximizeWrite:
            ++counts.maximizeWrites;
            break;
    }
}

// What a window manager makes of a requested width or height: at most the
// maximum, on the base + n × increment steps (rounded down, as a terminal stops
// short of the next row), and at least the minimum (rounded up to a step).
double constrainLength(double value, double min, double max, double base, double increment) {
    if (max > 0) value = std::min(value, max);
    if (increment > 0) value = base + std::floor((value - base) / increment) * increment;
    if (min > 0 && value < min) {
        value = increment > 0 ? base + std::ceil((min - base) / increment) * increment : min;
    }
    return std::max(value, 1.0);
}

WindowError closedError() {
    return WindowError(WindowError::Kind::closed);
}

}  // namespace

FakeDesktop::FakeDesktop() = default;

void FakeDesktop::addMonitor(Display display) {
    monitors_.push_back(std::move(display));
}

void FakeDesktop::addMonitor(const std::string& name, Rect frame, double topPanel) {
    Rect visible{frame.x, frame.y + topPanel, frame.width, frame.height - topPanel};
    addMonitor(Display{name, frame, visible});
}

void FakeDesktop::removeMonitor(const std::string& name) {
    std::erase_if(monitors_, [&](const Display& d) { return d.name == name; });
}

AppRef FakeDesktop::addApp(int pid, std::string wmClass, std::string name) {
    AppRef ref{pid, std::move(wmClass), std::move(name)};
    if (!findApp(ref)) apps_.push_back(App{ref});
    return ref;
}

FakeDesktop::App* FakeDesktop::findApp(const AppRef& app) {
    for (auto& candidate : apps_) {
        if (candidate.ref.sameApp(app)) return &candidate;
    }
    return nullptr;
}

void FakeDesktop::quitApp(const AppRef& app) {
    if (App* found = findApp(app)) found->quit = true;
    std::vector<WindowId> doomed;
    for (const auto& [id, window] : windows_) {
        if (window.app.sameApp(app)) doomed.push_back(id);
    }
    for (WindowId id : doomed) closeWindow(id);
}

WindowId FakeDesktop::addWindow(FakeWindowSpec wanted) {
    const WindowId id = nextId_++;
    // A window that names no owner and no client was made by a client of its own.
    if (!wanted.app.namesOwner() && wanted.app.client == 0) wanted.app.client = id;
    if (!findApp(wanted.app)) apps_.push_back(App{wanted.app});
    FakeWindow window;
    static_cast<FakeWindowSpec&>(window) = std::move(wanted);
    const bool activateNow = window.activate;
    windows_.emplace(id, std::move(window));
    if (activateNow) activate(id);
    return id;
}

void FakeDesktop::closeWindow(WindowId window) {
    windows_.erase(window);
    std::erase(recent_, window);
    if (active_ == window) active_.reset();
}

bool FakeDesktop::isOpen(WindowId window) const {
    return windows_.contains(window);
}

FakeWindow& FakeDesktop::window(WindowId window) {
    auto it = windows_.find(window);
    if (it == windows_.end()) throw std::out_of_range("no such window");
    return it->second;
}

const FakeWindow& FakeDesktop::window(WindowId window) const {
    auto it = windows_.find(window);
    if (it == windows_.end()) throw std::out_of_range("no such window");
    return it->second;
}

void FakeDesktop::activate(WindowId window) {
    if (!isOpen(window)) throw std::out_of_range("no such window");
    active_ = window;
    std::erase(recent_, window);
    recent_.push_back(window);
}

std::optional<AppRef> FakeDesktop::frontmostApp() {
    if (!active_) return std::nullopt;
    return window(*active_).app;
}

bool FakeDesktop::isTerminated(const AppRef& app) {
    const App* found = findApp(app);
    if (!found || found->quit) return true;
    return std::none_of(windows_.begin(), windows_.end(),
                        [&](const auto& entry) { return entry.second.app.sameApp(app); });
}

WindowResult<std::optional<WindowId>> FakeDesktop::focusedWindow(const AppRef& app) {
    if (focusError) return *focusError;
    if (active_ && window(*active_).app.sameApp(app)) return std::optional<WindowId>(*active_);
    for (auto it = recent_.rbegin(); it != recent_.rend(); ++it) {
        if (window(*it).app.sameApp(app)) return std::optional<WindowId>(*it);
    }
    return std::optional<WindowId>();
}

std::optional<std::string> FakeDesktop::title(WindowId window) {
    auto it = windows_.find(window);
    if (it == windows_.end()) return std::nullopt;
    return it->second.title;
}

FakeWindow* FakeDesktop::reach(WindowId window, FakeAccess access) {
    count(totals_, access);
    auto it = windows_.find(window);
    if (it == windows_.end()) return nullptr;
    count(it->second.counts, access);
    if (onAccess) {
        // A copy: the hook may replace itself.
        auto hook = onAccess;
        hook(window, access);
        it = windows_.find(window);
        if (it == windows_.end()) return nullptr;
    }
    return &it->second;
}

WindowResult<WindowStates> FakeDesktop::states(WindowId id) {
    FakeWindow* window = reach(id, FakeAccess::statesRead);
    if (!window) return closedError();
    if (window->readError) return WindowError::failed(*window->readError);
    return WindowStates{window->fullscreen, window->minimized, window->maximized};
}

WindowResult<Settable> FakeDesktop::settable(WindowId id) {
    FakeWindow* window = reach(id, FakeAccess::settableRead);
    if (!window) return closedError();
    if (window->readError) return WindowError::failed(*window->readError);
    // Equal minimum and maximum sizes fix the size, as WM_NORMAL_HINTS do.
    const bool pinned = window->minSize.width > 0 && window->minSize.height > 0 &&
                        window->minSize.width == window->maxSize.width &&
                        window->minSize.height == window->maxSize.height;
    return Settable{!window->fixedSize && !pinned, !window->fixedPosition};
}

WindowResult<Rect> FakeDesktop::frame(WindowId id) {
    FakeWindow* window = reach(id, FakeAccess::frameRead);
    if (!window) return closedError();
    if (window->readError) return WindowError::failed(*window->readError);
    settle(*window);
    return window->frame;
}

// Late writes: those whose lag has run out land now, in the order they were
// made; the rest wait one read less.
void FakeDesktop::settle(FakeWindow& window) {
    std::vector<FakeWindow::PendingWrite> waiting;
    for (auto& write : window.pending) {
        if (write.readsLeft == 0) {
            applyWrite(window, write.kind, write.a, write.b);
        } else {
            --write.readsLeft;
            waiting.push_back(write);
        }
    }
    window.pending = std::move(waiting);
}

WindowResult<void> FakeDesktop::setSize(WindowId id, double width, double height) {
    return write(id, FakeAccess::sizeWrite, width, height);
}

WindowResult<void> FakeDesktop::setPosition(WindowId id, double x, double y) {
    return write(id, FakeAccess::positionWrite, x, y);
}

WindowResult<void> FakeDesktop::write(WindowId id, FakeAccess kind, double a, double b) {
    FakeWindow* window = reach(id, kind);
    if (!window) return closedError();
    if (window->writeError) return WindowError::failed(*window->writeError);
    if (window->ignoresWrites) return {};
    // Maximized windows refuse moves: the window system takes them out of it first.
    window->maximized = {};
    const bool fixed = kind == FakeAccess::sizeWrite ? window->fixedSize : window->fixedPosition;
    if (fixed) return {};
    if (window->writeLag > 0) {
        window->pending.push_back({kind, a, b, window->writeLag});
    } else {
        applyWrite(*window, kind, a, b);
    }
    return {};
}

void FakeDesktop::applyWrite(FakeWindow& window, FakeAccess kind, double a, double b) {
    Rect& frame = window.frame;
    if (kind == FakeAccess::positionWrite) {
        frame.x = a;
        frame.y = b;
        return;
    }
    const double width = constrainLength(a, window.minSize.width, window.maxSize.width,
                                         window.baseSize.width, window.resizeIncrement.width);
    const double height = constrainLength(b, window.minSize.height, window.maxSize.height,
                                          window.baseSize.height, window.resizeIncrement.height);
    if (window.movesWhenResized) {
        frame.x -= (width - frame.width) / 2;
        frame.y -= (height - frame.height) / 2;
    }
    frame.width = width;
    frame.height = height;
}

WindowResult<void> FakeDesktop::maximize(WindowId id, Maximized directions) {
    FakeWindow* window = reach(id, FakeAccess::maximizeWrite);
    if (!window) return closedError();
    if (window->writeError) return WindowError::failed(*window->writeError);
    if (window->ignoresWrites) return {};
    window->maximized.vertically = window->maximized.vertically || directions.vertically;
    window->maximized.horizontally = window->maximized.horizontally || directions.horizontally;
    const std::optional<Rect> area = visibleFrameAt(window->frame);
    if (!area) return {};
    if (directions.vertically) {
        window->frame.y = area->y;
        window->frame.height = area->height;
    }
    if (directions.horizontally) {
        window->frame.x = area->x;
        window->frame.width = area->width;
    }
    return {};
}

std::optional<Rect> FakeDesktop::visibleFrameAt(const Rect& frame) const {
    if (monitors_.empty()) return std::nullopt;
    const double cx = frame.x + frame.width / 2, cy = frame.y + frame.height / 2;
    for (const Display& monitor : monitors_) {
        const Rect& m = monitor.frame;
        if (cx >= m.x && cx < m.x + m.width && cy >= m.y && cy < m.y + m.height)
            return monitor.visibleFrame;
    }
    return monitors_.front().visibleFrame;
}

bool FakeDesktop::reduceMotion() {
    ++reduceMotionQueries_;
    return reduceMotionSetting;
}

}  // namespace corvane::platform
