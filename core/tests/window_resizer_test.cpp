#include "core/window_resizer.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <vector>

#include "core/testing/simulated_scheduler.h"
#include "core/testing/simulated_window.h"
#include "core/testing/task_outcome.h"
#include "core/window_error.h"

namespace corvane {
namespace {

using testing::runToCompletion;
using testing::SimulatedScheduler;
using testing::SimulatedWindow;
using testing::TaskOutcome;
using Call = SimulatedWindow::Call;
using Write = SimulatedWindow::Write;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();

const Rect kStart{100, 100, 800, 600};
const Rect kTarget{0, 25, 720, 875};

TaskOutcome<bool> resizeAtOnce(SimulatedWindow& window, SimulatedScheduler& clock,
                               Rect target = kTarget) {
    return runToCompletion(WindowResizer::resize(target, window, false, clock));
}

std::optional<WindowResizeError::Kind> resizeError(const TaskOutcome<bool>& outcome) {
    const auto error = outcome.errorAs<WindowResizeError>();
    if (!error) return std::nullopt;
    return error->kind();
}

// --- The checks -------------------------------------------------------------

TEST(WindowResizerChecks, ValidFramesAreFiniteAndAtLeastOnePointEachWay) {
    EXPECT_TRUE(WindowResizer::isValid({-50, -20, 1, 1}));
    EXPECT_TRUE(WindowResizer::isValid(kTarget));
    EXPECT_FALSE(WindowResizer::isValid({0, 0, 0.5, 100}));
    EXPECT_FALSE(WindowResizer::isValid({0, 0, 100, 0.999}));
    EXPECT_FALSE(WindowResizer::isValid({0, 0, -100, 100}));
    EXPECT_FALSE(WindowResizer::isValid({nan, 0, 100, 100}));
    EXPECT_FALSE(WindowResizer::isValid({0, inf, 100, 100}));
    EXPECT_FALSE(WindowResizer::isValid({0, 0, nan, 100}));
    EXPECT_FALSE(WindowResizer::isValid({0, 0, 100, inf}));
}

TEST(WindowResizerChecks, MatchingAllowsTwoPointsInEveryComponentInclusive) {
    const Rect base{10, 20, 300, 400};
    for (int component = 0; component < 4; ++component) {
        Rect exact = base;
        Rect beyond = base;
        double* exactValue[] = {&exact.x, &exact.y, &exact.width, &exact.height};
        double* beyondValue[] = {&beyond.x, &beyond.y, &beyond.width, &beyond.height};
        *exactValue[component] -= 2.0;
        *beyondValue[component] += 2.01;
        EXPECT_TRUE(WindowResizer::matches(base, exact)) << "component " << component;
        EXPECT_FALSE(WindowResizer::matches(base, beyond)) << "component " << component;
    }
    EXPECT_FALSE(WindowResizer::matches(base, {nan, 20, 300, 400}));
    EXPECT_FALSE(WindowResizer::matches({10, 20, 300, nan}, {10, 20, 300, nan}));
}

TEST(WindowResizerChecks, FramesWithNegativeSizesCompareByTheirVisibleArea) {
    // Both cover x 10...310 and y 20...420.
    EXPECT_TRUE(WindowResizer::matches({310, 420, -300, -400}, {10, 20, 300, 400}));
    EXPECT_FALSE(WindowResizer::matches({310, 20, -300, 400}, {310, 20, 300, 400}));
}

TEST(WindowResizerChecks, InterpolationEasesInAndOut) {
    const Rect from{0, 0, 0, 0};
    const Rect to{1000, -1000, 500, 2000};
    const double eased[] = {0.028, 0.104, 0.216, 0.352, 0.5, 0.648, 0.784, 0.896, 0.972, 1.0};
    for (int step = 1; step <= 10; ++step) {
        const Rect frame = WindowResizer::interpolate(from, to, step / 10.0);
        const double e = eased[step - 1];
        EXPECT_NEAR(frame.x, 1000 * e, 1e-9) << "step " << step;
        EXPECT_NEAR(frame.y, -1000 * e, 1e-9) << "step " << step;
        EXPECT_NEAR(frame.width, 500 * e, 1e-9) << "step " << step;
        EXPECT_NEAR(frame.height, 2000 * e, 1e-9) << "step " << step;
    }
}

TEST(WindowResizerChecks, InterpolationClampsItsProgress) {
    const Rect from{10, 20, 30, 40};
    const Rect to{110, 220, 330, 440};
    EXPECT_EQ(WindowResizer::interpolate(from, to, -0.5), from);
    EXPECT_EQ(WindowResizer::interpolate(from, to, nan), from);
    EXPECT_EQ(WindowResizer::interpolate(from, to, 1.0), to);
    EXPECT_EQ(WindowResizer::interpolate(from, to, 7.0), to);
    // A negative-size frame starts from its visible top-left corner.
    EXPECT_EQ(WindowResizer::interpolate({40, 60, -30, -40}, to, 0), from);
}

// --- Immediate resizes ------------------------------------------------------

TEST(WindowResizer, AWindowAlreadyInPlaceIsNeitherWrittenNorWaitedFor) {
    for (bool animated : {false, true}) {
        SimulatedWindow window(kTarget);
        SimulatedScheduler clock;
        const Rect nearby{kTarget.x + 1.5, kTarget.y, kTarget.width, kTarget.height};
        const auto outcome =
            runToCompletion(WindowResizer::resize(nearby, window, animated, clock));
        EXPECT_EQ(outcome.value, true) << "animated " << animated;
        EXPECT_EQ(window.reads, 1);
        EXPECT_EQ(window.writeCount(), 0);
        EXPECT_TRUE(clock.waits.empty());
    }
}

TEST(WindowResizer, AnObedientWindowIsSizedThenMovedAndVerified) {
    SimulatedWindow window(kStart);
    SimulatedScheduler clock;
    const auto outcome = resizeAtOnce(window, clock);

    EXPECT_EQ(outcome.value, true);
    EXPECT_EQ(window.reads, 7);
    EXPECT_EQ(window.writes, (std::vector<Write>{{Call::setSize, 720, 875},
                                                 {Call::setPosition, 0, 25}}));
    EXPECT_EQ(clock.pauses(), 4);
    EXPECT_EQ(clock.sleeps(), 0);
    EXPECT_EQ(window.visibleFrame(), kTarget);
}

TEST(WindowResizer, TwoPointsOffCountsAsReachedButNotTwoPointZeroOne) {
    SimulatedWindow close(kStart);
    SimulatedScheduler clock;
    const Rect twoOff{kStart.x, kStart.y, kStart.width, kStart.height + 2.0};
    EXPECT_EQ(resizeAtOnce(close, clock, twoOff).value, true);
    EXPECT_EQ(close.writeCount(), 0);

    SimulatedWindow notClose(kStart);
    const Rect justBeyond{kStart.x, kStart.y, kStart.width, kStart.height + 2.01};
    EXPECT_EQ(resizeAtOnce(notClose, clock, justBeyond).value, true);
    EXPECT_EQ(notClose.writes, (std::vector<Write>{{Call::setSize, 800, 602.01}}));
}

TEST(WindowResizer, InvalidTargetsFailWithoutTouchingTheWindow) {
    const Rect invalid[] = {{0, 25, 0.5, 875}, {nan, 25, 720, 875}, {0, 25, 720, inf},
                            {0, 25, -720, 875}};
    for (const Rect& target : invalid) {
        for (bool animated : {false, true}) {
            SimulatedWindow window(kStart);
            SimulatedScheduler clock;
            const auto outcome =
                runToCompletion(WindowResizer::resize(target, window, animated, clock));
            EXPECT_EQ(resizeError(outcome), WindowResizeError::Kind::invalidFrame)
                << describe(target);
            EXPECT_EQ(window.reads, 0);
            EXPECT_EQ(window.writeCount(), 0);
            EXPECT_TRUE(clock.waits.empty());
        }
    }
}

TEST(WindowResizer, AWindowThatIgnoresEveryWriteIsReportedUnchanged) {
    SimulatedWindow window(kStart, {.ignoreWrites = true});
    SimulatedScheduler clock;
    const auto outcome = resizeAtOnce(window, clock);

    EXPECT_EQ(resizeError(outcome), WindowResizeError::Kind::unchanged);
    EXPECT_EQ(describeError(*outcome.errorAs<WindowResizeError>()),
              "This window did not accept the resize. Try again, or check whether the app "
              "allows resizing.");
    // Five settle waits of 24 polls: size, position, size, position, full.
    EXPECT_EQ(clock.pauses(), 120);
    EXPECT_EQ(window.reads, 1 + 5 * 25);
    EXPECT_EQ(window.writes, (std::vector<Write>{{Call::setSize, 720, 875},
                                                 {Call::setPosition, 0, 25},
                                                 {Call::setSize, 720, 875},
                                                 {Call::setPosition, 0, 25}}));
}

TEST(WindowResizer, AMinimumWidthStopsShortWithTheOriginReached) {
    SimulatedWindow window(kStart, {.minimumWidth = 900});
    SimulatedScheduler clock;
    const auto outcome = resizeAtOnce(window, clock);

    EXPECT_FALSE(outcome.error);
    EXPECT_EQ(outcome.value, false);
    EXPECT_EQ(window.visibleFrame(), (Rect{0, 25, 900, 875}));
    // Size settle 24, position settle 2, second size settle 24, full settle 24.
    EXPECT_EQ(clock.pauses(), 24 + 2 + 24 + 24);
    EXPECT_EQ(window.sizeWrites(), 2);
    EXPECT_EQ(window.positionWrites(), 1);
}

TEST(WindowResizer, AWindowThatMovesWhileResizingIsPutBack) {
    // Only the size changes, yet the window wanders off while resizing.
    const Rect target{kStart.x, kStart.y, 720, 875};
    SimulatedWindow window(kStart, {.shiftOnResizeX = -30, .shiftOnResizeY = 40});
    SimulatedScheduler clock;
    const auto outcome = resizeAtOnce(window, clock, target);

    EXPECT_EQ(outcome.value, true);
    EXPECT_EQ(window.writes, (std::vector<Write>{{Call::setSize, 720, 875},
                                                 {Call::setPosition, 100, 100}}));
    EXPECT_EQ(window.visibleFrame(), target);
}

TEST(WindowResizer, LateWindowsAreWaitedForUntilTheyHoldStill) {
    // Each settle needs the target on two polls in a row after the frame last
    // changed: one more pause per read of lateness.
    const struct {
        int lateReads;
        int pauses;
    } cases[] = {{1, 6}, {2, 8}};
    for (const auto& c : cases) {
        SimulatedWindow window(kStart, {.lateReads = c.lateReads});
        SimulatedScheduler clock;
        const auto outcome = resizeAtOnce(window, clock);
        EXPECT_EQ(outcome.value, true) << "late by " << c.lateReads;
        EXPECT_EQ(clock.pauses(), c.pauses) << "late by " << c.lateReads;
        EXPECT_EQ(window.writeCount(), 2);
    }
}

TEST(WindowResizer, AFailedAccessCallEndsTheResizeWithItsError) {
    const WindowError gone = WindowError::failed(3);
    const struct {
        Call call;
        int failAfter;
        int reads;
        int writes;
    } cases[] = {
        {Call::frame, 0, 0, 0},        // the first read
        {Call::frame, 2, 2, 1},        // a read inside the size settle
        {Call::setSize, 0, 1, 0},      // the first write
        {Call::setPosition, 0, 4, 1},  // the position write after the size settle
    };
    for (const auto& c : cases) {
        SimulatedWindow window(kStart, {.failingCall = c.call, .failAfter = c.failAfter,
                                        .failure = gone});
        SimulatedScheduler clock;
        const auto outcome = resizeAtOnce(window, clock);
        EXPECT_EQ(outcome.errorAs<WindowError>(), gone);
        EXPECT_EQ(window.reads, c.reads);
        EXPECT_EQ(window.writeCount(), c.writes);
    }
}

TEST(WindowResizer, AFailingWaitEndsTheResizeWithItsError) {
    SimulatedWindow window(kStart);
    SimulatedScheduler clock;
    clock.onWait = [](const SimulatedScheduler::Wait&) { throw std::runtime_error("loop gone"); };
    const auto outcome = resizeAtOnce(window, clock);
    const auto error = outcome.errorAs<std::runtime_error>();
    ASSERT_TRUE(error);
    EXPECT_STREQ(error->what(), "loop gone");
    EXPECT_EQ(window.writeCount(), 1);
    EXPECT_EQ(window.reads, 2);
}

}  // namespace
}  // namespace corvane
