// Reading where a window is: X11WindowSystem's frames.

#include "platform/x11/x11_window_system.h"

namespace corvane::platform {

WindowResult<X11WindowSystem::Placement> X11WindowSystem::readPlacement(WindowId window) {
    auto c = x_.get();
    auto geometryCookie = xcb_get_geometry(c, window);
    auto originCookie = xcb_translate_coordinates(c, window, x_.root(), 0, 0);
    auto frameCookie = x_.requestWords(window, x_.atom(Atom::NET_FRAME_EXTENTS), XCB_ATOM_CARDINAL);
    auto shadowCookie =
        x_.requestWords(window, x_.atom(Atom::GTK_FRAME_EXTENTS), XCB_ATOM_CARDINAL);
    auto geometry = x_.reply(geometryCookie);
    auto origin = x_.reply(originCookie);
    auto frameExtents = x_.property(frameCookie);
    auto shadowExtents = x_.property(shadowCookie);
    if (!geometry.ok()) return geometry.error();
    if (!origin.ok()) return origin.error();
    if (!frameExtents.ok()) return frameExtents.error();
    if (!shadowExtents.ok()) return shadowExtents.error();

    Placement placement;
    placement.clientX = origin.value()->dst_x;
    placement.clientY = origin.value()->dst_y;
    placement.width = geometry.value()->width;
    placement.height = geometry.value()->height;
    placement.frame = parseFrameExtents(itemsOf(frameExtents));
    placement.shadow =
        shadowWithin(parseFrameExtents(itemsOf(shadowExtents)), placement.width, placement.height);
    placement.border = geometry.value()->border_width;
    if (support_.checkWindow != XCB_NONE && !support_.frameExtents)
        placement.frame = measuredFrame(window, placement);
    return placement;
}

X11WindowSystem::Extents X11WindowSystem::measuredFrame(WindowId window, const Placement& client) {
    constexpr int mostLevels = 4;
    xcb_window_t top = window;
    for (int level = 0; level < mostLevels; ++level) {
        auto tree = x_.reply(xcb_query_tree(x_.get(), top));
        if (!tree.ok() || tree.value()->parent == XCB_NONE) return {};
        if (tree.value()->parent == x_.root()) break;
        top = tree.value()->parent;
    }
    if (top == window) return {};  // not reparented: no decorations
    auto geometry = x_.reply(xcb_get_geometry(x_.get(), top));
    if (!geometry.ok()) return {};
    const auto& g = *geometry.value();
    const double left = client.clientX - g.x - g.border_width;
    const double top_ = client.clientY - g.y - g.border_width;
    const double right = g.x + g.border_width + g.width - client.clientX - client.width;
    const double bottom = g.y + g.border_width + g.height - client.clientY - client.height;
    if (left < 0 || top_ < 0 || right < 0 || bottom < 0) return {};
    return Extents{left, right, top_, bottom};
}

Rect X11WindowSystem::Placement::outer() const {
    const Extents& f = frame;
    const Extents& s = shadow;
    return Rect{clientX - f.left + s.left, clientY - f.top + s.top,
                width + f.left + f.right - s.left - s.right,
                height + f.top + f.bottom - s.top - s.bottom};
}

WindowResult<Rect> X11WindowSystem::frame(WindowId window) {
    auto placement = readPlacement(window);
    if (!placement.ok()) return placement.error();
    if (window == settle_.window) settle_.lastRead = placement.value();
    return placement.value().outer();
}

}  // namespace corvane::platform
