// `corvane --smoke-test` on a real desktop: the grid opens, takes the
// keyboard and closes, the settings window shows, and the global shortcuts
// are taken; a shortcut held by another client and a locked screen change
// the outcome as a user would read it.

#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>
#include <sstream>

#include "tests/e2e/grid_session.h"
#include "tests/e2e/harness/child_process.h"

#ifndef CORVANE_LOCKED_SCREENSAVER
#error "CORVANE_LOCKED_SCREENSAVER must name tests/e2e/screensaver/locked_screensaver.py"
#endif

namespace corvane::e2e {
namespace {

using Lines = std::vector<std::string>;

Lines linesOf(const std::string& text) {
    Lines lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The lines after the panels' own.
Lines checkLines(const std::string& out) {
    Lines lines;
    for (const std::string& line : linesOf(out)) {
        if (!line.starts_with("Panel visible=")) lines.push_back(line);
    }
    return lines;
}

const Lines passLines = {"PASS: 1 grid panel(s) visible.",
                         "PASS: keyboard focus acquired.",
                         "PASS: keyboard grid selection.",
                         "PASS: subdivision resets the selection.",
                         "PASS: grid dismissal.",
                         "PASS: constrained background resize keeps the grid closed.",
                         "PASS: deferred size notice appears on deliberate grid opening.",
                         "PASS: completed resize respects Keep Open and clears stale notices.",
                         "PASS: Settings window visible.",
                         "PASS: global shortcuts registered.",
                         "Accessibility permission: enabled"};

// A private session bus on which a screen saver says the screen is locked.
class LockedScreenSaver {
public:
    explicit LockedScreenSaver(const Desktop& desktop) {
        bus_ = ChildProcess({.argv = {"dbus-daemon", "--session", "--nofork", "--print-address=1"},
                             .env = desktop.environment(),
                             .outputFile = (desktop.tempDir() / "dbus.log").string(),
                             .captureStdout = true});
        address_ = bus_.readLine(10s).value_or("");
        if (address_.empty()) return;
        const std::vector<std::string> env = {"DBUS_SESSION_BUS_ADDRESS=" + address_};
        saver_ = ChildProcess({.argv = {"/usr/bin/python3", CORVANE_LOCKED_SCREENSAVER},
                               .env = env,
                               .outputFile = (desktop.tempDir() / "screensaver.log").string()});
        std::string answer;
        answering_ = waitUntil(
            [&] {
                return runCommand(
                           {"dbus-send", "--session", "--print-reply",
                            "--dest=org.freedesktop.ScreenSaver", "/org/freedesktop/ScreenSaver",
                            "org.freedesktop.ScreenSaver.GetActive"},
                           env, &answer, 2s) == 0;
            },
            10s);
        answering_ = answering_ && answer.find("boolean true") != std::string::npos;
    }
    bool answering() const { return answering_; }
    std::string environment() const { return "DBUS_SESSION_BUS_ADDRESS=" + address_; }

private:
    ChildProcess bus_;
    ChildProcess saver_;
    std::string address_;
    bool answering_ = false;
};

// As a user runs it: from a terminal, whose window is the one the grid acts on.
class SelfTestE2eTest : public ::testing::Test {
protected:
    SelfTestE2eTest()
        : desktop(), corvane(desktop, AppSettings{}), terminal(desktop.startProbe()) {}

    Desktop desktop;
    CorvaneSession corvane;
    ProbeWindow terminal;
};

TEST_F(SelfTestE2eTest, EveryCheckPassesOnAPlainDesktop) {
    const Outcome outcome = corvane.run({"--smoke-test"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    const Lines lines = linesOf(outcome.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.front().starts_with("Panel visible=true, key=true, frame=(")) << outcome.out;
    EXPECT_EQ(checkLines(outcome.out), passLines) << outcome.out;
    EXPECT_EQ(outcome.err.find("FAIL"), std::string::npos) << outcome.err;
    EXPECT_TRUE(corvane.panels().empty()) << "nothing of it is left on the screen";
}

TEST_F(SelfTestE2eTest, AnActivationShortcutHeldByAnotherClientFailsTheRun) {
    using Connection = std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)>;
    const Connection other(xcb_connect(desktop.display().c_str(), nullptr), &xcb_disconnect);
    const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(other.get())).data;
    // Ctrl+Alt+Super+T, the default activation shortcut (T is key code 28).
    xcb_generic_error_t* error = xcb_request_check(
        other.get(), xcb_grab_key_checked(other.get(), 1, screen->root,
                                          XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4,
                                          28, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
    ASSERT_EQ(error, nullptr);

    const Outcome outcome = corvane.run({"--smoke-test"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(checkLines(outcome.out), Lines(passLines.begin(), passLines.begin() + 9))
        << outcome.out;
    EXPECT_NE(outcome.err.find("FAIL: Ctrl+Alt+Super+T is in use by another app. Choose another "
                               "activation shortcut.\n"),
              std::string::npos)
        << outcome.err;
}

TEST_F(SelfTestE2eTest, ALockedScreenSkipsTheKeyboardCheckAndTheRunGoesOn) {
    const LockedScreenSaver saver(desktop);
    ASSERT_TRUE(saver.answering()) << "the screen saver did not come up";
    corvane.addEnvironment(saver.environment());
    const Outcome outcome = corvane.run({"--smoke-test"});
    EXPECT_EQ(outcome.status, 0) << outcome.err;
    Lines expected = passLines;
    expected[1] = "SKIP: keyboard focus requires an unlocked desktop.";
    EXPECT_EQ(checkLines(outcome.out), expected) << outcome.out;
}

TEST_F(SelfTestE2eTest, ARunningCorvaneIsLeftAloneAndTheRunRefused) {
    std::string why;
    ASSERT_TRUE(corvane.start(&why)) << why;
    const Outcome outcome = corvane.run({"--smoke-test"});
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.out, "");
    EXPECT_NE(
        outcome.err.find("Corvane is running already; quit it before running the self-test.\n"),
        std::string::npos)
        << outcome.err;
    EXPECT_TRUE(corvane.panels().empty()) << "the running one was not asked to open its grid";
    EXPECT_EQ(corvane.run({"--status"}).status, 0) << "and it still runs";
}

}  // namespace
}  // namespace corvane::e2e
