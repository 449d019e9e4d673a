// The real-desktop harness itself: what the other end-to-end tests rely on.

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>

#include "tests/e2e/harness/desktop.h"

namespace corvane::e2e {
namespace {

// Running, and not merely a zombie waiting for init to reap it.
bool processAlive(pid_t pid) {
    if (pid <= 0 || kill(pid, 0) != 0) return false;
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    auto close = line.rfind(')');
    return close == std::string::npos || close + 2 >= line.size() || line[close + 2] != 'Z';
}

TEST(ChildProcessTest, StopEndsTheWholeProcessGroup) {
    std::filesystem::path pidFile =
        std::filesystem::temp_directory_path() / ("corvane-grandchild-" + std::to_string(getpid()));
    pid_t grandchild = 0;
    {
        ChildProcess::Options o;
        o.argv = {"sh", "-c", "sleep 60 & echo $! > " + pidFile.string() + "; wait"};
        ChildProcess child(o);
        ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(pidFile) && std::filesystem::file_size(pidFile) > 0; }));
        std::ifstream(pidFile) >> grandchild;
        ASSERT_TRUE(processAlive(grandchild));
    }
    // The grandchild is reparented to init, which reaps it.
    EXPECT_TRUE(waitUntil([&] { return !processAlive(grandchild); }));
    std::filesystem::remove(pidFile);
}

TEST(ChildProcessTest, RunCommandReportsStatusOutputAndTimeout) {
    std::string output;
    EXPECT_EQ(runCommand({"sh", "-c", "echo one; echo two; exit 3"}, {}, &output, 5s), 3);
    EXPECT_EQ(output, "one\ntwo\n");
    output.clear();
    EXPECT_EQ(runCommand({"sh", "-c", "printf $GREETING"}, {"GREETING=hello"}, &output, 5s), 0);
    EXPECT_EQ(output, "hello\n");
    EXPECT_EQ(runCommand({"sleep", "10"}, {}, nullptr, 200ms), 124);
}

TEST(DesktopTest, XvfbWithOpenboxAndDockGivesAWorkAreaBelowTheDock) {
    pid_t server = 0, windowManager = 0;
    std::filesystem::path temp;
    {
        Desktop desktop;
        server = desktop.serverPid();
        windowManager = desktop.windowManagerPid();
        temp = desktop.tempDir();
        EXPECT_EQ(desktop.display().rfind(':', 0), 0u);
        EXPECT_TRUE(processAlive(server));
        EXPECT_TRUE(processAlive(windowManager));
        auto workArea = desktop.cardinals(desktop.root(), "_NET_WORKAREA");
        workArea.resize(4);
        EXPECT_EQ(workArea, (std::vector<std::uint32_t>{0, 25, 1440, 875}));

        std::string output;
        EXPECT_EQ(desktop.run({"sh", "-c", "echo $DISPLAY"}, &output), 0);
        EXPECT_EQ(output, desktop.display() + "\n");
    }
    EXPECT_FALSE(processAlive(server));
    EXPECT_FALSE(processAlive(windowManager));
    EXPECT_FALSE(std::filesystem::exists(temp));
}

TEST(DesktopTest, ProbeOpensAnActiveWindowWithItsHintsAndClosesWithItsProcess) {
    Desktop desktop;
    ProbeOptions options;
    options.title = "Probe \u2014 one";
    options.x = 200;
    options.y = 150;
    options.width = 500;
    options.height = 320;
    options.minSize = std::make_pair(300, 200);
    options.increments = std::make_pair(7, 13);
    options.baseSize = std::make_pair(4, 6);
    ProbeWindow probe = desktop.startProbe(options);

    EXPECT_EQ(desktop.activeWindow(), probe.window);
    auto geometry = desktop.clientGeometry(probe.window);
    ASSERT_TRUE(geometry);
    // The window manager keeps the size on base + n x increment: 4 + 70 x 7, 6 + 24 x 13.
    EXPECT_EQ(geometry->width, 494);
    EXPECT_EQ(geometry->height, 318);
    EXPECT_EQ(desktop.cardinals(probe.window, "_NET_WM_PID"),
              std::vector<std::uint32_t>{static_cast<std::uint32_t>(probe.process.pid())});
    auto hints = desktop.cardinals(probe.window, "WM_NORMAL_HINTS");
    ASSERT_GE(hints.size(), 17u);
    EXPECT_EQ(hints[5], 300u);   // minimum width
    EXPECT_EQ(hints[6], 200u);   // minimum height
    EXPECT_EQ(hints[9], 7u);     // width increment
    EXPECT_EQ(hints[10], 13u);   // height increment
    EXPECT_EQ(hints[15], 4u);    // base width
    EXPECT_EQ(hints[16], 6u);    // base height
    auto extents = desktop.cardinals(probe.window, "_NET_FRAME_EXTENTS");
    ASSERT_EQ(extents.size(), 4u);
    EXPECT_GT(extents[2], 0u) << "Openbox decorates the probe with a title bar";

    probe.process.stop();
    EXPECT_TRUE(waitUntil([&] { return !desktop.windowExists(probe.window); }));
}

TEST(DesktopTest, ProbeStatesReachTheWindowManager) {
    Desktop desktop;
    ProbeOptions fullscreen;
    fullscreen.fullscreen = true;
    ProbeWindow full = desktop.startProbe(fullscreen);
    EXPECT_EQ(desktop.clientGeometry(full.window)->width, 1440);
    EXPECT_EQ(desktop.clientGeometry(full.window)->height, 900);

    ProbeOptions iconic;
    iconic.minimized = true;
    ProbeWindow hidden = desktop.startProbe(iconic);
    auto wmState = desktop.cardinals(hidden.window, "WM_STATE");
    ASSERT_FALSE(wmState.empty());
    EXPECT_EQ(wmState[0], 3u);  // IconicState

    ProbeOptions shadowed;
    shadowed.gtkExtents = 20;
    ProbeWindow csd = desktop.startProbe(shadowed);
    EXPECT_EQ(desktop.cardinals(csd.window, "_NET_FRAME_EXTENTS"), (std::vector<std::uint32_t>{0, 0, 0, 0}));
    EXPECT_EQ(desktop.cardinals(csd.window, "_GTK_FRAME_EXTENTS"), (std::vector<std::uint32_t>{20, 20, 20, 20}));
}

TEST(DesktopTest, XorgDummyAddsAndRemovesASecondMonitor) {
    if (!Desktop::xorgDummyAvailable()) GTEST_SKIP() << "Xorg with the dummy driver needs root";
    Desktop desktop(Desktop::twoMonitors());
    EXPECT_EQ(desktop.monitorCount(), 2);
    EXPECT_EQ(desktop.cardinals(desktop.root(), "_NET_DESKTOP_GEOMETRY"), (std::vector<std::uint32_t>{2720, 900}));
    desktop.removeSecondMonitor();
    EXPECT_EQ(desktop.monitorCount(), 1);
    EXPECT_EQ(desktop.cardinals(desktop.root(), "_NET_DESKTOP_GEOMETRY"), (std::vector<std::uint32_t>{1440, 900}));
    desktop.addSecondMonitor();
    EXPECT_EQ(desktop.monitorCount(), 2);
}

}  // namespace
}  // namespace corvane::e2e
