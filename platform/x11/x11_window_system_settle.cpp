// Settle pauses that end when the window manager has answered: X11WindowSystem
// as a SettleSignal.
//
// Window managers handle the requests of one client in the order they come.
// A _NET_REQUEST_FRAME_EXTENTS for an unmapped window of Corvane's own, sent
// after a write, is answered (the window's _NET_FRAME_EXTENTS is set) only
// once the window manager has dealt with the write; the ConfigureNotify it
// caused on the written window reaches Corvane before that answer. Some
// window managers (Mutter) answer before they apply the geometry, so the
// answer alone never ends a pause: the written window must also have the
// geometry asked for, or have changed since it was last read.
//
// Applications see the change when Corvane does, and some answer it with a
// change of their own (a size they prefer, or the old one until they have
// caught up). A read that would confirm the window as settled therefore
// waits until the window has held still for a few milliseconds: what the
// application does within that time is seen, as it was within the fixed
// 20 ms pauses before; what it does later is not.
//
// A window manager that has never answered, through two whole pauses (KWin,
// Fluxbox), is not waited for: a pause then ends once the window has the
// geometry asked for and has held still for longer, which its own
// ConfigureNotify events tell. Without proof that the window manager is done,
// a change since the last read does not end such a pause early, and the first
// two pauses, before anything is known of the window manager, run in full.

#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>

#include "platform/x11/x11_window_system.h"

