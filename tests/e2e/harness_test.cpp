// The real-desktop harness itself: what the other end-to-end tests rely on.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "tests/e2e/harness/desktop.h"

namespace corvane::e2e {
namespace {

// Running, and not merely a zombie waiting to be reaped.
bool processAlive(pid_t pid) {
    std::string stat;
    std::getline(std::ifstream("/proc/" + std::to_string(pid) + "/stat"), stat);
    const auto close = stat.rfind(") ");
    return close != std::string::npos && stat[close + 2] != 'Z';
}

TEST(ChildProcessTest, StopEndsTheWholeGroupAndCommandsThatHangAreStopped) {
    ChildProcess child({.argv = {"sh", "-c", "sleep 60 & echo $!; wait"}, .captureStdout = true});
    const pid_t grandchild = std::stoi(child.readLine(5s).value());
    ASSERT_TRUE(processAlive(grandchild));
    child.stop();
    EXPECT_TRUE(waitUntil([&] { return !processAlive(grandchild); }));

    EXPECT_EQ(runCommand({"sleep", "10"}, {}, nullptr, 200ms), 124);
}

TEST(DesktopTest, APrivateDesktopWithADockLeavesNothingBehindEvenWhenItsTestCrashes) {
    // A test process that dies without cleaning up: its X server and window
    // manager end with it, and the next desktop removes its folder.
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t crashing = fork();
    if (crashing == 0) {
        Desktop desktop;
        dprintf(fds[1], "%d %d %s\n", desktop.serverPid(), desktop.windowManagerPid(),
                desktop.tempDir().c_str());
        raise(SIGKILL);
    }
    close(fds[1]);
    pid_t crashedServer = 0, crashedWindowManager = 0;
    char crashedTemp[256] = {};
    FILE* report = fdopen(fds[0], "r");
    ASSERT_EQ(
        std::fscanf(report, "%d %d %255s", &crashedServer, &crashedWindowManager, crashedTemp), 3);
    std::fclose(report);
    waitpid(crashing, nullptr, 0);
    EXPECT_TRUE(waitUntil(
        [&] { return !processAlive(crashedServer) && !processAlive(crashedWindowManager); }));

    pid_t server = 0, windowManager = 0;
    std::filesystem::path temp;
    {
        Desktop desktop;
        EXPECT_FALSE(std::filesystem::exists(crashedTemp));
        server = desktop.serverPid(), windowManager = desktop.windowManagerPid(),
        temp = desktop.tempDir();
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

// Each window manager reads only what the test gives it: i3 floats every window by
// the test's own configuration, IceWM reads a private folder, and the desktops of
// GNOME's heirs keep their settings in memory on a bus of their own.
TEST(WindowManagerLaunchTest, EveryWindowManagerRunsOnTheTestsOwnConfiguration) {
    const auto folder = std::filesystem::temp_directory_path() /
                        ("corvane-launch-test-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const WindowManagerLaunch i3 = windowManagerLaunch(WindowManager::i3, folder, {});
    ASSERT_EQ(i3.argv, (std::vector<std::string>{"i3", "-c", (folder / "i3.config").string()}));
    std::ifstream config(folder / "i3.config");
    const std::string text{std::istreambuf_iterator<char>(config), {}};
    EXPECT_EQ(text.rfind("# i3 config file (v4)\n", 0), 0u) << "i3 would misread it";
    EXPECT_NE(text.find("for_window [class=\".*\"] floating enable"), std::string::npos);
    EXPECT_EQ(i3.workArea, WorkAreaPublished::never);

    const WindowManagerLaunch icewm = windowManagerLaunch(WindowManager::icewm, folder, {});
    EXPECT_EQ(icewm.env, std::vector<std::string>{"ICEWM_PRIVCFG=" + (folder / "icewm").string()});
    EXPECT_TRUE(std::filesystem::is_directory(folder / "icewm"));
    for (WindowManager wm : {WindowManager::mutter, WindowManager::muffin}) {
        const WindowManagerLaunch launch = windowManagerLaunch(wm, folder, {});
        EXPECT_EQ(launch.argv.front(), "dbus-run-session") << windowManagerName(wm);
        EXPECT_EQ(launch.env, std::vector<std::string>{"GSETTINGS_BACKEND=memory"});
    }
    const WindowManagerLaunch openbox =
        windowManagerLaunch(WindowManager::openbox, folder, {{"W-F11", "true"}});
    std::ifstream rc(folder / "openbox-rc.xml");
    const std::string bindings{std::istreambuf_iterator<char>(rc), {}};
    EXPECT_NE(bindings.find("<keybind key=\"W-F11\">"), std::string::npos);
    EXPECT_THROW(windowManagerLaunch(WindowManager::none, folder, {}), std::runtime_error);
    std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace corvane::e2e
