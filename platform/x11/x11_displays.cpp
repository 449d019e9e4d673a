#include "platform/x11/x11_displays.h"

#include <xcb/randr.h>

#include <algorithm>
#include <optional>

#include "platform/x11/x11_strut.h"
#include "platform/x11/x11_work_area.h"

namespace corvane::platform {

X11Displays::X11Displays(xcb_connection_t* connection, int screenNumber)
    : x_(connection, screenNumber) {}

std::vector<Display> X11Displays::displays() {
    if (!x_.alive()) return {};
    checkRandr();
    xcb_connection_t* c = x_.get();
    const xcb_window_t root = x_.root();
    // None of these needs another's answer, so they share one round trip: a
    // hot key reads the displays before every placement.
    const auto rootCookie = xcb_get_geometry(c, root);  // RandR changes the root's size
    const auto treeCookie = xcb_query_tree(c, root);
    const auto listCookie =
        x_.requestWords(root, x_.atom(Atom::NET_CLIENT_LIST), XCB_ATOM_WINDOW, 65536);
    const auto desktopCookie =
        x_.requestWords(root, x_.atom(Atom::NET_CURRENT_DESKTOP), XCB_ATOM_CARDINAL);
    const auto areaCookie = x_.requestWords(root, x_.atom(Atom::NET_WORKAREA), XCB_ATOM_CARDINAL);
    std::optional<xcb_randr_get_monitors_cookie_t> monitorsCookie;
    if (randrMonitors_) monitorsCookie = xcb_randr_get_monitors(c, root, 1);

    auto rootGeometry = x_.reply(rootCookie);
    auto tree = x_.reply(treeCookie);
    const auto list = x_.property(listCookie);
    const auto desktop = x_.property(desktopCookie);
    const auto area = x_.property(areaCookie);
    std::vector<Monitor> monitorList;
    if (monitorsCookie) monitorList = monitorsFrom(*monitorsCookie);
    if (!rootGeometry.ok()) return {};
    const double rootWidth = rootGeometry.value()->width;
    const double rootHeight = rootGeometry.value()->height;
    // No RandR 1.5: the screen is one monitor.
    if (monitorList.empty())
        monitorList.push_back(Monitor{"screen", Rect{0, 0, rootWidth, rootHeight}});

    std::vector<xcb_window_t> topLevel;
    if (tree.ok()) {
        const xcb_window_t* first = xcb_query_tree_children(tree.value().get());
        topLevel.assign(first, first + xcb_query_tree_children_length(tree.value().get()));
    }
    const std::vector<std::uint32_t> clients = itemsOf(list);
    const auto reserved =
        list.ok() ? struts(clients, topLevel, rootWidth, rootHeight) : std::vector<Strut>{};
    const auto wm = windowManagerReserve(Rect{0, 0, rootWidth, rootHeight}, reserved, clients,
                                         monitorList.size() == 1, desktop, area);
    std::vector<Display> result;
    for (const auto& monitor : monitorList) {
        const Rect free = visibleFrame(monitor.frame, rootWidth, rootHeight, reserved);
        result.push_back(
            Display{monitor.name, monitor.frame, narrowToWorkArea(monitor.frame, free, wm)});
    }
    return result;
}

// _NET_WORKAREA of the current desktop, and where it is tighter than the
// struts, the window manager's own windows that may explain it.
WindowManagerReserve X11Displays::windowManagerReserve(const Rect& root,
                                                       const std::vector<Strut>& reserved,
                                                       const std::vector<std::uint32_t>& clients,
                                                       bool oneMonitor,
                                                       const PropertyRead<std::uint32_t>& desktop,
                                                       const PropertyRead<std::uint32_t>& area) {
    WindowManagerReserve wm;
    wm.root = root;
    wm.oneMonitor = oneMonitor;
    const std::size_t current = firstItem(desktop).value_or(0);
    const std::vector<std::uint32_t> areas = itemsOf(area);
    if (areas.size() < 4 * (current + 1)) return wm;
    const std::uint32_t* a = &areas[4 * current];
    wm.workArea =
        Rect{double(std::int32_t(a[0])), double(std::int32_t(a[1])), double(a[2]), double(a[3])};
    wm.unexplained = unexplainedReserve(wm.workArea, root, reserved);
    if (wm.unexplained.any() && !oneMonitor) wm.ownWindows = ownWindows(clients);
    return wm;
}

// The mapped children of the root that are neither clients nor frames
// holding one (a frame holds its client one or two levels down).
std::vector<Rect> X11Displays::ownWindows(const std::vector<std::uint32_t>& clients) {
    auto isClient = [&](xcb_window_t w) {
        return std::find(clients.begin(), clients.end(), w) != clients.end();
    };
    std::vector<xcb_window_t> top = childrenOf({x_.root()}).front();
    std::erase_if(top, isClient);
    const auto children = childrenOf(top);
    std::vector<xcb_window_t> all;
    for (const auto& list : children) all.insert(all.end(), list.begin(), list.end());
    const auto grandchildren = childrenOf(all);
    std::vector<xcb_get_window_attributes_cookie_t> attributes;
    std::vector<xcb_get_geometry_cookie_t> geometries;
    for (auto window : top) {
        attributes.push_back(xcb_get_window_attributes(x_.get(), window));
        geometries.push_back(xcb_get_geometry(x_.get(), window));
    }
    std::vector<Rect> result;
    std::size_t next = 0;  // the first of this window's children in `all`
    for (std::size_t i = 0; i < top.size(); ++i) {
        auto attribute = x_.reply(attributes[i]);
        auto geometry = x_.reply(geometries[i]);
        bool holdsClient = std::any_of(children[i].begin(), children[i].end(), isClient);
        for (std::size_t j = next; j < next + children[i].size(); ++j)
            holdsClient = holdsClient ||
                          std::any_of(grandchildren[j].begin(), grandchildren[j].end(), isClient);
        next += children[i].size();
        if (holdsClient || !attribute.ok() || !geometry.ok() ||
            attribute.value()->map_state != XCB_MAP_STATE_VIEWABLE)
            continue;
        const auto& g = *geometry.value();
        result.push_back(Rect{double(g.x), double(g.y), double(g.width + 2 * g.border_width),
                              double(g.height + 2 * g.border_width)});
    }
    return result;
}

// The children of each window, in one round trip; none for a window that is gone.
std::vector<std::vector<xcb_window_t>> X11Displays::childrenOf(
    const std::vector<xcb_window_t>& windows) {
    std::vector<xcb_query_tree_cookie_t> cookies;
    cookies.reserve(windows.size());
    for (auto window : windows) cookies.push_back(xcb_query_tree(x_.get(), window));
    std::vector<std::vector<xcb_window_t>> result;
    result.reserve(windows.size());
    for (auto cookie : cookies) {
        auto tree = x_.reply(cookie);
        auto& children = result.emplace_back();
        if (!tree.ok()) continue;
        const xcb_window_t* first = xcb_query_tree_children(tree.value().get());
        children.assign(first, first + xcb_query_tree_children_length(tree.value().get()));
    }
    return result;
}

void X11Displays::checkRandr() {
    if (randrChecked_) return;
    randrChecked_ = true;
    const xcb_query_extension_reply_t* extension = xcb_get_extension_data(x_.get(), &xcb_randr_id);
    if (extension && extension->present) {
        auto version = x_.reply(xcb_randr_query_version(x_.get(), 1, 5));
        randrMonitors_ = version.ok() && (version.value()->major_version > 1 ||
                                          version.value()->minor_version >= 5);
    }
}

// The monitors of a RandR answer, primary first, the rest in the server's order.
std::vector<X11Displays::Monitor> X11Displays::monitorsFrom(
    xcb_randr_get_monitors_cookie_t cookie) {
    auto reply = x_.reply(cookie);
    if (!reply.ok()) return {};
    std::vector<std::pair<bool, xcb_randr_monitor_info_t>> infos;
    for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.value().get()); it.rem;
         xcb_randr_monitor_info_next(&it))
        infos.emplace_back(it.data->primary != 0, *it.data);
    std::stable_partition(infos.begin(), infos.end(), [](const auto& i) { return i.first; });
    std::vector<xcb_atom_t> names;
    for (const auto& [primary, info] : infos) names.push_back(info.name);
    learnAtomNames(names);
    std::vector<Monitor> result;
    for (const auto& [primary, info] : infos) {
        const auto name = atomNames_.find(info.name);
        result.push_back(
            Monitor{name == atomNames_.end() ? std::string() : name->second,
                    Rect{double(info.x), double(info.y), double(info.width), double(info.height)}});
    }
    return result;
}

