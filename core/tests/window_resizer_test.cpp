// The verified resizer against simulated windows on a simulated clock: what it
// reads, writes and waits for, counted.
#include "core/window_resizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <sstream>
#include <stdexcept>

#include "core/testing/queued_scheduler.h"
#include "core/testing/simulated_scheduler.h"
#include "core/testing/simulated_window.h"
#include "core/testing/task_outcome.h"

namespace corvane {
namespace {

using namespace corvane::testing;
using Call = SimulatedWindow::Call;
using Write = SimulatedWindow::Write;
using Options = SimulatedWindow::Options;
using WaitKind = Scheduler::WaitKind;

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double inf = std::numeric_limits<double>::infinity();
const Rect kStart{100, 100, 800, 600};
const Rect kTarget{0, 25, 720, 875};

// Refuses the target size itself, so an animation breaks off on its last frame.
bool refusesTargetSize(double width, double height) {
    return width == kTarget.width && height == kTarget.height;
}

// One resize of a simulated window on a simulated clock.
struct Trial {
    SimulatedWindow window;
    SimulatedScheduler clock;
    TaskOutcome<bool> outcome;

    explicit Trial(Options options = {}) : window(kStart, std::move(options)) {}
    Trial& resize(Rect target = kTarget, bool animated = false) {
        outcome = runToCompletion(WindowResizer::resize(target, window, animated, clock));
        return *this;
    }
    std::vector<Write> writesOf(Call call) const {
        std::vector<Write> result;
        for (const Write& w : window.writes)
            if (w.call == call) result.push_back(w);
        return result;
    }
    std::vector<double> sleeps() const {
        std::vector<double> result;
        for (const auto& w : clock.waits)
            if (w.kind == WaitKind::sleep) result.push_back(w.seconds);
        return result;
    }
    std::string result() const {
        if (outcome.value) return *outcome.value ? "exact" : "short";
        try {
            std::rethrow_exception(outcome.error);
        } catch (const WindowResizeError& e) {
            return e.kind() == WindowResizeError::Kind::unchanged ? "unchanged" : "invalid";
        } catch (const TaskCancelled&) {
            return "cancelled";
        } catch (const std::exception& e) {
            return e.what();
        }
    }
    // "<result> r<reads> p<pauses> s<sleeps>: <writes> -> <final frame>"
    std::string summary() const {
        std::ostringstream out;
        out << result() << " r" << window.reads << " p" << clock.pauses() << " s"
            << clock.sleeps() << ":";
        for (const Write& w : window.writes)
            out << (w.call == Call::setSize ? " S" : " P") << w.first << "," << w.second;
        const Rect f = window.visibleFrame();
        out << " -> " << f.x << "," << f.y << "," << f.width << "," << f.height;
        return out.str();
    }
};

TEST(WindowResizer, ReadsWritesAndWaitsAsEachKindOfWindowNeeds) {
    const std::string failed = "The app could not move this window (X11 error 3).";
    const auto failing = [](Call call, int after) {
        return Options{.failingCall = call, .failAfter = after, .failure = WindowError::failed(3)};
    };
    const struct {
        const char* name;
        Options options;
        Rect target;
        bool animated;
        std::string summary;
    } cases[] = {
        // clang-format off
        {"2 off", {}, {100, 102, 798, 602}, false, "exact r1 p0 s0: -> 100,100,800,600"},
        {"2 off, animated", {}, {98, 100, 802, 598}, true, "exact r1 p0 s0: -> 100,100,800,600"},
        {"2.01 off", {}, {100, 100, 800, 602.01}, false,
         "exact r4 p2 s0: S800,602.01 -> 100,100,800,602.01"},
        {"obedient", {}, kTarget, false, "exact r7 p4 s0: S720,875 P0,25 -> 0,25,720,875"},
        // Five settles (size, position, size, position, full) of 24 polls each.
        {"ignores writes", {.ignoreWrites = true}, kTarget, false,
         "unchanged r126 p120 s0: S720,875 P0,25 S720,875 P0,25 -> 100,100,800,600"},
        // Size settle 24, position settle 2, second size settle 24, full settle 24.
        {"minimum width", {.minimumWidth = 900}, kTarget, false,
         "short r79 p74 s0: S720,875 P0,25 S720,875 -> 0,25,900,875"},
        {"moves when resized", {.shiftOnResizeX = -30, .shiftOnResizeY = 40}, {100, 100, 720, 875},
         false, "exact r7 p4 s0: S720,875 P100,100 -> 100,100,720,875"},
        // A settle needs the target on two polls in a row after the last change.
        {"one poll late", {.lateReads = 1}, kTarget, false,
         "exact r9 p6 s0: S720,875 P0,25 -> 0,25,720,875"},
        {"two polls late", {.lateReads = 2}, kTarget, false,
         "exact r11 p8 s0: S720,875 P0,25 -> 0,25,720,875"},
        {"first read fails", failing(Call::frame, 0), kTarget, false,
         failed + " r0 p0 s0: -> 100,100,800,600"},
        {"a settle read fails", failing(Call::frame, 2), kTarget, false,
         failed + " r2 p1 s0: S720,875 -> 100,100,720,875"},
        {"size write fails", failing(Call::setSize, 0), kTarget, false,
         failed + " r1 p0 s0: -> 100,100,800,600"},
        {"position write fails", failing(Call::setPosition, 0), kTarget, false,
         failed + " r4 p2 s0: S720,875 -> 100,100,720,875"},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(Trial(c.options).resize(c.target, c.animated).summary(), c.summary) << c.name;

    Trial ignored({.ignoreWrites = true});
    EXPECT_EQ(describeError(*ignored.resize().outcome.errorAs<WindowResizeError>()),
              "This window did not accept the resize. Try again, or check whether the app "
              "allows resizing.");
    Trial loopGone;
    loopGone.clock.onWait = [](const auto&) { throw std::runtime_error("loop gone"); };
    EXPECT_EQ(loopGone.resize().summary(), "loop gone r2 p1 s0: S720,875 -> 100,100,720,875");
}

TEST(WindowResizer, TheToleranceIsTwoPointsInEveryComponentAndInvalidTargetsAreNeverRead) {
    for (double Rect::*field : {&Rect::x, &Rect::y, &Rect::width, &Rect::height}) {
        Rect near = kStart, beyond = kStart;
        near.*field -= 2.0;
        beyond.*field += 2.01;
        EXPECT_TRUE(WindowResizer::matches(kStart, near)) << describe(near);
        EXPECT_FALSE(WindowResizer::matches(kStart, beyond)) << describe(beyond);
    }
    // Negative sizes compare by the area they cover; NaN matches nothing.
    EXPECT_TRUE(WindowResizer::matches({310, 420, -300, -400}, {10, 20, 300, 400}));
    EXPECT_FALSE(WindowResizer::matches(kStart, {nan, 100, 800, 600}));
    for (Rect target : {Rect{0, 25, 0.5, 875}, Rect{nan, 25, 720, 875}, Rect{0, 25, 720, inf},
                        Rect{0, 25, -720, 875}, Rect{0, 25, 720, 0.999}}) {
        for (bool animated : {false, true}) {
            EXPECT_EQ(Trial().resize(target, animated).summary(),
                      "invalid r0 p0 s0: -> 100,100,800,600")
                << describe(target);
        }
    }
}

void expectWrite(const Write& actual, Call call, double first, double second) {
    EXPECT_EQ(actual.call, call);
    EXPECT_NEAR(actual.first, first, 1e-9);
    EXPECT_NEAR(actual.second, second, 1e-9);
}

TEST(WindowResizerAnimation, AnExactClockGivesTenEasedFramesThenAFullSettle) {
    Trial run;
    EXPECT_EQ(run.resize(kTarget, true).result(), "exact");
    // Smoothstep at 0.1, 0.2 ... 1.0 of the way, 16 ms apart.
    const double eased[] = {0.028, 0.104, 0.216, 0.352, 0.5, 0.648, 0.784, 0.896, 0.972, 1.0};
    ASSERT_EQ(run.window.writes.size(), 20u);
    ASSERT_EQ(run.sleeps().size(), 10u);
    for (int n = 0; n < 10; ++n) {
        const double e = eased[n];
        expectWrite(run.window.writes[2 * n], Call::setSize, 800 - 80 * e, 600 + 275 * e);
        expectWrite(run.window.writes[2 * n + 1], Call::setPosition, 100 - 100 * e, 100 - 75 * e);
        EXPECT_NEAR(run.sleeps()[n], 0.016, 1e-9);
    }
    EXPECT_EQ(run.clock.pauses(), 2);
    EXPECT_EQ(run.window.reads, 1 + 10 + 3);  // start, one per size write, the settle
    EXPECT_EQ(run.window.visibleFrame(), kTarget);

    // Sizes and origins that do not change are not rewritten; a window its
    // resize moves gets its origin back on every frame.
    const Rect resizeOnly{100, 100, 720, 875};
    EXPECT_EQ(Trial().resize({0, 25, 800, 600}, true).window.sizeWrites(), 0);
    EXPECT_EQ(Trial().resize({0, 25, 800, 600}, true).window.positionWrites(), 10);
    EXPECT_EQ(Trial().resize(resizeOnly, true).window.positionWrites(), 0);
    Trial moving({.shiftOnResizeX = 12, .shiftOnResizeY = -7});
    EXPECT_EQ(moving.resize(resizeOnly, true).writesOf(Call::setPosition),
              std::vector<Write>(10, Write{Call::setPosition, 100, 100}));
    EXPECT_EQ(moving.window.visibleFrame(), resizeOnly);
}

TEST(WindowResizerAnimation, AnAbandonedAnimationWritesTheTargetSizeThenGlidesTheOrigin) {
    int sizeWrites = 0;
    Trial run({.refusesSize = [&](double, double) { return ++sizeWrites == 1; }});
    EXPECT_EQ(run.resize(kTarget, true).result(), "exact");
    ASSERT_EQ(run.window.writes.size(), 8u);
    expectWrite(run.window.writes[0], Call::setSize, 800 - 80 * 0.028, 600 + 275 * 0.028);
    expectWrite(run.window.writes[1], Call::setSize, 720, 875);
    // Six eased positions from where the window stayed, 1/60 s apart.
    const double eased[] = {2.0 / 27, 7.0 / 27, 0.5, 20.0 / 27, 25.0 / 27, 1};
    for (int n = 0; n < 6; ++n) {
        const double e = eased[n];
        expectWrite(run.window.writes[2 + n], Call::setPosition, 100 - 100 * e, 100 - 75 * e);
        EXPECT_NEAR(run.sleeps().at(1 + n), 1.0 / 60, 1e-9);
    }
    EXPECT_EQ(run.clock.pauses(), 2 + 2);  // the size settle, then the position settle
    EXPECT_EQ(run.window.visibleFrame(), kTarget);

    // A refused target size is corrected once, never written twice in a row.
    Trial stuck({.refusesSize = refusesTargetSize});
    EXPECT_EQ(stuck.resize(kTarget, true).result(), "short");
    ASSERT_GE(stuck.window.writes.size(), 20u);
    EXPECT_EQ(stuck.window.writes[18], (Write{Call::setSize, 720, 875}));
    EXPECT_EQ(stuck.window.writes[19].call, Call::setPosition);
    EXPECT_EQ(stuck.window.sizeWrites(), 10 + 1);
    EXPECT_EQ(stuck.window.positionWrites(), 9 + 6);
}

TEST(WindowResizerAnimation, ALateClockDropsFramesButStillEndsOnTheTarget) {
    for (bool glide : {false, true}) {
        int sizeWrites = 0;
        Trial run({.refusesSize = [&](double, double) { return glide && ++sizeWrites == 1; }});
        run.clock.extraPerWait = 0.03;  // every wait overruns by 30 ms
        EXPECT_EQ(run.resize(kTarget, true).result(), "exact");
        EXPECT_EQ(run.window.visibleFrame(), kTarget);
        // The animation moves the size; the glide only the origin.
        const auto frames = run.writesOf(glide ? Call::setPosition : Call::setSize);
        ASSERT_GT(frames.size(), 1u) << glide;
        EXPECT_LT(frames.size(), glide ? 6u : 10u);
        // The first frame already shows where the late clock is, not one step of the way.
        EXPECT_LT(frames.front().first, glide ? 100 - 100 * 2.0 / 27 : 800 - 80 * 0.028);
        for (std::size_t i = 1; i < frames.size(); ++i)
            EXPECT_LT(frames[i].first, frames[i - 1].first);  // frames skipped, none repeated
        EXPECT_EQ(frames.back().first, glide ? 0 : 720);
        // Deadlines count from the start, so waits after an overrun get shorter.
        const auto sleeps = run.sleeps();
        for (std::size_t i = 1; i < sleeps.size(); ++i)
            EXPECT_LT(sleeps[i], glide ? 1.0 / 60 : 0.016);
    }
}

TEST(WindowResizerCancellation, CancellingAtAnyWaitStopsAllWrites) {
    for (bool animated : {false, true}) {
        // Animated with a refused target size: animation sleeps, glide sleeps and pauses.
        const Options options = animated ? Options{.refusesSize = refusesTargetSize} : Options{};
        const std::size_t waitCount = Trial(options).resize(kTarget, animated).clock.waits.size();
        std::set<std::string> kindsCancelled;
        for (std::size_t at = 0; at < waitCount; ++at) {
            Trial run(options);
            int writesWhenCancelled = -1;
            run.clock.onWait = [&](const SimulatedScheduler::Wait& wait) {
                if (run.clock.waits.size() != at + 1) return;
                run.clock.cancelled = true;
                writesWhenCancelled = run.window.writeCount();
                const bool frame = std::abs(wait.seconds - 0.016) < 1e-9;
                kindsCancelled.insert(wait.kind == WaitKind::pause ? "pause"
                                      : frame                      ? "animation"
                                                                   : "glide");
            };
            EXPECT_EQ(run.resize(kTarget, animated).result(), "cancelled") << at;
            EXPECT_EQ(run.clock.waits.size(), at + 1);
            EXPECT_EQ(run.window.writeCount(), writesWhenCancelled);
        }
        const std::set<std::string> kinds{"animation", "glide", "pause"};
        EXPECT_EQ(kindsCancelled, animated ? kinds : std::set<std::string>{"pause"});
    }
}

TEST(WindowResizerCancellation, OnAnEventLoopTheResizeSuspendsAtEveryWait) {
    for (bool cancel : {false, true}) {
        SimulatedWindow window(kStart);
        QueuedScheduler loop;
        TaskOutcome<bool> outcome;
        startInto(WindowResizer::resize(kTarget, window, true, loop), outcome);
        EXPECT_EQ(window.writeCount(), 0);  // the first frame waits for its deadline
        int waits = 0;
        while (!outcome.finished && loop.finishNext()) {
            EXPECT_LE(loop.pending.size(), 1u);
            if (cancel && ++waits == 3) loop.cancel();
        }
        EXPECT_EQ(window.writeCount(), cancel ? 6 : 20);
        EXPECT_EQ(outcome.value, cancel ? std::nullopt : std::optional<bool>(true));
        EXPECT_EQ(bool(outcome.errorAs<TaskCancelled>()), cancel);
    }
}

}  // namespace
}  // namespace corvane
