#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "core/rect.h"
#include "platform/displays.h"
#include "platform/window_system.h"

namespace corvane::platform {

// How a fake window looks and behaves; what FakeDesktop::addWindow takes.
struct FakeWindowSpec {
    struct Size {
        double width = 0;
        double height = 0;
    };

    AppRef app{};
    Rect frame{100, 100, 800, 600};
    std::optional<std::string> title{};

    // 0 in either component: no limit there.
    Size minSize{};
    Size maxSize{};
    // Sizes snap down to base + n × increment (never below the minimum), as
    // terminals ask of the window manager. 0 means no increments.
    Size baseSize{};
    Size resizeIncrement{};

    bool fixedSize = false;      // the size cannot be set
    bool fixedPosition = false;  // the position cannot be set
    bool fullscreen = false;
    bool minimized = false;
    // Maximizing puts the frame on the visible frame of the window's monitor
    // in those directions; a size or position write ends both states.
    Maximized maximized{};

    // Accepts every write and changes nothing.
    bool ignoresWrites = false;
    // A write shows in the frame only after this many frame reads have still
    // seen the old frame (0: at once).
    int writeLag = 0;
    // Keeps its centre when its size changes, so its top-left moves too.
    bool movesWhenResized = false;

    // Becomes the active window when added, as window managers focus new windows.
    bool activate = true;
};

// Every call a window receives, in the order of the WindowSystem interface.
enum class FakeAccess {
    statesRead,
    settableRead,
    frameRead,
    sizeWrite,
    positionWrite,
    maximizeWrite
};

struct FakeAccessCounts {
    int stateReads = 0;
    int settableReads = 0;
    int frameReads = 0;
    int sizeWrites = 0;
    int positionWrites = 0;
    int maximizeWrites = 0;

    int writes() const { return sizeWrites + positionWrites + maximizeWrites; }
    // Every call that asked the window something.
    int queries() const { return stateReads + settableReads + frameReads; }
    int total() const { return queries() + writes(); }
};

// One window of the fake desktop: its behaviour, its live frame and the calls it got.
struct FakeWindow : FakeWindowSpec {
    FakeAccessCounts counts;
    // When set, the reads (states, settable, frame) or writes fail with this X error code.
    std::optional<std::int32_t> readError;
    std::optional<std::int32_t> writeError;

    struct PendingWrite {
        FakeAccess kind;
        double a = 0;
        double b = 0;
        int readsLeft = 0;
    };
    std::vector<PendingWrite> pending;
};

// An in-memory X11 desktop for tests: monitors, applications and their windows,
// a window manager that honours minimum and maximum sizes and resize
// increments, and windows that misbehave the way real ones do (late or ignored
// writes, moving while resized, closing at any moment). Every call through the
// WindowSystem interface is counted per window, and `onAccess` runs before each
// one, so a test can close a window in the middle of a resize.
class FakeDesktop : public WindowSystem, public Displays {
public:
    FakeDesktop();

    // --- monitors ---
    // Appends a monitor; the first one is the primary.
    void addMonitor(Display display);
    // A monitor with the given frame, and a visible frame `topPanel` points shorter at the top.
    void addMonitor(const std::string& name, Rect frame, double topPanel = 0);
    void removeMonitor(const std::string& name);

    // --- applications ---
    AppRef addApp(int pid, std::string wmClass, std::string name);
    // The process ends: its windows close and it counts as terminated.
    void quitApp(const AppRef& app);

    // --- windows ---
    WindowId addWindow(FakeWindowSpec wanted);
    // Destroys the window at once; every later call on it reports `closed`.
    // Safe from inside `onAccess`.
    void closeWindow(WindowId window);
    bool isOpen(WindowId window) const;
    // The live window, to inspect or to change (a user moving it, going full
    // screen ...). Throws std::out_of_range for a closed or unknown window.
    FakeWindow& window(WindowId window);
    const FakeWindow& window(WindowId window) const;
    Rect frameOf(WindowId window) const { return this->window(window).frame; }

    // Makes the window active (and the most recent window of its application).
    void activate(WindowId window);
    // No window active, as when the desktop itself has the focus.
    void deactivate() { active_.reset(); }
    std::optional<WindowId> activeWindow() const { return active_; }

    // --- the session ---
    // Whether a window manager runs (what "permission" means on X11).
    bool available = true;
    // Whether the fake tells of availability changes, as the X11 one does; the
    // test then calls availabilityListener after changing `available`.
    bool announcesAvailability = false;
    std::function<void()> availabilityListener;
    bool reduceMotionSetting = false;
    // When set, focusedWindow() fails with it (the window system refused the query).
    std::optional<WindowError> focusError;
    // Runs before every call on a live window, after it was counted.
    std::function<void(WindowId, FakeAccess)> onAccess;

    // Calls on every window, closed ones included (calls on a closed window
    // count here but nowhere else).
    const FakeAccessCounts& totals() const { return totals_; }
    int reduceMotionQueries() const { return reduceMotionQueries_; }

    // --- WindowSystem ---
    bool isAvailable() override { return available; }
    bool announceAvailabilityChanges(std::function<void()> changed) override {
        availabilityListener = std::move(changed);
        return announcesAvailability;
    }
    std::optional<AppRef> frontmostApp() override;
    bool isTerminated(const AppRef& app) override;
    WindowResult<std::optional<WindowId>> focusedWindow(const AppRef& app) override;
    std::optional<std::string> title(WindowId window) override;
    WindowResult<WindowStates> states(WindowId window) override;
    WindowResult<Settable> settable(WindowId window) override;
    WindowResult<Rect> frame(WindowId window) override;
    WindowResult<void> setSize(WindowId window, double width, double height) override;
    WindowResult<void> setPosition(WindowId window, double x, double y) override;
    WindowResult<void> maximize(WindowId window, Maximized directions) override;
    bool reduceMotion() override;

    // --- Displays ---
    std::vector<Display> displays() override { return monitors_; }

private:
    struct App {
        AppRef ref;
        bool quit = false;
    };

    // Counts the call and runs the hook; the window, or null when it is closed
    // (before or because of the hook).
    FakeWindow* reach(WindowId window, FakeAccess access);
    // A size or position write (`a`, `b`: width and height, or x and y).
    WindowResult<void> write(WindowId window, FakeAccess kind, double a, double b);
    void applyWrite(FakeWindow& window, FakeAccess kind, double a, double b);
    void settle(FakeWindow& window);
    // The visible frame of the monitor that holds the frame's centre (else the
    // primary one); none without monitors.
    std::optional<Rect> visibleFrameAt(const Rect& frame) const;
    App* findApp(const AppRef& app);

    std::vector<Display> monitors_;
    std::vector<App> apps_;
    std::map<WindowId, FakeWindow> windows_;
    // Activation order, most recent last.
    std::vector<WindowId> recent_;
    std::optional<WindowId> active_;
    WindowId nextId_ = 0x1200001;
    FakeAccessCounts totals_;
    int reduceMotionQueries_ = 0;
};

}  // namespace corvane::platform
