// Moving and resizing: X11WindowSystem's writes.

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <tuple>

#include "platform/x11/x11_window_system.h"

namespace corvane::platform {

namespace {

constexpr std::uint32_t northWestGravity = 1;
constexpr std::uint32_t staticGravity = 10;
constexpr std::uint32_t sourceTool = 2;
constexpr std::uint32_t stateRemove = 0;
constexpr std::uint32_t stateAdd = 1;

std::uint32_t wire(long value) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
}

// Where a ConfigureWindow request must put the client so that the window
// manager's frame lands with its top-left at (frameX, frameY). The window
// manager keeps the reference point that the client's win_gravity names: the
// frame's corner, edge centre or centre, or for static gravity the client itself.
std::pair<double, double> configureOrigin(std::uint32_t gravity, double frameX, double frameY,
                                          double left, double right, double top, double bottom) {
    if (gravity == staticGravity) return {frameX + left, frameY + top};
    double dx = 0, dy = 0;
    if (gravity == 2 || gravity == 5 || gravity == 8) dx = (left + right) / 2;
    if (gravity == 3 || gravity == 6 || gravity == 9) dx = left + right;
    if (gravity == 4 || gravity == 5 || gravity == 6) dy = (top + bottom) / 2;
    if (gravity == 7 || gravity == 8 || gravity == 9) dy = top + bottom;
    return {frameX + dx, frameY + dy};
}

}  // namespace

WindowResult<X11WindowSystem::WriteContext> X11WindowSystem::writeContext(WindowId window) {
    // Sent before the placement's requests, so all arrive in one round trip.
    auto stateCookie = x_.requestWords(window, x_.atom(Atom::NET_WM_STATE), XCB_ATOM_ATOM);
    auto hintsCookie = requestNormalHints(window);
    auto placement = readPlacement(window);
    auto state = x_.property(stateCookie);
    auto hints = x_.property(hintsCookie);
    if (!placement.ok()) return placement.error();
    if (!state.ok()) return state.error();
    if (!hints.ok()) return hints.error();

    WriteContext context;
    context.placement = placement.value();
    context.maximized = maximizedIn(itemsOf(state));
    context.hints = parseNormalHints(itemsOf(hints));
    context.gravity = context.hints ? context.hints->gravity : northWestGravity;
    return context;
}

WindowResult<void> X11WindowSystem::write(WindowId window,
                                          std::optional<std::pair<double, double>> origin,
                                          std::optional<std::pair<double, double>> size) {
    if (!x_.alive()) return WindowError(WindowError::Kind::permission);
    if (support_.checkWindow == XCB_NONE) support();
    watchForSettle(window);
    // Reading the window first also tells a closed window from a live one: a
    // message to the root never fails.
    auto context = writeContext(window);
    if (!context.ok()) return context.error();
    if (context.value().maximized.any()) {
        auto restored = restore(window, context.value());
        if (!restored.ok()) return restored.error();
        context = std::move(restored);
    }
    const WriteContext& ctx = context.value();
    const Placement& now = ctx.placement;
    const Extents& f = now.frame;
    const Extents& s = now.shadow;

    RequestQuirks quirks;
    quirks.carryAll = support_.carriesAll;
    if (!support_.frameExtents) quirks.placesClient = now.border;
    // A size carried along with a move is the one asked for last, if any:
    // the window manager may not have shown it yet.
    ClientBox current{now.clientX, now.clientY, now.width, now.height};
    if (quirks.carryAll && !size && window == settle_.window && settle_.size)
        std::tie(current.width, current.height) = *settle_.size;
    const MoveResize request = moveResizeRequest(current, f, s, origin, size, quirks);
    const ClientBox& to = request.client;
    noteWrite(window, ctx, origin ? std::optional(std::pair(to.x, to.y)) : std::nullopt,
              size ? std::optional(std::pair(to.width, to.height)) : std::nullopt);
    if (support_.moveResize && !options_.forceConfigureRequests) {
        x_.sendToRoot(window, x_.atom(Atom::NET_MOVERESIZE_WINDOW), request.message);
        xcb_flush(x_.get());
    } else {
        std::uint16_t mask = 0;
        std::vector<std::uint32_t> values;
        if (origin) {
            auto [cx, cy] =
                configureOrigin(ctx.gravity, origin->first - s.left, origin->second - s.top, f.left,
                                f.right, f.top, f.bottom);
            mask |= XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y;
            values.push_back(wire(std::lround(cx)));
            values.push_back(wire(std::lround(cy)));
        }
        if (size) {
            mask |= XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT;
            values.push_back(wire(to.width));
            values.push_back(wire(to.height));
        }
        auto checked =
            x_.check(xcb_configure_window_checked(x_.get(), window, mask, values.data()));
        if (!checked.ok()) return checked.error();
    }
    waitForWindowManager(window, now, to.x, to.y, to.width, to.height, origin.has_value(),
                         size.has_value());
    return {};
}

