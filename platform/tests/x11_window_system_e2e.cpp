// The X11 layer against a real X server and window manager (Openbox), with
// probe windows standing in for other applications.

#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

#include "platform/x11/x11_displays.h"
#include "platform/x11/x11_window_system.h"
#include "tests/e2e/harness/desktop.h"

namespace corvane::platform {
namespace {

using e2e::Desktop;
using e2e::ProbeWindow;
using e2e::waitUntil;

// Writes size then position, as the resizer does; whether the frame settles on `target`.
bool place(X11WindowSystem& windows, WindowId window, const Rect& target) {
    return windows.setSize(window, target.width, target.height).ok() &&
           windows.setPosition(window, target.x, target.y).ok() &&
           waitUntil([&] { return windows.frame(window).value() == target; });
}

TEST(X11WindowSystemE2E, ReadsAndWritesWindowsOfOtherApplicationsUntilTheServerGoes) {
    auto desktop = std::make_unique<Desktop>();
    e2e::Connection connection(desktop->display());
    X11WindowSystem windows(connection.get(), 0);
    X11Displays displays(connection.get(), 0);
    ASSERT_TRUE(windows.isAvailable());
    EXPECT_FALSE(windows.reduceMotion());

    ProbeWindow probe = desktop->startProbe({.title = "R\u00e9sum\u00e9 \u2014 Editor"});
    EXPECT_EQ(windows.title(probe.window), "R\u00e9sum\u00e9 \u2014 Editor");
    const AppRef app = windows.frontmostApp().value();
    EXPECT_EQ(app.pid, probe.process.pid());
    EXPECT_EQ(windows.focusedWindow(app).value(), probe.window);
    // The outer frame: the client with Openbox's title bar and borders.
    const auto extents = desktop->cardinals(probe.window, "_NET_FRAME_EXTENTS");
    ASSERT_EQ(extents.size(), 4u);
    ASSERT_GT(extents[2], 0u) << "Openbox decorates the probe with a title bar";
    EXPECT_EQ(windows.frame(probe.window).value(),
              (Rect{100, 100, 400.0 + extents[0] + extents[1], 300.0 + extents[2] + extents[3]}));
    ASSERT_TRUE(place(windows, probe.window, {10, 35, 705, 855}));
    const auto client = desktop->clientGeometry(probe.window).value();
    EXPECT_EQ(client.x, int(10 + extents[0]));
    EXPECT_EQ(client.width, int(705 - extents[0] - extents[1]));
    // Plain configure requests land too.
    X11WindowSystem configuring(connection.get(), 0, {.forceConfigureRequests = true});
    EXPECT_TRUE(place(configuring, probe.window, {725, 35, 705, 855}));

    // A maximized window is restored before it moves.
    ProbeWindow maximized = desktop->startProbe({.maximized = true});
    EXPECT_EQ(windows.frame(maximized.window).value(), (Rect{0, 25, 1440, 875}));
    EXPECT_TRUE(place(windows, maximized.window, {100, 100, 600, 400}));

    // The window's own icon: the smallest image that covers the size asked
    // for, else the largest.
    std::vector<std::uint32_t> icons;
    for (auto [side, colour] : {std::pair{16u, 0xff0000ffu}, std::pair{48u, 0x8000ff00u}}) {
        icons.insert(icons.end(), {side, side});
        icons.insert(icons.end(), std::size_t{side} * side, colour);
    }
    ProbeWindow iconic = desktop->startProbe({.activate = false, .icon = icons});
    for (auto [asked, side, colour] :
         {std::tuple{16, 16, 0xff0000ffu}, std::tuple{34, 48, 0x8000ff00u},
          std::tuple{96, 48, 0x8000ff00u}}) {
        const auto icon = windows.icon(iconic.window, asked);
        ASSERT_TRUE(icon) << "asked for " << asked;
        EXPECT_EQ(icon->width, side);
        EXPECT_EQ(icon->height, side);
        EXPECT_EQ(icon->argb, std::vector<std::uint32_t>(std::size_t(side) * side, colour));
    }

    // An XSETTINGS manager asking for reduced motion: Gtk/EnableAnimations 0.
    xcb_connection_t* c = desktop->connection();
    const std::string settings(
        "\0\0\0\0\1\0\0\0\1\0\0\0\0\0\x14\0Gtk/EnableAnimations\0\0\0\0\0\0\0\0", 44);
    const xcb_window_t owner = xcb_generate_id(c);
    xcb_create_window(c, 0, owner, desktop->root(), 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, 0,
                      0, nullptr);
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, owner, desktop->atom("_XSETTINGS_SETTINGS"),
                        desktop->atom("_XSETTINGS_SETTINGS"), 8, settings.size(), settings.data());
    xcb_set_selection_owner(c, owner, desktop->atom("_XSETTINGS_S0"), XCB_CURRENT_TIME);
    xcb_flush(c);
    EXPECT_TRUE(waitUntil([&] { return windows.reduceMotion(); }));
    // A window without an icon has none (an unmanaged one: Openbox gives the
    // windows it manages an icon of its own when they have none).
    EXPECT_FALSE(windows.icon(owner, 32));

    // A server that goes away gives errors, not hangs.
    desktop.reset();
    EXPECT_FALSE(windows.isAvailable());
    EXPECT_EQ(windows.frame(probe.window).error(), WindowError(WindowError::Kind::permission));
    EXPECT_FALSE(windows.frontmostApp());
    EXPECT_TRUE(displays.displays().empty());
}

}  // namespace
}  // namespace corvane::platform
