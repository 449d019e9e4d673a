// Corvane on a private desktop (Xvfb, Openbox, a dock, a tray when trayer is
// installed): how much it costs while idle, and how long a global shortcut
// takes from the key press to the window verified at its place.
//
// Idle: 60 s after the start, resident memory, CPU time and wake-ups (the
// voluntary context switches of all threads) over the next 30 s, from /proc. Press: XTest presses
// of Ctrl+Alt+Super+L and +R in turn on an obedient window, without animation; the time until
// Corvane reports the verified result ("Resize result" on its diagnostics output).
#include <unistd.h>
#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "core/settings/app_settings.h"
#include "core/settings/settings_codec.h"
#include "tests/e2e/harness/desktop.h"

#ifndef CORVANE_APP_PATH
#error "CORVANE_APP_PATH must name the corvane executable"
#endif

namespace {

using namespace corvane;
using namespace std::chrono_literals;
namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int presses = 40;
constexpr double targetMedianMs = 15;
constexpr auto idleAfterStart = 60s;
constexpr auto idleWindow = 30s;

// X keycodes of the default keymap (evdev + 8).
constexpr xcb_keycode_t controlL = 37, altL = 64, superL = 133, keyL = 46, keyR = 27;

struct ProcessSample {
    double cpuSeconds = 0;
    long long wakeUps = 0;
    long long rssKb = 0;
    std::map<std::string, long long> switchesByThread;
};

long long field(const fs::path& status, const std::string& name) {
    std::ifstream in(status);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(name + ":", 0) == 0) return std::atoll(line.c_str() + name.size() + 1);
    }
    return 0;
}

std::string threadName(const fs::path& task) {
    std::ifstream in(task / "comm");
    std::string name;
    std::getline(in, name);
    return name;
}

ProcessSample sample(pid_t pid) {
    ProcessSample s;
    const fs::path proc = fs::path("/proc") / std::to_string(pid);
    s.rssKb = field(proc / "status", "VmRSS");
    for (const auto& task : fs::directory_iterator(proc / "task")) {
        // A thread that sleeps and is woken gives up the CPU voluntarily once;
        // being preempted is not a wake-up.
        const long long n = field(task.path() / "status", "voluntary_ctxt_switches");
        s.wakeUps += n;
        // Nanoseconds on the CPU: finer than the 10 ms ticks of /proc/PID/stat.
        std::ifstream schedstat(task.path() / "schedstat");
        double nanoseconds = 0;
        schedstat >> nanoseconds;
        s.cpuSeconds += nanoseconds / 1e9;
        s.switchesByThread[threadName(task.path()) + " " + task.path().filename().string()] += n;
    }
    return s;
}

double percentile(std::vector<double> values, double p) {
    std::sort(values.begin(), values.end());
    const double rank = p * double(values.size() - 1);
    const auto low = std::size_t(rank);
    const auto high = std::min(low + 1, values.size() - 1);
    return values[low] + (values[high] - values[low]) * (rank - double(low));
}