namespace corvane::platform {

namespace {

constexpr std::uint32_t watchedEvents =
    XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
// How long the window must have held still before a pause ends on it.
constexpr double holdStill = 0.002;
// The same for a window manager that does not answer.
constexpr double holdStillUnanswered = 0.005;

double secondsNow() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

// The window may be gone by now: the error that would cause is dropped, so
// that nobody reports it.
void X11WindowSystem::unwatchForSettle() {
    if (settle_.window == XCB_NONE) return;
    auto cookie = xcb_change_window_attributes_checked(x_.get(), settle_.window, XCB_CW_EVENT_MASK,
                                                       &settle_.ownMaskBefore);
    xcb_discard_reply(x_.get(), cookie.sequence);
    settle_.window = XCB_NONE;
}

X11WindowSystem::~X11WindowSystem() {
    if (!x_.alive()) return;
    if (settle_.barrier != XCB_NONE) xcb_destroy_window(x_.get(), settle_.barrier);
    unwatchForSettle();
    xcb_flush(x_.get());
}

xcb_window_t X11WindowSystem::barrierWindow() {
    if (settle_.barrier != XCB_NONE || !options_.settleBarrier) return settle_.barrier;
    auto c = x_.get();
    const xcb_window_t window = xcb_generate_id(c);
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, window, x_.root(), -1, -1, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK,
                      &mask);
    settle_.barrier = window;
    return window;
}

// Before the write, so that no change it causes goes unseen; what this
// connection selected on the window before is kept, and given back when
// another window is written.
void X11WindowSystem::watchForSettle(WindowId window) {
    if (window == settle_.window) return;
    auto c = x_.get();
    unwatchForSettle();
    settle_.origin.reset();
    settle_.size.reset();
    settle_.lastRead.reset();
    auto attributes = x_.reply(xcb_get_window_attributes(c, window));
    if (!attributes.ok()) return;  // gone: the write reports it
    settle_.window = window;
    settle_.ownMaskBefore = attributes.value()->your_event_mask;
    const std::uint32_t mask = settle_.ownMaskBefore | watchedEvents;
    xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
}

void X11WindowSystem::noteWrite(WindowId window, const WriteContext& context,
                                std::optional<std::pair<int, int>> origin,
                                std::optional<std::pair<int, int>> size) {
    if (window != settle_.window) return;
    settle_.origin = origin;
    settle_.size = size;
    settle_.hints = context.hints;
}

void X11WindowSystem::beginPause() {
    settle_.awaited = 0;
    settle_.pauseStart = secondsNow();
    if (!x_.alive()) return;
    const xcb_window_t barrier = barrierWindow();
    if (barrier == XCB_NONE) return;
    // Pauses end early only on an answer, so requests unanswered now were left
    // so for whole pauses. A window manager that has answered once is only
    // slow (Muffin under load) and keeps being waited for.
    settle_.unanswering = settle_.answered == 0 && settle_.asked >= 2;
    x_.sendToRoot(barrier, x_.atom(Atom::NET_REQUEST_FRAME_EXTENTS), {0, 0, 0, 0, 0});
    xcb_flush(x_.get());
    settle_.awaited = ++settle_.asked;
}

bool X11WindowSystem::asRequested(const Placement& placement) const {
    if (settle_.origin &&
        (placement.clientX != settle_.origin->first || placement.clientY != settle_.origin->second))
        return false;
    if (settle_.size &&
        (!sizeAllowed(settle_.size->first, placement.width, settle_.hints, true) ||
         !sizeAllowed(settle_.size->second, placement.height, settle_.hints, false)))
        return false;
    return true;
}

// Answers are counted, so an answer to an earlier request (one whose pause
// ran out of time) never ends a later pause. Once the window manager has
// answered, a window that changed since the last read ends the pause at once:
// the next read differs from the last, so it cannot confirm anything yet.
std::optional<double> X11WindowSystem::settledIn() {
    if (settle_.awaited == 0) return std::nullopt;
    const bool answered = settle_.answered >= settle_.awaited;
    if (!answered && !settle_.unanswering) return std::nullopt;
    if (settle_.window == XCB_NONE) return answered ? std::optional(0.0) : std::nullopt;
    auto now = readPlacement(settle_.window);
    if (!now.ok()) return 0.0;  // gone: the next read says so
    if (answered && settle_.lastRead && now.value() != *settle_.lastRead) return 0.0;
    if (!asRequested(now.value())) return std::nullopt;
    if (answered) return std::max(0.0, settle_.lastChange + holdStill - secondsNow());
    // Unanswered, every pause lasts a moment, so that two reads in a row are
    // that far apart however long the window has been still.
    const double since = std::max(settle_.lastChange, settle_.pauseStart);
    return std::max(0.0, since + holdStillUnanswered - secondsNow());
}

bool X11WindowSystem::changedWindow(WindowId window) {
    if (window != settle_.window || window == XCB_NONE) return false;
    settle_.lastChange = secondsNow();
    return true;
}

bool X11WindowSystem::handleSettleEvent(const xcb_generic_event_t* event) {
    const auto type = event->response_type & ~0x80;
    if (type == XCB_PROPERTY_NOTIFY) {
        const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (change->atom != x_.atom(Atom::NET_FRAME_EXTENTS)) return false;
        if (change->window == settle_.barrier && settle_.barrier != XCB_NONE &&
            change->state == XCB_PROPERTY_NEW_VALUE) {
            ++settle_.answered;
            return true;
        }
        return changedWindow(change->window);
    }
    if (type == XCB_CONFIGURE_NOTIFY) {
        const auto* configure = reinterpret_cast<const xcb_configure_notify_event_t*>(event);
        return changedWindow(configure->window);
    }
    if (type == XCB_DESTROY_NOTIFY) {
        const auto* destroy = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
        return destroy->window == settle_.window && settle_.window != XCB_NONE;
    }
    return false;
}

bool X11WindowSystem::waitSettled(double seconds) {
    const double deadline = secondsNow() + seconds;
    // Checked once at the start too: the window may have settled before the pause.
    std::optional<double> recheckAt = secondsNow();
    auto c = x_.get();
    while (x_.alive()) {
        const std::uint64_t seen = settle_.events;
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> owned(event, &std::free);
            handleEvent(event);
        }
        if (settle_.events != seen || (recheckAt && secondsNow() >= *recheckAt)) {
            const std::optional<double> in = settledIn();
            if (in && *in <= 0) return true;
            recheckAt = in ? std::optional(secondsNow() + *in) : std::nullopt;
        }
        const double until = recheckAt ? std::min(deadline, *recheckAt) : deadline;
        const double left = until - secondsNow();
        if (left <= 0 && until >= deadline) return false;
        // Microseconds matter here: a poll in whole milliseconds would stretch
        // every short wait to the next one.
        const auto nanoseconds = static_cast<long long>(std::max(0.0, left) * 1e9);
        const timespec timeout{static_cast<time_t>(nanoseconds / 1000000000),
                               static_cast<long>(nanoseconds % 1000000000)};
        pollfd fd{xcb_get_file_descriptor(c), POLLIN, 0};
        ::ppoll(&fd, 1, &timeout, nullptr);
    }
    return false;
}

}  // namespace corvane::platform
