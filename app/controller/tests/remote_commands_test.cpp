#include "app/controller/remote_commands.h"

#include <unistd.h>

#include <QTest>

#include "app/controller/size_notice.h"
#include "app/controller/tests/controller_fixture.h"

namespace corvane::testing {
namespace {

// DP-1's work area is (0, 30, 1920, 1050).
const Rect leftHalfFrame{0, 30, 960, 1050};
const Rect startFrame{100, 100, 800, 600};

// A request as the command line sends it.
InstanceRequest request(std::string command, std::string argument = {}) {
    InstanceRequest result;
    result.command = std::move(command);
    result.argument = std::move(argument);
    return result;
}

SavedLayout layout(std::string name, TileRegion region, std::optional<KeyCombo> shortcut,
                   bool global, bool enabled = true) {
    SavedLayout result;
    result.name = std::move(name);
    result.region = region;
    result.shortcut = std::move(shortcut);
    result.isGlobal = global;
    result.enabled = enabled;
    return result;
}

class RemoteCommandsTest : public ControllerTest {
protected:
    RemoteCommands& commands() {
        if (!controller) make();
        if (!commands_)
            commands_ = std::make_unique<RemoteCommands>(*controller, [this] { ++quits; });
        return *commands_;
    }

    // Sends a request; the answer, when one came.
    std::optional<InstanceResponse> ask(InstanceRequest request) {
        std::optional<InstanceResponse> answer;
        int answers = 0;
        commands().handle(request, [&](const InstanceResponse& response) {
            ++answers;
            answer = response;
        });
        EXPECT_LE(answers, 1);
        return answer;
    }

    ~RemoteCommandsTest() override { commands_.reset(); }

    std::unique_ptr<RemoteCommands> commands_;
    int quits = 0;
};

TEST_F(RemoteCommandsTest, ApplyLayoutPlacesTheFocusedWindowByName) {
    auto answer = ask(request("apply-layout", "Left half"));
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, (InstanceResponse{0, {}, {}}));
    EXPECT_EQ(desktop.frameOf(window), leftHalfFrame);
    // A hot key placement: the grid stays closed.
    EXPECT_FALSE(controller->panelsOpen());

    answer = ask(request("apply-layout", "left half"));
    EXPECT_EQ(*answer,
              (InstanceResponse{1, {}, "No saved layout is named \u201cleft half\u201d.\n"}));
    EXPECT_EQ(desktop.frameOf(window), leftHalfFrame);
}

TEST_F(RemoteCommandsTest, TwoLayoutsWithTheSameNameAreNotGuessedBetween) {
    AppSettings settings;
    settings.layouts = {layout("Side", {0, 0, 0.5, 1}, std::nullopt, false),
                        layout("Side", {0.5, 0, 0.5, 1}, std::nullopt, false)};
    saveSettings(settings);
    const auto answer = ask(request("apply-layout", "Side"));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->exitCode, 1);
    EXPECT_EQ(answer->err,
              "Several saved layouts are named \u201cSide\u201d. Give them different names to "
              "apply one by name.\n");
    EXPECT_EQ(desktop.frameOf(window), startFrame);
}

TEST_F(RemoteCommandsTest, AWindowThatStopsShortExitsWithTwoAndTheNotice) {
    desktop.closeWindow(window);
    window = desktop.addWindow(
        platform::FakeWindowSpec{.app = app, .frame = startFrame, .minSize = {1200, 400}});
    desktop.activate(window);
    const auto answer = ask(request("apply-layout", "Left half"));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->exitCode, RemoteCommands::exitNotExact);
    EXPECT_EQ(answer->err, std::string(SizeNotice) + "\n");
    EXPECT_EQ(desktop.frameOf(window).width, 1200);
}

TEST_F(RemoteCommandsTest, UndoRestoresAndSaysWhenThereIsNothingLeft) {
    auto answer = ask(request("undo"));
    EXPECT_EQ(*answer, (InstanceResponse{1, {}, "There is nothing to undo.\n"}));

    ask(request("apply-layout", "Maximize"));
    ASSERT_NE(desktop.frameOf(window), startFrame);
    answer = ask(request("undo"));
    EXPECT_EQ(*answer, (InstanceResponse{0, {}, {}}));
    EXPECT_EQ(desktop.frameOf(window), startFrame);
    EXPECT_EQ(ask(request("undo"))->exitCode, 1);
}

TEST_F(RemoteCommandsTest, APlacementInFlightAnswersWhenTheWindowHasSettled) {
    queuedClock = true;
    std::optional<InstanceResponse> first;
    commands().handle(request("apply-layout", "Left half"),
                      [&](const InstanceResponse& r) { first = r; });
    EXPECT_FALSE(first) << "the answer waits for the window";
    ASSERT_TRUE(controller->isApplying());

    const std::string busy = "Another placement is still in progress. Try again in a moment.\n";
    EXPECT_EQ(ask(request("apply-layout", "Right half"))->err, busy);
    EXPECT_EQ(ask(request("undo"))->err, busy);

    ASSERT_NE(lastQueued, nullptr);
    lastQueued->finishAll();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->exitCode, 0);
    EXPECT_EQ(desktop.frameOf(window), leftHalfFrame);
}

