#include "platform/x11/x11_window_system.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/x11/x11_net_wm_icon.h"
#include "platform/x11/x11_window_text.h"
#include "platform/x11/x11_xsettings.h"

namespace corvane::platform {

namespace {

constexpr std::size_t recentLimit = 64;
constexpr std::uint32_t iconicState = 3;

bool contains(const std::vector<std::uint32_t>& list, std::uint32_t value) {
    return std::find(list.begin(), list.end(), value) != list.end();
}

}  // namespace

X11WindowSystem::X11WindowSystem(xcb_connection_t* connection, int screenNumber, Options options)
    : x_(connection, screenNumber), options_(options) {
    if (options_.ownPid == 0) options_.ownPid = static_cast<int>(getpid());
    if (const xcb_setup_t* setup = xcb_get_setup(connection)) {
        resourceMask_ = setup->resource_id_mask;
        ownClient_ = setup->resource_id_base;
    }
}

void X11WindowSystem::watchRoot() {
    auto c = x_.get();
    auto attributes = x_.reply(xcb_get_window_attributes(c, x_.root()));
    if (!attributes.ok()) return;
    std::uint32_t mask = attributes.value()->your_event_mask | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(c, x_.root(), XCB_CW_EVENT_MASK, &mask);
    xcb_flush(c);
}

void X11WindowSystem::handleEvent(const xcb_generic_event_t* event) {
    if (!event) return;
    if (handleSettleEvent(event)) {
        ++settle_.events;
        notifyListener();
    }
    if ((event->response_type & ~0x80) != XCB_PROPERTY_NOTIFY) return;
    const auto* change = reinterpret_cast<const xcb_property_notify_event_t*>(event);
    if (change->window != x_.root() || change->atom != x_.atom(Atom::NET_ACTIVE_WINDOW)) return;
    if (auto active = activeWindow()) {
        auto app = appOf(*active);
        if (app.ok()) remember(*active, app.value());
    }
}

const X11WindowSystem::Support& X11WindowSystem::support() {
    const xcb_window_t root = x_.root();
    const xcb_atom_t checkAtom = x_.atom(Atom::NET_SUPPORTING_WM_CHECK);
    // XCB_NONE stands for "no window manager" (a plain value keeps GCC's
    // optimiser from a false maybe-uninitialized warning on std::optional).
    xcb_window_t window =
        firstItem(x_.readWords(root, checkAtom, XCB_ATOM_WINDOW)).value_or(XCB_NONE);
    // A window manager that has gone leaves its root property behind; its
    // check window is gone with it.
    if (window != XCB_NONE) {
        if (firstItem(x_.readWords(window, checkAtom, XCB_ATOM_WINDOW)) != window)
            window = XCB_NONE;
    }
    if (window == XCB_NONE) {
        support_ = Support{};
        return support_;
    }
    if (window == support_.checkWindow) return support_;

    const auto atoms =
        itemsOf(x_.readWords(root, x_.atom(Atom::NET_SUPPORTED), XCB_ATOM_ATOM, 8192));
    support_.checkWindow = window;
    support_.moveResize = contains(atoms, x_.atom(Atom::NET_MOVERESIZE_WINDOW));
    support_.allowedActions = contains(atoms, x_.atom(Atom::NET_WM_ALLOWED_ACTIONS));
    support_.frameExtents = contains(atoms, x_.atom(Atom::NET_FRAME_EXTENTS));
    // A window manager that tells neither its frames nor takes move requests
    // for them cannot be asked for an exact frame.
    support_.available = contains(atoms, x_.atom(Atom::NET_ACTIVE_WINDOW)) &&
                         (support_.frameExtents || support_.moveResize);
    const std::string name =
        itemsOf(x_.readText(window, x_.atom(Atom::NET_WM_NAME), x_.atom(Atom::UTF8_STRING)));
    support_.tiles = !support_.frameExtents && name == "i3";
    support_.carriesAll = name == "Fluxbox";
    return support_;
}

bool X11WindowSystem::isAvailable() {
    return x_.alive() && support().available;
}

std::optional<WindowId> X11WindowSystem::activeWindow() {
    auto window =
        firstItem(x_.readWords(x_.root(), x_.atom(Atom::NET_ACTIVE_WINDOW), XCB_ATOM_WINDOW));
    if (!window || *window == XCB_NONE) return std::nullopt;
    return *window;
}

WindowResult<AppRef> X11WindowSystem::appOf(WindowId window) {
    auto pidCookie = x_.requestWords(window, x_.atom(Atom::NET_WM_PID), XCB_ATOM_CARDINAL);
    auto classCookie = x_.requestText(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING);
    auto netNameCookie = requestNetName(window);
    auto nameCookie = requestName(window);
    auto pid = x_.property(pidCookie);
    auto wmClass = x_.property(classCookie);
    auto netName = x_.property(netNameCookie);
    auto name = x_.property(nameCookie);
    if (!pid.ok()) return pid.error();
    for (const auto* r : {&wmClass, &netName, &name})
        if (!r->ok()) return r->error();

    AppRef app;
    app.pid = static_cast<int>(firstItem(pid).value_or(0));
    app.wmClass = wmClassName(itemsOf(wmClass));
    app.name = !app.wmClass.empty() ? app.wmClass : titleText(netName.value(), name.value());
    app.client = clientOf(window);
    // A window of this very connection is this process's even when it does not say so.
    if (!app.namesOwner() && app.client == ownClient_) app.pid = options_.ownPid;
    return app;
}

void X11WindowSystem::remember(WindowId window, const AppRef& app) {
    if (app.pid == options_.ownPid) return;
    std::erase_if(recent_, [&](const Recent& r) { return r.window == window; });
    recent_.push_front(Recent{window, app});
    if (recent_.size() > recentLimit) recent_.pop_back();
}

std::optional<AppRef> X11WindowSystem::frontmostApp() {
    auto active = activeWindow();
    if (!active) return std::nullopt;
    auto app = appOf(*active);
    if (!app.ok()) return std::nullopt;
    remember(*active, app.value());
    return app.value();
}

std::optional<std::vector<std::uint32_t>> X11WindowSystem::clientList() {
    auto list = x_.readWords(x_.root(), x_.atom(Atom::NET_CLIENT_LIST), XCB_ATOM_WINDOW, 65536);
    if (!list.ok() || !list.value()) return std::nullopt;
    return list.value()->items;
}

bool X11WindowSystem::isTerminated(const AppRef& app) {
    if (!x_.alive()) return true;
    auto clients = clientList();
    if (!clients) {
        // Without the window manager's list, only the process can tell.
        return app.pid > 0 && kill(app.pid, 0) != 0 && errno == ESRCH;
    }
    // The resizer asks before every read of a window met before: a window of
    // the application that is still managed answers that in one round trip.
    for (const Recent& r : recent_) {
        if (r.app.sameApp(app) && contains(*clients, r.window)) return false;
    }
    return !hasClientOf(app, *clients);
}

bool X11WindowSystem::hasClientOf(const AppRef& app, const std::vector<std::uint32_t>& clients) {
    // An application that named no owner is its X client: the window ids tell.
    if (!app.namesOwner()) {
        return std::any_of(clients.begin(), clients.end(),
                           [&](std::uint32_t window) { return clientOf(window) == app.client; });
    }
    // Ask for every client at once; one round trip.
    std::vector<std::pair<PropertyRequest<std::uint32_t>, PropertyRequest<char>>> cookies;
    cookies.reserve(clients.size());
    for (auto window : clients) {
        cookies.emplace_back(x_.requestWords(window, x_.atom(Atom::NET_WM_PID), XCB_ATOM_CARDINAL),
                             x_.requestText(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING));
    }
    bool found = false;
    // Every reply is collected, also after a match, so none is left queued.
    for (std::size_t i = 0; i < cookies.size(); ++i) {
        auto pid = x_.property(cookies[i].first);
        auto wmClass = x_.property(cookies[i].second);
        if (found || !pid.ok() || !wmClass.ok()) continue;
        AppRef candidate;
        candidate.pid = static_cast<int>(firstItem(pid).value_or(0));
        candidate.wmClass = wmClassName(itemsOf(wmClass));
        candidate.client = clientOf(clients[i]);
        found = candidate.sameApp(app);
    }
    return found;
}

WindowResult<std::optional<WindowId>> X11WindowSystem::focusedWindow(const AppRef& app) {
    if (!x_.alive()) return connectionLost();
    if (auto active = activeWindow()) {
        auto owner = appOf(*active);
        if (owner.ok() && owner.value().sameApp(app)) {
            remember(*active, owner.value());
            return std::optional<WindowId>(*active);
        }
    }
    auto clients = clientList();
    for (auto it = recent_.begin(); it != recent_.end();) {
        if (!it->app.sameApp(app)) {
            ++it;
            continue;
        }
        bool exists = clients ? contains(*clients, it->window) : appOf(it->window).ok();
        if (exists) return std::optional<WindowId>(it->window);
        it = recent_.erase(it);
    }
    return std::optional<WindowId>();
}

PropertyRequest<char> X11WindowSystem::requestNetName(WindowId window) {
    return x_.requestText(window, x_.atom(Atom::NET_WM_NAME), x_.atom(Atom::UTF8_STRING));
}

PropertyRequest<char> X11WindowSystem::requestName(WindowId window) {
    // Latin-1 (STRING) or whatever else the client chose to put there.
    return x_.requestText(window, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY);
}

PropertyRequest<std::uint32_t> X11WindowSystem::requestNormalHints(WindowId window) {
    constexpr std::uint32_t sizeHintsWords = 18;
    return x_.requestWords(window, XCB_ATOM_WM_NORMAL_HINTS, XCB_ATOM_WM_SIZE_HINTS,
                           sizeHintsWords);
}

std::string X11WindowSystem::titleText(const std::optional<PropertyValue<char>>& netName,
                                       const std::optional<PropertyValue<char>>& wmName) {
    std::optional<std::string> net;
    if (netName) net = netName->items;
    std::optional<TextProperty> wm;
    if (wmName) wm = TextProperty{wmName->items, wmName->type == XCB_ATOM_STRING};
    return windowTitle(net, wm);
}

std::optional<std::string> X11WindowSystem::title(WindowId window) {
    auto netCookie = requestNetName(window);
    auto nameCookie = requestName(window);
    auto netName = x_.property(netCookie);
    auto name = x_.property(nameCookie);
    if (!netName.ok() || !name.ok()) return std::nullopt;
    if (!netName.value() && !name.value()) return std::nullopt;
    return titleText(netName.value(), name.value());
}

WindowResult<WindowStates> X11WindowSystem::states(WindowId window) {
    auto netCookie = x_.requestWords(window, x_.atom(Atom::NET_WM_STATE), XCB_ATOM_ATOM);
    auto wmCookie = x_.requestWords(window, x_.atom(Atom::WM_STATE), x_.atom(Atom::WM_STATE));
    auto netState = x_.property(netCookie);
    auto wmState = x_.property(wmCookie);
    if (!netState.ok()) return netState.error();
    if (!wmState.ok()) return wmState.error();
    const auto atoms = itemsOf(netState);
    WindowStates states;
    states.fullscreen = contains(atoms, x_.atom(Atom::NET_WM_STATE_FULLSCREEN));
    states.minimized =
        contains(atoms, x_.atom(Atom::NET_WM_STATE_HIDDEN)) || firstItem(wmState) == iconicState;
    states.maximized = maximizedIn(atoms);
    return states;
}

WindowResult<Settable> X11WindowSystem::settable(WindowId window) {
    if (support_.checkWindow == XCB_NONE) support();
    auto hintsCookie = requestNormalHints(window);
    auto actionsCookie =
        x_.requestWords(window, x_.atom(Atom::NET_WM_ALLOWED_ACTIONS), XCB_ATOM_ATOM);
    auto hints = x_.property(hintsCookie);
    auto actions = x_.property(actionsCookie);
    if (!hints.ok()) return hints.error();
    if (!actions.ok()) return actions.error();

    Settable result;
    const auto sizeHints = parseNormalHints(itemsOf(hints));
    if (sizeHints && isFixedSize(*sizeHints)) result.size = false;
    if (support_.tiles) {
        // A tiled window's place belongs to i3: it ignores every request.
        const bool floating =
            firstItem(x_.readWords(window, x_.atom(Atom::I3_FLOATING_WINDOW), XCB_ATOM_CARDINAL))
                .value_or(0) != 0;
        if (!floating) result.size = result.position = false;
    }
    if (support_.allowedActions && actions.value()) {
        const auto& allowed = actions.value()->items;
        result.size = result.size && contains(allowed, x_.atom(Atom::NET_WM_ACTION_RESIZE));
        result.position = contains(allowed, x_.atom(Atom::NET_WM_ACTION_MOVE));
    }
    return result;
}

WindowResult<void> X11WindowSystem::setSize(WindowId window, double width, double height) {
    return write(window, std::nullopt, std::make_pair(width, height));
}

WindowResult<void> X11WindowSystem::setPosition(WindowId window, double x, double y) {
    return write(window, std::make_pair(x, y), std::nullopt);
}

bool X11WindowSystem::reduceMotion() {
    if (!x_.alive()) return false;
    auto owner = x_.reply(xcb_get_selection_owner(x_.get(), x_.atom(Atom::XSETTINGS_S)));
    if (!owner.ok() || owner.value()->owner == XCB_NONE) return false;
    const xcb_atom_t settingsAtom = x_.atom(Atom::XSETTINGS_SETTINGS);
    const std::string settings =
        itemsOf(x_.readText(owner.value()->owner, settingsAtom, settingsAtom, 65536));
    return xsettingsInteger(std::vector<std::uint8_t>(settings.begin(), settings.end()),
                            "Gtk/EnableAnimations") == 0;
}

std::optional<IconImage> X11WindowSystem::icon(WindowId window, int preferredSize) {
    if (!x_.alive()) return std::nullopt;
    auto words =
        x_.readWords(window, x_.atom(Atom::NET_WM_ICON), XCB_ATOM_CARDINAL, netWmIconMaxWords);
    if (!words.ok() || !words.value()) return std::nullopt;
    return pickNetWmIcon(words.value()->items, preferredSize);
}

}  // namespace corvane::platform
