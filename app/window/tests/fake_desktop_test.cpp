// The fake desktop's less obvious behaviours, which the window manager's tests rely on.
#include "platform/fake/fake_desktop.h"

#include <gtest/gtest.h>

namespace corvane::platform {
namespace {

TEST(FakeDesktop, LateWritesLandInOrderAndClosingAWindowEndsItsCalls) {
    FakeDesktop desktop;
    const AppRef app = desktop.addApp(2001, "demo", "Demo");
    const WindowId window = desktop.addWindow({.app = app, .frame = {0, 0, 400, 300}, .writeLag = 2});
    ASSERT_TRUE(desktop.setSize(window, 600, 500));
    ASSERT_TRUE(desktop.setPosition(window, 50, 60));
    EXPECT_EQ(desktop.frame(window).value(), (Rect{0, 0, 400, 300}));
    EXPECT_EQ(desktop.frame(window).value(), (Rect{0, 0, 400, 300}));
    EXPECT_EQ(desktop.frame(window).value(), (Rect{50, 60, 600, 500}));

    desktop.onAccess = [&](WindowId id, FakeAccess access) {
        if (access == FakeAccess::sizeWrite) desktop.closeWindow(id);
    };
    EXPECT_EQ(desktop.setSize(window, 500, 500).error().kind(), WindowError::Kind::closed);
    EXPECT_EQ(desktop.frame(window).error().kind(), WindowError::Kind::closed);
    EXPECT_TRUE(desktop.isTerminated(app));  // its only window is gone
}

}  // namespace
}  // namespace corvane::platform
