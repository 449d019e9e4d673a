// The grid road on a real desktop of two monitors (Xorg with the dummy
// driver, Openbox, a dock over the first monitor): the activation shortcut
// opens one panel per monitor, the keyboard and the mouse pick cells, and the
// focused window lands on them.
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>

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
const GridSize grid{6, 6};

Rect frameFor(Cell a, Cell b, const Rect& visible) {
    return TileGeometry::frame(TileRegion::spanning(a, b, grid), visible, Margins{});
}

// Where a grid cell lies on the screen, found from the picture: the selected
// cell is the one wide patch of the accent colour in the panel.
struct GridOnScreen {
    double left = 0, top = 0, cellWidth = 0, cellHeight = 0;
    std::pair<int, int> centre(int column, int row) const {
        return {int(std::lround(left + (column + 0.5) * cellWidth)),
                int(std::lround(top + (row + 0.5) * cellHeight))};
    }
};

bool isAccent(QRgb pixel) {
    const QColor c(pixel);
    return c.green() > 190 && c.red() > 150 && c.blue() < 170 && c.green() - c.blue() > 50;
}

// With cell (1, 0) selected: its tile is inset 2 pixels in a cell, and the grid
// has 6 columns and 6 rows.
std::optional<GridOnScreen> locateGrid(const e2e::Desktop& desktop, const Box& panel) {
    const QImage image = e2e::grabScreen(desktop, panel);
    int top = -1, bottom = -1, left = image.width(), right = -1;
    for (int y = 0; y < image.height(); ++y) {
        int count = 0, first = -1, last = -1;
        for (int x = 0; x < image.width(); ++x) {
            if (!isAccent(image.pixel(x, y))) continue;
            ++count;
            if (first < 0) first = x;
            last = x;
        }
        if (count < 30) {
            // A line of text in the accent is sparser than a tile; the "2× Grid"
            // button below it is not.
            if (top >= 0) break;
            continue;
        }
        if (top < 0) top = y;
        bottom = y;
        left = std::min(left, first);
        right = std::max(right, last);
    }
    if (top < 0) return std::nullopt;
    // The tile's edge is antialiased: its 1-pixel line counts half.
    const double cellWidth = (right - left + 1) + 4;
    const double cellHeight = (bottom - top + 1) + 4;
    return GridOnScreen{panel.x + left - 2 - cellWidth, double(panel.y + top - 2), cellWidth,
                        cellHeight};
}

class GridE2E : public ::testing::Test {
protected:
    void SetUp() override {
        if (!e2e::Desktop::xorgDummyAvailable())
            GTEST_SKIP() << "two monitors need Xorg with the dummy driver, run as root";
        e2e::Desktop::Options options;
        options.xorgDummy = true;
        options.secondMonitor = true;
        desktop.emplace(options);
    }

    void startCorvane(std::vector<std::string> environment = {}) {
        AppSettings settings;
        settings.animateWindows = false;
        session.emplace(*desktop, settings, std::move(environment));
        std::string why;
        ASSERT_TRUE(session->start(&why)) << why;
        e2e::ProbeOptions options;
        options.title = "Probe";
        options.x = 200;
        options.y = 200;
        probe = desktop->startProbe(options);
        // The pointer rests on the first monitor, away from where its panel opens.
        ASSERT_EQ(desktop->run({"xdotool", "mousemove", "150", "700"}), 0);
    }

    // The activation shortcut, and both panels up with one of them holding the keyboard.
    void openGrid() {
        e2e::pressKeys(*desktop, "ctrl+alt+super+t");
        ASSERT_TRUE(e2e::waitUntil(
            [&] { return session->panels().size() == 2 && session->isActive(); }, 5s))
            << session->panels().size() << " panels\n"
            << session->log();
    }

    void expectCentredOn(xcb_window_t panel, const Rect& visible) {
        const Box box = e2e::outerFrame(*desktop, panel);
        EXPECT_NEAR(box.midX(), visible.midX(), 1.0) << e2e::describe(box);
        EXPECT_NEAR(box.midY(), visible.midY(), 1.0) << e2e::describe(box);
    }

    bool probeReaches(const Rect& frame) {
        return e2e::waitUntil(
            [&] { return e2e::outerFrame(*desktop, probe.window) == e2e::rounded(frame); }, 5s);
    }

    bool compositorRuns() const {
        xcb_connection_t* c = desktop->connection();
        auto reply = xcb_get_selection_owner_reply(
            c, xcb_get_selection_owner(c, desktop->atom("_NET_WM_CM_S0")), nullptr);
        const bool owned = reply && reply->owner != XCB_NONE;
        std::free(reply);
        return owned;
    }

