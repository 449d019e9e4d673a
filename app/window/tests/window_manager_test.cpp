// Finding the window to tile and placing it: what is refused, in which order,
// and what is remembered for undo.
#include <cmath>

#include "app/window/tests/window_manager_fixture.h"

namespace corvane::testing {
namespace {

const std::string kClosed = "That window has closed. Focus another window and try again.";
const std::string kNoWindow = "Focus a window in another app, then open the grid.";

TEST_F(WindowManagerTest, TheTargetIsTheAppsFocusedWindowWithATitle) {
    const WindowId notes = addEditorWindow({.title = "notes.txt"});
    addEditorWindow({.title = "todo.txt"});
    EXPECT_EQ(manager.focusedTarget(editor).title, "todo.txt");
    desktop.activate(notes);
    desktop.addWindow({.app = terminal, .title = "bash"});  // another app is active now
    const WindowTarget target = manager.focusedTarget(editor);
    EXPECT_EQ(target.window, notes);
    EXPECT_TRUE(target.app.sameApp(editor));
    desktop.closeWindow(notes);  // the one active before it takes over
    EXPECT_EQ(manager.focusedTarget(editor).title, "todo.txt");

    const AppRef nameless = desktop.addApp(1003, "", "");
    desktop.addWindow({.app = nameless});
    EXPECT_EQ(manager.focusedTarget(nameless).title, "Window");
    desktop.addWindow({.app = terminal});
    EXPECT_EQ(manager.focusedTarget(terminal).title, "XTerm");
    desktop.addWindow({.app = terminal, .title = ""});  // an empty title stays empty
    EXPECT_EQ(manager.focusedTarget(terminal).title, "");
}

TEST_F(WindowManagerTest, NoTargetForCorvaneNoAppAnEndedAppOrAWindowNeverActive) {
    desktop.addWindow({.app = terminal});
    const AppRef corvane = desktop.addApp(corvanePid, "corvane", "Corvane");
    desktop.addWindow({.app = corvane, .title = "Grid"});
    addEditorWindow();
    desktop.quitApp(editor);
    const AppRef idle = desktop.addApp(1004, "idle", "Idle");
    desktop.addWindow({.app = idle, .activate = false});
    for (const std::optional<AppRef>& app : {std::optional(corvane), std::optional<AppRef>(),
                                             std::optional(editor), std::optional(idle)}) {
        EXPECT_EQ(describeError(thrown<WindowError>([&] { manager.focusedTarget(app); })),
                  kNoWindow);
    }
    desktop.focusError = WindowError::failed(2);
    EXPECT_EQ(describeError(thrown<WindowError>([&] { manager.focusedTarget(terminal); })),
              "The app could not move this window (X11 error 2).");
    // Without a window manager, nothing is asked at all, not even whether a frame is valid.
    desktop.available = false;
    const WindowId window = desktop.addWindow({.app = terminal});
    EXPECT_EQ(refusal(window, {0, 0, 0.5, 100}), Kind::permission);
    EXPECT_EQ(desktop.totals().total(), 0);
}

TEST_F(WindowManagerTest, RefusalsComeInOrderBeforeAnyWrite) {
    const WindowId fresh = addEditorWindow();
    for (Rect invalid : {Rect{0, 0, 0.5, 100}, Rect{0, 0, 100, NAN}, Rect{INFINITY, 0, 10, 10}}) {
        EXPECT_EQ(thrown<WindowResizeError>([&] { apply(fresh, invalid); }).kind(),
                  WindowResizeError::Kind::invalidFrame);
    }
    EXPECT_EQ(desktop.window(fresh).counts.total(), 0);  // refused before it is asked
    const WindowId window = addEditorWindow(
        {.frame = startFrame, .fixedSize = true, .fullscreen = true, .minimized = true});
    const auto& counts = desktop.window(window).counts;
    const auto expectRefusal = [&](const char* text, int frameReads, int settableReads) {
        EXPECT_EQ(describeError(thrown<WindowError>([&] { apply(window, leftHalf); })), text);
        EXPECT_EQ(counts.frameReads, frameReads);
        EXPECT_EQ(counts.settableReads, settableReads);
    };
    expectRefusal("Exit full screen before tiling this window.", 0, 0);
    desktop.window(window).fullscreen = false;
    expectRefusal("Restore this window from the taskbar before tiling it.", 0, 0);
    desktop.window(window).minimized = false;
    expectRefusal("This app does not allow its window to be resized.", 1, 1);  // frame first
    // A window that can be resized but not moved, or whose minimum is its maximum, is fixed too.
    EXPECT_EQ(refusal(addEditorWindow({.fixedPosition = true})), Kind::fixedSize);
    EXPECT_EQ(refusal(addEditorWindow({.minSize = {400, 300}, .maxSize = {400, 300}})),
              Kind::fixedSize);
    EXPECT_EQ(desktop.totals().writes(), 0);
    EXPECT_TRUE(manager.history().empty());
    EXPECT_TRUE(lines.empty());
    const WindowId failing = addEditorWindow();
    desktop.window(failing).readError = 9;
    EXPECT_EQ(thrown<WindowError>([&] { apply(failing, leftHalf); }), WindowError::failed(9));
}

TEST_F(WindowManagerTest, AnimationFollowsTheUserUnlessTheDesktopAsksForReducedMotion) {
    const WindowId window = addEditorWindow({.frame = startFrame});
    EXPECT_TRUE(apply(window, leftHalf, /*animated=*/false));
    EXPECT_EQ(desktop.reduceMotionQueries(), 0);
    EXPECT_TRUE(apply(window, startFrame, /*animated=*/true));
    EXPECT_GT(scheduler.sleeps(), 0);
    desktop.reduceMotionSetting = true;
    scheduler.waits.clear();
    desktop.window(window).counts = {};
    EXPECT_TRUE(apply(window, leftHalf, /*animated=*/true));
    EXPECT_EQ(scheduler.sleeps(), 0);
    EXPECT_EQ(desktop.window(window).counts.writes(), 2);  // one size, one position
    const std::string line = "Enhanced UI: false, temporarily disabled: false";
    EXPECT_EQ(lines, (std::vector<std::string>{"Window animation: false; " + line,
                                               "Window animation: true; " + line,
                                               "Window animation: false; " + line}));
    EXPECT_EQ(desktop.frameOf(window), leftHalf);
}

TEST_F(WindowManagerTest, TheHistoryKeepsTheLast30RealMovesEvenWhenAResizeFails) {
    const WindowId window = addEditorWindow({.frame = startFrame});
    EXPECT_TRUE(apply(window, Rect{101.5, 100, 800, 600}));  // at most 2 points: no entry
    EXPECT_TRUE(apply(window, Rect{102, 98, 802, 598}));
    EXPECT_TRUE(manager.history().empty());
    EXPECT_TRUE(runSynchronously(manager.apply(leftHalf, targetOf(window), false, false,
                                               scheduler)));  // no entry asked for
    EXPECT_TRUE(manager.history().empty());
    for (int move = 1; move <= 31; ++move) ASSERT_TRUE(apply(window, {move * 10.0, 0, 500, 400}));
    ASSERT_EQ(manager.history().size(), 30u);
    EXPECT_EQ(manager.history().front().frame.x, 10);  // the first entry (x = 0) is gone
    EXPECT_EQ(manager.history().back().frame.x, 300);
    EXPECT_EQ(manager.history().back().target.window, window);

    // The size lands, then the window system refuses the position: the change is recorded.
    const WindowId failing = addEditorWindow({.frame = startFrame});
    desktop.onAccess = [&](WindowId id, FakeAccess access) {
        if (access == FakeAccess::positionWrite) desktop.window(id).writeError = 11;
    };
    EXPECT_EQ(thrown<WindowError>([&] { apply(failing, leftHalf); }), WindowError::failed(11));
    EXPECT_EQ(manager.history().back().frame, startFrame);
    EXPECT_EQ(manager.history().back().target.window, failing);

    desktop.onAccess = nullptr;
    const WindowId cancelled = addEditorWindow({.frame = startFrame});
    scheduler.onWait = [&](const auto&) {
        scheduler.cancelled = desktop.window(cancelled).counts.sizeWrites > 0;
    };
    EXPECT_THROW(apply(cancelled, leftHalf), TaskCancelled);
    EXPECT_EQ(manager.history().back().target.window, cancelled);
    scheduler = SimulatedScheduler();

    // Nothing changed, nothing recorded.
    const WindowId ignoring = addEditorWindow({.ignoresWrites = true});
    EXPECT_EQ(thrown<WindowResizeError>([&] { apply(ignoring, leftHalf); }).kind(),
              WindowResizeError::Kind::unchanged);
    EXPECT_EQ(manager.history().back().target.window, cancelled);
}

// The window may vanish at any call of a placement: each time the user hears
// that it closed (or, after the placement was verified, it stands), and nothing
// is left to undo.
TEST_F(WindowManagerTest, AWindowClosingAtAnyPointOfAPlacementIsReportedAsClosed) {
    const WindowId probe = addEditorWindow({.frame = startFrame});
    ASSERT_TRUE(apply(probe, leftHalf, /*animated=*/true));
    const int callsOfAPlacement = desktop.window(probe).counts.total();
    ASSERT_GT(callsOfAPlacement, 5);
    for (int closeAt = 1; closeAt <= callsOfAPlacement; ++closeAt) {
        FakeDesktop vanishing;
        WindowManager windows(vanishing, corvanePid);
        const WindowId window = vanishing.addWindow({.app = editor, .frame = startFrame});
        int calls = 0;
        vanishing.onAccess = [&](WindowId id, FakeAccess) {
            if (++calls == closeAt) vanishing.closeWindow(id);
        };
        SimulatedScheduler clock;
        std::string outcome = "placed";
        try {
            runSynchronously(windows.apply(leftHalf, {window, editor, "x"}, true, true, clock));
        } catch (const std::exception& error) {
            outcome = describeError(error);
        }
        EXPECT_EQ(outcome, closeAt < callsOfAPlacement ? kClosed : "placed") << closeAt;
        EXPECT_TRUE(windows.history().empty());
    }
}

}  // namespace
}  // namespace corvane::testing
