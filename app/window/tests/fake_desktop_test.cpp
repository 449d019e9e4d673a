// The fake desktop's less obvious behaviours, which the window manager's tests
// (and later the controller's) rely on.
#include "platform/fake/fake_desktop.h"

#include <gtest/gtest.h>

#include <utility>

namespace corvane::platform {
namespace {

class FakeDesktopTest : public ::testing::Test {
protected:
    FakeDesktop desktop;
    AppRef app = desktop.addApp(2001, "demo", "Demo");

    Rect read(WindowId window) { return desktop.frame(window).value(); }
};

TEST_F(FakeDesktopTest, LateWritesShowOnlyAfterTheGivenNumberOfReads) {
    const WindowId window =
        desktop.addWindow({.app = app, .frame = {0, 0, 400, 300}, .writeLag = 2});

    ASSERT_TRUE(desktop.setSize(window, 600, 500));
    ASSERT_TRUE(desktop.setPosition(window, 50, 60));
    EXPECT_EQ(read(window), (Rect{0, 0, 400, 300}));
    EXPECT_EQ(read(window), (Rect{0, 0, 400, 300}));
    // Both land on the third read, in the order they were made.
    EXPECT_EQ(read(window), (Rect{50, 60, 600, 500}));

    // Each write keeps its own lag.
    ASSERT_TRUE(desktop.setPosition(window, 0, 0));
    EXPECT_EQ(read(window).x, 50);
    ASSERT_TRUE(desktop.setSize(window, 300, 200));
    EXPECT_EQ(read(window), (Rect{50, 60, 600, 500}));
    EXPECT_EQ(read(window), (Rect{0, 0, 600, 500}));
    EXPECT_EQ(read(window), (Rect{0, 0, 300, 200}));
}

TEST_F(FakeDesktopTest, SizesStepByTheIncrementsWithinTheMinimumAndMaximum) {
    const WindowId window = desktop.addWindow({.app = app,
                                               .frame = {0, 0, 400, 300},
                                               .minSize = {100, 100},
                                               .maxSize = {1000, 800},
                                               .baseSize = {10, 20},
                                               .resizeIncrement = {9, 18}});
    auto sizeAfter = [&](double width, double height) {
        EXPECT_TRUE(desktop.setSize(window, width, height));
        const Rect frame = read(window);
        return std::pair(frame.width, frame.height);
    };

    EXPECT_EQ(sizeAfter(100, 110), std::pair(100.0, 110.0));  // already on the steps
    EXPECT_EQ(sizeAfter(108, 127), std::pair(100.0, 110.0));  // a step short of the next
    EXPECT_EQ(sizeAfter(20, 20), std::pair(100.0, 110.0));  // up to the first step from the minimum
    EXPECT_EQ(sizeAfter(5000, 5000), std::pair(1000.0, 794.0));  // down from the maximum
}

TEST_F(FakeDesktopTest, AWindowThatMovesWhenResizedKeepsItsCentre) {
    const WindowId window =
        desktop.addWindow({.app = app, .frame = {100, 100, 400, 300}, .movesWhenResized = true});
    ASSERT_TRUE(desktop.setSize(window, 600, 400));
    EXPECT_EQ(read(window), (Rect{0, 50, 600, 400}));
}

TEST_F(FakeDesktopTest, AWindowClosedFromTheAccessHookFailsThatVeryCall) {
    const WindowId window = desktop.addWindow({.app = app});
    desktop.onAccess = [&](WindowId id, FakeAccess access) {
        if (access == FakeAccess::sizeWrite) desktop.closeWindow(id);
    };

    const auto written = desktop.setSize(window, 500, 500);
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().kind(), WindowError::Kind::closed);
    EXPECT_FALSE(desktop.isOpen(window));
    EXPECT_EQ(desktop.frame(window).error().kind(), WindowError::Kind::closed);
    // The call on the closed window still counts on the desktop.
    EXPECT_EQ(desktop.totals().sizeWrites, 1);
    EXPECT_EQ(desktop.totals().frameReads, 1);
    // Its application has no window left: it has ended.
    EXPECT_TRUE(desktop.isTerminated(app));
}

TEST_F(FakeDesktopTest, ClosingTheActiveWindowHandsTheAppsFocusToItsPreviousWindow) {
    const WindowId first = desktop.addWindow({.app = app});
    const WindowId second = desktop.addWindow({.app = app});
    EXPECT_EQ(desktop.frontmostApp()->pid, 2001);
    desktop.closeWindow(second);

    EXPECT_EQ(desktop.activeWindow(), std::nullopt);
    EXPECT_EQ(desktop.frontmostApp(), std::nullopt);
    EXPECT_EQ(desktop.focusedWindow(app).value(), std::optional<WindowId>(first));
}

}  // namespace
}  // namespace corvane::platform