    // Whether `upper` is above `lower` in the window manager's stacking order.
    bool stackedAbove(xcb_window_t upper, xcb_window_t lower) const {
        const auto order = desktop->cardinals(desktop->root(), "_NET_CLIENT_LIST_STACKING");
        const auto up = std::find(order.begin(), order.end(), upper);
        const auto down = std::find(order.begin(), order.end(), lower);
        return up != order.end() && down != order.end() && up > down;
    }

    std::string titles() {
        std::string all;
        for (xcb_window_t panel : session->panels()) all += "\"" + session->title(panel) + "\" ";
        return all;
    }

    std::string probeFrame() { return e2e::describe(e2e::outerFrame(*desktop, probe.window)); }

    void mouse(const std::vector<std::string>& arguments) {
        std::vector<std::string> argv = {"xdotool"};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        ASSERT_EQ(desktop->run(argv), 0);
    }

    // The preview covers `frame`: exactly, or with `slack` pixels more on each
    // side where the frame's edges fall between logical pixels.
    bool previewShows(const Rect& frame, int slack = 0) {
        const Box expected = e2e::rounded(frame);
        return e2e::waitUntil([&] {
            const auto preview = session->preview();
            if (!preview) return false;
            lastPreview = e2e::outerFrame(*desktop, *preview);
            const Box& shown = *lastPreview;
            const int left = expected.x - shown.x, top = expected.y - shown.y;
            const int right = shown.x + shown.width - expected.x - expected.width;
            const int bottom = shown.y + shown.height - expected.y - expected.height;
            for (int edge : {left, top, right, bottom})
                if (edge < 0 || edge > slack) return false;
            return true;
        });
    }
    std::string previewFrame() const {
        return lastPreview ? e2e::describe(*lastPreview) : std::string("no preview");
    }

    std::optional<e2e::Desktop> desktop;
    std::optional<e2e::CorvaneSession> session;  // stopped before the desktop
    e2e::ProbeWindow probe;
    std::optional<Box> lastPreview;
};

TEST_F(GridE2E, TheShortcutOpensACentredPanelOnEachMonitorAndTheKeysPlaceTheWindow) {
    ASSERT_NO_FATAL_FAILURE(startCorvane());
    ASSERT_NO_FATAL_FAILURE(openGrid());
    const auto first = session->panelOn("DUMMY0");
    const auto second = session->panelOn("DUMMY1");
    ASSERT_TRUE(first && second) << titles();
    expectCentredOn(*first, firstVisible);
    expectCentredOn(*second, secondVisible);
    // The pointer is on the first monitor: its panel has the keyboard.
    EXPECT_EQ(desktop->activeWindow(), *first);

    e2e::pressKeys(*desktop, "Right Right shift+Down");
    EXPECT_TRUE(previewShows(frameFor({2, 0}, {2, 1}, firstVisible)));
    // The preview never covers the panels.
    EXPECT_TRUE(e2e::waitUntil([&] { return stackedAbove(*first, *session->preview()); }));

    const QImage screenshot = e2e::grabScreen(*desktop);
    const std::string path = std::string(CORVANE_BUILD_DIR) + "/grid-screenshot.png";
    ASSERT_TRUE(screenshot.save(QString::fromStdString(path)));
    std::cout << "Screenshot of the open grid: " << path << std::endl;

    e2e::pressKeys(*desktop, "Return");
    EXPECT_TRUE(probeReaches(frameFor({2, 0}, {2, 1}, firstVisible))) << probeFrame() << "\n"
                                                                      << session->log();
    // The grid closed and the window has the keyboard back.
    EXPECT_TRUE(e2e::waitUntil([&] { return session->panels().empty(); }));
    EXPECT_TRUE(e2e::waitUntil([&] { return desktop->activeWindow() == probe.window; }));
}

