// Corvane's keyboard requests against a real window manager.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <thread>

#include "platform/x11/x11_desktop_shell.h"
#include "tests/e2e/harness/desktop.h"

namespace corvane::platform {
namespace {

using namespace std::chrono_literals;

TEST(X11DesktopShellE2E, KeyboardGoesWhereAskedButNeverBackAfterTheUserMovedOn) {
    e2e::Desktop desktop;
    e2e::ProbeWindow third = desktop.startProbe();
    e2e::ProbeWindow other = desktop.startProbe();
    e2e::ProbeWindow own = desktop.startProbe();
    e2e::Connection connection(desktop.display());
    std::function<void()> deferred;
    X11DesktopShell shell(
        connection.get(), 0,
        {.ownPid = own.process.pid(),
         .later = [&](int, std::function<void()> work) { deferred = std::move(work); }});
    // Root property changes reach the shell.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection.get(), desktop.root(), XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection.get());
    // What the shell itself last saw become active: reading the property
    // directly could run ahead of the events the shell has handled.
    std::optional<WindowId> lastSeen;
    auto activeBecomes = [&](std::uint32_t window) {
        return e2e::waitUntil([&] {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection.get())) {
                if (auto active = shell.handleEvent(event)) lastSeen = active;
                std::free(event);
            }
            return lastSeen == std::optional<WindowId>(window);
        });
    };
    auto clickInto = [&](std::uint32_t window) {
        return desktop.run({"xdotool", "windowactivate", std::to_string(window)}) == 0 &&
               activeBecomes(window);
    };
    ASSERT_TRUE(clickInto(other.window));

    shell.takeKeyboard(own.window);
    ASSERT_TRUE(activeBecomes(own.window));
    EXPECT_EQ(shell.activeOwnWindow(), own.window);
    // The user clicks straight back into the window the grid opened over,
    // before the shell's check of its own request comes round.
    ASSERT_TRUE(clickInto(other.window));
    ASSERT_TRUE(deferred);
    deferred();
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(activeBecomes(other.window));
    EXPECT_EQ(shell.activeOwnWindow(), 0u);

    shell.activate(third.window);
    EXPECT_TRUE(activeBecomes(third.window));
}

}  // namespace
}  // namespace corvane::platform
