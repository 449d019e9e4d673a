// Finding the window to tile, placing it and undoing it on a fake X11 desktop:
// what is refused, in which order, and what is remembered for undo.
#include "app/window/window_manager.h"

#include <gtest/gtest.h>

#include <cmath>

#include "core/testing/queued_scheduler.h"
#include "core/testing/simulated_scheduler.h"
#include "platform/fake/fake_desktop.h"

namespace corvane::testing {
namespace {

using platform::AppRef;
using platform::FakeAccess;
using platform::WindowId;

constexpr int corvanePid = 4242;
const Rect startFrame{100, 100, 800, 600};
const Rect leftHalf{0, 30, 640, 770};
const std::string kClosed = "That window has closed. Focus another window and try again.";

// What `body` throws, described for the user; "done" when nothing.
template <typename F>
std::string outcome(F&& body) {
    try {
        body();
    } catch (const std::exception& error) {
        return describeError(error);
    }
    return "done";
}

struct WindowManagerTest : ::testing::Test {
    platform::FakeDesktop desktop;
    SimulatedScheduler scheduler;
    std::vector<std::string> lines;
    WindowManager manager{desktop, corvanePid,
                          [this](const std::string& l) { lines.push_back(l); }};
    AppRef editor = desktop.addApp(1001, "gedit", "Text Editor");

