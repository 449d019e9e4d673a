// Window control availability follows the window manager through events.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/x11/x11_availability_watch.h"
#include "platform/x11/x11_window_system.h"
#include "tests/e2e/harness/desktop.h"

namespace corvane::platform {
namespace {

using namespace std::chrono_literals;

TEST(X11AvailabilityWatchE2E, FollowsTheWindowManagerComingAndGoingWithoutAskingEachTime) {
    e2e::Desktop desktop({.windowManager = e2e::WindowManager::none, .dockHeight = 0});
    e2e::Connection connection(desktop.display());
    X11WindowSystem windows(connection.get(), 0);
    X11AvailabilityWatch watch(windows, connection.get(), 0);
    int announced = 0;
    EXPECT_TRUE(watch.announceAvailabilityChanges([&] { ++announced; }));
    // Whether window control is available once the pending events are handled.
    auto availableAfterEvents = [&] {
        while (xcb_generic_event_t* event = xcb_poll_for_event(connection.get())) {
            watch.handleEvent(event);
            std::free(event);
        }
        return watch.isAvailable();
    };
    EXPECT_FALSE(availableAfterEvents());
    EXPECT_FALSE(availableAfterEvents());
    EXPECT_EQ(watch.serverQueries(), 1) << "nothing changed: the server was asked once";
    EXPECT_EQ(announced, 0);

    e2e::ChildProcess openbox = desktop.spawn({"openbox", "--sm-disable"});
    EXPECT_TRUE(e2e::waitUntil(availableAfterEvents, 10s));
    EXPECT_GE(announced, 1) << "the window manager's arrival was told";
    const int queries = watch.serverQueries();
    EXPECT_TRUE(availableAfterEvents());
    EXPECT_EQ(watch.serverQueries(), queries);

    // The window manager ends: its check window goes, and with it window control.
    announced = 0;
    openbox.stop();
    EXPECT_TRUE(e2e::waitUntil([&] { return !availableAfterEvents(); }, 5s));
    EXPECT_GE(announced, 1) << "its going was told";
    EXPECT_FALSE(windows.isAvailable()) << "the watch agrees with the server";
}

}  // namespace
}  // namespace corvane::platform
