// Hot keys bound to actions: what is grabbed, what a press runs, and what is
// released, with IDs that never repeat.
#include "app/shortcuts/hot_key_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace corvane {
namespace {

using Combination = std::pair<std::uint16_t, std::uint32_t>;
using Combinations = std::vector<Combination>;

// Combinations in `takenElsewhere` belong to another application. Repeated grabs
// are not refused here, so the manager's own protection against duplicates shows.
class FakeGrabber final : public platform::HotKeyGrabber {
public:
    bool grab(std::uint16_t keyCode, std::uint32_t modifiers) override {
        ++attempts;
        if (takenElsewhere.count({keyCode, modifiers}) != 0) return false;
        grabbed.emplace_back(keyCode, modifiers);
        return true;
    }
    void ungrab(std::uint16_t keyCode, std::uint32_t modifiers) override {
        ungrabbed.emplace_back(keyCode, modifiers);
        std::erase(grabbed, Combination{keyCode, modifiers});
    }
    void press(std::uint16_t keyCode, std::uint32_t modifiers) {
        if (onPressed) onPressed(keyCode, modifiers);
    }
    std::set<Combination> takenElsewhere;
    int attempts = 0;
    Combinations grabbed, ungrabbed;
};

constexpr std::uint16_t keyT = 17, keyA = 0, keyLeft = 123;

TEST(HotKeyManager, PressesRunTheirActionAndRefusedOrRepeatedCombinationsKeepNothing) {
    FakeGrabber grabber;
    grabber.takenElsewhere.insert({keyA, 8});
    std::vector<std::string> ran;
    const auto action = [&](const std::string& name) {
        return [&ran, name] { ran.push_back(name); };
    };
    {
        HotKeyManager manager(grabber);
        EXPECT_FALSE(manager.registerHotKey(keyA, 8, action("taken")));  // uses up ID 1
        ASSERT_TRUE(manager.registerHotKey(keyT, 11, action("grid")));
        ASSERT_TRUE(manager.registerHotKey(keyLeft, 2 | 16, action("left")));  // 16: unknown bit
        EXPECT_FALSE(manager.registerHotKey(keyT, 11, action("again")));
        EXPECT_FALSE(manager.registerHotKey(keyT, 11 | 32, action("same keys")));
        EXPECT_EQ(grabber.attempts, 3);
        EXPECT_EQ(grabber.grabbed, (Combinations{{keyT, 11}, {keyLeft, 2}}));
        EXPECT_FALSE(manager.registeredID(keyA, 8));
        EXPECT_EQ(manager.registeredID(keyT, 11), 2u);

        grabber.press(keyLeft, 2);
        grabber.press(keyA, 8);
        grabber.press(keyT, 8);
        grabber.press(keyT, 11);
        EXPECT_EQ(ran, (std::vector<std::string>{"left", "grid"}));

        // IDs keep counting after everything is released; a late press runs nothing.
        manager.unregisterAll();
        EXPECT_EQ(grabber.ungrabbed, (Combinations{{keyT, 11}, {keyLeft, 2}}));
        grabber.press(keyT, 11);
        EXPECT_EQ(ran.size(), 2u);
        ASSERT_TRUE(manager.registerHotKey(keyT, 11, action("grid again")));
        EXPECT_EQ(manager.registeredID(keyT, 11), 6u);  // each refusal used one up too
    }
    // Destruction releases every hot key and stops listening.
    EXPECT_TRUE(grabber.grabbed.empty());
    EXPECT_FALSE(grabber.onPressed);
}

TEST(HotKeyManager, AnActionMayReplaceEveryHotKeyWhileItRuns) {
    FakeGrabber grabber;
    HotKeyManager manager(grabber);
    std::vector<std::string> ran;
    auto captured = std::make_shared<std::string>("kept alive by the action");
    manager.registerHotKey(keyT, 11, [&, captured] {
        manager.unregisterAll();  // destroys the stored copy of this very action
        manager.registerHotKey(keyA, 11, [&] { ran.push_back("new"); });
        ran.push_back(*captured);
    });
    grabber.press(keyT, 11);
    grabber.press(keyT, 11);
    grabber.press(keyA, 11);
    EXPECT_EQ(ran, (std::vector<std::string>{"kept alive by the action", "new"}));
}

}  // namespace
}  // namespace corvane