    WindowId addWindow(platform::FakeWindowSpec wanted = {}) {
        wanted.app = editor;
        if (!wanted.title) wanted.title = "notes.txt";
        return desktop.addWindow(wanted);
    }
    bool apply(WindowId window, Rect frame, bool animated = false) {
        const WindowTarget target{window, desktop.window(window).app, "target"};
        return runSynchronously(manager.apply(frame, target, true, animated, scheduler));
    }
    std::string refusal(WindowId window, Rect frame = leftHalf) {
        return outcome([&] { apply(window, frame); });
    }
    bool undo() { return runSynchronously(manager.undo(false, scheduler)); }
};

TEST_F(WindowManagerTest, TheTargetIsTheFocusedWindowOfAnotherLiveApp) {
    const WindowId notes = addWindow();
    addWindow({.title = ""});
    desktop.activate(notes);
    EXPECT_EQ(manager.focusedTarget(editor).window, notes);
    const AppRef corvane = desktop.addApp(corvanePid, "corvane", "Corvane");
    desktop.addWindow({.app = corvane, .title = "Grid"});
    const AppRef idle = desktop.addApp(1004, "idle", "Idle");
    desktop.addWindow({.app = idle, .activate = false});
    desktop.quitApp(editor);
    for (const std::optional<AppRef>& app : {std::optional(corvane), std::optional<AppRef>(),
                                             std::optional(editor), std::optional(idle)}) {
        EXPECT_EQ(outcome([&] { manager.focusedTarget(app); }),
                  "Focus a window in another app, then open the grid.");
    }
}

// Simple X clients, some games and tools name neither a process nor a class:
// each such client is an application of its own, tiled like any other.
TEST_F(WindowManagerTest, AWindowThatNamesNoOwnerIsTheAppOfItsXClient) {
    AppRef tool;
    tool.client = 0x3a00000;
    const WindowId canvas = desktop.addWindow({.app = tool, .frame = startFrame});
    const WindowId palette = desktop.addWindow({.app = tool, .title = "Palette"});
    const WindowId game = desktop.addWindow({.app = AppRef{}, .title = "Game"});
    const WindowId notes = addWindow();

    desktop.activate(canvas);
    const WindowTarget target = manager.focusedTarget(desktop.frontmostApp());
    EXPECT_EQ(target.window, canvas);
    EXPECT_EQ(target.title, "Window");  // no title, no name: the plain word
    EXPECT_TRUE(runSynchronously(manager.apply(leftHalf, target, true, false, scheduler)));
    EXPECT_EQ(desktop.frameOf(canvas), leftHalf);
    EXPECT_TRUE(undo());
    EXPECT_EQ(desktop.frameOf(canvas), startFrame);

    // Other applications, named or not, are not the tool, nor it theirs.
    desktop.activate(game);
    EXPECT_EQ(manager.focusedTarget(desktop.frontmostApp()).window, game);
    EXPECT_EQ(manager.focusedTarget(tool).window, canvas);  // the tool's most recent window
    desktop.activate(notes);
    EXPECT_EQ(manager.focusedTarget(desktop.frontmostApp()).window, notes);
    EXPECT_EQ(manager.focusedTarget(desktop.window(game).app).window, game);

    // The tool ends with its last window.
    desktop.closeWindow(canvas);
    EXPECT_EQ(manager.focusedTarget(tool).window, palette);
    desktop.closeWindow(palette);
    EXPECT_EQ(outcome([&] { manager.frame(target); }), kClosed);
    EXPECT_EQ(outcome([&] { manager.focusedTarget(tool); }),
              "Focus a window in another app, then open the grid.");
}

TEST_F(WindowManagerTest, RefusalsComeInOrderBeforeAnyWrite) {
    const WindowId window =
        addWindow({.frame = startFrame, .fixedSize = true, .fullscreen = true, .minimized = true});
    const auto& counts = desktop.window(window).counts;
    EXPECT_EQ(refusal(window, {0, 0, 0.5, 100}), "The requested window rectangle is invalid.");
    EXPECT_EQ(counts.total(), 0);  // refused before the window is asked anything
    EXPECT_EQ(refusal(window), "Exit full screen before tiling this window.");
    desktop.window(window).fullscreen = false;
    EXPECT_EQ(refusal(window), "Restore this window from the taskbar before tiling it.");
    EXPECT_EQ(counts.frameReads + counts.settableReads, 0);
    desktop.window(window).minimized = false;
    EXPECT_EQ(refusal(window), "This app does not allow its window to be resized.");
    EXPECT_EQ(counts.frameReads, 1);  // the frame is read before the settable tests
    // A window whose minimum is its maximum is fixed too.
    EXPECT_EQ(refusal(addWindow({.minSize = {400, 300}, .maxSize = {400, 300}})), refusal(window));
    // Without a window manager nothing is asked at all, not even whether the frame is valid.
    desktop.available = false;
    const int totalBefore = desktop.totals().total();
    EXPECT_EQ(refusal(window, {0, 0, NAN, 100}),
              "Corvane needs an X11 session with a standard window manager to move other "
              "apps\u2019 windows.");
    EXPECT_EQ(desktop.totals().total(), totalBefore);
    EXPECT_EQ(desktop.totals().writes(), 0);
    EXPECT_TRUE(manager.history().empty() && lines.empty());
}

TEST_F(WindowManagerTest, AnimationFollowsTheUserUnlessTheDesktopAsksForReducedMotion) {
    const WindowId window = addWindow({.frame = startFrame});
    EXPECT_TRUE(apply(window, leftHalf, /*animated=*/false));
    EXPECT_TRUE(apply(window, startFrame, /*animated=*/true));
    EXPECT_GT(scheduler.sleeps(), 0);
    desktop.reduceMotionSetting = true;
    scheduler.waits.clear();
    EXPECT_TRUE(apply(window, leftHalf, /*animated=*/true));
    EXPECT_EQ(scheduler.sleeps(), 0);
    const std::string line = "Enhanced UI: false, temporarily disabled: false";
    EXPECT_EQ(lines, (std::vector<std::string>{"Window animation: false; " + line,
                                               "Window animation: true; " + line,
                                               "Window animation: false; " + line}));
}

TEST_F(WindowManagerTest, TheHistoryKeepsTheLast30RealChanges) {
    const WindowId window = addWindow({.frame = startFrame});
    EXPECT_TRUE(apply(window, Rect{102, 98, 802, 598}));  // at most 2 points: no entry
    EXPECT_TRUE(manager.history().empty());
    for (int move = 1; move <= 31; ++move) ASSERT_TRUE(apply(window, {move * 10.0, 0, 500, 400}));
    ASSERT_EQ(manager.history().size(), 30u);
    EXPECT_EQ(manager.history().front().frame.x, 10);  // the first entry (x = 0) is gone
    EXPECT_EQ(manager.history().back().frame.x, 300);

    // The size lands, then the position is refused: the change is recorded.
    const WindowId failing = addWindow({.frame = startFrame});
    desktop.onAccess = [&](WindowId id, FakeAccess access) {
        if (access == FakeAccess::positionWrite) desktop.window(id).writeError = 11;
    };
    EXPECT_EQ(refusal(failing), "The app could not move this window (X11 error 11).");
    EXPECT_EQ(manager.history().back().target.window, failing);
    desktop.onAccess = nullptr;
    // Nothing changed, nothing recorded.
    EXPECT_EQ(refusal(addWindow({.ignoresWrites = true})).rfind("This window did not accept", 0),
              0u);
    EXPECT_EQ(manager.history().back().target.window, failing);
}

// The window may vanish at any call of a placement: each time the user hears that
// it closed (or, after the placement was verified, it stands), and nothing is left to undo.
TEST_F(WindowManagerTest, AWindowClosingAtAnyPointOfAPlacementIsReportedAsClosed) {
    const WindowId probe = addWindow({.frame = startFrame});
    ASSERT_TRUE(apply(probe, leftHalf, /*animated=*/true));
    const int callsOfAPlacement = desktop.window(probe).counts.total();
    ASSERT_GT(callsOfAPlacement, 5);
    for (int closeAt = 1; closeAt <= callsOfAPlacement; ++closeAt) {
        platform::FakeDesktop vanishing;
        WindowManager windows(vanishing, corvanePid);
        const WindowId window = vanishing.addWindow({.app = editor, .frame = startFrame});
        int calls = 0;
        vanishing.onAccess = [&](WindowId id, FakeAccess) {
            if (++calls == closeAt) vanishing.closeWindow(id);
        };
        SimulatedScheduler clock;
        EXPECT_EQ(
            outcome([&] {
                runSynchronously(windows.apply(leftHalf, {window, editor, "x"}, true, true, clock));
            }),
            closeAt < callsOfAPlacement ? kClosed : "done")
            << closeAt;
        EXPECT_TRUE(windows.history().empty());
    }
}

TEST_F(WindowManagerTest, UndoForgetsExactAndClosedMovesAndKeepsOnesThatStopShort) {
    EXPECT_TRUE(undo());  // nothing to undo: nothing touched
    EXPECT_EQ(desktop.totals().total(), 0);
    const WindowId window = addWindow({.frame = Rect{0, 30, 400, 300}});
    const WindowId other = addWindow({.frame = startFrame});
    ASSERT_TRUE(apply(window, Rect{0, 30, 1000, 800}));
    ASSERT_TRUE(apply(other, leftHalf));
    EXPECT_TRUE(undo());
    EXPECT_EQ(desktop.frameOf(other), startFrame);
    ASSERT_EQ(manager.history().size(), 1u);  // undo records nothing

    desktop.window(window).minSize = {700, 500};  // the app grew its minimum size meanwhile
    EXPECT_FALSE(undo());
    EXPECT_EQ(desktop.frameOf(window), (Rect{0, 30, 700, 500}));
    desktop.window(window).fullscreen = true;  // refused for any reason: the entry stays
    EXPECT_EQ(outcome([&] { undo(); }), "Exit full screen before tiling this window.");
    EXPECT_EQ(manager.history().size(), 1u);
    desktop.window(window).fullscreen = false;
    desktop.window(window).minSize = {};
    EXPECT_TRUE(undo());
    EXPECT_EQ(desktop.frameOf(window), (Rect{0, 30, 400, 300}));
    EXPECT_TRUE(manager.history().empty());

    ASSERT_TRUE(apply(window, leftHalf));
    desktop.closeWindow(window);
    EXPECT_EQ(outcome([&] { undo(); }), kClosed);
    EXPECT_TRUE(manager.history().empty());
}

// A window that cannot quite reach a frame (a minimum size here, a terminal's
// size steps in life) is reported the same way each time it is asked for it,
// not as refusing the resize the second time because it has nowhere to go.
TEST_F(WindowManagerTest, AskedAgainForAFrameItStoppedShortOfTheWindowIsAgainNotExact) {
    const WindowId window = addWindow({.frame = startFrame});
    desktop.window(window).minSize = {700, 300};
    EXPECT_FALSE(apply(window, leftHalf));
    const Rect reached = desktop.frameOf(window);
    EXPECT_EQ(reached.width, 700);
    EXPECT_EQ(refusal(window), "done") << "the second request is answered as the first";
    EXPECT_FALSE(apply(window, leftHalf));
    EXPECT_EQ(desktop.frameOf(window), reached);

    // Moved away meanwhile, it is asked anew: staying put is then a refusal.
    const std::string refused =
        "This window did not accept the resize. Try again, or check whether the app allows "
        "resizing.";
    desktop.window(window).frame = startFrame;
    desktop.window(window).ignoresWrites = true;
    EXPECT_EQ(refusal(window), refused);
    // So is another frame, for a window that never moved.
    const WindowId other = addWindow({.frame = startFrame});
    desktop.window(other).ignoresWrites = true;
    EXPECT_EQ(refusal(other, Rect{500, 30, 640, 770}), refused);
}

// A placement ends a window's maximized states; its undo maximizes the window
// again as it was, and the window manager chooses the maximized frame.
TEST_F(WindowManagerTest, UndoMaximizesAgainWhatThePlacementUnmaximized) {
    desktop.addMonitor("Main", {0, 0, 1280, 800}, 30);
    const Rect workArea{0, 30, 1280, 770};
    const platform::Maximized both{true, true}, vertically{true, false};
    const WindowId full = addWindow({.frame = workArea, .maximized = both});
    const WindowId tall = addWindow({.frame = {200, 30, 500, 770}, .maximized = vertically});

    ASSERT_TRUE(apply(full, leftHalf));
    EXPECT_FALSE(desktop.window(full).maximized.any());
    ASSERT_TRUE(apply(tall, leftHalf));
    EXPECT_EQ(manager.history().back().maximized, vertically);
    EXPECT_TRUE(undo());
    EXPECT_EQ(desktop.window(tall).maximized, vertically);
    EXPECT_EQ(desktop.frameOf(tall), (Rect{200, 30, 500, 770}));

    // The panel grew meanwhile: maximized again is what the user gets back.
    desktop.removeMonitor("Main");
    desktop.addMonitor("Main", {0, 0, 1280, 800}, 50);
    EXPECT_TRUE(undo());
    EXPECT_EQ(desktop.window(full).maximized, both);
    EXPECT_EQ(desktop.frameOf(full), (Rect{0, 50, 1280, 750}));
    EXPECT_TRUE(manager.history().empty());

    // Not maximized again (a window that ignores the request): not exact, the entry stays.
    ASSERT_TRUE(apply(tall, leftHalf));
    desktop.onAccess = [&](WindowId id, FakeAccess access) {
        if (access == FakeAccess::maximizeWrite) desktop.window(id).ignoresWrites = true;
    };
    EXPECT_FALSE(undo());
    EXPECT_FALSE(desktop.window(tall).maximized.any());
    EXPECT_EQ(manager.history().size(), 1u);
}

// If the history changes while an undo waits, the undo removes its own entry.
TEST_F(WindowManagerTest, UndoRemovesItsOwnEntryEvenIfTheHistoryChangedMeanwhile) {
    const WindowId window = addWindow({.frame = startFrame});
    const WindowId other = addWindow({.frame = Rect{300, 300, 400, 300}});
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
