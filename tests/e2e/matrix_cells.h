#pragma once

// What one placement on a window manager came to, and the checks every cell of
// the window-manager matrix shares: where the window was meant to go, where it
// is, and what corvane-place said about it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <regex>
#include <string>
#include <vector>

#include "tests/e2e/grid_session.h"

#ifndef CORVANE_PLACE_PATH
#error "CORVANE_PLACE_PATH must name the corvane-place executable"
#endif

namespace corvane::e2e {

// What a cell may come to on a window manager.
enum class Expect {
    exact,            // where asked, and said so
    notExact,         // the window manager will not: said so, quickly
    withinIncrement,  // a size in steps: at most one step short, said so unless exact
    swallowed,        // the window manager takes the key press before Corvane sees it
};

inline const char* expectName(Expect e) {
    switch (e) {
        case Expect::exact:
            return "exact";
        case Expect::notExact:
            return "not exact";
        case Expect::withinIncrement:
            return "within one increment";
        case Expect::swallowed:
            return "swallowed";
    }
    return "?";
}

// Longest a placement the window manager refuses may take before Corvane says so.
// Where the window manager moves the window elsewhere (Marco keeping a shadowed
// window inside the work area), the resizer's full chain of checks runs, about
// 2.5 s on an idle machine; the bound leaves room for a loaded test machine.
constexpr int quickMs = 4000;

// Where a window may go on one monitor: the work area of the current desktop as
// the window manager publishes it, and below the harness's dock even where the
// window manager leaves the dock's strut out of it (Fluxbox) or publishes none (i3).
inline Box managerWorkArea(const Desktop& desktop, int width, int height, int dock) {
    const auto area = desktop.cardinals(desktop.root(), "_NET_WORKAREA");
    const auto current = desktop.cardinals(desktop.root(), "_NET_CURRENT_DESKTOP");
    const std::size_t at = 4 * (current.empty() ? 0 : current[0]);
    const Box screen = {0, dock, width, height - dock};
    if (!desktop.publishesWorkArea() || area.size() < at + 4) return screen;
    const int top = std::max(int(area[at + 1]), dock);
    const int bottom = std::min(int(area[at + 1] + area[at + 3]), height);
    return {int(area[at]), top, int(area[at + 2]), bottom - top};
}

// The monitors as RandR has them now: a window manager may have changed their modes.
inline std::vector<Box> monitors(const Desktop& desktop) {
    std::string text;
    desktop.run({"xrandr", "--listactivemonitors"}, &text);
    std::vector<Box> found;
    const std::regex geometry(R"((\d+)/\d+x(\d+)/\d+\+(\d+)\+(\d+))");
    for (auto m = std::sregex_iterator(text.begin(), text.end(), geometry);
         m != std::sregex_iterator(); ++m) {
        found.push_back(
            {std::stoi((*m)[3]), std::stoi((*m)[4]), std::stoi((*m)[1]), std::stoi((*m)[2])});
    }
    std::sort(found.begin(), found.end(), [](const Box& a, const Box& b) { return a.x < b.x; });
    return found;
}

// A half of `area` with 10 px margins around and between windows.
inline Box halfWithMargins(const Box& area, bool right) {
    const int left = (area.width - 30) / 2;
    return {area.x + (right ? 20 + left : 10), area.y + 10, right ? area.width - 30 - left : left,
            area.height - 20};
}

// The window's ancestor that is a child of the root: the window manager's frame
// around it, or the window itself where nothing reparents it.
inline xcb_window_t topLevelOf(const Desktop& desktop, xcb_window_t window) {
    xcb_connection_t* c = desktop.connection();
    for (;;) {
        auto* tree = xcb_query_tree_reply(c, xcb_query_tree(c, window), nullptr);
        if (!tree) return window;
        const xcb_window_t parent = tree->parent;
        std::free(tree);
        if (parent == desktop.root() || parent == XCB_NONE) return window;
        window = parent;
    }
}

// What a user sees of a window: its frame with decorations and its own X
// border, without the client-side shadow GTK draws around it. A window manager
// that does not publish frame extents (i3) is measured by its frame window.
inline Box visibleFrame(const Desktop& desktop, xcb_window_t window) {
    auto e = desktop.cardinals(window, "_NET_FRAME_EXTENTS");
    auto s = desktop.cardinals(window, "_GTK_FRAME_EXTENTS");
    const bool measureFrame = e.empty();
    const auto g = desktop.clientGeometry(measureFrame ? topLevelOf(desktop, window) : window);
    if (!g) return {};
    e.resize(4, 0), s.resize(4, 0);
    const int b = g->border;
    return {g->x - b - int(e[0]) + int(s[0]), g->y - b - int(e[2]) + int(s[2]),
            g->width + 2 * b + int(e[0] + e[1]) - int(s[0] + s[1]),
            g->height + 2 * b + int(e[2] + e[3]) - int(s[2] + s[3])};
}

// A placement of the active window by corvane-place, and where the window went.
struct Placement {
    int status = -1;
    bool reportedExact = false;
    int durationMs = -1;
    Box frame, target;
    std::string output;
};

inline Placement placeActive(const Desktop& desktop, xcb_window_t window,
                             std::vector<std::string> args, const Box& target) {
    Placement p;
    p.target = target;
    args.insert(args.begin(), CORVANE_PLACE_PATH);
    std::string errors;
    p.status = desktop.run(args, &p.output, 30s, &errors);
    p.output += errors;
    std::smatch m;
    if (std::regex_search(p.output, m, std::regex(R"(exact=(true|false), duration=(\d+)ms)")))
        p.reportedExact = m[1] == "true", p.durationMs = std::stoi(m[2]);
    p.frame = visibleFrame(desktop, window);
    return p;
}

// One line per cell in the test's output, so a run reads as the matrix.
inline std::string describe(const Placement& p) {
    std::ostringstream text;
    if (p.status != 0) {
        text << "refused (exit " << p.status << "): " << p.output;
        return text.str();
    }
    if (p.frame == p.target)
        text << "lands exactly";
    else
        text << "lands at " << p.frame << " for " << p.target;
    text << ", reported exact=" << (p.reportedExact ? "true" : "false") << " after " << p.durationMs
         << " ms";
    return text.str();
}

// The checks of one cell. `step` is the window's resize increment, if any.
inline void expectCell(const std::string& wm, const std::string& cell, Expect expect,
                       const Placement& p, std::pair<int, int> step = {1, 1}) {
    std::cout << "MATRIX " << wm << " | " << cell << " | expected " << expectName(expect) << " | "
              << describe(p) << std::endl;
    SCOPED_TRACE(wm + ", " + cell + ": " + p.output);
    ASSERT_EQ(p.status, 0) << "corvane-place could not place the window";
    // Never a wrong frame called exact, whatever the window manager. Corvane calls a frame
    // exact within 2 px on each edge and size, so a window a pixel or two short of a size
    // step (Metacity rounds a terminal's size to its steps) is rightly called exact.
    if (p.reportedExact) {
        EXPECT_TRUE(std::abs(p.frame.x - p.target.x) <= 2 &&
                    std::abs(p.frame.y - p.target.y) <= 2 &&
                    std::abs(p.frame.width - p.target.width) <= 2 &&
                    std::abs(p.frame.height - p.target.height) <= 2)
            << "reported exact, but it is " << p.frame << " for " << p.target;
    } else {
        EXPECT_LT(p.durationMs, quickMs) << "'not exact' took too long";
    }
    switch (expect) {
        case Expect::exact:
            EXPECT_TRUE(p.reportedExact);
            EXPECT_EQ(p.frame, p.target);
            break;
        case Expect::notExact:
            EXPECT_FALSE(p.reportedExact);
            break;
        case Expect::withinIncrement: {
            const Box& f = p.frame;
            const Box& t = p.target;
            EXPECT_EQ(std::make_pair(f.x, f.y), std::make_pair(t.x, t.y)) << f;
            EXPECT_TRUE(f.width <= t.width && f.width > t.width - step.first) << f;
            EXPECT_TRUE(f.height <= t.height && f.height > t.height - step.second) << f;
            break;
        }
        case Expect::swallowed:
            ADD_FAILURE() << "a placement cannot be swallowed";
            break;
    }
}

}  // namespace corvane::e2e
