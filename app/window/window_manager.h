#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "app/window/window_target.h"
#include "core/rect.h"
#include "core/scheduler.h"
#include "core/task.h"
#include "core/window_frame_access.h"
#include "platform/window_system.h"

namespace corvane {

// Corvane's door to other applications' windows: finds the window to tile,
// refuses windows that cannot be tiled, runs the verified resizer on them and
// keeps the frames they had before, so that moves can be undone.
class WindowManager {
public:
    struct UndoEntry {
        WindowTarget target;
        Rect frame;  // the window's frame before the move
        // Its maximized states before the move, which the move ended.
        platform::Maximized maximized{};
    };
    static constexpr std::size_t historyLimit = 30;

    // The resizer's view of one target window: reads and writes through the
    // window system, with its refusals thrown as WindowError.
    class FrameAccess : public WindowFrameAccess {
    public:
        FrameAccess(WindowManager& manager, WindowTarget target)
            : manager_(manager), target_(std::move(target)) {}
        Rect frame() override;
        void setSize(double width, double height) override;
        void setPosition(double x, double y) override;

    private:
        WindowManager& manager_;
        WindowTarget target_;
    };

    // `ownPid` identifies Corvane's own process (never a target). `diagnostics`,
    // when set, receives the "Window animation: ..." line of every apply.
    WindowManager(platform::WindowSystem& windows, int ownPid,
                  std::function<void(const std::string&)> diagnostics = {});

    // The focused window of `app` (the application the user last worked in).
    // Throws WindowError: permission, noWindow, or the platform's error.
    WindowTarget focusedTarget(const std::optional<platform::AppRef>& app);
    // The window's current outer frame. Throws WindowError (closed once its
    // application has ended).
    Rect frame(const WindowTarget& target);

    // Moves the window onto `frame` and verifies it; true when exact. Records
    // the previous frame for undo when asked and the window really changed,
    // also when the resize fails or is cancelled part-way.
    // Throws WindowError, WindowResizeError or TaskCancelled.
    Task<bool> apply(Rect frame, WindowTarget target, bool recordUndo, bool animated,
                     Scheduler& scheduler);
    // Puts the most recently moved window back, maximized again when it was.
    // True when exact (or nothing to undo). The entry stays when the window
    // stopped short, so the user can try again; it goes when the window has closed.
    Task<bool> undo(bool animated, Scheduler& scheduler);

    const std::deque<UndoEntry>& history() const { return history_; }

private:
    // What a placement may change and undo puts back.
    struct Before {
        Rect frame;
        platform::Maximized maximized;
    };
    // The window's frame and maximized states when it can be tiled; otherwise
    // throws the refusal the user should hear first (full screen, minimized,
    // closed, fixed size).
    Before readTileableWindow(const WindowTarget& target);
    bool effectiveAnimation(bool animated);
    void recordMove(const WindowTarget& target, const Before& before);
    bool lostMaximized(const WindowTarget& target, const platform::Maximized& before);
    // Maximizes the restored window as it was; true when it is so again.
    bool maximizeAgain(const UndoEntry& entry);
    void forget(const UndoEntry& entry);
    // Whether a window that did not move at all was asked for the same frame
    // it stopped short of last time, and still sits where it stopped.
    bool repeatsShortStop(const WindowTarget& target, const Rect& destination,
                          const Rect& now) const;
    void rememberOutcome(const WindowTarget& target, const Rect& destination, bool exact);

    // The last placement that stopped short: where it was asked to go, and
    // the closest the window could get (a terminal's size steps, a minimum size).
    struct ShortStop {
        platform::WindowId window = 0;
        Rect destination;
        Rect reached;
    };

    platform::WindowSystem& windows_;
    int ownPid_;
    std::function<void(const std::string&)> diagnostics_;
    std::deque<UndoEntry> history_;
    std::optional<ShortStop> shortStop_;
};

}  // namespace corvane