TEST_F(GridE2E, DraggingAcrossCellsPreviewsAndPlacesTheWindowOnThem) {
    ASSERT_NO_FATAL_FAILURE(startCorvane());
    ASSERT_NO_FATAL_FAILURE(openGrid());
    const auto panel = session->panelOn("DUMMY0");
    ASSERT_TRUE(panel);
    e2e::pressKeys(*desktop, "Right");
    ASSERT_TRUE(previewShows(frameFor({1, 0}, {1, 0}, firstVisible)));
    // The panel draws the selection a moment after the preview shows it.
    std::optional<GridOnScreen> cells;
    const bool found = e2e::waitUntil([&] {
        cells = locateGrid(*desktop, e2e::outerFrame(*desktop, *panel));
        return cells && std::abs(cells->cellWidth - 326.0 / 6) < 2 &&
               std::abs(cells->cellHeight - 30) < 2;
    });
    if (!found) {
        const std::string path = std::string(CORVANE_BUILD_DIR) + "/grid-not-found.png";
        e2e::grabScreen(*desktop).save(QString::fromStdString(path));
        FAIL() << "no selected cell in the panel; the screen is in " << path;
    }

    const auto [startX, startY] = cells->centre(1, 1);
    mouse({"mousemove", std::to_string(startX), std::to_string(startY)});
    mouse({"mousedown", "1"});
    // Every step of the way the preview follows the rectangle dragged so far.
    for (const auto& [column, row] : {std::pair{2, 2}, std::pair{3, 3}, std::pair{3, 4}}) {
        const auto [x, y] = cells->centre(column, row);
        mouse({"mousemove", std::to_string(x), std::to_string(y)});
        EXPECT_TRUE(previewShows(frameFor({1, 1}, {column, row}, firstVisible)))
            << "dragging to " << column << ", " << row << ": " << previewFrame();
    }
    mouse({"mouseup", "1"});

    EXPECT_TRUE(probeReaches(frameFor({1, 1}, {3, 4}, firstVisible))) << probeFrame() << "\n"
                                                                      << session->log();
    EXPECT_TRUE(e2e::waitUntil([&] { return session->panels().empty(); }));
}

TEST_F(GridE2E, ThePreviewStaysBelowThePanelsAtEveryOpening) {
    ASSERT_NO_FATAL_FAILURE(startCorvane());
    for (int opening = 0; opening < 3; ++opening) {
        ASSERT_NO_FATAL_FAILURE(openGrid());
        const auto panel = session->panelOn("DUMMY0");
        ASSERT_TRUE(panel);
        e2e::pressKeys(*desktop, "Down");
        ASSERT_TRUE(previewShows(frameFor({0, 1}, {0, 1}, firstVisible))) << previewFrame();
        EXPECT_TRUE(e2e::waitUntil([&] { return stackedAbove(*panel, *session->preview()); }))
            << "opening " << opening;
        e2e::pressKeys(*desktop, "Escape");
        ASSERT_TRUE(e2e::waitUntil([&] { return session->panels().empty(); }));
    }
}

TEST_F(GridE2E, DraggingTheTitleMovesOnlyThatPanel) {
    ASSERT_NO_FATAL_FAILURE(startCorvane());
    ASSERT_NO_FATAL_FAILURE(openGrid());
    const auto first = session->panelOn("DUMMY0");
    const auto second = session->panelOn("DUMMY1");
    ASSERT_TRUE(first && second);
    const Box start = e2e::outerFrame(*desktop, *first);
    const Box other = e2e::outerFrame(*desktop, *second);
    // The title area: right of the brand mark and the name, left of the buttons.
    const int x = start.x + 150, y = start.y + 31;
    mouse({"mousemove", std::to_string(x), std::to_string(y)});
    mouse({"mousedown", "1"});
    for (int step = 1; step <= 10; ++step)
        mouse({"mousemove", std::to_string(x + 10 * step), std::to_string(y + 8 * step)});
    // The window manager runs the move; it may start a motion or two late.
    std::optional<Box> moved;
    EXPECT_TRUE(e2e::waitUntil([&] {
        moved = e2e::outerFrame(*desktop, *first);
        return moved->x >= start.x + 60 && moved->x <= start.x + 100 && moved->y >= start.y + 48 &&
               moved->y <= start.y + 80;
    })) << e2e::describe(*moved)
        << " from " << e2e::describe(start);
    mouse({"mouseup", "1"});
    EXPECT_TRUE(e2e::waitUntil(
        [&] { return session->log().find("Panel drag: ") != std::string::npos; }, 5s))
        << session->log();
    EXPECT_EQ(e2e::outerFrame(*desktop, *second), other);
    EXPECT_TRUE(session->isActive()) << "the grid stays open";
}

TEST_F(GridE2E, EscapeClosesTheGridAndGivesTheKeyboardBack) {
    ASSERT_NO_FATAL_FAILURE(startCorvane());
    const Box before = e2e::outerFrame(*desktop, probe.window);
    ASSERT_NO_FATAL_FAILURE(openGrid());
    e2e::pressKeys(*desktop, "Right Escape");
    EXPECT_TRUE(e2e::waitUntil([&] { return session->panels().empty(); }));
    EXPECT_TRUE(e2e::waitUntil([&] { return !session->preview(); }));
    EXPECT_TRUE(e2e::waitUntil([&] { return desktop->activeWindow() == probe.window; }));
    EXPECT_EQ(e2e::outerFrame(*desktop, probe.window), before);
}