// An atom keeps its name for as long as the server runs, so each is asked once.
void X11Displays::learnAtomNames(const std::vector<xcb_atom_t>& atoms) {
    std::vector<std::pair<xcb_atom_t, xcb_get_atom_name_cookie_t>> asked;
    for (const xcb_atom_t atom : atoms) {
        if (!atomNames_.contains(atom)) asked.emplace_back(atom, xcb_get_atom_name(x_.get(), atom));
    }
    for (const auto& [atom, cookie] : asked) {
        auto name = x_.reply(cookie);
        if (!name.ok()) continue;
        atomNames_[atom].assign(
            xcb_get_atom_name_name(name.value().get()),
            static_cast<std::size_t>(xcb_get_atom_name_name_length(name.value().get())));
    }
}

// Windows near the top of the tree that the window manager does not list as
// clients: its own panels. Clients sit one or two levels below the root,
// inside frames (IceWM's taskbar sits in a frame inside a frame). The other
// windows of a frame holding one client are its title bar, borders and
// buttons, never a panel, so they are left out; a top-level window holding
// several clients (a virtual root, tabbed frames) is searched whole.
std::vector<xcb_window_t> X11Displays::unlistedWindows(const std::vector<std::uint32_t>& clients,
                                                       const std::vector<xcb_window_t>& topLevel) {
    constexpr int depth = 3;
    constexpr std::size_t mostWindows = 4096;
    const auto isClient = [&](xcb_window_t w) {
        return std::find(clients.begin(), clients.end(), w) != clients.end();
    };
    struct Found {
        xcb_window_t window;
        std::size_t top;  // the index of its top-level ancestor
    };
    std::vector<int> clientsUnder(topLevel.size(), 0);
    std::vector<Found> level;
    for (std::size_t i = 0; i < topLevel.size(); ++i) {
        if (isClient(topLevel[i]))
            ++clientsUnder[i];
        else
            level.push_back({topLevel[i], i});
    }
    std::vector<Found> found = level;
    for (int d = 1; d < depth && !level.empty() && found.size() < mostWindows; ++d) {
        std::vector<xcb_window_t> windows;
        windows.reserve(level.size());
        for (const Found& f : level) windows.push_back(f.window);
        const auto children = childrenOf(windows);
        std::vector<Found> next;
        for (std::size_t i = 0; i < level.size(); ++i) {
            for (const xcb_window_t child : children[i]) {
                // A client's own subwindows are not panels.
                if (isClient(child))
                    ++clientsUnder[level[i].top];
                else
                    next.push_back({child, level[i].top});
            }
        }
        found.insert(found.end(), next.begin(), next.end());
        level = std::move(next);
    }
    std::vector<xcb_window_t> result;
    for (const Found& f : found) {
        if (clientsUnder[f.top] != 1) result.push_back(f.window);
    }
    return result;
}

