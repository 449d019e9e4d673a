#include "core/task.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/scheduler.h"
#include "core/testing/queued_scheduler.h"

namespace corvane {
namespace {

using testing::QueuedScheduler;

// What start() reported for a value task.
template <typename T>
struct Outcome {
    int calls = 0;
    std::optional<T> value;
    std::exception_ptr error;

    auto callback() {
        return [this](std::optional<T> v, std::exception_ptr e) {
            ++calls;
            value = std::move(v);
            error = e;
        };
    }
    std::string errorText() const {
        try {
            if (error) std::rethrow_exception(error);
        } catch (const std::exception& e) {
            return e.what();
        }
        return {};
    }
};

Task<int> fortyTwo() { co_return 42; }

Task<int> failing() {
    throw std::runtime_error("no window");
    co_return 0;
}

Task<int> sumOfTwo() {
    const int a = co_await fortyTwo();
    const int b = co_await fortyTwo();
    co_return a + b;
}

Task<int> catchesInner() {
    try {
        co_return co_await failing();
    } catch (const std::runtime_error&) {
        co_return -1;
    }
}

TEST(Task, ValuesAndNestedAwaitsReachTheCaller) {
    Outcome<int> outcome;
    start(sumOfTwo(), outcome.callback());
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_EQ(outcome.value, 84);
    EXPECT_FALSE(outcome.error);
}

TEST(Task, AnExceptionReachesTheAwaitingCoroutineAndStart) {
    Outcome<int> caught;
    start(catchesInner(), caught.callback());
    EXPECT_EQ(caught.value, -1);

    Outcome<int> uncaught;
    start(failing(), uncaught.callback());
    EXPECT_EQ(uncaught.calls, 1);
    EXPECT_FALSE(uncaught.value);
    EXPECT_EQ(uncaught.errorText(), "no window");
}

TEST(Task, MoveOnlyResultsAreHandedOver) {
    auto make = []() -> Task<std::unique_ptr<int>> { co_return std::make_unique<int>(7); };
    Outcome<std::unique_ptr<int>> outcome;
    start(make(), outcome.callback());
    ASSERT_TRUE(outcome.value && *outcome.value);
    EXPECT_EQ(**outcome.value, 7);
}

TEST(Task, NothingRunsUntilTheTaskIsAwaitedOrStarted) {
    int runs = 0;
    auto body = [](int& counter) -> Task<void> {
        ++counter;
        co_return;
    };
    {
        Task<void> unused = body(runs);
        EXPECT_EQ(runs, 0);
    }
    EXPECT_EQ(runs, 0);

    int calls = 0;
    std::exception_ptr error;
    start(body(runs), [&](std::exception_ptr e) {
        ++calls;
        error = e;
    });
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(error);
}

// Records the steps of a coroutine that waits twice, two levels deep.
Task<void> waitsTwice(Scheduler& scheduler, std::vector<std::string>& steps) {
    steps.push_back("begin");
    co_await scheduler.sleep(0.5);
    steps.push_back("after sleep");
    co_await scheduler.pause();
    steps.push_back("after pause");
}

Task<int> outer(Scheduler& scheduler, std::vector<std::string>& steps) {
    co_await waitsTwice(scheduler, steps);
    steps.push_back("outer");
    co_return static_cast<int>(steps.size());
}

TEST(Task, PendingWaitsSuspendUntilTheLoopResumesThem) {
    QueuedScheduler loop;
    std::vector<std::string> steps;
    Outcome<int> outcome;
    start(outer(loop, steps), outcome.callback());

    EXPECT_EQ(steps, (std::vector<std::string>{"begin"}));
    ASSERT_EQ(loop.pending.size(), 1u);
    EXPECT_EQ(loop.pending.front().kind, Scheduler::WaitKind::sleep);
    EXPECT_DOUBLE_EQ(loop.pending.front().seconds, 0.5);
    EXPECT_EQ(outcome.calls, 0);

    ASSERT_TRUE(loop.finishNext());
    EXPECT_EQ(steps.back(), "after sleep");
    ASSERT_EQ(loop.pending.size(), 1u);
    EXPECT_EQ(loop.pending.front().kind, Scheduler::WaitKind::pause);
    EXPECT_DOUBLE_EQ(loop.pending.front().seconds, Scheduler::settlePause);
    EXPECT_EQ(outcome.calls, 0);

    ASSERT_TRUE(loop.finishNext());
    EXPECT_EQ(steps, (std::vector<std::string>{"begin", "after sleep", "after pause", "outer"}));
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_EQ(outcome.value, 4);
    EXPECT_TRUE(loop.pending.empty());
}

TEST(Task, CancellingAPendingWaitThrowsTaskCancelledOutOfIt) {
    QueuedScheduler loop;
    std::vector<std::string> steps;
    Outcome<int> outcome;
    start(outer(loop, steps), outcome.callback());
    ASSERT_TRUE(loop.finishNext());

    loop.cancel();
    EXPECT_EQ(steps, (std::vector<std::string>{"begin", "after sleep"}));
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_FALSE(outcome.value);
    ASSERT_TRUE(outcome.error);
    EXPECT_THROW(std::rethrow_exception(outcome.error), TaskCancelled);
    EXPECT_EQ(loop.waitsBegun, 2);
}

TEST(Task, RunSynchronouslyHandsBackTheValueOrTheError) {
    EXPECT_EQ(runSynchronously(sumOfTwo()), 84);
    try {
        runSynchronously(failing());
        FAIL() << "no error";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "no window");
    }
}

TEST(Task, RunSynchronouslyRefusesATaskLeftWaitingAndSurvivesItsLateEnd) {
    QueuedScheduler loop;
    std::vector<std::string> steps;
    EXPECT_THROW(runSynchronously(outer(loop, steps)), std::logic_error);
    // The task ends later, after the call gave up on it: nothing is written to a stale stack.
    loop.finishAll();
    EXPECT_EQ(steps.back(), "outer");
}

TEST(Task, CheckCancellationThrowsOnlyOnceCancelled) {
    QueuedScheduler loop;
    EXPECT_NO_THROW(loop.checkCancellation());
    loop.cancel();
    EXPECT_THROW(loop.checkCancellation(), TaskCancelled);
}

}  // namespace
}  // namespace corvane