TEST_F(GridE2E, UnpluggingAMonitorWhileTheGridIsOpenLeavesOnePanel) {
    ASSERT_NO_FATAL_FAILURE(startCorvane());
    ASSERT_NO_FATAL_FAILURE(openGrid());
    const auto before = session->panelOn("DUMMY0");
    ASSERT_TRUE(before);
    desktop->removeSecondMonitor();
    // The grid is built anew for the monitors that are left: one new panel, with the keyboard.
    std::optional<xcb_window_t> after;
    EXPECT_TRUE(e2e::waitUntil(
        [&] {
            after = session->panelOn("DUMMY0");
            return session->panels().size() == 1 && after && *after != *before &&
                   desktop->activeWindow() == *after;
        },
        5s))
        << session->panels().size() << " panels";
    if (after) expectCentredOn(*after, firstVisible);
    e2e::pressKeys(*desktop, "Return");
    EXPECT_TRUE(probeReaches(frameFor({0, 0}, {0, 0}, firstVisible)))
        << probeFrame() << "\n"
        << session->log() << session->run({"--status"}).out;
}

// Without a compositing manager X shows translucent pixels black, so the
// preview keeps only its outline; with one it is a translucent fill. Corvane
// looks again at every opening of the grid.
TEST_F(GridE2E, ThePreviewIsTranslucentOnlyWhileACompositingManagerRuns) {
    if (std::system("command -v xcompmgr >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xcompmgr is not installed (scripts/deps.sh installs it)";
    ASSERT_NO_FATAL_FAILURE(startCorvane());
    // The probe window (white) lies under the middle of cell (1, 1).
    const Rect cell = frameFor({1, 1}, {1, 1}, firstVisible);
    const Box middle{int(cell.midX()) - 2, int(cell.midY()) - 2, 4, 4};
    auto middleColour = [&] { return QColor(e2e::grabScreen(*desktop, middle).pixel(2, 2)); };

    ASSERT_NO_FATAL_FAILURE(openGrid());
    e2e::pressKeys(*desktop, "Right Down");
    ASSERT_TRUE(previewShows(cell)) << previewFrame();
    EXPECT_EQ(middleColour(), QColor(Qt::white)) << "only the outline is drawn";
    e2e::pressKeys(*desktop, "Escape");
    ASSERT_TRUE(e2e::waitUntil([&] { return session->panels().empty(); }));

    e2e::ChildProcess compositor = desktop->spawn({"xcompmgr"});
    ASSERT_TRUE(e2e::waitUntil([&] { return compositorRuns(); }, 5s));
    ASSERT_NO_FATAL_FAILURE(openGrid());
    e2e::pressKeys(*desktop, "Right Down");
    ASSERT_TRUE(previewShows(cell)) << previewFrame();
    // White under the accent at 0.16: blue drops by about a sixth of its distance to the accent's.
    std::optional<QColor> tinted;
    EXPECT_TRUE(e2e::waitUntil([&] {
        tinted = middleColour();
        return tinted->blue() < 245 && tinted->green() > 245;
    })) << tinted->name().toStdString();
    e2e::pressKeys(*desktop, "Escape");
    ASSERT_TRUE(e2e::waitUntil([&] { return session->panels().empty(); }));
    compositor.stop();
}

// QT_SCALE_FACTOR=2: Qt places widgets in logical pixels, half the root pixels.
TEST_F(GridE2E, UnderAScaleFactorPanelsStillCentreAndThePreviewCoversTheFrame) {
    ASSERT_NO_FATAL_FAILURE(startCorvane({"QT_SCALE_FACTOR=2"}));
    ASSERT_NO_FATAL_FAILURE(openGrid());
    const auto first = session->panelOn("DUMMY0");
    const auto second = session->panelOn("DUMMY1");
    ASSERT_TRUE(first && second);
    EXPECT_GT(e2e::outerFrame(*desktop, *first).width, 700) << "not scaled";
    expectCentredOn(*first, firstVisible);
    expectCentredOn(*second, secondVisible);
    EXPECT_EQ(desktop->activeWindow(), *first);

    // The dock's 25 pixels put the cell's top on half a logical pixel: the
    // overlay reaches at most one pixel past the frame on each side.
    e2e::pressKeys(*desktop, "Right Down");
    EXPECT_TRUE(previewShows(frameFor({1, 1}, {1, 1}, firstVisible), 1)) << previewFrame();

    // The same on the second monitor, whose corner is not the root's.
    e2e::pressKeys(*desktop, "Tab");
    ASSERT_TRUE(e2e::waitUntil([&] { return desktop->activeWindow() == *second; }));
    e2e::pressKeys(*desktop, "Right Right Down");
    EXPECT_TRUE(previewShows(frameFor({2, 1}, {2, 1}, secondVisible), 1)) << previewFrame();
    e2e::pressKeys(*desktop, "Return");
    EXPECT_TRUE(probeReaches(frameFor({2, 1}, {2, 1}, secondVisible))) << probeFrame();
}

}  // namespace
}  // namespace corvane