TEST_F(RemoteCommandsTest, WithoutAWindowToPlaceTheReasonComesBack) {
    desktop.closeWindow(window);
    const auto answer = ask(request("apply-layout", "Left half"));
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->exitCode, 1);
    EXPECT_FALSE(answer->err.empty());
    EXPECT_EQ(answer->err, controller->message().value_or("") + "\n");
    // As with the hot key, the grid opens to show why.
    EXPECT_TRUE(controller->panelsOpen());
}

TEST_F(RemoteCommandsTest, ListLayoutsWritesOneTabSeparatedLinePerLayout) {
    AppSettings settings;
    settings.layouts = {
        layout("Left half", {0, 0, 0.5, 1}, KeyCombo{37, 11, "L"}, true),
        layout("Right\thalf\nwide", {0.5, 0, 0.5, 1}, KeyCombo{15, 0, "R"}, false),
        layout("Centre", {0.25, 0, 0.5, 1}, std::nullopt, false),
        layout("Off", {0, 0, 1, 1}, KeyCombo{46, 10, "M"}, true, false),
    };
    EXPECT_EQ(RemoteCommands::layoutListing(settings),
              "Left half\tCtrl+Alt+Super+L\tglobal\n"
              "Right half wide\tR\tgrid only\n"
              "Centre\t\tgrid only\n"
              "Off\tCtrl+Alt+M\tglobal\tdisabled\n");

    saveSettings(settings);
    const auto answer = ask(request("list-layouts"));
    EXPECT_EQ(answer->out, RemoteCommands::layoutListing(settings));
    EXPECT_EQ(answer->exitCode, 0);
}

TEST_F(RemoteCommandsTest, StatusNamesTheShortcutsThatCouldNotBeHad) {
    wantTray = true;
    AppSettings settings;
    settings.layouts = {layout("Left half", {0, 0, 0.5, 1}, KeyCombo{37, 11, "L"}, true)};
    saveSettings(settings);
    grabber.refuse(17, 11);
    make().start();

    const std::string status = ask(request("status"))->out;
    EXPECT_EQ(status.rfind("Corvane is running (process " + std::to_string(getpid()) + ").\n", 0),
              0u)
        << status;
    EXPECT_NE(status.find("Window control available\n"), std::string::npos) << status;
    EXPECT_NE(status.find("Settings: " + (dir.path() / "settings.json").string() + "\n"),
              std::string::npos);
    // The off-screen test platform has no tray: the icon waits for one.
    EXPECT_NE(status.find("Tray icon: waiting for a system tray\n"), std::string::npos) << status;
    EXPECT_NE(status.find("Grid: closed\n"), std::string::npos) << status;
    EXPECT_NE(status.find(
                  "Shortcut warnings:\n  Ctrl+Alt+Super+T is in use by another app. Choose another "
                  "activation shortcut.\n"),
              std::string::npos)
        << status;

    // A free activation shortcut: the warning goes, and the icon the user switched off with it.
    AppSettings quiet = settings;
    quiet.activationShortcut = KeyCombo{17, 10, "T"};
    quiet.showMenuBarIcon = false;
    controller->applySettings(quiet);
    const std::string after = ask(request("status"))->out;
    EXPECT_NE(after.find("Shortcut warnings: none\n"), std::string::npos) << after;
    EXPECT_NE(after.find("Tray icon: hidden (switched off in the settings)\n"), std::string::npos)
        << after;
}

TEST_F(RemoteCommandsTest, GridRequestsOpenAndCloseTheGrid) {
    EXPECT_EQ(*ask(request("toggle-grid")), InstanceResponse{});
    EXPECT_TRUE(controller->panelsOpen());
    EXPECT_NE(ask(request("status"))->out.find("Grid: open on 1 display\n"), std::string::npos);
    ask(request("toggle-grid"));
    EXPECT_FALSE(controller->panelsOpen());

    // A second launch reopens the grid, or the settings when it asked for them.
    EXPECT_EQ(*ask(request("launch")), InstanceResponse{});
    EXPECT_TRUE(controller->panelsOpen());
    ask({"launch", {}, false, true});
    EXPECT_FALSE(controller->panelsOpen());
    ASSERT_NE(controller->settingsWindow(), nullptr);
    EXPECT_TRUE(controller->settingsWindow()->isVisible());
}

TEST_F(RemoteCommandsTest, QuitAnswersFirstAndUnknownCommandsAreRefused) {
    EXPECT_EQ(*ask(request("quit")), InstanceResponse{});
    EXPECT_EQ(quits, 0) << "the answer goes out before the application ends";
    EXPECT_TRUE(QTest::qWaitFor([&] { return quits == 1; }, 1000));

    const auto answer = ask(request("rearrange-everything"));
    EXPECT_EQ(answer->exitCode, 1);
    EXPECT_EQ(answer->err,
              "The running Corvane does not know the command \u201crearrange-everything\u201d. It "
              "may be an "
              "older version; restart it.\n");
}

}  // namespace
}  // namespace corvane::testing
