// Finding the window to tile and placing it: what is refused, in which order,
// and what is remembered for undo.
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "app/window/tests/window_manager_fixture.h"

namespace corvane::testing {
namespace {

// --- Which window a placement acts on ---

TEST_F(WindowManagerTest, TargetIsTheActiveWindowWhenItBelongsToTheApp) {
    addEditorWindow({.title = "first.txt"});
    const WindowId second = addEditorWindow({.title = "second.txt"});

    const WindowTarget target = manager.focusedTarget(editor);
    EXPECT_EQ(target.window, second);
    EXPECT_EQ(target.title, "second.txt");
    EXPECT_TRUE(target.app.sameApp(editor));
}

TEST_F(WindowManagerTest, TargetFallsBackToTheAppsMostRecentWindowWhileAnotherAppIsActive) {
    const WindowId notes = addEditorWindow({.title = "notes.txt"});
    addEditorWindow({.title = "todo.txt"});
    desktop.activate(notes);
    desktop.addWindow({.app = terminal, .title = "bash"});

    EXPECT_EQ(manager.focusedTarget(editor).window, notes);
    // The most recent window is gone: the one active before it takes over.
    desktop.closeWindow(notes);
    EXPECT_EQ(manager.focusedTarget(editor).title, "todo.txt");
}

TEST_F(WindowManagerTest, TitleFallsBackToTheAppNameThenToWindow) {
    desktop.addWindow({.app = editor});
    EXPECT_EQ(manager.focusedTarget(editor).title, "Text Editor");

    const AppRef nameless = desktop.addApp(1003, "", "");
    desktop.addWindow({.app = nameless});
    EXPECT_EQ(manager.focusedTarget(nameless).title, "Window");

    // A window that says its title is empty keeps the empty title.
    desktop.addWindow({.app = terminal, .title = ""});
    EXPECT_EQ(manager.focusedTarget(terminal).title, "");
}

TEST_F(WindowManagerTest, NoWindowForCorvaneItselfAnEndedAppNoAppOrAnAppWithoutFocusedWindow) {
    const AppRef corvane = desktop.addApp(corvanePid, "corvane", "Corvane");
    desktop.addWindow({.app = corvane, .title = "Grid"});
    EXPECT_EQ(thrown<WindowError>([&] { manager.focusedTarget(corvane); }).kind(), Kind::noWindow);

    EXPECT_EQ(thrown<WindowError>([&] { manager.focusedTarget(std::nullopt); }).kind(),
              Kind::noWindow);

    addEditorWindow();
    desktop.quitApp(editor);
    const WindowError ended = thrown<WindowError>([&] { manager.focusedTarget(editor); });
    EXPECT_EQ(ended.kind(), Kind::noWindow);
    EXPECT_EQ(ended.description(), "Focus a window in another app, then open the grid.");

    // Windows that were never active: nothing to call the app's focused window.
    desktop.addWindow({.app = terminal, .activate = false});
    EXPECT_EQ(thrown<WindowError>([&] { manager.focusedTarget(terminal); }).kind(), Kind::noWindow);
}

TEST_F(WindowManagerTest, WithoutAWindowManagerEveryRequestNeedsPermissionFirst) {
    const WindowId window = addEditorWindow();
    desktop.available = false;

    const WindowError error = thrown<WindowError>([&] { manager.focusedTarget(std::nullopt); });
    EXPECT_EQ(error.kind(), Kind::permission);
    EXPECT_EQ(error.description(),
              "Corvane needs an X11 session with a standard window manager to move other "
              "apps\u2019 windows.");

    // Checked before the frame is validated and before the window is asked anything.
    const Rect invalid{0, 0, 0.5, 100};
    EXPECT_EQ(refusal(window, invalid), Kind::permission);
    EXPECT_EQ(desktop.totals().total(), 0);
}

TEST_F(WindowManagerTest, FailureOfTheFocusQueryReachesTheCaller) {
    addEditorWindow();
    desktop.focusError = WindowError::failed(2);
    const WindowError error = thrown<WindowError>([&] { manager.focusedTarget(editor); });
    EXPECT_EQ(error, WindowError::failed(2));
    EXPECT_EQ(error.description(), "The app could not move this window (X11 error 2).");
}

// --- Placing a window ---

TEST_F(WindowManagerTest, PlacesTheWindowAndRemembersWhereItWas) {
    const WindowId window = addEditorWindow({.frame = startFrame});

    EXPECT_TRUE(apply(window, leftHalf));
    EXPECT_EQ(desktop.frameOf(window), leftHalf);
    EXPECT_EQ(historyFrames(), std::vector<Rect>{startFrame});
    EXPECT_EQ(manager.history().back().target.window, window);
    EXPECT_EQ(lines,
              std::vector<std::string>{
                  "Window animation: false; Enhanced UI: false, temporarily disabled: false"});
}

TEST_F(WindowManagerTest, InvalidFrameIsRefusedBeforeTheWindowIsAsked) {
    const WindowId window = addEditorWindow();
    for (Rect invalid :
         {Rect{0, 0, 0.5, 100}, Rect{0, 0, 100, std::nan("")}, Rect{INFINITY, 0, 100, 100}}) {
        const auto error = thrown<WindowResizeError>([&] { apply(window, invalid); });
        EXPECT_EQ(error.kind(), WindowResizeError::Kind::invalidFrame);
    }
    EXPECT_EQ(desktop.totals().total(), 0);
    EXPECT_TRUE(lines.empty());
}

TEST_F(WindowManagerTest, RefusalsComeInOrderFullScreenMinimizedClosedFixedSize) {
    const WindowId window = addEditorWindow(
        {.frame = startFrame, .fixedSize = true, .fullscreen = true, .minimized = true});
    const auto& counts = desktop.window(window).counts;

    // The refusal, its text, and how far the window was asked by then.
    auto expectRefusal = [&](Kind kind, const char* text, int frameReads, int settableReads) {
        const WindowError error = thrown<WindowError>([&] { apply(window, leftHalf); });
        EXPECT_EQ(error.kind(), kind);
        EXPECT_EQ(error.description(), text);
        EXPECT_EQ(counts.frameReads, frameReads);
        EXPECT_EQ(counts.settableReads, settableReads);
    };

    expectRefusal(Kind::fullscreen, "Exit full screen before tiling this window.", 0, 0);
    desktop.window(window).fullscreen = false;
    expectRefusal(Kind::minimized, "Restore this window from the taskbar before tiling it.", 0, 0);
    desktop.window(window).minimized = false;
    // The frame is read before settability is asked.
    expectRefusal(Kind::fixedSize, "This app does not allow its window to be resized.", 1, 1);

    EXPECT_EQ(counts.writes(), 0);
    EXPECT_EQ(desktop.frameOf(window), startFrame);
    EXPECT_TRUE(manager.history().empty());
    EXPECT_TRUE(lines.empty());
}

TEST_F(WindowManagerTest, TheWindowIsAskedItsStateThenItsFrameThenSettabilityBeforeAnyWrite) {
    const WindowId window = addEditorWindow({.frame = startFrame});
    std::vector<FakeAccess> calls;
    desktop.onAccess = [&](WindowId, FakeAccess access) { calls.push_back(access); };

    EXPECT_TRUE(apply(window, leftHalf));
    ASSERT_GE(calls.size(), 4u);
    EXPECT_EQ(std::vector<FakeAccess>(calls.begin(), calls.begin() + 4),
              (std::vector<FakeAccess>{FakeAccess::statesRead, FakeAccess::frameRead,
                                       FakeAccess::settableRead, FakeAccess::frameRead}));
    // The frame after the move is read back for the undo history.
    EXPECT_EQ(calls.back(), FakeAccess::frameRead);
}

TEST_F(WindowManagerTest, AWindowThatCanBeResizedButNotMovedCountsAsFixed) {
    const WindowId window = addEditorWindow({.fixedPosition = true});
    EXPECT_EQ(refusal(window), Kind::fixedSize);

    // Equal minimum and maximum sizes pin the size as well.
    const WindowId pinned = addEditorWindow({.minSize = {400, 300}, .maxSize = {400, 300}});
    EXPECT_EQ(refusal(pinned), Kind::fixedSize);
    EXPECT_EQ(desktop.totals().writes(), 0);
}

TEST_F(WindowManagerTest, ClosedWindowsAndEndedAppsAreReportedAsClosed) {
    const WindowId window = addEditorWindow();
    const WindowTarget gone = targetOf(window);
    desktop.closeWindow(window);
    EXPECT_EQ(thrown<WindowError>([&] {
                  runSynchronously(manager.apply(leftHalf, gone, true, false, scheduler));
              }).kind(),
              Kind::closed);

    const WindowId xterm = desktop.addWindow({.app = terminal});
    const WindowTarget target = targetOf(xterm);
    desktop.quitApp(terminal);
    EXPECT_EQ(thrown<WindowError>([&] { manager.frame(target); }).kind(), Kind::closed);
}

TEST_F(WindowManagerTest, WindowSystemErrorsReachTheCallerWithTheirCode) {
    const WindowId window = addEditorWindow();
    desktop.window(window).readError = 9;
    EXPECT_EQ(thrown<WindowError>([&] { apply(window, leftHalf); }), WindowError::failed(9));
}

TEST_F(WindowManagerTest, AnimationFollowsTheUserUnlessTheDesktopAsksForReducedMotion) {
    const WindowId window = addEditorWindow({.frame = startFrame});

    EXPECT_TRUE(apply(window, leftHalf, /*animated=*/true));
    EXPECT_GT(scheduler.sleeps(), 0);
    EXPECT_GT(desktop.window(window).counts.writes(), 2);
    EXPECT_EQ(lines.back(),
              "Window animation: true; Enhanced UI: false, temporarily disabled: false");

    desktop.reduceMotionSetting = true;
    scheduler.waits.clear();
    desktop.window(window).counts = {};
    EXPECT_TRUE(apply(window, startFrame, /*animated=*/true));
    EXPECT_EQ(scheduler.sleeps(), 0);
    EXPECT_EQ(desktop.window(window).counts.writes(), 2);  // one size, one position
    EXPECT_EQ(lines.back(),
              "Window animation: false; Enhanced UI: false, temporarily disabled: false");
    EXPECT_EQ(desktop.frameOf(window), startFrame);
}

TEST_F(WindowManagerTest, WithoutAnimationTheReducedMotionSettingIsNotAsked) {
    const WindowId window = addEditorWindow();
    EXPECT_TRUE(apply(window, leftHalf, /*animated=*/false));
    EXPECT_EQ(desktop.reduceMotionQueries(), 0);
    EXPECT_EQ(scheduler.sleeps(), 0);
}

TEST_F(WindowManagerTest, MovesOfAtMostTwoPointsLeaveNothingToUndo) {
    const WindowId window = addEditorWindow({.frame = startFrame});

    EXPECT_TRUE(apply(window, Rect{101.5, 100, 800, 600}));
    EXPECT_TRUE(apply(window, Rect{102, 98, 802, 598}));
    EXPECT_TRUE(manager.history().empty());

    // Anything further is a real move.
    desktop.window(window).frame = startFrame;
    EXPECT_TRUE(apply(window, Rect{100, 100, 803, 600}));
    EXPECT_EQ(historyFrames(), std::vector<Rect>{startFrame});
}

TEST_F(WindowManagerTest, NoUndoEntryWhenTheCallerDoesNotAskForOne) {
    const WindowId window = addEditorWindow({.frame = startFrame});
    EXPECT_TRUE(
        runSynchronously(manager.apply(leftHalf, targetOf(window), false, false, scheduler)));
    EXPECT_EQ(desktop.frameOf(window), leftHalf);
    EXPECT_TRUE(manager.history().empty());
}

TEST_F(WindowManagerTest, AResizeThatFailsPartWayCanStillBeUndone) {
    const WindowId window = addEditorWindow({.frame = startFrame});
    // The size lands, then the window system starts refusing writes.
    desktop.onAccess = [&](WindowId id, FakeAccess access) {
        if (access == FakeAccess::positionWrite) desktop.window(id).writeError = 11;
    };

    EXPECT_EQ(thrown<WindowError>([&] { apply(window, leftHalf); }), WindowError::failed(11));
    EXPECT_EQ(desktop.frameOf(window).width, leftHalf.width);
    EXPECT_EQ(historyFrames(), std::vector<Rect>{startFrame});

    desktop.onAccess = nullptr;
    desktop.window(window).writeError.reset();
    EXPECT_TRUE(undo());
    EXPECT_EQ(desktop.frameOf(window), startFrame);
}

TEST_F(WindowManagerTest, AResizeCancelledPartWayCanStillBeUndone) {
    const WindowId window = addEditorWindow({.frame = startFrame});
    scheduler.onWait = [&](const SimulatedScheduler::Wait&) {
        if (desktop.window(window).counts.sizeWrites > 0) scheduler.cancelled = true;
    };

    EXPECT_THROW(apply(window, leftHalf), TaskCancelled);
    EXPECT_NE(desktop.frameOf(window), startFrame);
    EXPECT_EQ(historyFrames(), std::vector<Rect>{startFrame});
}

TEST_F(WindowManagerTest, AWindowThatIgnoresTheResizeLeavesNothingToUndo) {
    const WindowId window = addEditorWindow({.frame = startFrame, .ignoresWrites = true});
    const auto error = thrown<WindowResizeError>([&] { apply(window, leftHalf); });
    EXPECT_EQ(error.kind(), WindowResizeError::Kind::unchanged);
    EXPECT_TRUE(manager.history().empty());
}

TEST_F(WindowManagerTest, HistoryKeepsTheLatestThirtyMoves) {
    const WindowId window = addEditorWindow({.frame = Rect{0, 0, 500, 400}});
    for (int move = 1; move <= 31; ++move) {
        ASSERT_TRUE(apply(window, Rect{move * 10.0, 0, 500, 400}));
    }
    ASSERT_EQ(manager.history().size(), 30u);
    // The first move's entry (x = 0) is gone; the oldest left is the second's.
    EXPECT_EQ(manager.history().front().frame.x, 10);
    EXPECT_EQ(manager.history().back().frame.x, 300);
}

// The window may vanish at any call of a placement: each time the user hears
// that it closed (or, when it closes after the placement was verified, the
// placement stands), nothing is left to undo, and nothing crashes.
TEST_F(WindowManagerTest, AWindowClosingAtAnyPointOfAPlacementIsReportedAsClosed) {
    int callsOfAFullPlacement = 0;
    {
        FakeDesktop quiet;
        WindowManager probe(quiet, corvanePid);
        const WindowId window = quiet.addWindow({.app = editor, .frame = startFrame});
        runSynchronously(
            probe.apply(leftHalf, WindowTarget{window, editor, "x"}, true, true, scheduler));
        callsOfAFullPlacement = quiet.totals().total();
    }
    ASSERT_GT(callsOfAFullPlacement, 5);

    for (int closeAt = 1; closeAt <= callsOfAFullPlacement; ++closeAt) {
        SCOPED_TRACE("window closes at call " + std::to_string(closeAt));
        FakeDesktop vanishing;
        WindowManager windows(vanishing, corvanePid);
        const WindowId window = vanishing.addWindow({.app = editor, .frame = startFrame});
        int calls = 0;
        vanishing.onAccess = [&](WindowId id, FakeAccess) {
            if (++calls == closeAt) vanishing.closeWindow(id);
        };
        SimulatedScheduler clock;
        auto placement =
            windows.apply(leftHalf, WindowTarget{window, editor, "x"}, true, true, clock);
        if (closeAt < callsOfAFullPlacement) {
            const auto error = thrown<WindowError>([&] { runSynchronously(std::move(placement)); });
            EXPECT_EQ(error.description(),
                      "That window has closed. Focus another window and try again.");
        } else {
            EXPECT_TRUE(runSynchronously(
                std::move(placement)));  // closed while its new frame was read back
        }
        EXPECT_TRUE(windows.history().empty());
    }
}

}  // namespace
}  // namespace corvane::testing
