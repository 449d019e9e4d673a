#include "app/controller/messages.h"
#include "app/controller/tests/controller_fixture.h"

namespace corvane::testing {
namespace {

const TileRegion leftHalf{0, 0, 0.5, 1};
const TileRegion rightHalf{0.5, 0, 0.5, 1};
const Rect leftHalfFrame{0, 30, 960, 1050};
const Rect rightHalfFrame{960, 30, 960, 1050};
const SavedLayout leftHalfLayout =
    layoutOf("Left Half", leftHalf, KeyCombo{123, KeyCombo::ctrl | KeyCombo::alt, "←"}, true);

using PlacementRunnerTest = ControllerTest;

TEST_F(PlacementRunnerTest, ShiftReversesKeepTheGridOpenForOnePlacement) {
    for (const bool keepOpen : {false, true}) {
        SCOPED_TRACE(keepOpen ? "Keep Open on" : "Keep Open off");
        AppController& c = make([&](AppSettings& s) { s.keepPanelOpen = keepOpen; });
        c.showPanels();
        c.applyRegion(leftHalf, displayOf(0), /*shiftHeld=*/true);
        EXPECT_EQ(desktop.frameOf(window), leftHalfFrame);
        EXPECT_EQ(c.panelsOpen(), !keepOpen);

        if (!c.panelsOpen()) c.showPanels();
        c.applyRegion(rightHalf, displayOf(0), /*shiftHeld=*/false);
        EXPECT_EQ(desktop.frameOf(window), rightHalfFrame);
        EXPECT_EQ(c.panelsOpen(), keepOpen);
        controller.reset();
    }
}

TEST_F(PlacementRunnerTest, LayoutsWalkTheWindowThroughTheDisplaysUntilMovedByHand) {
    AppController& c = make([](AppSettings& s) { s.cycleDisplays = true; });
    c.moveToNextDisplay();
    EXPECT_EQ(desktop.window(window).counts.writes(), 0) << "one display: nowhere to go";
    EXPECT_FALSE(c.canUndo());

    desktop.addMonitor("HDMI-1", Rect{1920, 0, 1280, 800});
    const Rect onSecond{1920, 0, 640, 800};
    for (const Rect& expected : {leftHalfFrame, onSecond, leftHalfFrame}) {
        c.applyLayout(leftHalfLayout, std::nullopt);
        EXPECT_EQ(desktop.frameOf(window), expected);
    }
    // Dragged a little by hand: the layout no longer describes where the window is.
    desktop.window(window).frame = Rect{40, 60, 900, 1000};
    c.applyLayout(leftHalfLayout, std::nullopt);
    EXPECT_EQ(desktop.frameOf(window), leftHalfFrame);
    // Another placement in between breaks the walk too.
    c.applyRegion(rightHalf, desktop.displays()[0], false);
    c.applyLayout(leftHalfLayout, std::nullopt);
    EXPECT_EQ(desktop.frameOf(window), leftHalfFrame);

    // Next display keeps the place: flush left, as wide as before, as tall as it fits.
    c.moveToNextDisplay();
    EXPECT_EQ(desktop.frameOf(window), (Rect{1920, 0, 960, 800}));
}

TEST_F(PlacementRunnerTest, AWindowThatStopsShortLeavesTheNoticeForTheNextOpening) {
    desktop.window(window).minSize = {1200, 0};
    AppController& c = make();
    c.applyLayout(leftHalfLayout, std::nullopt);
    EXPECT_FALSE(c.panelsOpen()) << "a hot key placement opens nothing";
    EXPECT_EQ(c.pendingResizeNotice(), std::string(Messages::sizeNotice));
    EXPECT_TRUE(
        hasLine("Resize XTerm: (100.0, 100.0, 800.0, 600.0) \u2192 (0.0, 30.0, 960.0, 1050.0)"));

    c.showPanels();
    EXPECT_EQ(c.message(), std::string(Messages::sizeNotice));
    EXPECT_TRUE(c.messageIsError());
    EXPECT_FALSE(c.pendingResizeNotice());
    EXPECT_TRUE(hasLine("Grid panel size: ("));

    // A later exact placement clears it for good.
    desktop.window(window).minSize = {};
    c.applyRegion(leftHalf, displayOf(0), false);
    EXPECT_TRUE(hasLine("Resize result: (0.0, 30.0, 960.0, 1050.0), exact=true, duration="));
    c.showPanels();
    EXPECT_FALSE(c.message());

    c.undoLastPlacement();
    EXPECT_EQ(desktop.frameOf(window), (Rect{0, 30, 1200, 1050})) << "where it stopped short";
    EXPECT_EQ(c.message(), std::string("Restored the previous window position."));
    EXPECT_TRUE(c.panelsOpen()) << "undo never closes the grid";
    EXPECT_TRUE(hasLine("Undo result: exact=true"));
}

TEST_F(PlacementRunnerTest, APlacementInFlightIgnoresOtherRequestsAndIsDroppedWhenTheGridCloses) {
    queuedClock = true;
    AppController& c = make([](AppSettings& s) {
        s.keepPanelOpen = true;
        s.animateWindows = false;
    });
    c.showPanels();
    c.applyRegion(leftHalf, displayOf(0), false);
    ASSERT_TRUE(c.isApplying());
    EXPECT_EQ(c.message(), std::string("Arranging window\u2026"));
    QueuedScheduler* first = lastQueued;
    std::optional<PlacementOutcome> second;
    c.applyLayout(leftHalfLayout, std::nullopt, [&](const PlacementOutcome& o) { second = o; });
    c.applyRegion(rightHalf, displayOf(0), false);
    c.undoLastPlacement();
    EXPECT_EQ(second.value().kind, PlacementOutcome::Kind::ignored);
    EXPECT_EQ(lastQueued, first) << "no second placement was started";
    first->finishAll();
    EXPECT_EQ(desktop.frameOf(window), leftHalfFrame);
    EXPECT_EQ(c.windowManager().history().size(), 1u);

    // The grid closes before a window that stops short has settled: no notice survives.
    desktop.window(window).minSize = {1200, 0};
    c.applyRegion(rightHalf, displayOf(0), false);
    c.closePanels(false);
    lastQueued->finishAll();
    EXPECT_FALSE(c.pendingResizeNotice());
    c.showPanels();
    EXPECT_FALSE(c.message()) << "the next opening starts clean";

    // Going away with a placement in flight neither hangs nor leaks it.
    c.applyRegion(leftHalf, displayOf(0), false);
    ASSERT_TRUE(c.isApplying());
    controller.reset();
}

}  // namespace
}  // namespace corvane::testing
