// Placements through the window manager, the real resizer and the X11 layer,
// on a private desktop with Openbox: what a user sees when a window is tiled.

#include <gtest/gtest.h>

#include <memory>

#include "app/window/window_manager.h"
#include "core/margins.h"
#include "core/tile_geometry.h"
#include "core/window_resizer.h"
#include "platform/blocking_scheduler.h"
#include "platform/x11/x11_displays.h"
#include "platform/x11/x11_window_system.h"
#include "tests/e2e/harness/desktop.h"

namespace corvane {
namespace {

using e2e::Connection;
using e2e::Desktop;
using e2e::ProbeOptions;
using e2e::ProbeWindow;
using platform::BlockingScheduler;

const TileRegion leftHalf{0, 0, 0.5, 1};
const TileRegion rightHalf{0.5, 0, 0.5, 1};

Margins allTen() {
    Margins margins;
    margins.enabled = true;
    return margins;
}

// The text a user would see for the error `task` ends with; empty when it
// does not fail.
template <typename T>
std::string errorText(Task<T> task) {
    try {
        runSynchronously(std::move(task));
    } catch (const std::exception& error) {
        return describeError(error);
    }
    return {};
}

// A blocking scheduler that runs `action` when the `n`th wait begins.
class InterruptingScheduler : public BlockingScheduler {
public:
    InterruptingScheduler(int n, std::function<void()> action)
        : n_(n), action_(std::move(action)) {}
    bool beginWait(WaitKind kind, double seconds, std::function<void()> resume) override {
        if (++waits_ == n_) action_();
        return BlockingScheduler::beginWait(kind, seconds, std::move(resume));
    }

private:
    int n_;
    int waits_ = 0;
    std::function<void()> action_;
};

class WindowManagerE2eTest : public ::testing::Test {
protected:
    virtual Desktop::Options desktopOptions() const { return {}; }

    void SetUp() override {
        Desktop::Options options = desktopOptions();
        if (options.xorgDummy && !Desktop::xorgDummyAvailable())
            GTEST_SKIP() << "Xorg with the dummy driver needs root";
        desktop_ = std::make_unique<Desktop>(options);
        connection_ = std::make_unique<Connection>(desktop_->display());
        windows_ = std::make_unique<platform::X11WindowSystem>(connection_->get(), 0);
        displays_ = std::make_unique<platform::X11Displays>(connection_->get(), 0);
        manager_ = std::make_unique<WindowManager>(*windows_, getpid());
    }

    // The work area of the monitor the window is on, as the application picks it.
    Rect visibleFrameOf(const Rect& frame) {
        auto list = displays_->displays();
        std::vector<Rect> frames;
        for (const auto& d : list) frames.push_back(d.visibleFrame);
        return list.at(TileGeometry::screenIndex(frame, frames).value()).visibleFrame;
    }

    Rect destination(const TileRegion& region, const WindowTarget& target) {
        return TileGeometry::frame(region, visibleFrameOf(manager_->frame(target)), allTen());
    }

    WindowTarget frontmostTarget() { return manager_->focusedTarget(windows_->frontmostApp()); }

    bool apply(const Rect& frame, const WindowTarget& target, bool animated = false) {
        return runSynchronously(manager_->apply(frame, target, true, animated, scheduler_));
    }

    // Why the window cannot be tiled on the left half; empty when it can.
    std::string refusalOf(const WindowTarget& target) {
        return errorText(manager_->apply(Rect{10, 35, 705, 855}, target, true, false, scheduler_));
    }

