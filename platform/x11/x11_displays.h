#pragma once

#include <xcb/randr.h>
#include <xcb/xcb.h>

#include <string>
#include <unordered_map>

#include "platform/displays.h"
#include "platform/x11/x11_connection.h"
#include "platform/x11/x11_strut.h"
#include "platform/x11/x11_work_area.h"

namespace corvane::platform {

// The monitors RandR reports (primary first), each with the area the docks
// and panels leave free: the struts of dock windows, and of panels the window
// manager draws itself. _NET_WORKAREA, one rectangle for all monitors, only
// narrows that where it keeps space free that no strut explains (see
// narrowToWorkArea). Everything is read anew on each call, so a dock or
// toolbar that comes, goes or moves counts at once.
class X11Displays : public Displays {
public:
    // Borrows `connection`; it must outlive this object.
    X11Displays(xcb_connection_t* connection, int screenNumber);

    // Empty when the server is gone.
    std::vector<Display> displays() override;

private:
    struct Monitor {
        std::string name;
        Rect frame;
    };
    void checkRandr();
    std::vector<Monitor> monitorsFrom(xcb_randr_get_monitors_cookie_t cookie);
    void learnAtomNames(const std::vector<xcb_atom_t>& atoms);
    std::vector<Strut> struts(const std::vector<std::uint32_t>& clients,
                              const std::vector<xcb_window_t>& topLevel, double rootWidth,
                              double rootHeight);
    WindowManagerReserve windowManagerReserve(const Rect& root, const std::vector<Strut>& reserved,
                                              const std::vector<std::uint32_t>& clients,
                                              bool oneMonitor,
                                              const PropertyRead<std::uint32_t>& desktop,
                                              const PropertyRead<std::uint32_t>& area);
    std::vector<Rect> ownWindows(const std::vector<std::uint32_t>& clients);
    std::vector<std::vector<xcb_window_t>> childrenOf(const std::vector<xcb_window_t>& windows);
    std::vector<xcb_window_t> unlistedWindows(const std::vector<std::uint32_t>& clients,
                                              const std::vector<xcb_window_t>& topLevel);

    X11Connection x_;
    bool randrChecked_ = false;
    bool randrMonitors_ = false;
    std::unordered_map<xcb_atom_t, std::string> atomNames_;
};

}  // namespace corvane::platform
