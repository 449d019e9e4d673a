#pragma once

#include <vector>

#include "core/rect.h"
#include "platform/x11/x11_strut.h"

namespace corvane::platform {

// How far _NET_WORKAREA keeps each edge of the root free beyond what the
// struts reserve there: space the window manager keeps for itself (Fluxbox's
// toolbar, a panel it draws without a strut). Zero where the struts explain
// it all.
struct Unexplained {
    double left = 0, right = 0, top = 0, bottom = 0;
    bool any() const { return left > 0 || right > 0 || top > 0 || bottom > 0; }
};

// None for a work area that leaves nothing or reaches outside the root:
// such a value says nothing the struts do not.
Unexplained unexplainedReserve(const Rect& workArea, const Rect& root,
                               const std::vector<Strut>& struts);

// What the window manager reserves for itself, read once for all monitors.
struct WindowManagerReserve {
    Rect root;
    Rect workArea;  // _NET_WORKAREA of the current desktop
    Unexplained unexplained;
    bool oneMonitor = true;
    // The window manager's own mapped top-level windows that hold no client
    // (its toolbar, its panels); only read when there are several monitors.
    std::vector<Rect> ownWindows;
};

// A monitor's free area from the struts, narrowed to the window manager's
// _NET_WORKAREA where that keeps space free that no strut explains.
//
// _NET_WORKAREA is one rectangle over the whole root, so a panel on one
// monitor shrinks it for all of them; that is why the struts come first.
// An edge of the work area is taken only where the struts do not explain it,
// and only by a monitor the reserved band (from the root's edge to the work
// area's) can belong to: with one monitor, always; with several, only a
// monitor that one of the window manager's own windows reaches into within
// that band. Only ever shrinks, and never to nothing.
Rect narrowToWorkArea(const Rect& monitor, const Rect& fromStruts,
                      const WindowManagerReserve& reserve);

}  // namespace corvane::platform
