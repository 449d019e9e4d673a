#include "app/remote/remote_commands.h"

#include <QTest>

#include "app/controller/messages.h"
#include "app/controller/tests/controller_fixture.h"
#include "app/settings_window/settings_window.h"
#include "app/tray/tray_status.h"

namespace corvane::testing {
namespace {

const Rect startFrame{100, 100, 800, 600};
const Rect leftHalfFrame{0, 30, 960, 1050};

class RemoteCommandsTest : public ControllerTest {
protected:
    // Sends a request as the command line does; the answer, when one came at once.
    std::optional<InstanceResponse> ask(std::string command, std::string argument = {},
                                        bool settings = false) {
        if (!controller) make();
        if (!commands) {
            commands = std::make_unique<RemoteCommands>(
                *controller, [this] { ++quits; },
                [this] { return tray ? tray->describe() : std::string("none"); });
        }
        std::optional<InstanceResponse> answer;
        commands->handle({std::move(command), std::move(argument), false, settings},
                         [&](const InstanceResponse& response) { answer = response; });
        return answer;
    }

    std::unique_ptr<TrayStatus> tray;
    std::unique_ptr<RemoteCommands> commands;
    int quits = 0;
};

TEST_F(RemoteCommandsTest, ApplyLayoutAndUndoExitWithWhatHappenedToTheWindow) {
    AppSettings settings;
    settings.layouts = {layoutOf("Left half", {0, 0, 0.5, 1}, std::nullopt, false),
                        layoutOf("Side", {0, 0, 0.5, 1}, std::nullopt, false),
                        layoutOf("Side", {0.5, 0, 0.5, 1}, std::nullopt, false)};
    saveSettings(settings);
    EXPECT_EQ(ask("undo"), (InstanceResponse{1, {}, "There is nothing to undo.\n"}));
    EXPECT_EQ(ask("apply-layout", "Left half"), (InstanceResponse{0, {}, {}}));
    EXPECT_EQ(desktop.frameOf(window), leftHalfFrame);
    EXPECT_FALSE(controller->panelsOpen()) << "placed as by its hot key: the grid stays closed";
    EXPECT_EQ(ask("undo"), (InstanceResponse{0, {}, {}}));
    EXPECT_EQ(desktop.frameOf(window), startFrame);

    EXPECT_EQ(ask("apply-layout", "left half"),
              (InstanceResponse{1, {}, "No saved layout is named \u201cleft half\u201d.\n"}));
    EXPECT_EQ(ask("apply-layout", "Side")->err,
              "Several saved layouts are named \u201cSide\u201d. Give them different names to "
              "apply one by name.\n");
    EXPECT_EQ(desktop.frameOf(window), startFrame);

    desktop.window(window).minSize = {1200, 400};
    EXPECT_EQ(ask("apply-layout", "Left half"),
              (InstanceResponse{
                  RemoteCommands::exitNotExact, {}, std::string(Messages::sizeNotice) + "\n"}));

    // Without a window the reason comes back, and the grid opens to show it.
    desktop.closeWindow(window);
    const auto answer = ask("apply-layout", "Left half");
    EXPECT_EQ(answer->exitCode, 1);
    EXPECT_EQ(answer->err, controller->message().value_or("(none)") + "\n");
    EXPECT_TRUE(controller->panelsOpen());
}

// A script's requests run in the order sent, each once the one before has
// settled: "--apply-layout" then at once "--undo" restores the window.
TEST_F(RemoteCommandsTest, RequestsWaitForThePlacementInFlightAndRunInOrder) {
    queuedClock = true;
    ask("status");
    std::vector<std::pair<std::string, InstanceResponse>> answers;
    auto send = [&](const std::string& command, const std::string& argument) {
        commands->handle(
            {command, argument, false, false},
            [&, command](const InstanceResponse& r) { answers.emplace_back(command, r); });
    };
    send("apply-layout", "Left half");
    send("apply-layout", "Right half");
    send("undo", {});
    send("toggle-grid", {});
    EXPECT_TRUE(answers.empty()) << "every answer waits for its window";

    // Each placement ends when its window has settled; the next then starts.
    for (int placement = 0; placement < 3; ++placement) {
        lastQueued->finishAll();
        spin(0);
    }
    ASSERT_EQ(answers.size(), 4u);
    EXPECT_EQ(answers[0], std::pair(std::string("apply-layout"), InstanceResponse{0, {}, {}}));
    EXPECT_EQ(answers[1], std::pair(std::string("apply-layout"), InstanceResponse{0, {}, {}}));
    EXPECT_EQ(answers[2], std::pair(std::string("undo"), InstanceResponse{0, {}, {}}));
    EXPECT_EQ(answers[3].first, "toggle-grid");
    EXPECT_EQ(desktop.frameOf(window), leftHalfFrame) << "the undo took back the right half";
    EXPECT_TRUE(controller->panelsOpen());
}

TEST_F(RemoteCommandsTest, ARequestGivesUpWhenThePlacementDoesNotEnd) {
    queuedClock = true;
    ask("status");
    commands->setPlacementWaitLimit(std::chrono::milliseconds(50));
    std::optional<InstanceResponse> first;
    commands->handle({"apply-layout", "Left half", false, false},
                     [&](const InstanceResponse& r) { first = r; });
    std::optional<InstanceResponse> second;
    commands->handle({"undo", {}, false, false}, [&](const InstanceResponse& r) { second = r; });
    spin(100);
    EXPECT_FALSE(first) << "the window is still settling";
    EXPECT_EQ(second, (InstanceResponse{1, {}, std::string(Messages::busy) + "\n"}));
    lastQueued->finishAll();
    spin(0);
    EXPECT_EQ(first, (InstanceResponse{0, {}, {}}));
    EXPECT_EQ(desktop.frameOf(window), leftHalfFrame) << "the refused undo did nothing later";
}

TEST_F(RemoteCommandsTest, ListingsStatusGridLaunchAndQuitRequests) {
    makeSettingsWindow = [](AppController& c) { return new SettingsWindow(c); };
    AppSettings settings;
    settings.showMenuBarIcon = false;
    settings.layouts = {
        layoutOf("Left half", {0, 0, 0.5, 1}, KeyCombo{37, 11, "L"}, true),
        layoutOf("Right\thalf\nwide", {0.5, 0, 0.5, 1}, KeyCombo{15, 0, "R"}, false),
        layoutOf("Centre", {0.25, 0, 0.5, 1}, std::nullopt, false),
        layoutOf("Off", {0, 0, 1, 1}, KeyCombo{46, 10, "M"}, true, false),
    };
    saveSettings(settings);
    EXPECT_EQ(ask("list-layouts")->out,
              "Left half\tCtrl+Alt+Super+L\tglobal\n"
              "Right half wide\tR\tgrid only\n"
              "Centre\t\tgrid only\n"
              "Off\tCtrl+Alt+M\tglobal\tdisabled\n");
    keyMapping.setLayout(platform::FakeKeyMapping::french());
    EXPECT_NE(ask("list-layouts")->out.find("Off\tCtrl+Alt+,\tglobal\tdisabled\n"),
              std::string::npos)
        << "the key to press: M sits where French keyboards have \",\"";

    tray = std::make_unique<TrayStatus>(*controller);
    controller->start();
    EXPECT_NE(ask("status")->out.find("Tray icon: hidden (switched off in the settings)\n"),
              std::string::npos);
    settings.showMenuBarIcon = true;
    controller->applySettings(settings);
    // The off-screen test platform has no tray: the icon waits for one.
    EXPECT_NE(ask("status")->out.find("Tray icon: waiting for a system tray\n"), std::string::npos);

    EXPECT_EQ(ask("toggle-grid"), InstanceResponse{});
    EXPECT_TRUE(controller->panelsOpen());
    ask("toggle-grid");
    EXPECT_FALSE(controller->panelsOpen());
    // A second launch reopens the grid, or the settings when it asked for them.
    EXPECT_EQ(ask("launch"), InstanceResponse{});
    EXPECT_TRUE(controller->panelsOpen());
    ask("launch", {}, /*settings=*/true);
    EXPECT_FALSE(controller->panelsOpen());
    ASSERT_TRUE(controller->settingsWindow() && controller->settingsWindow()->isVisible());

    EXPECT_EQ(ask("rearrange-everything")->err,
              "The running Corvane does not know the command \u201crearrange-everything\u201d. It "
              "may be an older version; restart it.\n");
    EXPECT_EQ(ask("quit"), InstanceResponse{});
    EXPECT_EQ(quits, 0) << "the answer goes out before the application ends";
    EXPECT_TRUE(QTest::qWaitFor([&] { return quits == 1; }, 1000));
}

}  // namespace
}  // namespace corvane::testing
