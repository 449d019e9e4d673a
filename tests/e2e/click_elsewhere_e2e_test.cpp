// A click outside the grid's panels on a real desktop (Xvfb, Openbox, a dock
// that takes no keyboard): wherever it lands, it closes the grid, unless
// "Keep the grid open" is on, when the grid stays and the window clicked
// becomes the one it places.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "core/tile_geometry.h"
#include "tests/e2e/grid_session.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using e2e::Box;

// The bare desktop, right of and below the panel in the middle of the monitor.
const std::vector<std::string> desktopBackground = {"1380", "860"};
// The dock covers the top 25 pixels of the whole width.
const std::vector<std::string> onTheDock = {"1100", "12"};

class ClickElsewhere : public ::testing::Test {
protected:
    void startCorvane(bool keepPanelOpen) {
        AppSettings settings;
        settings.animateWindows = false;
        settings.keepPanelOpen = keepPanelOpen;
        session_.emplace(desktop_, settings);
        std::string why;
        ASSERT_TRUE(session_->start(&why)) << why;
    }
    void xdotool(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "xdotool");
        ASSERT_EQ(desktop_.run(arguments), 0);
    }
    void clickAt(const std::vector<std::string>& where) {
        xdotool({"mousemove", where.at(0), where.at(1)});
        xdotool({"click", "1"});
    }
    // Opens the grid by the activation shortcut, the pointer away from the panel.
    void openGrid() {
        xdotool({"mousemove", "150", "700"});
        e2e::pressKeys(desktop_, "ctrl+alt+super+t");
        ASSERT_TRUE(e2e::waitUntil(
            [&] { return session_->panels().size() == 1 && session_->isActive(); }, 5s))
            << session_->panels().size() << " panels\n"
            << session_->log();
    }
    bool gridClosed() {
        return e2e::waitUntil([&] { return session_->panels().empty(); });
    }
    // Still open a while after a click: long enough for any reaction to it,
    // also on a busy machine.
    bool gridStaysOpen() {
        std::this_thread::sleep_for(1500ms);
        return session_->panels().size() == 1;
    }

    e2e::Desktop desktop_;
    std::optional<e2e::CorvaneSession> session_;  // stopped before the desktop
};

TEST_F(ClickElsewhere, OnTheDesktopClosesTheGridWithoutGivingTheKeyboardBack) {
    ASSERT_NO_FATAL_FAILURE(startCorvane(false));
    e2e::ProbeOptions options;
    options.x = options.y = 200;
    const e2e::ProbeWindow probe = desktop_.startProbe(options);

    ASSERT_NO_FATAL_FAILURE(openGrid());
    clickAt(desktopBackground);
    EXPECT_TRUE(gridClosed()) << "a click on the desktop background leaves the grid open";
    std::this_thread::sleep_for(500ms);
    EXPECT_NE(desktop_.activeWindow().value_or(0), probe.window)
        << "the keyboard went back to the window the grid was for";
}

TEST_F(ClickElsewhere, OnTheDockClosesTheGridAndOnThePanelDoesNot) {
    ASSERT_NO_FATAL_FAILURE(startCorvane(false));
    e2e::ProbeOptions options;
    options.x = options.y = 200;
    const e2e::ProbeWindow probe = desktop_.startProbe(options);

    // A click on the panel itself is none elsewhere.
    ASSERT_NO_FATAL_FAILURE(openGrid());
    const Box panel = e2e::outerFrame(desktop_, session_->panels().front());
    clickAt({std::to_string(panel.x + 40), std::to_string(panel.y + 12)});
    EXPECT_TRUE(gridStaysOpen()) << panel;

    // The dock takes no keyboard: the panel keeps it, and only the click tells.
    clickAt(onTheDock);
    EXPECT_TRUE(gridClosed()) << "a click on the dock leaves the grid open";
}

TEST_F(ClickElsewhere, WithKeepOpenLeavesTheGridOpenForTheWindowClicked) {
    ASSERT_NO_FATAL_FAILURE(startCorvane(true));
    e2e::ProbeOptions second;
    second.title = "Second probe";
    second.x = 1000;
    second.y = 100;
    const e2e::ProbeWindow clicked = desktop_.startProbe(second);
    e2e::ProbeOptions first;
    first.x = first.y = 100;
    const e2e::ProbeWindow target = desktop_.startProbe(first);
    const Box targetBefore = e2e::outerFrame(desktop_, target.window);

    ASSERT_NO_FATAL_FAILURE(openGrid());
    // A selected cell shows where the grid lies in the panel.
    e2e::pressKeys(desktop_, "Right");
    std::optional<e2e::GridOnScreen> grid;
    ASSERT_TRUE(e2e::waitUntil([&] {
        grid = e2e::locateGrid(desktop_, e2e::outerFrame(desktop_, session_->panels().front()));
        return grid.has_value();
    })) << "no selected cell in the panel";

    clickAt(desktopBackground);
    EXPECT_TRUE(gridStaysOpen()) << "a click on the desktop closed the grid";
    clickAt({"1200", "250"});
    EXPECT_TRUE(gridStaysOpen()) << "a click on another window closed the grid";
    EXPECT_EQ(desktop_.activeWindow().value_or(0), clicked.window);

    // A cell chosen now places the window clicked last, not the one the grid
    // opened for (by a drag, as a user picks cells).
    const std::vector<std::string> cell = grid->centre(3, 3);
    xdotool({"mousemove", cell.at(0), cell.at(1)});
    xdotool({"mousedown", "1"});
    xdotool({"mousemove", cell.at(0), std::to_string(std::stoi(cell.at(1)) + 2)});
    xdotool({"mouseup", "1"});
    const Rect frame = TileGeometry::frame(TileRegion::spanning({3, 3}, {3, 3}, GridSize{6, 6}),
                                           Rect{0, 25, 1440, 875}, Margins{});
    const Box expected{int(std::lround(frame.x)), int(std::lround(frame.y)),
                       int(std::lround(frame.width)), int(std::lround(frame.height))};
    EXPECT_TRUE(
        e2e::waitUntil([&] { return e2e::outerFrame(desktop_, clicked.window) == expected; }, 5s))
        << e2e::outerFrame(desktop_, clicked.window) << " instead of " << expected << "\n"
        << session_->log();
    EXPECT_EQ(e2e::outerFrame(desktop_, target.window), targetBefore);
    EXPECT_EQ(session_->panels().size(), 1u);
}

}  // namespace
}  // namespace corvane