void fakeKey(xcb_connection_t* c, std::uint8_t type, xcb_keycode_t key) {
    xcb_test_fake_input(c, type, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
}

void pressCombination(xcb_connection_t* c, xcb_keycode_t key) {
    for (xcb_keycode_t k : {controlL, altL, superL, key}) fakeKey(c, XCB_KEY_PRESS, k);
    for (xcb_keycode_t k : {key, superL, altL, controlL}) fakeKey(c, XCB_KEY_RELEASE, k);
    xcb_flush(c);
}

void writeSettings(const fs::path& file) {
    AppSettings settings;
    for (SavedLayout& layout : settings.layouts) {
        if (layout.name == "Left half")
            layout.shortcut = KeyCombo{37, 11, "L"};
        else if (layout.name == "Right half")
            layout.shortcut = KeyCombo{15, 11, "R"};
        else
            continue;
        layout.isGlobal = true;
    }
    settings.animateWindows = false;
    fs::create_directories(file.parent_path());
    std::ofstream(file) << SettingsCodec::encode(settings);
}

void measureIdleFootprint(pid_t pid, Clock::time_point started) {
    std::this_thread::sleep_until(started + idleAfterStart);
    const ProcessSample before = sample(pid);
    std::this_thread::sleep_for(idleWindow);
    const ProcessSample after = sample(pid);
    const double seconds = std::chrono::duration<double>(idleWindow).count();
    const double cpuPercent = (after.cpuSeconds - before.cpuSeconds) / seconds * 100;
    const double wakeUpsPerSecond = double(after.wakeUps - before.wakeUps) / seconds;
    std::printf(
        "idle, 60 s after start, over %.0f s: RSS %.1f MB (target <= 28), CPU %.3f %%, "
        "%.2f wake-ups/s of all threads (target <= 0.1)\n",
        seconds, double(after.rssKb) / 1024, cpuPercent, wakeUpsPerSecond);
    for (const auto& [thread, count] : after.switchesByThread) {
        const auto earlier = before.switchesByThread.find(thread);
        const long long base = earlier == before.switchesByThread.end() ? 0 : earlier->second;
        std::printf("  thread %-24s %.2f wake-ups/s\n", thread.c_str(),
                    double(count - base) / seconds);
    }
}

// A home, runtime folder and settings of its own for Corvane on `desktop`; the
// environment it runs with.
std::vector<std::string> prepareSession(const e2e::Desktop& desktop) {
    const fs::path runtime = desktop.tempDir() / "runtime";
    fs::create_directories(runtime);
    fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
    fs::create_directories(desktop.tempDir() / "home");
    writeSettings(desktop.tempDir() / "config" / "corvane" / "settings.json");
    // Not a first launch: the grid stays closed.
    std::ofstream(desktop.tempDir() / "config" / "corvane" / "state.ini")
        << "[General]\nhasLaunched=true\n";

    std::vector<std::string> env = desktop.environment();
    env.push_back("HOME=" + (desktop.tempDir() / "home").string());
    env.push_back("XDG_RUNTIME_DIR=" + runtime.string());
    env.push_back("DBUS_SESSION_BUS_ADDRESS=unix:path=" + (desktop.tempDir() / "no-bus").string());
    return env;
}

int run(e2e::WindowManager wm, bool measureIdle) {
    e2e::Desktop::Options desktopOptions;
    desktopOptions.windowManager = wm;
    e2e::Desktop desktop(desktopOptions);
    const std::vector<std::string> env = prepareSession(desktop);
    e2e::ChildProcess tray;
    const bool haveTray = std::system("command -v trayer >/dev/null 2>&1") == 0;
    if (haveTray) {
        tray = desktop.spawn({"trayer", "--edge", "bottom", "--SetPartialStrut", "false",
                              "--widthtype", "request", "--height", "24"});
    }

    e2e::ChildProcess::Options options;
    options.argv = {CORVANE_APP_PATH, "--diagnostics"};
    options.env = env;
    options.captureStdout = true;
    const auto started = Clock::now();
    e2e::ChildProcess corvane(options);
    auto ask = [&](const std::string& command) {
        return e2e::runCommand({CORVANE_APP_PATH, command}, env, nullptr, 10s);
    };
    if (!e2e::waitUntil([&] { return ask("--status") == 0; }, 15s)) {
        std::fprintf(stderr, "Corvane did not start\n");
        return 1;
    }
    const auto ready = Clock::now();
    std::printf("desktop: Xvfb 1440x900, %s, dock%s\n", e2e::windowManagerName(wm).c_str(),
                haveTray ? ", trayer" : " (no tray: trayer missing)");
    std::printf("start to first answer: %.0f ms\n",
                std::chrono::duration<double, std::milli>(ready - started).count());

    // Idle footprint.
    if (measureIdle) measureIdleFootprint(corvane.pid(), started);

    // Hot key presses.
    e2e::ProbeOptions probeOptions;
    probeOptions.title = "Bench probe";
    e2e::ProbeWindow probe = desktop.startProbe(probeOptions);
    xcb_connection_t* c = xcb_connect(desktop.display().c_str(), nullptr);
    std::vector<double> verified, reported;
    int inexact = 0, missing = 0;
    for (int i = 0; i < presses; ++i) {
        const auto pressed = Clock::now();
        pressCombination(c, i % 2 == 0 ? keyL : keyR);
        std::optional<std::string> line;
        while ((line = corvane.readLine(5s)) && line->rfind("Resize result: ", 0) != 0) {
        }
        const auto done = Clock::now();
        if (!line) {
            ++missing;
            continue;
        }
        verified.push_back(std::chrono::duration<double, std::milli>(done - pressed).count());
        if (line->find("exact=true") == std::string::npos) ++inexact;
        const auto at = line->find("duration=");
        if (at != std::string::npos) reported.push_back(std::atof(line->c_str() + at + 9));
        std::this_thread::sleep_for(100ms);
    }
    xcb_disconnect(c);
    if (verified.empty()) {
        std::fprintf(stderr, "no press was answered\n");
        return 1;
    }
    const double median = percentile(verified, 0.5);
    std::printf(
        "press to verified, %zu presses (%d not exact, %d unanswered): median %.1f ms, p90 %.1f "
        "ms (target: median <= %.0f ms)\n",
        verified.size(), inexact, missing, median, percentile(verified, 0.9), targetMedianMs);
    if (!reported.empty()) {
        std::printf("Corvane's own placement duration: median %.0f ms, p90 %.0f ms\n",
                    percentile(reported, 0.5), percentile(reported, 0.9));
    }
    ask("--quit");
    corvane.wait(5s);
    return 0;
}

}  // namespace

// Arguments: the window manager ("openbox" unless named) and --no-idle, which
// skips the minute-and-a-half idle measurement.
int main(int argc, char** argv) {
    bool measureIdle = true;
    std::string wm = "openbox";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--no-idle")
            measureIdle = false;
        else
            wm = arg;
    }
    try {
        return run(e2e::windowManagerNamed(wm), measureIdle);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "bench_hotkey: %s\n", error.what());
        return 1;
    }
}
