#include "app/controller/tests/controller_fixture.h"

namespace corvane::testing {
namespace {

using GridPanelsTest = ControllerTest;

TEST_F(GridPanelsTest, PanelsFollowTheMonitorsThePointerAndClicksElsewhere) {
    QCursor::setPos(2000, 300);
    desktop.addMonitor("HDMI-1", Rect{1920, 0, 1280, 800});
    AppController& c = openPanels();
    EXPECT_EQ(shell.activeOwn, panel(1)->windowId());
    // With --diagnostics each panel tells its size and its display's work area.
    std::vector<std::string> sizes;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(sizes),
                 [](const std::string& line) { return line.starts_with("Grid panel size: "); });
    auto sizeOf = [&](std::size_t i) {
        return "(" + std::to_string(panel(i)->width()) + ".0, " +
               std::to_string(panel(i)->height()) + ".0)";
    };
    EXPECT_EQ(sizes,
              (std::vector<std::string>{
                  "Grid panel size: " + sizeOf(0) + ", display: (0.0, 30.0, 1920.0, 1050.0)",
                  "Grid panel size: " + sizeOf(1) + ", display: (1920.0, 0.0, 1280.0, 800.0)"}));

    // A monitor goes: the rebuilt grid takes the keyboard before the old panels
    // hide, or the desktop would hand it elsewhere and close the grid.
    QPointer<TilePanel> old = panel(0);
    bool oldVisibleAtRequest = false;
    shell.onKeyboardRequest = [&](platform::WindowId) {
        oldVisibleAtRequest = old && old->isVisible();
    };
    desktop.removeMonitor("HDMI-1");
    c.handleScreensChanged();
    ASSERT_EQ(c.panels().size(), 1u);
    EXPECT_EQ(displayOf(0).name, "DP-1");
    EXPECT_TRUE(oldVisibleAtRequest);
    EXPECT_EQ(shell.activeOwn, panel(0)->windowId());
    EXPECT_TRUE(!old || !old->isVisible());

    // A click in another application closes the grid; the click chose the keyboard's owner.
    c.handleOutsideClick();
    EXPECT_FALSE(c.panelsOpen());
    EXPECT_TRUE(shell.activations.empty());

    // With Keep Open the grid stays and turns to the clicked window once the click lands.
    AppSettings settings = c.settings();
    settings.keepPanelOpen = true;
    c.applySettings(settings);
    c.showPanels();
    const platform::AppRef editor = desktop.addApp(5151, "Gedit", "Text Editor");
    const platform::WindowId other = desktop.addWindow(platform::FakeWindowSpec{.app = editor});
    c.handleOutsideClick();
    EXPECT_TRUE(c.panelsOpen());
    EXPECT_EQ(c.target()->window, window);
    spin(250);
    EXPECT_EQ(c.target().value().window, other);
}

}  // namespace
}  // namespace corvane::testing
