#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/rect.h"
#include "core/result.h"
#include "core/window_error.h"

namespace corvane::platform {

// A top-level client window (on X11 the client window id, not the frame).
using WindowId = std::uint32_t;

// An application: on X11 the client process (_NET_WM_PID), else its WM_CLASS.
// A window that names neither (simple X clients, some games and tools) is an
// application of its own: the X client that made it.
struct AppRef {
    int pid = 0;               // 0 when the window did not say
    std::string wmClass;       // class part of WM_CLASS, may be empty
    std::string name;          // display name, may be empty
    std::uint32_t client = 0;  // the X client that made the window; 0 when unknown

    // The window said which application it belongs to (a process or a class).
    bool namesOwner() const { return pid > 0 || !wmClass.empty(); }

    // Same application: the same process when both know it, else the same
    // class; when either names no owner, the same X client.
    bool sameApp(const AppRef& other) const {
        if (!namesOwner() || !other.namesOwner()) return client != 0 && client == other.client;
        if (pid > 0 && other.pid > 0) return pid == other.pid;
        return !wmClass.empty() && wmClass == other.wmClass;
    }
};

template <typename T>
using WindowResult = Result<T, WindowError>;

// Which of the two maximized states (vertical, horizontal) a window has.
struct Maximized {
    bool vertically = false;
    bool horizontally = false;

    bool any() const { return vertically || horizontally; }
    bool operator==(const Maximized&) const = default;
};

struct WindowStates {
    bool fullscreen = false;
    bool minimized = false;
    Maximized maximized{};
};

// A window's icon as 32-bit ARGB pixels, row by row.
struct IconImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> argb;
};

struct Settable {
    bool size = true;
    bool position = true;
};

// Reading and arranging other applications' windows. Frames are the visible
// outer frames (decorations included, client-side shadows excluded) in
// top-left root coordinates. Errors are values: a window that is gone gives
// WindowError::closed, any other refusal WindowError::failed(code).
class WindowSystem {
public:
    virtual ~WindowSystem() = default;

    // Whether windows can be arranged at all: on X11, a window manager that
    // speaks EWMH is running.
    virtual bool isAvailable() = 0;
    // A window system that can tell when isAvailable() may have changed calls
    // `changed` then, so nobody needs to keep asking; returns false when it
    // cannot (callers then ask now and again).
    virtual bool announceAvailabilityChanges(std::function<void()> changed) {
        (void)changed;
        return false;
    }
    // The application of the active window, if there is one.
    virtual std::optional<AppRef> frontmostApp() = 0;
    // Whether the application has ended (its process is gone, or it has no window left).
    virtual bool isTerminated(const AppRef& app) = 0;
    // The application's focused window: the active window when it belongs to the
    // application, else its most recently active window; none when it has none.
    virtual WindowResult<std::optional<WindowId>> focusedWindow(const AppRef& app) = 0;
    // The window's title, none when it has none or it cannot be read.
    virtual std::optional<std::string> title(WindowId window) = 0;
    virtual WindowResult<WindowStates> states(WindowId window) = 0;
    virtual WindowResult<Settable> settable(WindowId window) = 0;
    virtual WindowResult<Rect> frame(WindowId window) = 0;
    // Asks for a new outer size; the top-left corner stays.
    virtual WindowResult<void> setSize(WindowId window, double width, double height) = 0;
    // Asks for a new top-left corner of the outer frame; the size stays.
    virtual WindowResult<void> setPosition(WindowId window, double x, double y) = 0;
    // Maximizes the window in the directions set in `directions` (the others
    // stay as they are); the window manager chooses the frame. A move or
    // resize ends both maximized states.
    virtual WindowResult<void> maximize(WindowId window, Maximized directions) = 0;
    // The desktop asks for reduced motion.
    virtual bool reduceMotion() = 0;
    // The window's own icon, if any: of the images it offers, the smallest whose
    // longer side reaches `preferredSize` pixels, else the largest.
    virtual std::optional<IconImage> icon(WindowId, int preferredSize) {
        (void)preferredSize;
        return std::nullopt;
    }
};

}  // namespace corvane::platform
