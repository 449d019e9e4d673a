#include "platform/x11/x11_desktop_shell.h"

#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

namespace corvane::platform {

namespace {

// EWMH: requests from pagers and tools (source 2) are honoured by window
// managers without focus-stealing checks.
constexpr std::uint32_t sourceTool = 2;
constexpr std::uint32_t allDesktops = 0xFFFFFFFF;
constexpr std::uint32_t stateAdd = 1;

}  // namespace

X11DesktopShell::X11DesktopShell(xcb_connection_t* connection, int screenNumber, Options options)
    : x_(connection, screenNumber), options_(std::move(options)) {
    if (options_.ownPid == 0) options_.ownPid = static_cast<int>(getpid());
    if (!x_.alive()) return;
}

X11DesktopShell::~X11DesktopShell() {
    *alive_ = false;
}

std::optional<WindowId> X11DesktopShell::handleEvent(const xcb_generic_event_t* event) {
    if (!event) return std::nullopt;
    switch (event->response_type & ~0x80) {
        case XCB_KEY_PRESS:
            lastUserTime_ = reinterpret_cast<const xcb_key_press_event_t*>(event)->time;
            return std::nullopt;
        case XCB_BUTTON_PRESS:
            lastUserTime_ = reinterpret_cast<const xcb_button_press_event_t*>(event)->time;
            return std::nullopt;
        case XCB_PROPERTY_NOTIFY: {
            const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event);
            if (change->window != x_.root() || change->atom != x_.atom(Atom::NET_ACTIVE_WINDOW)) {
                return std::nullopt;
            }
            const WindowId active = activeWindow().value_or(0);
            if (active != XCB_NONE && active == keyboardRequested_) keyboardGranted_ = true;
            return active;
        }
        default:
            return std::nullopt;
    }
}

std::optional<WindowId> X11DesktopShell::activeWindow() {
    const auto active =
        firstItem(x_.readWords(x_.root(), x_.atom(Atom::NET_ACTIVE_WINDOW), XCB_ATOM_WINDOW));
    if (!active || *active == XCB_NONE) return std::nullopt;
    return *active;
}

bool X11DesktopShell::isOwnWindow(WindowId window) {
    if (window == XCB_NONE) return false;
    const auto pid = firstItem(x_.readWords(window, x_.atom(Atom::NET_WM_PID), XCB_ATOM_CARDINAL));
    return pid && static_cast<int>(*pid) == options_.ownPid;
}

void X11DesktopShell::keepOnAllWorkspaces(WindowId ownWindow) {
    if (!x_.alive() || ownWindow == XCB_NONE) return;
    // A managed window (WM_STATE set) changes through requests to the window
    // manager; one not yet managed gets properties the manager reads when it
    // takes the window on.
    const xcb_atom_t wmState = x_.atom(Atom::WM_STATE);
    auto state = x_.readWords(ownWindow, wmState, wmState);
    if (!state.ok()) return;  // the window is gone
    const bool managed = state.value().has_value();
    const xcb_atom_t desktop = x_.atom(Atom::NET_WM_DESKTOP);
    if (!managed) {
        xcb_change_property(x_.get(), XCB_PROP_MODE_REPLACE, ownWindow, desktop, XCB_ATOM_CARDINAL,
                            32, 1, &allDesktops);
    }
    x_.sendToRoot(ownWindow, desktop, {allDesktops, sourceTool, 0, 0, 0});
    addStates(ownWindow, managed);
    xcb_flush(x_.get());
}

