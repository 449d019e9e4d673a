// Coroutine tasks: values and errors travel to whoever awaits them, and waits
// suspend until the loop resumes or cancels them.
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

Task<int> failing() {
    throw std::runtime_error("no window");
    co_return 0;
}

Task<int> sleepsThenPauses(Scheduler& scheduler, std::vector<std::string>& steps) {
    steps.push_back("begin");
    co_await scheduler.sleep(0.5);
    steps.push_back("slept");
    co_await scheduler.pause();
    steps.push_back("paused");
    co_return static_cast<int>(steps.size());
}

TEST(Task, WaitsSuspendUntilTheLoopResumesOrCancelsThem) {
    EXPECT_THROW(runSynchronously(failing()), std::runtime_error);
    for (bool cancel : {false, true}) {
        QueuedScheduler loop;
        std::vector<std::string> steps;
        testing::TaskOutcome<int> outcome;
        testing::startInto(sleepsThenPauses(loop, steps), outcome);
        EXPECT_EQ(steps, std::vector<std::string>{"begin"});
        ASSERT_EQ(loop.pending.size(), 1u);
        EXPECT_EQ(loop.pending.front().seconds, 0.5);
        ASSERT_TRUE(loop.finishNext());
        ASSERT_EQ(loop.pending.size(), 1u);
        EXPECT_EQ(loop.pending.front().kind, Scheduler::WaitKind::pause);
        EXPECT_FALSE(outcome.finished);
        cancel ? loop.cancel() : void(loop.finishNext());
        EXPECT_TRUE(outcome.finished);
        EXPECT_EQ(outcome.value, cancel ? std::nullopt : std::optional<int>(3));
        EXPECT_EQ(bool(outcome.errorAs<TaskCancelled>()), cancel);
    }
    // A task left waiting is refused; its late end writes to no stale stack.
    QueuedScheduler loop;
    std::vector<std::string> steps;
    EXPECT_THROW(runSynchronously(sleepsThenPauses(loop, steps)), std::logic_error);
    loop.finishAll();
    EXPECT_EQ(steps.back(), "paused");
}

}  // namespace
}  // namespace corvane
