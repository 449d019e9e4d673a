// Window control availability follows the window manager through events.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

#include "platform/x11/x11_availability_watch.h"
#include "platform/x11/x11_window_system.h"
#include "tests/e2e/harness/desktop.h"

namespace corvane::platform {
namespace {

using namespace std::chrono_literals;

TEST(X11AvailabilityWatchE2E, FollowsTheWindowManagerComingAndGoingWithoutAskingEachTime) {
    e2e::Desktop::Options bare;
    bare.windowManager = false;
    bare.dockHeight = 0;
    e2e::Desktop desktop(bare);
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(
        xcb_connect(desktop.display().c_str(), nullptr), &xcb_disconnect);
    xcb_connection_t* c = connection.get();
    X11WindowSystem windows(c, 0);
    X11AvailabilityWatch watch(windows, c, 0);
    auto pump = [&] {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            watch.handleEvent(event);
            std::free(event);
        }
    };

    EXPECT_FALSE(watch.isAvailable());
    for (int i = 0; i < 5; ++i) {
        pump();
        EXPECT_FALSE(watch.isAvailable());
    }
    EXPECT_EQ(watch.serverQueries(), 1) << "nothing changed: the server was asked once";

    e2e::ChildProcess openbox = desktop.spawn({"openbox", "--sm-disable"});
    EXPECT_TRUE(e2e::waitUntil(
        [&] {
            pump();
            return watch.isAvailable();
        },
        10s));
    const int queries = watch.serverQueries();
    for (int i = 0; i < 5; ++i) {
        pump();
        EXPECT_TRUE(watch.isAvailable());
    }
    EXPECT_EQ(watch.serverQueries(), queries);

    // The window manager ends: its check window goes, and with it window control.
    openbox.stop();
    EXPECT_TRUE(e2e::waitUntil(
        [&] {
            pump();
            return !watch.isAvailable();
        },
        5s));
    EXPECT_FALSE(windows.isAvailable()) << "the watch agrees with the server";
}

}  // namespace
}  // namespace corvane::platform
