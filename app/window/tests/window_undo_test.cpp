// Undo: putting the most recently moved window back, and what the history
// keeps when that does not fully work.
#include <exception>
#include <optional>
#include <vector>

#include "app/window/tests/window_manager_fixture.h"
#include "core/testing/queued_scheduler.h"

namespace corvane::testing {
namespace {

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
    const WindowId xterm = desktop.addWindow(
        {.app = terminal, .frame = maximized, .baseSize = {22, 68}, .resizeIncrement = {9, 18}});

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

    QueuedScheduler loop;
    std::optional<bool> undone;
    start(manager.undo(false, loop),
          [&](std::optional<bool> exact, std::exception_ptr) { undone = exact; });
    ASSERT_FALSE(loop.pending.empty());
    ASSERT_TRUE(apply(other, Rect{640, 30, 640, 770}));
    loop.finishAll();

    ASSERT_EQ(undone, std::optional<bool>(true));
    ASSERT_EQ(manager.history().size(), 1u);
    EXPECT_EQ(manager.history().back().target.window, other);
}

}  // namespace
}  // namespace corvane::testing
