// Corvane's keyboard requests against a real window manager.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/x11/x11_desktop_shell.h"
#include "tests/e2e/harness/desktop.h"

namespace corvane::platform {
namespace {

using namespace std::chrono_literals;

class X11DesktopShellE2E : public ::testing::Test {
protected:
    e2e::Desktop desktop;
    std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection{
        xcb_connect(desktop.display().c_str(), nullptr), &xcb_disconnect};
    std::function<void()> deferred;

    std::unique_ptr<X11DesktopShell> shellOwning(int pid) {
        X11DesktopShell::Options options;
        options.ownPid = pid;
        options.later = [this](int, std::function<void()> work) { deferred = std::move(work); };
        return std::make_unique<X11DesktopShell>(connection.get(), 0, options);
    }

    bool activeBecomes(X11DesktopShell& shell, std::uint32_t window) {
        return e2e::waitUntil([&] {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection.get())) {
                shell.handleEvent(event);
                std::free(event);
            }
            return shell.activeWindow() == std::optional<WindowId>(window);
        });
    }

    void activate(std::uint32_t window) {
        ASSERT_EQ(desktop.run({"xdotool", "windowactivate", std::to_string(window)}), 0);
    }
};

TEST_F(X11DesktopShellE2E, AGrantedKeyboardIsNotTakenBackAfterTheUserMovedOn) {
    e2e::ProbeWindow other = desktop.startProbe();
    e2e::ProbeWindow own = desktop.startProbe();
    auto shell = shellOwning(own.process.pid());
    // Root property changes reach this connection.
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(connection.get(), desktop.root(), XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection.get());
    ASSERT_NO_FATAL_FAILURE(activate(other.window));
    ASSERT_TRUE(activeBecomes(*shell, other.window));

    shell->takeKeyboard(own.window);
    ASSERT_TRUE(activeBecomes(*shell, own.window));
    EXPECT_EQ(shell->activeOwnWindow(), own.window);
    // The user clicks straight back into the window the grid opened over,
    // before the shell's check of its own request comes round.
    ASSERT_NO_FATAL_FAILURE(activate(other.window));
    ASSERT_TRUE(activeBecomes(*shell, other.window));
    ASSERT_TRUE(deferred);
    deferred();
    std::this_thread::sleep_for(300ms);
    EXPECT_TRUE(activeBecomes(*shell, other.window));
    EXPECT_EQ(shell->activeOwnWindow(), 0u);
}

TEST_F(X11DesktopShellE2E, ActivatingAnotherWindowHandsItTheKeyboard) {
    e2e::ProbeWindow first = desktop.startProbe();
    e2e::ProbeWindow second = desktop.startProbe();
    auto shell = shellOwning(1);
    ASSERT_TRUE(activeBecomes(*shell, second.window));
    shell->activate(first.window);
    EXPECT_TRUE(activeBecomes(*shell, first.window));
}

}  // namespace
}  // namespace corvane::platform