void X11DesktopShell::addStates(WindowId window, bool managed) {
    const xcb_atom_t above = x_.atom(Atom::NET_WM_STATE_ABOVE);
    const xcb_atom_t skipTaskbar = x_.atom(Atom::NET_WM_STATE_SKIP_TASKBAR);
    const xcb_atom_t skipPager = x_.atom(Atom::NET_WM_STATE_SKIP_PAGER);
    const std::vector<xcb_atom_t> wanted = {above, skipTaskbar, skipPager};
    if (!managed) {
        std::vector<std::uint32_t> atoms =
            itemsOf(x_.readWords(window, x_.atom(Atom::NET_WM_STATE), XCB_ATOM_ATOM));
        for (xcb_atom_t atom : wanted) {
            if (std::find(atoms.begin(), atoms.end(), atom) == atoms.end()) atoms.push_back(atom);
        }
        xcb_change_property(x_.get(), XCB_PROP_MODE_REPLACE, window, x_.atom(Atom::NET_WM_STATE),
                            XCB_ATOM_ATOM, 32, static_cast<std::uint32_t>(atoms.size()),
                            atoms.data());
    }
    // One message carries two states at most.
    x_.sendToRoot(window, x_.atom(Atom::NET_WM_STATE),
                  {stateAdd, above, skipTaskbar, sourceTool, 0});
    x_.sendToRoot(window, x_.atom(Atom::NET_WM_STATE),
                  {stateAdd, skipPager, XCB_NONE, sourceTool, 0});
}

void X11DesktopShell::requestActivation(WindowId window) {
    const WindowId current = activeWindow().value_or(XCB_NONE);
    x_.sendToRoot(window, x_.atom(Atom::NET_ACTIVE_WINDOW),
                  {sourceTool, lastUserTime_, current, 0, 0});
    xcb_flush(x_.get());
}

void X11DesktopShell::takeKeyboard(WindowId ownWindow) {
    if (!x_.alive() || ownWindow == XCB_NONE) return;
    keyboardRequested_ = ownWindow;
    keyboardGranted_ = false;
    requestActivation(ownWindow);
    if (!options_.later) return;
    std::weak_ptr<bool> alive = alive_;
    const WindowId before = activeWindow().value_or(XCB_NONE);
    options_.later(options_.focusFallbackMs, [this, alive, ownWindow, before] {
        if (alive.lock()) checkKeyboard(ownWindow, before);
    });
}

// A window manager may ignore the request, for instance when it came before
// the window was managed; a panel must be usable from the keyboard all the
// same. When another window became active in the meantime, the user has moved
// on and the focus stays there. Otherwise the request goes out again, and the
// focus is set directly for window managers that keep ignoring it.
void X11DesktopShell::checkKeyboard(WindowId window, WindowId activeBefore) {
    if (!x_.alive()) return;
    // Granted once, the keyboard is the user's to move: a quick click back into
    // the window the grid opened over must not be undone here.
    if (keyboardGranted_ && keyboardRequested_ == window) return;
    const WindowId active = activeWindow().value_or(XCB_NONE);
    if (active == window || active != activeBefore) return;
    auto attributes = x_.reply(xcb_get_window_attributes(x_.get(), window));
    if (!attributes.ok() || attributes.value()->map_state != XCB_MAP_STATE_VIEWABLE) return;
    requestActivation(window);
    auto focus = x_.reply(xcb_get_input_focus(x_.get()));
    if (focus.ok() && focus.value()->focus == window) return;
    xcb_set_input_focus(x_.get(), XCB_INPUT_FOCUS_PARENT, window, XCB_CURRENT_TIME);
    xcb_flush(x_.get());
}

void X11DesktopShell::activate(WindowId window) {
    if (!x_.alive() || window == XCB_NONE) return;
    requestActivation(window);
}

WindowId X11DesktopShell::activeOwnWindow() {
    if (!x_.alive()) return 0;
    if (auto active = activeWindow(); active && isOwnWindow(*active)) return *active;
    // Focus Corvane set itself, when the window manager would not.
    auto focus = x_.reply(xcb_get_input_focus(x_.get()));
    if (focus.ok() && isOwnWindow(focus.value()->focus)) return focus.value()->focus;
    return 0;
}

bool X11DesktopShell::isCompositing() {
    const xcb_atom_t selection = x_.atom(Atom::NET_WM_CM_S);
    if (!x_.alive() || selection == XCB_NONE) return false;
    auto owner = x_.reply(xcb_get_selection_owner(x_.get(), selection));
    return owner.ok() && owner.value()->owner != XCB_NONE;
}

}  // namespace corvane::platform
