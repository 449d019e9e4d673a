// The real-desktop harness itself: what the other end-to-end tests rely on.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "tests/e2e/harness/desktop.h"

namespace corvane::e2e {
namespace {

// Running, and not merely a zombie waiting to be reaped.
bool processAlive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const auto close = line.rfind(") ");
    return close != std::string::npos && line[close + 2] != 'Z';
}

TEST(ChildProcessTest, StopEndsTheWholeGroupAndCommandsReportStatusOutputAndTimeout) {
    ChildProcess child({.argv = {"sh", "-c", "sleep 60 & echo $!; wait"}, .captureStdout = true});
    const pid_t grandchild = std::stoi(child.readLine(5s).value());
    ASSERT_TRUE(processAlive(grandchild));
    child.stop();
    EXPECT_TRUE(waitUntil([&] { return !processAlive(grandchild); }));

    std::string output, errors;
    EXPECT_EQ(runCommand({"sh", "-c", "echo one; echo $GREETING >&2; exit 3"}, {"GREETING=hello"}, &output, 5s,
                         &errors), 3);
    EXPECT_EQ(output, "one\n");
    EXPECT_EQ(errors, "hello\n");
    EXPECT_EQ(runCommand({"sleep", "10"}, {}, nullptr, 200ms), 124);
}

TEST(DesktopTest, APrivateDesktopWithADockLeavesNothingBehindEvenWhenItsTestCrashes) {
    // A test process that dies without cleaning up: its X server, window
    // manager and dock end with it, and the next desktop removes its folder.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t crashing = fork();
    if (crashing == 0) {
        Desktop desktop;
        const std::string report = std::to_string(desktop.serverPid()) + " " +
                                   std::to_string(desktop.windowManagerPid()) + " " + desktop.tempDir().string();
        (void)!write(fds[1], report.data(), report.size());
        raise(SIGKILL);
    }
    close(fds[1]);
    pid_t crashedServer = 0, crashedWindowManager = 0;
    std::string crashedTemp;
    {
        char buffer[512] = {};
        (void)!read(fds[0], buffer, sizeof buffer - 1);
        std::istringstream(buffer) >> crashedServer >> crashedWindowManager >> crashedTemp;
        close(fds[0]);
        waitpid(crashing, nullptr, 0);
    }
    ASSERT_GT(crashedServer, 0);
    EXPECT_TRUE(waitUntil([&] { return !processAlive(crashedServer) && !processAlive(crashedWindowManager); }));

    pid_t server = 0, windowManager = 0;
    std::filesystem::path temp;
    {
        Desktop desktop;
        EXPECT_FALSE(std::filesystem::exists(crashedTemp));
        server = desktop.serverPid();
        windowManager = desktop.windowManagerPid();
        temp = desktop.tempDir();
        auto workArea = desktop.cardinals(desktop.root(), "_NET_WORKAREA");
        workArea.resize(4);
        EXPECT_EQ(workArea, (std::vector<std::uint32_t>{0, 25, 1440, 875}));
        std::string output;
        EXPECT_EQ(desktop.run({"sh", "-c", "echo $DISPLAY"}, &output), 0);
        EXPECT_EQ(output, desktop.display() + "\n");

        ProbeWindow probe = desktop.startProbe({.width = 500, .height = 320, .increments = std::pair(7, 13)});
        EXPECT_EQ(desktop.activeWindow(), probe.window);
        EXPECT_EQ(desktop.clientGeometry(probe.window)->width, 497);  // whole increments: 71 x 7, 24 x 13
        EXPECT_EQ(desktop.clientGeometry(probe.window)->height, 312);
        EXPECT_EQ(desktop.cardinals(probe.window, "_NET_WM_PID"),
                  std::vector<std::uint32_t>{std::uint32_t(probe.process.pid())});
        probe.process.stop();
        EXPECT_TRUE(waitUntil([&] { return !desktop.windowExists(probe.window); }));
    }
    EXPECT_FALSE(processAlive(server));
    EXPECT_FALSE(processAlive(windowManager));
    EXPECT_FALSE(std::filesystem::exists(temp));
}

}  // namespace
}  // namespace corvane::e2e
