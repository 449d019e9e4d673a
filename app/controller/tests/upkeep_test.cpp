#include "app/controller/upkeep.h"

#include "app/controller/tests/controller_fixture.h"

namespace corvane::testing {
namespace {

using UpkeepTest = ControllerTest;

TEST_F(UpkeepTest, TheFirstLaunchOpensTheGridAndWindowControlIsWatched) {
    AppController& c = make();
    c.start();
    spin(400);
    EXPECT_TRUE(c.panelsOpen()) << "the first launch opens the grid";
    for (const bool available : {false, true}) {
        desktop.available = available;
        c.checkPermission();
        EXPECT_EQ(c.target().has_value(), available) << "no window control, no target";
    }
    // The poll notices a window manager that went away without being asked.
    desktop.available = false;
    spin(1200);
    EXPECT_FALSE(c.permissionGranted());
    std::vector<std::string> changes;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(changes),
                 [](const std::string& line) { return line.rfind("Accessibility", 0) == 0; });
    EXPECT_EQ(changes, (std::vector<std::string>{"Accessibility permission changed: false",
                                                 "Accessibility permission changed: true",
                                                 "Accessibility permission changed: false"}));

    controller.reset();
    make().start();
    spin(400);
    EXPECT_FALSE(controller->panelsOpen()) << "later launches do not";
}

// Where the window system tells of its changes, Corvane follows them and
// keeps no timer of its own for it: it sleeps while idle.
TEST_F(UpkeepTest, AnnouncedAvailabilityChangesNeedNoPoll) {
    desktop.announcesAvailability = true;
    AppController& c = make();
    c.start();
    spin(400);
    ASSERT_TRUE(desktop.availabilityListener);
    desktop.available = false;
    spin(1200);
    EXPECT_TRUE(c.permissionGranted()) << "nothing polls: only the announcement tells";
    desktop.availabilityListener();
    spin(0);
    EXPECT_FALSE(c.permissionGranted());
    EXPECT_FALSE(c.target());
    desktop.available = true;
    desktop.availabilityListener();
    spin(0);
    EXPECT_TRUE(c.permissionGranted());
    EXPECT_TRUE(c.target()) << "the window is arranged again";

    c.stop();
    EXPECT_FALSE(desktop.availabilityListener) << "a stopped controller listens no more";
}

TEST_F(UpkeepTest, ALoginItemThatCannotChangeSaysWhy) {
    AppController& c = make();
    c.upkeep().setLoginItem(true);
    EXPECT_TRUE(c.loginEnabled());
    login.failure = "The autostart folder is read-only.";
    c.upkeep().setLoginItem(false);
    EXPECT_TRUE(c.loginEnabled());
    EXPECT_EQ(
        c.settingsError(),
        std::string("Couldn\u2019t change login settings: The autostart folder is read-only."));
}

}  // namespace
}  // namespace corvane::testing
