#include "core/task.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "core/testing/queued_scheduler.h"
#include "core/testing/task_outcome.h"

namespace corvane {
namespace {

using testing::QueuedScheduler;
using testing::TaskOutcome;

Task<int> fortyTwo() {
    co_return 42;
}

Task<int> failing() {
    throw std::runtime_error("no window");
    co_return 0;
}

Task<int> sumOfTwo() {
    co_return co_await fortyTwo() + co_await fortyTwo();
}

Task<int> catchesInner() {
    try {
        co_return co_await failing();
    } catch (const std::runtime_error&) {
        co_return -1;
    }
}

// A coroutine that waits twice, two levels deep, recording its steps.
Task<void> waitsTwice(Scheduler& scheduler, std::vector<std::string>& steps) {
    steps.push_back("begin");
    co_await scheduler.sleep(0.5);
    steps.push_back("slept");
    co_await scheduler.pause();
    steps.push_back("paused");
}

Task<int> outer(Scheduler& scheduler, std::vector<std::string>& steps) {
    co_await waitsTwice(scheduler, steps);
    co_return static_cast<int>(steps.size());
}

TEST(Task, ValuesAndErrorsReachTheAwaitingCoroutineAndTheCaller) {
    EXPECT_EQ(runSynchronously(sumOfTwo()), 84);
    EXPECT_EQ(runSynchronously(catchesInner()), -1);
    const auto failed = testing::runToCompletion(failing());
    EXPECT_TRUE(failed.finished && !failed.value);
    EXPECT_STREQ(failed.errorAs<std::runtime_error>().value().what(), "no window");
    EXPECT_THROW(runSynchronously(failing()), std::runtime_error);
}

TEST(Task, PendingWaitsSuspendUntilTheLoopResumesOrCancelsThem) {
    for (bool cancel : {false, true}) {
        QueuedScheduler loop;
        std::vector<std::string> steps;
        TaskOutcome<int> outcome;
        testing::startInto(outer(loop, steps), outcome);
        EXPECT_EQ(steps, std::vector<std::string>{"begin"});
        ASSERT_EQ(loop.pending.size(), 1u);
        EXPECT_EQ(loop.pending.front().seconds, 0.5);
        ASSERT_TRUE(loop.finishNext());
        EXPECT_EQ(steps.back(), "slept");
        ASSERT_EQ(loop.pending.size(), 1u);
        EXPECT_EQ(loop.pending.front().kind, Scheduler::WaitKind::pause);
        EXPECT_FALSE(outcome.finished);
        cancel ? loop.cancel() : void(loop.finishNext());
        EXPECT_TRUE(outcome.finished);
        EXPECT_EQ(outcome.value, cancel ? std::nullopt : std::optional<int>(3));
        EXPECT_EQ(bool(outcome.errorAs<TaskCancelled>()), cancel);
        EXPECT_EQ(steps.back(), cancel ? "slept" : "paused");
    }
}

TEST(Task, RunSynchronouslyRefusesATaskLeftWaitingAndSurvivesItsLateEnd) {
    QueuedScheduler loop;
    std::vector<std::string> steps;
    EXPECT_THROW(runSynchronously(outer(loop, steps)), std::logic_error);
    // The task ends later, after the call gave up on it: nothing is written to a stale stack.
    loop.finishAll();
    EXPECT_EQ(steps.back(), "paused");
}

}  // namespace
}  // namespace corvane