// A maximized window ignores moves and resizes, and window managers often
// draw it with other decorations: restore it, and wait (briefly) for the
// window manager to do so before measuring the window again.
WindowResult<X11WindowSystem::WriteContext> X11WindowSystem::restore(WindowId window,
                                                                     const WriteContext& before) {
    using Clock = std::chrono::steady_clock;
    x_.sendToRoot(window, x_.atom(Atom::NET_WM_STATE),
                  {stateRemove, x_.atom(Atom::NET_WM_STATE_MAXIMIZED_VERT),
                   x_.atom(Atom::NET_WM_STATE_MAXIMIZED_HORZ), sourceTool, 0});
    xcb_flush(x_.get());
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(4 * std::max(options_.writeWaitMs, 25));
    std::optional<Placement> previous;
    while (true) {
        auto context = writeContext(window);
        if (!context.ok() || Clock::now() >= deadline) return context;
        // The window manager changes the state, the geometry and the
        // decorations one after the other: wait until all have changed and
        // then hold still.
        const WriteContext& now = context.value();
        if (!now.maximized.any() && now.placement != before.placement && previous &&
            now.placement == *previous) {
            return context;
        }
        previous = now.placement;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

WindowResult<void> X11WindowSystem::maximize(WindowId window, Maximized directions) {
    using Clock = std::chrono::steady_clock;
    if (!x_.alive()) return WindowError(WindowError::Kind::permission);
    // Reading the window first tells a closed window from a live one.
    auto context = writeContext(window);
    if (!context.ok()) return context.error();
    std::vector<std::uint32_t> atoms;
    if (directions.vertically) atoms.push_back(x_.atom(Atom::NET_WM_STATE_MAXIMIZED_VERT));
    if (directions.horizontally) atoms.push_back(x_.atom(Atom::NET_WM_STATE_MAXIMIZED_HORZ));
    if (atoms.empty()) return {};
    atoms.resize(2, XCB_NONE);
    x_.sendToRoot(window, x_.atom(Atom::NET_WM_STATE),
                  {stateAdd, atoms[0], atoms[1], sourceTool, 0});
    xcb_flush(x_.get());

    // Wait (briefly) until the window manager shows the states and the frame
    // holds still, so that the next read sees the maximized frame.
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(4 * std::max(options_.writeWaitMs, 25));
    std::optional<Placement> previous;
    while (true) {
        context = writeContext(window);
        if (!context.ok()) return context.error();
        const Maximized now = context.value().maximized;
        const bool reached = (!directions.vertically || now.vertically) &&
                             (!directions.horizontally || now.horizontally);
        if ((reached && previous == context.value().placement) || Clock::now() >= deadline)
            return {};
        previous = context.value().placement;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

Maximized X11WindowSystem::maximizedIn(const std::vector<std::uint32_t>& stateAtoms) const {
    auto has = [&](Atom atom) {
        return std::find(stateAtoms.begin(), stateAtoms.end(), x_.atom(atom)) != stateAtoms.end();
    };
    return Maximized{has(Atom::NET_WM_STATE_MAXIMIZED_VERT),
                     has(Atom::NET_WM_STATE_MAXIMIZED_HORZ)};
}

// The window manager acts on a request a moment after it arrives. Waiting
// here (briefly, and only until the window changes) lets the resizer's next
// read see the result rather than the old frame, which would cost it a full
// settle pause per write. A window manager that answers settle requests needs
// no such wait: the pause that follows ends on its answer, without blocking
// the thread (and without spinning through a write that changes nothing).
void X11WindowSystem::waitForWindowManager(WindowId window, const Placement& before, int x, int y,
                                           int width, int height, bool moves, bool resizes) {
    using Clock = std::chrono::steady_clock;
    if (options_.writeWaitMs <= 0 || settle_.answered > 0) return;
    const auto deadline = Clock::now() + std::chrono::milliseconds(options_.writeWaitMs);
    auto c = x_.get();
    while (true) {
        auto geometryCookie = xcb_get_geometry(c, window);
        auto originCookie = xcb_translate_coordinates(c, window, x_.root(), 0, 0);
        auto geometry = x_.reply(geometryCookie);
        auto origin = x_.reply(originCookie);
        if (!geometry.ok() || !origin.ok()) return;  // the next read reports it
        const int nowX = origin.value()->dst_x, nowY = origin.value()->dst_y;
        const int nowWidth = geometry.value()->width, nowHeight = geometry.value()->height;
        bool reached = (!moves || (nowX == x && nowY == y)) &&
                       (!resizes || (nowWidth == width && nowHeight == height));
        bool changed = nowX != before.clientX || nowY != before.clientY ||
                       nowWidth != before.width || nowHeight != before.height;
        if (reached || changed || Clock::now() >= deadline) return;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
}

}  // namespace corvane::platform
