#include "app/window/window_manager.h"

#include <gtest/gtest.h>

#include <cmath>
#include <exception>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/testing/queued_scheduler.h"
#include "core/testing/simulated_scheduler.h"
#include "core/window_error.h"
#include "platform/fake/fake_desktop.h"

namespace corvane {
namespace {

using platform::AppRef;
using platform::FakeAccess;
using platform::FakeDesktop;
using platform::WindowId;
using testing::SimulatedScheduler;
using Kind = WindowError::Kind;

constexpr int corvanePid = 4242;
const Rect startFrame{100, 100, 800, 600};
const Rect leftHalf{0, 30, 640, 770};

// The error `body` throws; fails the test when it throws nothing.
template <typename E, typename F>
E thrown(F&& body) {
    try {
        body();
    } catch (const E& error) {
        return error;
    }
    throw std::logic_error("expected an error, none was thrown");
}

class WindowManagerTest : public ::testing::Test {
protected:
    FakeDesktop desktop;
    SimulatedScheduler scheduler;
    std::vector<std::string> lines;
    WindowManager manager{desktop, corvanePid, [this](const std::string& line) {
                              lines.push_back(line);
                          }};
    AppRef editor = desktop.addApp(1001, "gedit", "Text Editor");
    AppRef terminal = desktop.addApp(1002, "xterm", "XTerm");

    WindowId addEditorWindow(platform::FakeWindowSpec spec = {}) {
        spec.app = editor;
        if (!spec.title) spec.title = "notes.txt";
        return desktop.addWindow(spec);
    }

    WindowTarget targetOf(WindowId window) {
        return WindowTarget{window, desktop.window(window).app, "target"};
    }

    bool apply(WindowId window, Rect frame, bool animated = false) {
        return runSynchronously(manager.apply(frame, targetOf(window), true, animated, scheduler));
    }

    Kind refusal(WindowId window, Rect frame = leftHalf) {
        return thrown<WindowError>([&] { apply(window, frame); }).kind();
    }

    bool undo(bool animated = false) { return runSynchronously(manager.undo(animated, scheduler)); }

