// The application's waits: settle pauses that end on the desktop's answer,
// on Qt's event loop.

#include "app/main/qt_scheduler.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>

#include "platform/scheduler/blocking_scheduler.h"

namespace corvane {
namespace {

// A desktop whose answer the test gives by hand.
struct FakeSettle : platform::SettleSignal {
    int pauses = 0;
    bool answered = false;
    void beginPause() override {
        ++pauses;
        answered = false;
    }
    double holdFor = 0;  // once answered, the pause may end this much later
    double answeredAt = 0;
    std::optional<double> settledIn() override {
        if (!answered) return std::nullopt;
        return std::max(0.0, answeredAt + holdFor - platform::monotonicSeconds());
    }
    bool waitSettled(double) override { return answered; }
    void answer() {
        answered = true;
        answeredAt = platform::monotonicSeconds();
        notifyListener();
    }
    void changeWithoutAnswer() { notifyListener(); }
};

QCoreApplication& application() {
    static int argc = 1;
    static char name[] = "qt_scheduler_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Runs one wait on the event loop, with `during` called `afterMs` into it;
// the milliseconds until it resumed, or -1 when it did not within a second.
double timedWait(QtScheduler& scheduler, Scheduler::WaitKind kind, double seconds, int afterMs,
                 const std::function<void()>& during, int* resumes = nullptr) {
    application();
    QEventLoop loop;
    QElapsedTimer clock;
    double elapsed = -1;
    clock.start();
    const bool pending = scheduler.beginWait(kind, seconds, [&] {
        elapsed = double(clock.nsecsElapsed()) / 1e6;
        if (resumes) ++*resumes;
        loop.quit();
    });
    EXPECT_TRUE(pending);
    if (during) QTimer::singleShot(afterMs, during);
    QTimer::singleShot(1000, &loop, &QEventLoop::quit);
    loop.exec();
    return elapsed;
}

TEST(QtSchedulerTest, APauseEndsWhenTheDesktopAnswersAndOnlyThen) {
    application();
    FakeSettle settle;
    QtScheduler scheduler(&settle);
    const double answered =
        timedWait(scheduler, Scheduler::WaitKind::pause, 0.2, 5, [&] { settle.answer(); });
    EXPECT_GE(answered, 4);
    EXPECT_LT(answered, 100) << "ended by the answer, not by its time";
    EXPECT_EQ(settle.pauses, 1);

    // A change that is no answer yet leaves the pause to its full time.
    const double unanswered = timedWait(scheduler, Scheduler::WaitKind::pause, 0.05, 5,
                                        [&] { settle.changeWithoutAnswer(); });
    EXPECT_GE(unanswered, 49);
    EXPECT_EQ(settle.pauses, 2);

    // An answer that asks to wait a little longer ends the pause that much later.
    settle.holdFor = 0.03;
    const double held =
        timedWait(scheduler, Scheduler::WaitKind::pause, 0.2, 5, [&] { settle.answer(); });
    EXPECT_GE(held, 34);
    EXPECT_LT(held, 150);
    // A hold shorter than a millisecond is kept too, however Qt's timers round.
    settle.holdFor = 0.0015;
    const double brief =
        timedWait(scheduler, Scheduler::WaitKind::pause, 0.2, 5, [&] { settle.answer(); });
    EXPECT_GE(brief, 6.5);
    EXPECT_LT(brief, 100);
    settle.holdFor = 0;

    // Sleeps (the animation's frames) keep their time whatever the desktop says.
    const double sleep =
        timedWait(scheduler, Scheduler::WaitKind::sleep, 0.05, 5, [&] { settle.answer(); });
    EXPECT_GE(sleep, 49);
    EXPECT_EQ(settle.pauses, 4);
}

TEST(QtSchedulerTest, AnAnswerAfterThePauseResumesNothing) {
    application();
    FakeSettle settle;
    int resumes = 0;
    {
        QtScheduler scheduler(&settle);
        timedWait(scheduler, Scheduler::WaitKind::pause, 0.01, 0, {}, &resumes);
        EXPECT_EQ(resumes, 1);
        settle.answer();
        QCoreApplication::processEvents();
        EXPECT_EQ(resumes, 1);

        // Cancelled while it waits: it resumes once, cancelled.
        const double cancelled = timedWait(
            scheduler, Scheduler::WaitKind::pause, 0.5, 5, [&] { scheduler.cancel(); }, &resumes);
        EXPECT_LT(cancelled, 400);
        EXPECT_EQ(resumes, 2);
        EXPECT_TRUE(scheduler.isCancelled());
        settle.answer();
        QCoreApplication::processEvents();
    }
    settle.answer();  // the scheduler is gone: nobody listens any more
    EXPECT_EQ(resumes, 2);
}

}  // namespace
}  // namespace corvane
