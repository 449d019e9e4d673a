// The settings window on a real desktop, found and driven the way screen
// readers and automation tools see it (AT-SPI), with real key presses.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "tests/e2e/grid_session.h"
#include "tests/e2e/harness/accessibility_bus.h"

namespace corvane::e2e {
namespace {

constexpr const char* settingsTitle = "Corvane Settings";

// Corvane on its own desktop with the accessibility bus, started as a user
// does and asked for its settings window.
class SettingsWindowTest : public ::testing::Test {
protected:
    void start(const AppSettings& settings = {}, Desktop::Options options = {}) {
        desktop = std::make_unique<Desktop>(options);
        bus = std::make_unique<AccessibilityBus>(*desktop);
        corvane = std::make_unique<CorvaneSession>(*desktop, settings);
        for (const std::string& entry : bus->environment()) corvane->addEnvironment(entry);
        std::string why;
        ASSERT_TRUE(corvane->start(&why)) << why;
        ASSERT_EQ(corvane->run({"--settings"}).status, 0);
        ASSERT_TRUE(waitUntil([&] { return !corvane->windowsTitled(settingsTitle).empty(); }, 10s))
            << corvane->log();
    }

    // The driver's answer; fails the test with its complaint when it has none.
    std::string drive(const std::vector<std::string>& arguments) {
        std::string output, errors;
        const int status = bus->driver(arguments, &output, &errors);
        EXPECT_EQ(status, 0) << errors;
        return output;
    }
    AppSettings storedSettings() const {
        return SettingsCodec::decode(
            readFile(desktop->tempDir() / "config" / "corvane" / "settings.json"));
    }

    std::unique_ptr<Desktop> desktop;
    std::unique_ptr<AccessibilityBus> bus;
    std::unique_ptr<CorvaneSession> corvane;
};

TEST_F(SettingsWindowTest, TheCommandLineOpensTheWindowAndScreenReadersSeeIt) {
    start();
    const std::string windows = drive({"windows"});
    EXPECT_NE(windows.find(settingsTitle), std::string::npos) << windows;
    const std::string controls = drive({"controls", settingsTitle});
    EXPECT_FALSE(controls.empty());
    // It is a normal window of the desktop, in front and with the keyboard.
    const auto window = corvane->windowsTitled(settingsTitle).front();
    EXPECT_EQ(desktop->activeWindow(), window);
}

}  // namespace
}  // namespace corvane::e2e
