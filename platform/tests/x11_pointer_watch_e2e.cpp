// Pointer presses anywhere on the screen, seen through XInput 2 raw events.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "platform/x11/x11_pointer_watch.h"
#include "tests/e2e/harness/desktop.h"

namespace corvane::platform {
namespace {

using namespace std::chrono_literals;

// What the events that arrived so far were to each watch: clicks, and raw
// events kept from the toolkit.
struct Tally {
    int clicks = 0, consumed = 0;
};

// The events of the last moment; a click's raw press arrives within it.
std::vector<Tally> drain(xcb_connection_t* connection, std::vector<X11PointerWatch*> watches) {
    std::vector<Tally> tallies(watches.size());
    const auto end = std::chrono::steady_clock::now() + 200ms;
    while (std::chrono::steady_clock::now() < end) {
        xcb_generic_event_t* event = xcb_poll_for_event(connection);
        if (!event) {
            std::this_thread::sleep_for(5ms);
            continue;
        }
        for (std::size_t i = 0; i < watches.size(); ++i) {
            const X11PointerWatch::Seen seen = watches[i]->handleEvent(event);
            tallies[i].clicks += seen.click;
            tallies[i].consumed += seen.consumed;
        }
        std::free(event);
    }
    return tallies;
}

TEST(X11PointerWatchE2E, SeesClicksOnTheBareRootOnlyWhileWatchingAndLeavesOthersSelections) {
    e2e::Desktop desktop({.dockHeight = 0});
    e2e::Connection connection(desktop.display());
    X11PointerWatch watch(connection.get(), 0);
    ASSERT_TRUE(watch.available());
    auto click = [&](const char* button) {
        ASSERT_EQ(desktop.run({"xdotool", "mousemove", "700", "500", "click", button}), 0);
    };

    click("1");
    EXPECT_EQ(drain(connection.get(), {&watch})[0].clicks, 0) << "not watching yet";

    watch.start();
    click("1");
    click("3");
    Tally tally = drain(connection.get(), {&watch})[0];
    EXPECT_EQ(tally.clicks, 2);
    EXPECT_EQ(tally.consumed, 2);
    click("4");  // a wheel step
    tally = drain(connection.get(), {&watch})[0];
    EXPECT_EQ(tally.clicks, 0);
    EXPECT_EQ(tally.consumed, 1);

    // A second watch on the same connection finds the presses selected: they
    // are not its to keep from the toolkit, and stopping it leaves them selected.
    X11PointerWatch other(connection.get(), 0);
    other.start();
    click("1");
    std::vector<Tally> both = drain(connection.get(), {&watch, &other});
    EXPECT_EQ(both[0].clicks, 1);
    EXPECT_EQ(both[1].clicks, 1);
    EXPECT_EQ(both[1].consumed, 0);
    other.stop();
    click("1");
    EXPECT_EQ(drain(connection.get(), {&watch})[0].clicks, 1);

    watch.stop();
    click("1");
    EXPECT_EQ(drain(connection.get(), {&watch})[0].consumed, 0) << "the selection was taken back";
}

TEST(X11PointerWatchE2E, TellsWhetherThePointerIsOnOneOfTheWindowsGiven) {
    e2e::Desktop desktop({.dockHeight = 0});
    e2e::ProbeOptions options;
    options.x = 300;
    options.y = 200;
    const e2e::ProbeWindow probe = desktop.startProbe(options);
    e2e::Connection connection(desktop.display());
    X11PointerWatch watch(connection.get(), 0);
    const auto client = desktop.clientGeometry(probe.window);
    ASSERT_TRUE(client);
    const std::vector<WindowId> windows = {probe.window};

    ASSERT_EQ(desktop.run({"xdotool", "mousemove", std::to_string(client->x + 10),
                           std::to_string(client->y + 10)}),
              0);
    const auto inside = watch.pointer();
    ASSERT_TRUE(inside);
    EXPECT_EQ(inside->x, client->x + 10);
    EXPECT_TRUE(watch.isOnAny(*inside, windows));
    // Just past the right edge, on the frame or the desktop.
    const X11PointerWatch::Position beside{client->x + client->width, client->y + 10};
    EXPECT_FALSE(watch.isOnAny(beside, windows));
    EXPECT_FALSE(watch.isOnAny(*inside, {}));
    // A window that is gone is on nothing.
    EXPECT_FALSE(watch.isOnAny(*inside, std::vector<WindowId>{0x7fffff}));
}

}  // namespace
}  // namespace corvane::platform