// The struts of the docks among the window manager's clients, and of any
// unlisted top-level window that reserves space (a panel the window manager
// draws itself).
std::vector<Strut> X11Displays::struts(const std::vector<std::uint32_t>& clients,
                                       const std::vector<xcb_window_t>& topLevel, double rootWidth,
                                       double rootHeight) {
    std::vector<Strut> result;
    const std::vector<xcb_window_t> unlisted = unlistedWindows(clients, topLevel);
    std::vector<std::pair<xcb_window_t, bool>> candidates;  // window, listed as a client
    candidates.reserve(clients.size() + unlisted.size());
    for (auto window : clients) candidates.emplace_back(window, true);
    for (auto window : unlisted) candidates.emplace_back(window, false);

    // Only a client's type matters (it counts when it is a dock), so only
    // clients are asked for it.
    struct Cookies {
        std::optional<PropertyRequest<std::uint32_t>> type;
        PropertyRequest<std::uint32_t> partial, full;
    };
    std::vector<Cookies> cookies;
    cookies.reserve(candidates.size());
    for (auto [window, client] : candidates) {
        Cookies& asked = cookies.emplace_back(
            Cookies{std::nullopt,
                    x_.requestWords(window, x_.atom(Atom::NET_WM_STRUT_PARTIAL), XCB_ATOM_CARDINAL),
                    x_.requestWords(window, x_.atom(Atom::NET_WM_STRUT), XCB_ATOM_CARDINAL)});
        if (client)
            asked.type = x_.requestWords(window, x_.atom(Atom::NET_WM_WINDOW_TYPE), XCB_ATOM_ATOM);
    }
    for (const auto& cookie : cookies) {
        // Every answer is collected, so none is left queued.
        auto partial = x_.property(cookie.partial);
        auto full = x_.property(cookie.full);
        std::optional<PropertyRead<std::uint32_t>> type;
        if (cookie.type) type = x_.property(*cookie.type);
        // A window that vanished since the lists were read reserves nothing.
        if (!partial.ok() || !full.ok() || (type && !type->ok())) continue;
        if (type) {
            const auto types = itemsOf(*type);
            if (std::find(types.begin(), types.end(), x_.atom(Atom::NET_WM_WINDOW_TYPE_DOCK)) ==
                types.end())
                continue;
        }
        auto strut = partial.value() ? Strut::fromPartial(partial.value()->items)
                                     : Strut::fromFull(itemsOf(full), rootWidth, rootHeight);
        if (strut) result.push_back(*strut);
    }
    return result;
}

}  // namespace corvane::platform
