#pragma once

#include <xcb/xcb.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/settle_signal.h"
#include "platform/window_system.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_frame_extents.h"
#include "platform/x11/x11_move_resize.h"
#include "platform/x11/x11_size_hints.h"

namespace corvane::platform {

// Other applications' windows through an EWMH window manager. Frames are the
// visible outer frames: the window manager's decorations (_NET_FRAME_EXTENTS)
// count, a client-side shadow (_GTK_FRAME_EXTENTS) does not. Writes ask the
// window manager (_NET_MOVERESIZE_WINDOW, see moveResizeRequest) for the
// frame that puts that outer frame where asked.
//
// As a settle signal, a pause ends once the window manager has answered a
// request sent after everything else (_NET_REQUEST_FRAME_EXTENTS for an
// unmapped window of Corvane's own, answered in order) and the window written
// last either has changed since it was last read, or has the geometry asked
// for (as far as its size hints allow) and has held still for a moment. With
// a window manager that never answers, only the latter ends a pause, after a
// longer moment, and the first two pauses run their full time.
class X11WindowSystem : public WindowSystem, public SettleSignal {
public:
    struct Options {
        // This process: its windows are never remembered as the user's.
        int ownPid = 0;  // 0: getpid()
        // Longest wait after a write for the window manager to act on it, so
        // that the next read sees the result instead of the old frame; only
        // while the window manager has answered no settle request.
        int writeWaitMs = 25;
        // Ask with plain ConfigureWindow requests even when the window manager
        // understands _NET_MOVERESIZE_WINDOW.
        bool forceConfigureRequests = false;
        // Ask the window manager for an answer that ends a settle pause early.
        // Off, every pause runs its full time.
        bool settleBarrier = true;
    };

    // Borrows `connection` (Qt's, or a tool's own); it must outlive this object.
    X11WindowSystem(xcb_connection_t* connection, int screenNumber, Options options);
    X11WindowSystem(xcb_connection_t* connection, int screenNumber)
        : X11WindowSystem(connection, screenNumber, Options{}) {}
    ~X11WindowSystem() override;
    X11WindowSystem(const X11WindowSystem&) = delete;
    X11WindowSystem& operator=(const X11WindowSystem&) = delete;

    // Feed every event of the connection here (from a native event filter): a
    // change of the active window is remembered per application, and the
    // answers a settle pause waits for are noted.
    void handleEvent(const xcb_generic_event_t* event);
    // Asks for property changes on the root for this connection, keeping what
    // it selected already (Qt does this itself; tools call it).
    void watchRoot();

    bool isAvailable() override;
    std::optional<AppRef> frontmostApp() override;
    bool isTerminated(const AppRef& app) override;
    WindowResult<std::optional<WindowId>> focusedWindow(const AppRef& app) override;
    std::optional<std::string> title(WindowId window) override;
    WindowResult<WindowStates> states(WindowId window) override;
    WindowResult<Settable> settable(WindowId window) override;
    WindowResult<Rect> frame(WindowId window) override;
    WindowResult<void> setSize(WindowId window, double width, double height) override;
    WindowResult<void> setPosition(WindowId window, double x, double y) override;
    // Asks the window manager (_NET_WM_STATE, add) and waits briefly until it has.
    WindowResult<void> maximize(WindowId window, Maximized directions) override;
    bool reduceMotion() override;
    // The window's _NET_WM_ICON image that suits `preferredSize` best.
    std::optional<IconImage> icon(WindowId window, int preferredSize) override;

    // The application a window belongs to; an error when the window is gone.
    WindowResult<AppRef> appOf(WindowId window);