    std::vector<Rect> historyFrames() const {
        std::vector<Rect> frames;
        for (const auto& entry : manager.history()) frames.push_back(entry.frame);
        return frames;
    }
};

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
    EXPECT_EQ(thrown<WindowError>([&] { manager.focusedTarget(terminal); }).kind(),
              Kind::noWindow);
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
    EXPECT_EQ(lines, std::vector<std::string>{
                         "Window animation: false; Enhanced UI: false, temporarily disabled: false"});
}

TEST_F(WindowManagerTest, InvalidFrameIsRefusedBeforeTheWindowIsAsked) {
    const WindowId window = addEditorWindow();
    for (Rect invalid : {Rect{0, 0, 0.5, 100}, Rect{0, 0, 100, std::nan("")},
                         Rect{INFINITY, 0, 100, 100}}) {
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

    const WindowError fullscreen = thrown<WindowError>([&] { apply(window, leftHalf); });
    EXPECT_EQ(fullscreen.kind(), Kind::fullscreen);
    EXPECT_EQ(fullscreen.description(), "Exit full screen before tiling this window.");
    EXPECT_EQ(counts.frameReads, 0);
    EXPECT_EQ(counts.settableReads, 0);

    desktop.window(window).fullscreen = false;
    const WindowError minimized = thrown<WindowError>([&] { apply(window, leftHalf); });
    EXPECT_EQ(minimized.kind(), Kind::minimized);
    EXPECT_EQ(minimized.description(), "Restore this window from the taskbar before tiling it.");
    EXPECT_EQ(counts.frameReads, 0);
    EXPECT_EQ(counts.settableReads, 0);

    desktop.window(window).minimized = false;
    const WindowError fixed = thrown<WindowError>([&] { apply(window, leftHalf); });
    EXPECT_EQ(fixed.kind(), Kind::fixedSize);
    EXPECT_EQ(fixed.description(), "This app does not allow its window to be resized.");
    EXPECT_EQ(counts.frameReads, 1);  // the frame is read before settability is asked
    EXPECT_EQ(counts.settableReads, 1);

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
    EXPECT_TRUE(runSynchronously(manager.apply(leftHalf, targetOf(window), false, false, scheduler)));
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
        runSynchronously(probe.apply(leftHalf, WindowTarget{window, editor, "x"}, true, true, scheduler));
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
        auto placement = windows.apply(leftHalf, WindowTarget{window, editor, "x"}, true, true, clock);
        if (closeAt < callsOfAFullPlacement) {
            const auto error = thrown<WindowError>([&] { runSynchronously(std::move(placement)); });
            EXPECT_EQ(error.description(),
                      "That window has closed. Focus another window and try again.");
        } else {
            EXPECT_TRUE(runSynchronously(std::move(placement)));  // closed while its new frame was read back
        }
        EXPECT_TRUE(windows.history().empty());
    }
}

// --- Undo ---

TEST_F(WindowManagerTest, UndoWithNothingToUndoSucceedsWithoutTouchingAnyWindow) {
    addEditorWindow();
    EXPECT_TRUE(undo(/*animated=*/true));
    EXPECT_EQ(desktop.totals().total(), 0);
    EXPECT_EQ(desktop.reduceMotionQueries(), 0);
    EXPECT_EQ(scheduler.waits.size(), 0u);
    EXPECT_TRUE(lines.empty());
}

TEST_F(WindowManagerTest, UndoPutsTheWindowBackAndForgetsTheMove) {
    const WindowId window = addEditorWindow({.frame = startFrame});
    const WindowId other = addEditorWindow({.frame = Rect{300, 300, 400, 300}});
    ASSERT_TRUE(apply(window, leftHalf));
    ASSERT_TRUE(apply(other, Rect{640, 30, 640, 770}));

    EXPECT_TRUE(undo());
    EXPECT_EQ(desktop.frameOf(other), (Rect{300, 300, 400, 300}));
    EXPECT_EQ(manager.history().size(), 1u);
    // Undo records nothing itself.
    EXPECT_EQ(manager.history().back().target.window, window);

    EXPECT_TRUE(undo(/*animated=*/true));
    EXPECT_EQ(desktop.frameOf(window), startFrame);
    EXPECT_TRUE(manager.history().empty());
}

TEST_F(WindowManagerTest, UndoThatStopsShortKeepsTheEntryForAnotherTry) {
    const WindowId window = addEditorWindow({.frame = Rect{0, 30, 400, 300}});
    ASSERT_TRUE(apply(window, Rect{0, 30, 1000, 800}));
    // Meanwhile the app grew its minimum size (a larger font, say).
    desktop.window(window).minSize = {700, 500};

    EXPECT_FALSE(undo());
    EXPECT_EQ(desktop.frameOf(window), (Rect{0, 30, 700, 500}));
    EXPECT_EQ(historyFrames(), std::vector<Rect>{(Rect{0, 30, 400, 300})});

    desktop.window(window).minSize = {};
    EXPECT_TRUE(undo());
    EXPECT_EQ(desktop.frameOf(window), (Rect{0, 30, 400, 300}));
    EXPECT_TRUE(manager.history().empty());
}

TEST_F(WindowManagerTest, UndoOfAClosedWindowForgetsItAndSaysSo) {
    const WindowId window = addEditorWindow({.frame = startFrame});
    ASSERT_TRUE(apply(window, leftHalf));
    desktop.closeWindow(window);

    const WindowError error = thrown<WindowError>([&] { undo(); });
    EXPECT_EQ(error.description(), "That window has closed. Focus another window and try again.");
    EXPECT_TRUE(manager.history().empty());
}

TEST_F(WindowManagerTest, UndoRefusedForAnyOtherReasonKeepsTheEntry) {
    const WindowId window = addEditorWindow({.frame = startFrame});
    ASSERT_TRUE(apply(window, leftHalf));

    desktop.window(window).fullscreen = true;
    EXPECT_EQ(thrown<WindowError>([&] { undo(); }).kind(), Kind::fullscreen);
    desktop.window(window).fullscreen = false;
    desktop.available = false;
    EXPECT_EQ(thrown<WindowError>([&] { undo(); }).kind(), Kind::permission);
    desktop.available = true;
    desktop.window(window).ignoresWrites = true;
    EXPECT_EQ(thrown<WindowResizeError>([&] { undo(); }).kind(),
              WindowResizeError::Kind::unchanged);
    EXPECT_EQ(historyFrames(), std::vector<Rect>{startFrame});

    desktop.window(window).ignoresWrites = false;
    EXPECT_TRUE(undo());
    EXPECT_EQ(desktop.frameOf(window), startFrame);
}

// A terminal sizes itself in whole character cells. Maximized by the window
// manager it had a size off that grid, which it cannot take back by itself.
TEST_F(WindowManagerTest, TerminalsStepToWholeCellsAndUndoStopsShortOfAnOffGridSize) {
    const Rect maximized{0, 30, 1280, 770};
    const WindowId xterm = desktop.addWindow({.app = terminal,
                                              .frame = maximized,
                                              .baseSize = {22, 68},
                                              .resizeIncrement = {9, 18}});

    EXPECT_FALSE(apply(xterm, leftHalf));
    const Rect placed = desktop.frameOf(xterm);
    EXPECT_EQ(placed.width, 22 + 68 * 9);    // 634: most of a cell short of 640
    EXPECT_EQ(placed.height, 68 + 39 * 18);  // 770: on a whole row
    EXPECT_EQ(historyFrames(), std::vector<Rect>{maximized});

    EXPECT_FALSE(undo());
    EXPECT_EQ(desktop.frameOf(xterm), (Rect{0, 30, 1273, 770}));
    EXPECT_EQ(manager.history().size(), 1u);
}

// Undo and placements are not meant to overlap, but if the history changes
// while an undo waits, the undo removes its own entry, not whichever is newest.
TEST_F(WindowManagerTest, UndoRemovesItsOwnEntryEvenIfTheHistoryChangedMeanwhile) {
    const WindowId window = addEditorWindow({.frame = startFrame});
    const WindowId other = addEditorWindow({.frame = Rect{300, 300, 400, 300}});
    ASSERT_TRUE(apply(window, leftHalf));

    testing::QueuedScheduler loop;
    std::optional<bool> undone;
    start(manager.undo(false, loop), [&](std::optional<bool> exact, std::exception_ptr) {
        undone = exact;
    });
    ASSERT_FALSE(loop.pending.empty());
    ASSERT_TRUE(apply(other, Rect{640, 30, 640, 770}));
    loop.finishAll();

    ASSERT_EQ(undone, std::optional<bool>(true));
    ASSERT_EQ(manager.history().size(), 1u);
    EXPECT_EQ(manager.history().back().target.window, other);
}

}  // namespace
}  // namespace corvane
