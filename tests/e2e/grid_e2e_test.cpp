// The grid road on a real desktop of two monitors (Xorg with the dummy
// driver, Openbox, a dock over the first monitor): the activation shortcut
// opens one panel per monitor, the keyboard and the mouse pick cells, and the
// focused window lands on them.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <iostream>

#include "core/tile_geometry.h"
#include "tests/e2e/grid_session.h"

#ifndef CORVANE_BUILD_DIR
#error "CORVANE_BUILD_DIR must name the folder for the screenshot"
#endif

namespace corvane {
namespace {

using namespace std::chrono_literals;
using e2e::Box;

// The dock reserves the top 25 pixels of the first monitor only.
const Rect firstVisible{0, 25, 1440, 875};
const Rect secondVisible{1440, 0, 1280, 800};

Box cells(Cell a, Cell b, const Rect& visible = firstVisible) {
    const Rect f =
        TileGeometry::frame(TileRegion::spanning(a, b, GridSize{6, 6}), visible, Margins{});
    return {int(std::lround(f.x)), int(std::lround(f.y)), int(std::lround(f.width)),
            int(std::lround(f.height))};
}

TEST(GridE2E, TheGridOnTwoMonitorsPlacesTheWindowByKeysAndByDragAndFollowsTheMonitors) {
    if (!e2e::Desktop::xorgDummyAvailable())
        GTEST_SKIP() << "two monitors need Xorg with the dummy driver, run as root";
    e2e::Desktop desktop(e2e::Desktop::twoMonitors());
    AppSettings settings;
    settings.animateWindows = false;
    e2e::CorvaneSession session(desktop, settings);  // stopped before the desktop
    std::string why;
    ASSERT_TRUE(session.start(&why)) << why;
    e2e::ProbeOptions probeOptions;
    probeOptions.x = probeOptions.y = 200;
    const e2e::ProbeWindow probe = desktop.startProbe(probeOptions);
    auto xdotool = [&](std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "xdotool");
        ASSERT_EQ(desktop.run(arguments), 0);
    };
    // The pointer rests on the first monitor, away from where its panel opens.
    xdotool({"mousemove", "150", "700"});
    auto openGrid = [&] {
        e2e::pressKeys(desktop, "ctrl+alt+super+t");
        ASSERT_TRUE(
            e2e::waitUntil([&] { return session.panels().size() == 2 && session.isActive(); }, 5s))
            << session.panels().size() << " panels\n"
            << session.log();
    };
    auto probeReaches = [&](const Box& frame) {
        return e2e::waitUntil([&] { return e2e::outerFrame(desktop, probe.window) == frame; }, 5s);
    };
    auto closedForProbe = [&] {
        return e2e::waitUntil(
            [&] { return session.panels().empty() && desktop.activeWindow() == probe.window; });
    };
    auto previewShows = [&](const Box& frame) {
        return e2e::waitUntil([&] {
            const auto preview = session.preview();
            return preview && e2e::outerFrame(desktop, *preview) == frame;
        });
    };
    auto expectCentredOn = [&](xcb_window_t panel, const Rect& visible) {
        const Box box = e2e::outerFrame(desktop, panel);
        EXPECT_NEAR(box.midX(), visible.midX(), 1.0) << box;
        EXPECT_NEAR(box.midY(), visible.midY(), 1.0) << box;
    };

    // The keys: two panels, the one under the pointer holding the keyboard.
    ASSERT_NO_FATAL_FAILURE(openGrid());
    const auto first = session.panelOn("DUMMY0");
    const auto second = session.panelOn("DUMMY1");
    ASSERT_TRUE(first && second);
    expectCentredOn(*first, firstVisible);
    expectCentredOn(*second, secondVisible);
    EXPECT_EQ(desktop.activeWindow(), *first);
    e2e::pressKeys(desktop, "Right Right shift+Down");
    EXPECT_TRUE(previewShows(cells({2, 0}, {2, 1})));
    EXPECT_TRUE(e2e::waitUntil([&] {
        const auto order = desktop.cardinals(desktop.root(), "_NET_CLIENT_LIST_STACKING");
        const auto preview = std::find(order.begin(), order.end(), session.preview().value_or(0));
        return preview < std::find(order.begin(), order.end(), *first);
    })) << "the preview never covers the panels";
    const std::string path = std::string(CORVANE_BUILD_DIR) + "/grid-screenshot.png";
    ASSERT_TRUE(
        e2e::grabScreen(desktop, Box{0, 0, 1440 + 1280, 900}).save(QString::fromStdString(path)));
    std::cout << "Screenshot of the open grid: " << path << std::endl;
    e2e::pressKeys(desktop, "Return");
    EXPECT_TRUE(probeReaches(cells({2, 0}, {2, 1}))) << session.log();
    EXPECT_TRUE(closedForProbe());

    // A drag across cells.
    ASSERT_NO_FATAL_FAILURE(openGrid());
    e2e::pressKeys(desktop, "Right");
    ASSERT_TRUE(previewShows(cells({1, 0}, {1, 0})));
    // The panel draws the selection a moment after the preview shows it.
    std::optional<e2e::GridOnScreen> grid;
    ASSERT_TRUE(e2e::waitUntil([&] {
        grid = e2e::locateGrid(desktop, e2e::outerFrame(desktop, *session.panelOn("DUMMY0")));
        return grid && std::abs(grid->cellWidth - 326.0 / 6) < 2 &&
               std::abs(grid->cellHeight - 30) < 2;
    })) << "no selected cell in the panel";
    auto moveTo = [&](int column, int row) {
        std::vector<std::string> arguments = grid->centre(column, row);
        arguments.insert(arguments.begin(), "mousemove");
        xdotool(arguments);
    };
    moveTo(1, 1);
    xdotool({"mousedown", "1"});
    moveTo(2, 2);
    EXPECT_TRUE(previewShows(cells({1, 1}, {2, 2}))) << "the preview follows the drag";
    moveTo(3, 4);
    xdotool({"mouseup", "1"});
    EXPECT_TRUE(probeReaches(cells({1, 1}, {3, 4}))) << session.log();
    EXPECT_TRUE(closedForProbe());
    xdotool({"mousemove", "150", "700"});

    // Esc leaves the window where it was.
    const Box before = e2e::outerFrame(desktop, probe.window);
    ASSERT_NO_FATAL_FAILURE(openGrid());
    e2e::pressKeys(desktop, "Right Escape");
    EXPECT_TRUE(closedForProbe());
    EXPECT_TRUE(e2e::waitUntil([&] { return !session.preview(); }));
    EXPECT_EQ(e2e::outerFrame(desktop, probe.window), before);

    // The second monitor switched off while the grid is open.
    ASSERT_NO_FATAL_FAILURE(openGrid());
    const auto old = session.panelOn("DUMMY0");
    desktop.removeSecondMonitor();
    // The grid is built anew for the monitors left: one new panel, with the keyboard.
    std::optional<xcb_window_t> now;
    EXPECT_TRUE(e2e::waitUntil(
        [&] {
            now = session.panelOn("DUMMY0");
            return session.panels().size() == 1 && now && now != old &&
                   desktop.activeWindow() == now;
        },
        5s))
        << session.panels().size() << " panels";
    if (now) expectCentredOn(*now, firstVisible);
    e2e::pressKeys(desktop, "Return");
    EXPECT_TRUE(probeReaches(cells({0, 0}, {0, 0}))) << session.log();
}

}  // namespace
}  // namespace corvane