    void beginPause() override;
    std::optional<double> settledIn() override;
    bool waitSettled(double seconds) override;
    // Answers of the window manager to settle requests seen so far (for tests).
    std::uint64_t settleAnswers() const { return settle_.answered; }

private:
    using Extents = FrameExtents;
    // Where a client window is and what surrounds it, read in one round trip.
    struct Placement {
        int clientX = 0, clientY = 0;  // root coordinates of the client's top-left
        int width = 0, height = 0;     // the client's size
        Extents frame;                 // the window manager's decorations
        Extents shadow;                // the client's own invisible shadow
        int border = 0;                // the client's own X border
        // The visible outer frame: decorations in, shadow out.
        Rect outer() const;
        bool operator==(const Placement&) const = default;
    };
    // What a write needs to know about the window.
    struct WriteContext {
        Placement placement;
        Maximized maximized;
        std::uint32_t gravity = 1;  // the client's win_gravity (NorthWest when unset)
        std::optional<SizeHints> hints;
    };
    // What was last asked of a window, in client geometry, and what it looked
    // like when last read: what a settle pause compares the window with.
    struct Settle {
        xcb_window_t barrier = XCB_NONE;  // unmapped, ours: its frame extents are asked for
        std::uint64_t asked = 0;          // requests sent
        std::uint64_t answered = 0;       // answers seen
        std::uint64_t awaited = 0;        // the request the current pause waits for
        bool unanswering = false;         // the window manager has never answered
        double pauseStart = 0;            // when the current pause began (monotonic s)
        std::uint64_t events = 0;         // events that may end a pause, seen so far
        double lastChange = 0;            // when the window was last seen changing (monotonic s)
        WindowId window = XCB_NONE;       // the window written last
        std::uint32_t ownMaskBefore = 0;  // what this connection selected on it before
        std::optional<std::pair<int, int>> origin, size;
        std::optional<SizeHints> hints;
        std::optional<Placement> lastRead;
    };
    struct Recent {
        WindowId window;
        AppRef app;
    };
    struct Support {
        xcb_window_t checkWindow = XCB_NONE;
        bool available = false;
        bool moveResize = false;
        bool allowedActions = false;
        // Publishes _NET_FRAME_EXTENTS. Without (i3), the frame is measured
        // from the window the window manager put the client in, and a move
        // names the client window itself.
        bool frameExtents = false;
        // Fluxbox: requests carry position and size (see RequestQuirks).
        bool carriesAll = false;
        // i3: it lets the windows it marks I3_FLOATING_WINDOW float, and tiles the rest.
        bool tiles = false;
    };

    const Support& support();
    std::optional<WindowId> activeWindow();
    // The X client that made the window: the resource base of its id.
    std::uint32_t clientOf(WindowId window) const { return window & ~resourceMask_; }
    // The maximized states among the atoms of _NET_WM_STATE.
    Maximized maximizedIn(const std::vector<std::uint32_t>& stateAtoms) const;
    void remember(WindowId window, const AppRef& app);
    std::optional<std::vector<std::uint32_t>> clientList();
    bool hasClientOf(const AppRef& app, const std::vector<std::uint32_t>& clients);
    WindowResult<Placement> readPlacement(WindowId window);
    // The decorations as the distance from the client to the top-level
    // window that holds it, for a window manager without _NET_FRAME_EXTENTS.
    Extents measuredFrame(WindowId window, const Placement& client);
    WindowResult<WriteContext> writeContext(WindowId window);
    WindowResult<WriteContext> restore(WindowId window, const WriteContext& before);
    WindowResult<void> write(WindowId window, std::optional<std::pair<double, double>> origin,
                             std::optional<std::pair<double, double>> size);
    void waitForWindowManager(WindowId window, const Placement& before, int x, int y, int width,
                              int height, bool moves, bool resizes);
    // Settle signal: the events it waits for, the window it watches.
    bool handleSettleEvent(const xcb_generic_event_t* event);
    bool changedWindow(WindowId window);
    void watchForSettle(WindowId window);
    void unwatchForSettle();
    void noteWrite(WindowId window, const WriteContext& context,
                   std::optional<std::pair<int, int>> origin,
                   std::optional<std::pair<int, int>> size);
    bool asRequested(const Placement& placement) const;
    xcb_window_t barrierWindow();
    PropertyRequest<char> requestNetName(WindowId window);
    PropertyRequest<char> requestName(WindowId window);
    PropertyRequest<std::uint32_t> requestNormalHints(WindowId window);
    static std::string titleText(const std::optional<PropertyValue<char>>& netName,
                                 const std::optional<PropertyValue<char>>& wmName);

    X11Connection x_;
    Options options_;
    std::uint32_t resourceMask_ = 0;
    std::uint32_t ownClient_ = 0;  // this connection's resource base
    Support support_;
    std::deque<Recent> recent_;
    Settle settle_;
};

}  // namespace corvane::platform
