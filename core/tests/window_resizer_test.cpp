// The verified resizer against simulated windows on a simulated clock: what it
// reads, writes and waits for, counted.
#include "core/window_resizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <set>
#include <sstream>

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
        out << result() << " r" << window.reads << " p" << clock.pauses() << " s" << clock.sleeps()
            << ":";
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
        {"2 off, animated", {}, {98, 102, 802, 598}, true, "exact r1 p0 s0: -> 100,100,800,600"},
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
        {"position write fails", failing(Call::setPosition, 0), kTarget, false,
         failed + " r4 p2 s0: S720,875 -> 100,100,720,875"},
        // Invalid targets are refused before the window is read, animated or not.
        {"NaN target", {}, {nan, 25, 720, 875}, true, "invalid r0 p0 s0: -> 100,100,800,600"},
        {"under one point", {}, {0, 25, 720, 0.999}, false, "invalid r0 p0 s0: -> 100,100,800,600"},
        // clang-format on
    };
    for (const auto& c : cases)
        EXPECT_EQ(Trial(c.options).resize(c.target, c.animated).summary(), c.summary) << c.name;

    Trial ignored({.ignoreWrites = true});
    EXPECT_EQ(describeError(*ignored.resize().outcome.errorAs<WindowResizeError>()),
              "This window did not accept the resize. Try again, or check whether the app "
              "allows resizing.");
    for (double Rect::*field : {&Rect::x, &Rect::y, &Rect::width, &Rect::height}) {
        Rect near = kStart, beyond = kStart;
        near.*field -= 2.0;
        beyond.*field += 2.01;
        EXPECT_TRUE(WindowResizer::matches(kStart, near)) << describe(near);
        EXPECT_FALSE(WindowResizer::matches(kStart, beyond)) << describe(beyond);
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
    for (std::size_t n = 0; n < 10; ++n) {
        const double e = eased[n];
        expectWrite(run.window.writes[2 * n], Call::setSize, 800 - 80 * e, 600 + 275 * e);
        expectWrite(run.window.writes[2 * n + 1], Call::setPosition, 100 - 100 * e, 100 - 75 * e);
        EXPECT_NEAR(run.sleeps()[n], 0.016, 1e-9);
    }
    EXPECT_EQ(run.clock.pauses(), 2);
    EXPECT_EQ(run.window.reads, 1 + 10 + 3);  // start, one per size write, the settle
    // Sizes and origins that do not change are not rewritten.
    EXPECT_EQ(Trial().resize({0, 25, 800, 600}, true).window.sizeWrites(), 0);
    EXPECT_EQ(Trial().resize({100, 100, 720, 875}, true).window.positionWrites(), 0);

    // A late clock drops frames: deadlines count from the start, so the first frame
    // already shows where the clock is and no size is written twice.
    Trial late;
    late.clock.extraPerWait = 0.03;
    EXPECT_EQ(late.resize(kTarget, true).result(), "exact");
    std::vector<double> widths;
    for (const Write& w : late.window.writes)
        if (w.call == Call::setSize) widths.push_back(w.first);
    ASSERT_GT(widths.size(), 1u);
    EXPECT_LT(widths.size(), 10u);
    EXPECT_LT(widths.front(), 800 - 80 * 0.028);
    for (std::size_t i = 1; i < widths.size(); ++i) EXPECT_LT(widths[i], widths[i - 1]);
    EXPECT_EQ(widths.back(), 720);
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

}  // namespace
}  // namespace corvane
