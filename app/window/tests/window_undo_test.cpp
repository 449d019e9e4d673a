// Undo: putting the most recently moved window back, and what the history
// keeps when that does not fully work.
#include "app/window/tests/window_manager_fixture.h"
#include "core/testing/queued_scheduler.h"

namespace corvane::testing {
namespace {

TEST_F(WindowManagerTest, UndoWithNothingToUndoSucceedsWithoutTouchingAnyWindow) {
    addEditorWindow();
    EXPECT_TRUE(undo(/*animated=*/true));
    EXPECT_EQ(desktop.totals().total() + desktop.reduceMotionQueries(), 0);
    EXPECT_TRUE(scheduler.waits.empty());
    EXPECT_TRUE(lines.empty());
}

TEST_F(WindowManagerTest, AnExactUndoForgetsTheMoveAndOneThatStopsShortKeepsIt) {
    const WindowId window = addEditorWindow({.frame = Rect{0, 30, 400, 300}});
    const WindowId other = addEditorWindow({.frame = startFrame});
    ASSERT_TRUE(apply(window, Rect{0, 30, 1000, 800}));
    ASSERT_TRUE(apply(other, leftHalf));
    EXPECT_TRUE(undo(/*animated=*/true));
    EXPECT_EQ(desktop.frameOf(other), startFrame);
    EXPECT_EQ(historyFrames(), std::vector<Rect>{(Rect{0, 30, 400, 300})});  // undo records nothing

    desktop.window(window).minSize = {700, 500};  // the app grew its minimum size meanwhile
    EXPECT_FALSE(undo());
    EXPECT_EQ(desktop.frameOf(window), (Rect{0, 30, 700, 500}));
    EXPECT_EQ(historyFrames(), std::vector<Rect>{(Rect{0, 30, 400, 300})});
    // Refused for any other reason, the entry stays too.
    desktop.window(window).fullscreen = true;
    EXPECT_EQ(refusalOfUndo(), Kind::fullscreen);
    desktop.window(window).fullscreen = false;
    desktop.available = false;
    EXPECT_EQ(refusalOfUndo(), Kind::permission);
    desktop.available = true;
    EXPECT_EQ(manager.history().size(), 1u);

    desktop.window(window).minSize = {};
    EXPECT_TRUE(undo());
    EXPECT_EQ(desktop.frameOf(window), (Rect{0, 30, 400, 300}));
    EXPECT_TRUE(manager.history().empty());
}

TEST_F(WindowManagerTest, UndoOfAClosedWindowForgetsItAndSaysSo) {
    const WindowId window = addEditorWindow({.frame = startFrame});
    ASSERT_TRUE(apply(window, leftHalf));
    desktop.closeWindow(window);
    EXPECT_EQ(describeError(thrown<WindowError>([&] { undo(); })),
              "That window has closed. Focus another window and try again.");
    EXPECT_TRUE(manager.history().empty());
}

// A terminal sizes itself in whole character cells. Maximized by the window
// manager it had a size off that grid, which it cannot take back by itself.
TEST_F(WindowManagerTest, TerminalsStepToWholeCellsAndUndoStopsShortOfAnOffGridSize) {
    const Rect maximized{0, 30, 1280, 770};
    const WindowId xterm = desktop.addWindow(
        {.app = terminal, .frame = maximized, .baseSize = {22, 68}, .resizeIncrement = {9, 18}});
    EXPECT_FALSE(apply(xterm, leftHalf));
    EXPECT_EQ(desktop.frameOf(xterm), (Rect{0, 30, 22 + 68 * 9, 68 + 39 * 18}));  // 634 x 770
    EXPECT_FALSE(undo());
    EXPECT_EQ(desktop.frameOf(xterm), (Rect{0, 30, 1273, 770}));
    EXPECT_EQ(historyFrames(), std::vector<Rect>{maximized});
}

// If the history changes while an undo waits, the undo removes its own entry.
TEST_F(WindowManagerTest, UndoRemovesItsOwnEntryEvenIfTheHistoryChangedMeanwhile) {
    const WindowId window = addEditorWindow({.frame = startFrame});
    const WindowId other = addEditorWindow({.frame = Rect{300, 300, 400, 300}});
    ASSERT_TRUE(apply(window, leftHalf));
    QueuedScheduler loop;
    std::optional<bool> undone;
    start(manager.undo(false, loop), [&](std::optional<bool> exact, auto) { undone = exact; });
    ASSERT_TRUE(apply(other, leftHalf));
    loop.finishAll();
    EXPECT_EQ(undone, std::optional<bool>(true));
    ASSERT_EQ(manager.history().size(), 1u);
    EXPECT_EQ(manager.history().back().target.window, other);
}

}  // namespace
}  // namespace corvane::testing
