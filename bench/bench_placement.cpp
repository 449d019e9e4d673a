// How long a verified placement takes on a real X server with Openbox, next
// to the floor the resizer's settle pauses impose and to wmctrl doing the same
// moves without checking them. Prints its figures; no assertions.

#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "app/window/window_manager.h"
#include "core/tile_geometry.h"
#include "platform/scheduler/blocking_scheduler.h"
#include "platform/x11/x11_displays.h"
#include "platform/x11/x11_window_system.h"
#include "tests/e2e/harness/desktop.h"

namespace {

using namespace corvane;

constexpr int placements = 30;
// The obedient immediate path: a size settle and a position settle, each two
// pauses long (the frame must pass and then hold still).
constexpr int floorPauses = 4;

// Real time, counting the settle pauses taken.
class CountingScheduler : public platform::BlockingScheduler {
public:
    int pauses = 0;
    bool beginWait(WaitKind kind, double seconds, std::function<void()> resume) override {
        if (kind == WaitKind::pause) ++pauses;
        return BlockingScheduler::beginWait(kind, seconds, std::move(resume));
    }
};

struct Figures {
    double median = 0, p90 = 0, min = 0, max = 0;
};

Figures figures(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    const std::size_t n = ms.size();
    Figures f;
    f.median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    f.p90 = ms[static_cast<std::size_t>(std::ceil(0.9 * static_cast<double>(n))) - 1];
    f.min = ms.front();
    f.max = ms.back();
    return f;
}

void print(const char* label, const Figures& f) {
    std::printf("%-44s median %6.1f ms   p90 %6.1f ms   (min %.1f, max %.1f)\n", label, f.median,
                f.p90, f.min, f.max);
}

// Alternates the window between the two halves of the work area through the
// window manager and the resizer, timing each apply up to its verified result.
std::vector<double> placeThroughCorvane(const e2e::Desktop& desktop, int writeWaitMs, int& inexact,
                                        int& pauses) {
    e2e::Connection connection(desktop.display());
    platform::X11WindowSystem::Options options;
    options.writeWaitMs = writeWaitMs;
    platform::X11WindowSystem windows(connection.get(), 0, options);
    platform::X11Displays displays(connection.get(), 0);
    WindowManager manager(windows, static_cast<int>(getpid()));
    CountingScheduler scheduler;

    WindowTarget target = manager.focusedTarget(windows.frontmostApp());
    const Rect visible = displays.displays().at(0).visibleFrame;
    const Rect halves[] = {TileGeometry::frame(TileRegion{0, 0, 0.5, 1}, visible, Margins{}),
                           TileGeometry::frame(TileRegion{0.5, 0, 0.5, 1}, visible, Margins{})};
    std::vector<double> ms;
    for (int i = 0; i < placements; ++i) {
        const double start = platform::monotonicSeconds();
        bool exact =
            runSynchronously(manager.apply(halves[i % 2], target, false, false, scheduler));
        ms.push_back((platform::monotonicSeconds() - start) * 1000);
        inexact += exact ? 0 : 1;
    }
    pauses = scheduler.pauses;
    return ms;
}

// The same moves with `wmctrl -e`: one process per move, nothing verified.
std::vector<double> placeThroughWmctrl(const e2e::Desktop& desktop, std::uint32_t window) {
    const std::string id = std::to_string(window);
    const char* moves[] = {"0,0,25,720,875", "0,720,25,720,875"};
    std::vector<double> ms;
    for (int i = 0; i < placements; ++i) {
        const double start = platform::monotonicSeconds();
        desktop.run({"wmctrl", "-i", "-r", id, "-e", moves[i % 2]});
        ms.push_back((platform::monotonicSeconds() - start) * 1000);
    }
    return ms;
}

}  // namespace

int main() {
    e2e::Desktop desktop;
    e2e::ProbeWindow probe = desktop.startProbe();
    const double floorMs = floorPauses * Scheduler::settlePause * 1000;
    std::printf(
        "%d placements alternating between the halves of a 1440x900 Xvfb screen, Openbox,\n"
        "25 px dock; immediate path, from the start of apply to its verified result.\n\n",
        placements);

    int inexact = 0, pauses = 0;
    print("corvane (WindowManager::apply)",
          figures(placeThroughCorvane(desktop, 25, inexact, pauses)));
    std::printf(
        "%-44s %6.1f ms   (%d pauses x %.0f ms; measured %.1f pauses per placement, %d not "
        "exact)\n",
        "floor of the algorithm", floorMs, floorPauses, Scheduler::settlePause * 1000,
        double(pauses) / placements, inexact);

    inexact = 0, pauses = 0;
    print("corvane, not waiting for the WM after writes",
          figures(placeThroughCorvane(desktop, 0, inexact, pauses)));
    std::printf("%-44s %.1f pauses per placement, %d not exact\n", "", double(pauses) / placements,
                inexact);

    print("wmctrl -e (unverified, one process each)",
          figures(placeThroughWmctrl(desktop, probe.window)));
    return 0;
}
