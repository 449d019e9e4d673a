#include "app/controller/size_notice.h"
#include "app/controller/tests/controller_fixture.h"

namespace corvane::testing {
namespace {

const TileRegion leftHalf{0, 0, 0.5, 1};
const TileRegion rightHalf{0.5, 0, 0.5, 1};
// DP-1's work area is (0, 30, 1920, 1050).
const Rect leftHalfFrame{0, 30, 960, 1050};
const Rect rightHalfFrame{960, 30, 960, 1050};

SavedLayout leftHalfLayout() {
    SavedLayout layout;
    layout.name = "Left Half";
    layout.region = leftHalf;
    layout.shortcut = KeyCombo{123, KeyCombo::command | KeyCombo::option, "←"};
    layout.isGlobal = true;
    return layout;
}

using PlacementTest = ControllerTest;

TEST_F(PlacementTest, ShiftReversesKeepTheGridOpenForOnePlacement) {
    for (const bool keepOpen : {false, true}) {
        SCOPED_TRACE(keepOpen ? "Keep Open on" : "Keep Open off");
        saveSettings(settingsWith([&](AppSettings& s) { s.keepPanelOpen = keepOpen; }));
        AppController& c = make();
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

TEST_F(PlacementTest, RepeatingALayoutWalksTheWindowThroughTheDisplaysUntilMovedByHand) {
    desktop.addMonitor("HDMI-1", Rect{1920, 0, 1280, 800});
    saveSettings(settingsWith([](AppSettings& s) { s.cycleDisplays = true; }));
    AppController& c = make();
    const SavedLayout layout = leftHalfLayout();
    const Rect onSecond{1920, 0, 640, 800};

    c.applyLayout(layout, std::nullopt);
    EXPECT_EQ(desktop.frameOf(window), leftHalfFrame);
    c.applyLayout(layout, std::nullopt);
    EXPECT_EQ(desktop.frameOf(window), onSecond);
    c.applyLayout(layout, std::nullopt);
    EXPECT_EQ(desktop.frameOf(window), leftHalfFrame);

    // The user drags the window a little: the layout no longer describes where it is.
    desktop.window(window).frame = Rect{40, 60, 900, 1000};
    c.applyLayout(layout, std::nullopt);
    EXPECT_EQ(desktop.frameOf(window), leftHalfFrame);

    // Another layout in between breaks the walk too.
    c.applyRegion(rightHalf, desktop.displays()[0], false);
    c.applyLayout(layout, std::nullopt);
    EXPECT_EQ(desktop.frameOf(window), leftHalfFrame);
}

TEST_F(PlacementTest, AWindowThatStopsShortLeavesTheNoticeForTheNextOpening) {
    desktop.window(window).minSize = {1200, 0};
    AppController& c = make();

    // A hot key placement with the grid closed: nothing opens.
    c.applyLayout(leftHalfLayout(), std::nullopt);
    EXPECT_FALSE(c.panelsOpen());
    EXPECT_EQ(c.pendingResizeNotice(), std::string(SizeNotice));
    EXPECT_TRUE(c.canUndo());

    c.showPanels();
    EXPECT_EQ(c.message(), std::string(SizeNotice));
    EXPECT_TRUE(c.messageIsError());
    EXPECT_FALSE(c.pendingResizeNotice());

    // A later exact placement clears it for good.
    desktop.window(window).minSize = {};
    c.applyRegion(leftHalf, displayOf(0), false);
    EXPECT_FALSE(c.panelsOpen());
    EXPECT_FALSE(c.message());
    c.showPanels();
    EXPECT_FALSE(c.message());
    EXPECT_FALSE(c.messageIsError());
}

TEST_F(PlacementTest, AnOpenGridShowsTheNoticeWhenItStaysOpen) {
    desktop.window(window).minSize = {1200, 0};
    saveSettings(settingsWith([](AppSettings& s) { s.keepPanelOpen = true; }));
    AppController& c = make();
    c.showPanels();
    c.applyRegion(leftHalf, displayOf(0), false);
    EXPECT_TRUE(c.panelsOpen());
    EXPECT_EQ(c.message(), std::string(SizeNotice));
    EXPECT_TRUE(c.messageIsError());
    EXPECT_FALSE(c.pendingResizeNotice());
}

TEST_F(PlacementTest, AResultArrivingAfterTheGridClosedIsDropped) {
    queuedClock = true;
    desktop.window(window).minSize = {1200, 0};
    saveSettings(settingsWith([](AppSettings& s) { s.animateWindows = false; }));
    AppController& c = make();
    c.showPanels();
    c.applyRegion(leftHalf, displayOf(0), false);
    ASSERT_TRUE(c.isApplying());
    EXPECT_EQ(c.message(), std::string("Arranging window\u2026"));

    c.closePanels(false);
    ASSERT_NE(lastQueued, nullptr);
    lastQueued->finishAll();

    EXPECT_FALSE(c.isApplying());
    EXPECT_TRUE(c.canUndo());
    EXPECT_FALSE(c.pendingResizeNotice());
    EXPECT_FALSE(c.panelsOpen());
    // The next opening starts clean instead of showing a stale notice.
    c.showPanels();
    EXPECT_FALSE(c.message());
}

TEST_F(PlacementTest, ASecondRequestWhileOneIsInFlightIsIgnored) {
    queuedClock = true;
    saveSettings(settingsWith([](AppSettings& s) { s.keepPanelOpen = true; }));
    AppController& c = make();
    c.showPanels();
    c.applyRegion(leftHalf, displayOf(0), false);
    QueuedScheduler* first = lastQueued;

    std::optional<PlacementOutcome> second;
    c.applyLayout(leftHalfLayout(), std::nullopt, [&](const PlacementOutcome& o) { second = o; });
    c.applyRegion(rightHalf, displayOf(0), false);
    c.undoLastPlacement();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->kind, PlacementOutcome::Kind::ignored);
    EXPECT_EQ(lastQueued, first) << "no second placement was started";

    first->finishAll();
    EXPECT_EQ(desktop.frameOf(window), leftHalfFrame);
    EXPECT_EQ(c.windowManager().history().size(), 1u);
    EXPECT_FALSE(c.isApplying());
}

TEST_F(PlacementTest, NextDisplayWithOneDisplayDoesNothing) {
    AppController& c = make();
    c.showPanels();
    const Rect before = desktop.frameOf(window);
    c.moveToNextDisplay();
    EXPECT_FALSE(c.isApplying());
    EXPECT_EQ(desktop.window(window).counts.writes(), 0);
    EXPECT_EQ(desktop.frameOf(window), before);
    EXPECT_FALSE(c.message());
    EXPECT_FALSE(c.canUndo());
}

TEST_F(PlacementTest, NextDisplayKeepsThePlaceOnTheOtherWorkArea) {
    desktop.addMonitor("HDMI-1", Rect{1920, 0, 1280, 800});
    saveSettings(settingsWith([](AppSettings& s) { s.keepPanelOpen = true; }));
    AppController& c = make();
    c.showPanels();
    c.applyRegion(leftHalf, displayOf(0), false);
    c.moveToNextDisplay();
    // Flush left and as wide as before; only as tall as the smaller work area allows.
    EXPECT_EQ(desktop.frameOf(window), (Rect{1920, 0, 960, 800}));
}

TEST_F(PlacementTest, UndoPutsTheWindowBackAndSaysSo) {
    saveSettings(settingsWith([](AppSettings& s) { s.keepPanelOpen = true; }));
    AppController& c = make();
    c.showPanels();
    const Rect before = desktop.frameOf(window);
    c.applyRegion(leftHalf, displayOf(0), false);
    ASSERT_TRUE(c.canUndo());

    c.undoLastPlacement();
    EXPECT_EQ(desktop.frameOf(window), before);
    EXPECT_EQ(c.message(), std::string("Restored the previous window position."));
    EXPECT_FALSE(c.messageIsError());
    EXPECT_FALSE(c.canUndo());
    EXPECT_TRUE(c.panelsOpen()) << "undo never closes the grid";
    EXPECT_TRUE(hasLine("Undo result: exact=true"));
}

TEST_F(PlacementTest, DiagnosticsDescribeEachPlacement) {
    AppController& c = make();
    c.showPanels();
    c.applyRegion(leftHalf, displayOf(0), false);
    EXPECT_TRUE(
        hasLine("Resize XTerm: (100.0, 100.0, 800.0, 600.0) \u2192 (0.0, 30.0, 960.0, 1050.0)"));
    EXPECT_TRUE(hasLine("Resize result: (0.0, 30.0, 960.0, 1050.0), exact=true, duration="));
    EXPECT_TRUE(hasLine("Grid panel size: ("));
}

TEST_F(PlacementTest, AFailureWithTheGridClosedWaitsForTheNextOpening) {
    desktop.window(window).fullscreen = true;
    AppController& c = make();
    std::optional<PlacementOutcome> outcome;
    c.applyLayout(leftHalfLayout(), std::nullopt, [&](const PlacementOutcome& o) { outcome = o; });
    ASSERT_TRUE(outcome);
    EXPECT_EQ(outcome->kind, PlacementOutcome::Kind::failed);
    EXPECT_EQ(outcome->text, "Exit full screen before tiling this window.");
    EXPECT_EQ(c.pendingResizeNotice(), outcome->text);
    EXPECT_FALSE(c.isApplying());
}

TEST_F(PlacementTest, ALayoutWithoutAWindowOpensTheGridToSayWhy) {
    desktop.closeWindow(window);
    AppController& c = make();
    c.applyLayout(leftHalfLayout(), std::nullopt);
    EXPECT_TRUE(c.panelsOpen());
    EXPECT_FALSE(c.target());
    EXPECT_TRUE(c.messageIsError());
}

TEST_F(PlacementTest, GoingAwayWithAPlacementInFlightEndsItCleanly) {
    queuedClock = true;
    AppController& c = make();
    c.showPanels();
    bool reported = false;
    c.applyLayout(leftHalfLayout(), std::nullopt,
                  [&](const PlacementOutcome&) { reported = true; });
    ASSERT_TRUE(c.isApplying());
    controller.reset();  // must neither hang nor leak the suspended work
    EXPECT_FALSE(reported);
}

}  // namespace
}  // namespace corvane::testing