    std::unique_ptr<Desktop> desktop_;
    std::unique_ptr<Connection> connection_;
    std::unique_ptr<platform::X11WindowSystem> windows_;
    std::unique_ptr<platform::X11Displays> displays_;
    std::unique_ptr<WindowManager> manager_;
    BlockingScheduler scheduler_;
};

TEST_F(WindowManagerE2eTest, HalvesWithMarginsLandExactlyBesideTheDock) {
    ProbeWindow probe = desktop_->startProbe();
    WindowTarget target = frontmostTarget();
    EXPECT_EQ(target.window, probe.window);
    EXPECT_EQ(target.title, "Corvane probe");

    const Rect left = destination(leftHalf, target);
    ASSERT_EQ(left, (Rect{10, 35, 705, 855}));
    EXPECT_TRUE(apply(left, target));
    EXPECT_EQ(manager_->frame(target), left);

    const Rect right = destination(rightHalf, target);
    ASSERT_EQ(right, (Rect{725, 35, 705, 855}));
    EXPECT_TRUE(apply(right, target));
    EXPECT_EQ(manager_->frame(target), right);
    EXPECT_EQ(manager_->history().size(), 2u);
}

TEST_F(WindowManagerE2eTest, AnimatedPlacementLandsExactlyToo) {
    ProbeWindow probe = desktop_->startProbe();
    WindowTarget target = frontmostTarget();
    const Rect right = destination(rightHalf, target);
    EXPECT_TRUE(apply(right, target, true));
    EXPECT_EQ(manager_->frame(target), right);
}

TEST_F(WindowManagerE2eTest, MinimumSizeStopsShortAndUndoPutsTheWindowBack) {
    ProbeOptions options;
    options.minSize = std::make_pair(900, 700);
    options.width = 950, options.height = 720;
    ProbeWindow probe = desktop_->startProbe(options);
    WindowTarget target = frontmostTarget();
    const Rect before = manager_->frame(target);

    const Rect left = destination(leftHalf, target);
    EXPECT_FALSE(apply(left, target));
    const Rect after = manager_->frame(target);
    EXPECT_GT(after.width, left.width);
    EXPECT_EQ(after.x, left.x);
    ASSERT_EQ(manager_->history().size(), 1u);
    EXPECT_EQ(manager_->history().back().frame, before);

    EXPECT_TRUE(runSynchronously(manager_->undo(false, scheduler_)));
    EXPECT_EQ(manager_->frame(target), before);
    EXPECT_TRUE(manager_->history().empty());
}

TEST_F(WindowManagerE2eTest, TerminalIncrementsStopLessThanOneStepShort) {
    ProbeOptions options;
    options.increments = std::make_pair(7, 13);
    options.baseSize = std::make_pair(4, 6);
    ProbeWindow probe = desktop_->startProbe(options);
    WindowTarget target = frontmostTarget();

    const Rect left = destination(leftHalf, target);
    EXPECT_FALSE(apply(left, target));
    const Rect after = manager_->frame(target);
    EXPECT_EQ(after.x, left.x);
    EXPECT_EQ(after.y, left.y);
    EXPECT_GE(left.width - after.width, 0);
    EXPECT_LT(left.width - after.width, 7);
    EXPECT_GE(left.height - after.height, 0);
    EXPECT_LT(left.height - after.height, 13);
    EXPECT_FALSE(WindowResizer::matches(after, left)) << describe(after);
}

TEST_F(WindowManagerE2eTest, WindowsThatCannotBeTiledAreRefusedWithTheirReason) {
    ProbeOptions fixed;
    fixed.fixedSize = true;
    ProbeWindow fixedProbe = desktop_->startProbe(fixed);
    WindowTarget fixedTarget = frontmostTarget();
    EXPECT_EQ(refusalOf(fixedTarget), "This app does not allow its window to be resized.");

    ProbeOptions full;
    full.fullscreen = true;
    ProbeWindow fullProbe = desktop_->startProbe(full);
    WindowTarget fullTarget = frontmostTarget();
    EXPECT_EQ(refusalOf(fullTarget), "Exit full screen before tiling this window.");

    ProbeWindow normal = desktop_->startProbe();
    WindowTarget normalTarget = frontmostTarget();
    ASSERT_EQ(desktop_->run({"xdotool", "windowminimize", std::to_string(normal.window)}), 0);
    ASSERT_TRUE(e2e::waitUntil([&] { return windows_->states(normal.window).value().minimized; }));
    EXPECT_EQ(refusalOf(normalTarget), "Restore this window from the taskbar before tiling it.");
    EXPECT_TRUE(manager_->history().empty());
}

TEST_F(WindowManagerE2eTest, AWindowClosedInTheMiddleOfAResizeReportsClosed) {
    ProbeWindow probe = desktop_->startProbe();
    WindowTarget target = frontmostTarget();
    const Rect left = destination(leftHalf, target);
    // The probe goes away during the second settle pause.
    InterruptingScheduler closing(2, [&] {
        probe.process.stop();
        e2e::waitUntil([&] { return !desktop_->windowExists(probe.window); });
    });
    EXPECT_EQ(errorText(manager_->apply(left, target, true, false, closing)),
              "That window has closed. Focus another window and try again.");
    EXPECT_TRUE(manager_->history().empty());
    EXPECT_EQ(errorText(manager_->apply(left, target, true, false, scheduler_)),
              "That window has closed. Focus another window and try again.");
}

TEST_F(WindowManagerE2eTest, ClientSideDecoratedWindowTilesByItsVisibleFrame) {
    ProbeOptions options;
    options.gtkExtents = 20;
    ProbeWindow probe = desktop_->startProbe(options);
    WindowTarget target = frontmostTarget();
    const Rect left = destination(leftHalf, target);
    EXPECT_TRUE(apply(left, target));
    EXPECT_EQ(manager_->frame(target), left);
    auto client = desktop_->clientGeometry(probe.window);
    EXPECT_EQ(client->x, 10 - 20);
    EXPECT_EQ(client->width, 705 + 40);
}

class TwoMonitorE2eTest : public WindowManagerE2eTest {
protected:
    Desktop::Options desktopOptions() const override { return Desktop::twoMonitors(); }
};

TEST_F(TwoMonitorE2eTest, FlushRightWindowStaysFlushRightOnTheNextMonitor) {
    ProbeWindow probe = desktop_->startProbe();
    WindowTarget target = frontmostTarget();
    auto list = displays_->displays();
    ASSERT_EQ(list.size(), 2u);

    const Rect flushRight{1440 - 600, 25, 600, 400};
    ASSERT_TRUE(apply(flushRight, target));
    const Rect moved =
        TileGeometry::relocate(manager_->frame(target), list[0].visibleFrame, list[1].visibleFrame);
    EXPECT_EQ(moved, (Rect{2720 - 600, 0, 600, 400}));
    EXPECT_TRUE(apply(moved, target));
    EXPECT_EQ(manager_->frame(target), moved);
    EXPECT_EQ(visibleFrameOf(manager_->frame(target)), list[1].visibleFrame);
}

}  // namespace
}  // namespace corvane
