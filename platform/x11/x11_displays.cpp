#include "platform/x11/x11_displays.h"

#include <xcb/randr.h>

#include <algorithm>

#include "platform/x11/x11_strut.h"
#include "platform/x11/x11_work_area.h"

namespace corvane::platform {

X11Displays::X11Displays(xcb_connection_t* connection, int screenNumber)
    : x_(connection, screenNumber) {}

std::vector<Display> X11Displays::displays() {
    if (!x_.alive()) return {};
    // The root's size now, not the one in the connection setup: RandR changes it.
    auto root = x_.reply(xcb_get_geometry(x_.get(), x_.root()));
    if (!root.ok()) return {};
    const double rootWidth = root.value()->width, rootHeight = root.value()->height;

    auto list = x_.readWords(x_.root(), x_.atom(Atom::NET_CLIENT_LIST), XCB_ATOM_WINDOW, 65536);
    const std::vector<std::uint32_t> clients = itemsOf(list);
    auto reserved = list.ok() ? struts(clients, rootWidth, rootHeight) : std::vector<Strut>{};
    const auto monitorList = monitors(rootWidth, rootHeight);
    const auto wm = windowManagerReserve(Rect{0, 0, rootWidth, rootHeight}, reserved, clients,
                                         monitorList.size() == 1);
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
                                                       bool oneMonitor) {
    WindowManagerReserve wm;
    wm.root = root;
    wm.oneMonitor = oneMonitor;
    auto desktopCookie =
        x_.requestWords(x_.root(), x_.atom(Atom::NET_CURRENT_DESKTOP), XCB_ATOM_CARDINAL);
    auto areaCookie = x_.requestWords(x_.root(), x_.atom(Atom::NET_WORKAREA), XCB_ATOM_CARDINAL);
    const std::size_t desktop = firstItem(x_.property(desktopCookie)).value_or(0);
    const std::vector<std::uint32_t> areas = itemsOf(x_.property(areaCookie));
    if (areas.size() < 4 * (desktop + 1)) return wm;
    const std::uint32_t* a = &areas[4 * desktop];
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

std::vector<X11Displays::Monitor> X11Displays::monitors(double rootWidth, double rootHeight) {
    auto c = x_.get();
    if (!randrChecked_) {
        randrChecked_ = true;
        const xcb_query_extension_reply_t* extension = xcb_get_extension_data(c, &xcb_randr_id);
        if (extension && extension->present) {
            auto version = x_.reply(xcb_randr_query_version(c, 1, 5));
            randrMonitors_ = version.ok() && (version.value()->major_version > 1 ||
                                              version.value()->minor_version >= 5);
        }
    }
    std::vector<Monitor> result;
    if (randrMonitors_) {
        auto reply = x_.reply(xcb_randr_get_monitors(c, x_.root(), 1));
        if (reply.ok()) {
            std::vector<std::pair<bool, xcb_randr_monitor_info_t>> infos;
            for (auto it = xcb_randr_get_monitors_monitors_iterator(reply.value().get()); it.rem;
                 xcb_randr_monitor_info_next(&it))
                infos.emplace_back(it.data->primary != 0, *it.data);
            // Primary first; the rest keep the server's order.
            std::stable_partition(infos.begin(), infos.end(),
                                  [](const auto& i) { return i.first; });
            std::vector<xcb_get_atom_name_cookie_t> names;
            names.reserve(infos.size());
            for (const auto& [primary, info] : infos)
                names.push_back(xcb_get_atom_name(c, info.name));
            for (std::size_t i = 0; i < infos.size(); ++i) {
                const auto& info = infos[i].second;
                auto name = x_.reply(names[i]);
                std::string text;
                if (name.ok())
                    text.assign(xcb_get_atom_name_name(name.value().get()),
                                static_cast<std::size_t>(
                                    xcb_get_atom_name_name_length(name.value().get())));
                result.push_back(Monitor{text, Rect{double(info.x), double(info.y),
                                                    double(info.width), double(info.height)}});
            }
        }
    }
    // No RandR 1.5: the screen is one monitor.
    if (result.empty()) result.push_back(Monitor{"screen", Rect{0, 0, rootWidth, rootHeight}});
    return result;
}

// Windows near the top of the tree that the window manager does not list as
// clients: its own panels. Clients sit one or two levels below the root,
// inside frames (IceWM's taskbar sits in a frame inside a frame).
std::vector<xcb_window_t> X11Displays::unlistedWindows(const std::vector<std::uint32_t>& clients) {
    constexpr int depth = 3;
    constexpr std::size_t mostWindows = 4096;
    std::vector<xcb_window_t> found;
    std::vector<xcb_window_t> level = {x_.root()};
    for (int d = 0; d < depth && !level.empty() && found.size() < mostWindows; ++d) {
        std::vector<xcb_window_t> next;
        for (const auto& children : childrenOf(level))
            next.insert(next.end(), children.begin(), children.end());
        // A client's own subwindows are not panels.
        std::erase_if(next, [&](xcb_window_t w) {
            return std::find(clients.begin(), clients.end(), w) != clients.end();
        });
        found.insert(found.end(), next.begin(), next.end());
        level = std::move(next);
    }
    return found;
}

// The struts of the docks among the window manager's clients, and of any
// unlisted top-level window that reserves space (a panel the window manager
// draws itself).
std::vector<Strut> X11Displays::struts(const std::vector<std::uint32_t>& clients, double rootWidth,
                                       double rootHeight) {
    std::vector<Strut> result;
    const std::vector<xcb_window_t> unlisted = unlistedWindows(clients);
    std::vector<std::pair<xcb_window_t, bool>> candidates;  // window, listed as a client
    candidates.reserve(clients.size() + unlisted.size());
    for (auto window : clients) candidates.emplace_back(window, true);
    for (auto window : unlisted) candidates.emplace_back(window, false);

    struct Cookies {
        bool client;
        PropertyRequest<std::uint32_t> type, partial, full;
    };
    std::vector<Cookies> cookies;
    cookies.reserve(candidates.size());
    for (auto [window, client] : candidates)
        cookies.push_back(
            {client, x_.requestWords(window, x_.atom(Atom::NET_WM_WINDOW_TYPE), XCB_ATOM_ATOM),
             x_.requestWords(window, x_.atom(Atom::NET_WM_STRUT_PARTIAL), XCB_ATOM_CARDINAL),
             x_.requestWords(window, x_.atom(Atom::NET_WM_STRUT), XCB_ATOM_CARDINAL)});
    for (const auto& cookie : cookies) {
        auto type = x_.property(cookie.type);
        auto partial = x_.property(cookie.partial);
        auto full = x_.property(cookie.full);
        // A window that vanished since the lists were read reserves nothing.
        if (!type.ok() || !partial.ok() || !full.ok()) continue;
        const auto types = itemsOf(type);
        bool dock = std::find(types.begin(), types.end(), x_.atom(Atom::NET_WM_WINDOW_TYPE_DOCK)) !=
                    types.end();
        if (cookie.client && !dock) continue;
        auto strut = partial.value() ? Strut::fromPartial(partial.value()->items)
                                     : Strut::fromFull(itemsOf(full), rootWidth, rootHeight);
        if (strut) result.push_back(*strut);
    }
    return result;
}

}  // namespace corvane::platform
