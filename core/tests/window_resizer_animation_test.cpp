#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "core/testing/queued_scheduler.h"
#include "core/testing/simulated_scheduler.h"
#include "core/testing/simulated_window.h"
#include "core/testing/task_outcome.h"
#include "core/window_error.h"
#include "core/window_resizer.h"

namespace corvane {
namespace {

using testing::QueuedScheduler;
using testing::runToCompletion;
using testing::SimulatedScheduler;
using testing::SimulatedWindow;
using testing::startInto;
using testing::TaskOutcome;
using Call = SimulatedWindow::Call;
using Write = SimulatedWindow::Write;
using WaitKind = Scheduler::WaitKind;

const Rect kStart{100, 100, 800, 600};
const Rect kTarget{0, 25, 720, 875};

TaskOutcome<bool> animate(SimulatedWindow& window, SimulatedScheduler& clock,
                          Rect target = kTarget) {
    return runToCompletion(WindowResizer::resize(target, window, true, clock));
}

void expectWrite(const Write& actual, Call call, double first, double second) {
    EXPECT_EQ(actual.call, call);
    EXPECT_NEAR(actual.first, first, 1e-9);
    EXPECT_NEAR(actual.second, second, 1e-9);
}

std::vector<Write> writesOf(const SimulatedWindow& window, Call call) {
    std::vector<Write> result;
    for (const Write& w : window.writes) {
        if (w.call == call) result.push_back(w);
    }
    return result;
}

// Refuses the target size itself, so the animation breaks off on its last frame.
bool refusesTargetSize(double width, double height) {
    return width == kTarget.width && height == kTarget.height;
}

// --- Animation --------------------------------------------------------------

TEST(WindowResizerAnimation, AnExactClockGivesTenEasedFramesThenAFullSettle) {
    SimulatedWindow window(kStart);
    SimulatedScheduler clock;
    const auto outcome = animate(window, clock);

    EXPECT_EQ(outcome.value, true);
    ASSERT_EQ(window.writes.size(), 20u);
    for (int n = 1; n <= 10; ++n) {
        SCOPED_TRACE(n);
        const Rect frame = WindowResizer::interpolate(kStart, kTarget, n / 10.0);
        expectWrite(window.writes[2 * n - 2], Call::setSize, frame.width, frame.height);
        expectWrite(window.writes[2 * n - 1], Call::setPosition, frame.x, frame.y);
    }
    ASSERT_EQ(clock.sleeps(), 10);
    for (const auto& wait : clock.waits) {
        if (wait.kind == WaitKind::sleep) {
            EXPECT_NEAR(wait.seconds, 0.016, 1e-9);
        }
    }
    EXPECT_EQ(clock.pauses(), 2);         // the full settle after a completed animation
    EXPECT_EQ(window.reads, 1 + 10 + 3);  // start, one per size write, the settle
    EXPECT_EQ(window.visibleFrame(), kTarget);
}

TEST(WindowResizerAnimation, UnchangedSizesAndOriginsAreNotRewritten) {
    SimulatedWindow moveOnly(kStart);
    SimulatedScheduler clock;
    EXPECT_EQ(animate(moveOnly, clock, {0, 25, 800, 600}).value, true);
    EXPECT_EQ(moveOnly.sizeWrites(), 0);
    EXPECT_EQ(moveOnly.positionWrites(), 10);

    SimulatedWindow resizeOnly(kStart);
    EXPECT_EQ(animate(resizeOnly, clock, {100, 100, 720, 875}).value, true);
    EXPECT_EQ(resizeOnly.sizeWrites(), 10);
    EXPECT_EQ(resizeOnly.positionWrites(), 0);
}

TEST(WindowResizerAnimation, AWindowMovedByItsResizeGetsItsOriginBackEveryFrame) {
    SimulatedWindow window(kStart, {.shiftOnResizeX = 12, .shiftOnResizeY = -7});
    SimulatedScheduler clock;
    EXPECT_EQ(animate(window, clock, {100, 100, 720, 875}).value, true);
    ASSERT_EQ(window.positionWrites(), 10);
    for (const Write& w : writesOf(window, Call::setPosition)) {
        EXPECT_EQ(w, (Write{Call::setPosition, 100, 100}));
    }
    EXPECT_EQ(window.visibleFrame(), (Rect{100, 100, 720, 875}));
}

TEST(WindowResizerAnimation, ALateClockDropsFramesButStillEndsOnTheTarget) {
    SimulatedWindow window(kStart);
    SimulatedScheduler clock;
    clock.extraPerWait = 0.03;  // every wait overruns by 30 ms
    EXPECT_EQ(animate(window, clock).value, true);

    const auto sizes = writesOf(window, Call::setSize);
    ASSERT_GT(sizes.size(), 1u);
    EXPECT_LT(sizes.size(), 10u);
    for (std::size_t i = 1; i < sizes.size(); ++i) {
        EXPECT_LT(sizes[i].first, sizes[i - 1].first);    // shrinking towards 720
        EXPECT_GT(sizes[i].second, sizes[i - 1].second);  // growing towards 875
    }
    // The first frame already shows where the late clock is, not a tenth of the way.
    EXPECT_LT(sizes.front().first, WindowResizer::interpolate(kStart, kTarget, 0.1).width);
    EXPECT_EQ(sizes.back(), (Write{Call::setSize, 720, 875}));
    EXPECT_EQ(writesOf(window, Call::setPosition).back(), (Write{Call::setPosition, 0, 25}));
    // Deadlines count from the start, so waits after an overrun get shorter.
    for (std::size_t i = 1; i < clock.waits.size(); ++i) {
        if (clock.waits[i].kind == WaitKind::sleep) {
            EXPECT_LT(clock.waits[i].seconds, 0.016);
        }
    }
}

TEST(WindowResizerAnimation, ARefusedSizeWritesTheTargetSizeThenGlidesTheOrigin) {
    int sizeWrites = 0;
    SimulatedWindow window(kStart,
                           {.refusesSize = [&](double, double) { return ++sizeWrites == 1; }});
    SimulatedScheduler clock;
    EXPECT_EQ(animate(window, clock).value, true);

    const Rect first = WindowResizer::interpolate(kStart, kTarget, 0.1);
    ASSERT_EQ(window.writes.size(), 8u);
    expectWrite(window.writes[0], Call::setSize, first.width, first.height);
    EXPECT_EQ(window.writes[1], (Write{Call::setSize, 720, 875}));
    // The glide: six eased positions from where the window stayed.
    for (int n = 1; n <= 6; ++n) {
        SCOPED_TRACE(n);
        const Rect step = WindowResizer::interpolate(kStart, kTarget, n / 6.0);
        expectWrite(window.writes[1 + n], Call::setPosition, step.x, step.y);
    }
    EXPECT_EQ(clock.sleeps(), 1 + 6);
    for (std::size_t i = 1; i < clock.waits.size(); ++i) {
        if (clock.waits[i].kind == WaitKind::sleep) {
            EXPECT_NEAR(clock.waits[i].seconds, 1.0 / 60, 1e-9);
        }
    }
    EXPECT_EQ(clock.pauses(), 2 + 2);  // the size settle, then the position settle
    EXPECT_EQ(window.visibleFrame(), kTarget);
}

TEST(WindowResizerAnimation, ALateClockShortensTheGlideToo) {
    int sizeWrites = 0;
    SimulatedWindow window(kStart,
                           {.refusesSize = [&](double, double) { return ++sizeWrites == 1; }});
    SimulatedScheduler clock;
    clock.extraPerWait = 0.03;
    EXPECT_EQ(animate(window, clock).value, true);

    const auto glide = writesOf(window, Call::setPosition);
    ASSERT_GT(glide.size(), 1u);
    EXPECT_LT(glide.size(), 6u);
    EXPECT_LT(glide.front().first, WindowResizer::interpolate(kStart, kTarget, 1.0 / 6).x);
    for (std::size_t i = 1; i < glide.size(); ++i) {
        EXPECT_LT(glide[i].first, glide[i - 1].first);  // skipped frames, not repeated ones
    }
    EXPECT_EQ(glide.back(), (Write{Call::setPosition, 0, 25}));
    EXPECT_EQ(window.visibleFrame(), kTarget);
}

TEST(WindowResizerAnimation, ARefusedTargetSizeIsNotWrittenTwiceInARow) {
    SimulatedWindow window(kStart, {.refusesSize = refusesTargetSize});
    SimulatedScheduler clock;
    const auto outcome = animate(window, clock);
    EXPECT_FALSE(outcome.error);
    EXPECT_EQ(outcome.value, false);  // moved, but stuck short of the size

    // Nine frames of size and position, the refused tenth size, then the glide.
    ASSERT_GE(window.writes.size(), 20u);
    EXPECT_EQ(window.writes[18], (Write{Call::setSize, 720, 875}));
    EXPECT_EQ(window.writes[19].call, Call::setPosition);
    EXPECT_EQ(window.sizeWrites(), 10 + 1);  // the frames, then one correction
    EXPECT_EQ(window.positionWrites(), 9 + 6);
    EXPECT_EQ(clock.sleeps(), 10 + 6);
}

// --- Cancellation -----------------------------------------------------------

struct Scenario {
    const char* name;
    bool animated;
    SimulatedWindow::Options options;
};

std::vector<Scenario> scenarios() {
    return {{"immediate", false, {}},
            {"animated with a glide", true, {.refusesSize = refusesTargetSize}}};
}

TEST(WindowResizerCancellation, CancellingAtAnyWaitStopsAllWrites) {
    for (const Scenario& scenario : scenarios()) {
        SimulatedWindow reference(kStart, scenario.options);
        SimulatedScheduler referenceClock;
        runToCompletion(
            WindowResizer::resize(kTarget, reference, scenario.animated, referenceClock));
        const std::size_t waitCount = referenceClock.waits.size();
        ASSERT_GT(waitCount, 0u);

        for (std::size_t at = 0; at < waitCount; ++at) {
            SCOPED_TRACE(std::string(scenario.name) + ", wait " + std::to_string(at));
            SimulatedWindow window(kStart, scenario.options);
            SimulatedScheduler clock;
            int writesWhenCancelled = -1;
            Rect frameWhenCancelled;
            clock.onWait = [&](const SimulatedScheduler::Wait&) {
                if (clock.waits.size() != at + 1) return;
                clock.cancelled = true;
                writesWhenCancelled = window.writeCount();
                frameWhenCancelled = window.visibleFrame();
            };
            const auto outcome =
                runToCompletion(WindowResizer::resize(kTarget, window, scenario.animated, clock));
            EXPECT_TRUE(outcome.errorAs<TaskCancelled>());
            EXPECT_EQ(clock.waits.size(), at + 1);
            EXPECT_EQ(window.writeCount(), writesWhenCancelled);
            EXPECT_EQ(window.visibleFrame(), frameWhenCancelled);  // no rollback either
        }
    }
}

TEST(WindowResizerCancellation, TheSweepReachesEveryKindOfWait) {
    SimulatedWindow window(kStart, {.refusesSize = refusesTargetSize});
    SimulatedScheduler clock;
    runToCompletion(WindowResizer::resize(kTarget, window, true, clock));
    int animationSleeps = 0, glideSleeps = 0;
    for (const auto& wait : clock.waits) {
        if (wait.kind != WaitKind::sleep) continue;
        ++(std::abs(wait.seconds - 0.016) < 1e-9 ? animationSleeps : glideSleeps);
    }
    EXPECT_EQ(animationSleeps, 10);
    EXPECT_EQ(glideSleeps, 6);
    EXPECT_GT(clock.pauses(), 0);
}

// --- On an event loop ---------------------------------------------------------

TEST(WindowResizerOnALoop, TheResizeSuspendsAtEveryWaitAndFinishesFromTheLoop) {
    SimulatedWindow window(kStart);
    QueuedScheduler loop;
    TaskOutcome<bool> outcome;
    startInto(WindowResizer::resize(kTarget, window, true, loop), outcome);

    EXPECT_FALSE(outcome.finished);
    EXPECT_EQ(window.writeCount(), 0);  // the first frame waits for its deadline
    ASSERT_EQ(loop.pending.size(), 1u);
    int waits = 0;
    while (!outcome.finished && loop.finishNext()) {
        ++waits;
        EXPECT_LE(loop.pending.size(), 1u);
    }
    EXPECT_EQ(waits, 10 + 2);
    EXPECT_EQ(outcome.value, true);
    EXPECT_EQ(window.writeCount(), 20);
    EXPECT_EQ(window.visibleFrame(), kTarget);
}

TEST(WindowResizerOnALoop, CancellingFromTheLoopEndsThePendingResize) {
    SimulatedWindow window(kStart);
    QueuedScheduler loop;
    TaskOutcome<bool> outcome;
    startInto(WindowResizer::resize(kTarget, window, false, loop), outcome);
    ASSERT_TRUE(loop.finishNext());  // the first poll of the size settle
    const int writes = window.writeCount();

    loop.cancel();
    EXPECT_TRUE(outcome.finished);
    EXPECT_TRUE(outcome.errorAs<TaskCancelled>());
    EXPECT_EQ(window.writeCount(), writes);
    EXPECT_TRUE(loop.pending.empty());
}

}  // namespace
}  // namespace corvane
