#include "app/shortcuts/hot_key_manager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <utility>
#include <vector>

namespace corvane {
namespace {

using Combination = std::pair<std::uint16_t, std::uint32_t>;

// A desktop's key grabber: combinations in `takenElsewhere` belong to another
// application. It does not refuse repeated grabs, so the manager's own
// protection against duplicates shows.
class FakeGrabber final : public platform::HotKeyGrabber {
public:
    bool grab(std::uint16_t keyCode, std::uint32_t modifiers) override {
        attempts.emplace_back(keyCode, modifiers);
        if (takenElsewhere.count({keyCode, modifiers}) != 0) return false;
        grabbed.emplace_back(keyCode, modifiers);
        return true;
    }
    void ungrab(std::uint16_t keyCode, std::uint32_t modifiers) override {
        ungrabbed.emplace_back(keyCode, modifiers);
        const auto found =
            std::find(grabbed.begin(), grabbed.end(), Combination{keyCode, modifiers});
        if (found != grabbed.end()) grabbed.erase(found);
    }
    void press(std::uint16_t keyCode, std::uint32_t modifiers) {
        if (onPressed) onPressed(keyCode, modifiers);
    }

    std::set<Combination> takenElsewhere;
    std::vector<Combination> attempts;
    std::vector<Combination> grabbed;
    std::vector<Combination> ungrabbed;
};

constexpr std::uint16_t keyT = 17;
constexpr std::uint16_t keyA = 0;
constexpr std::uint16_t keyLeft = 123;
constexpr std::uint32_t ctrlAltSuper = 11;

TEST(HotKeyManager, PressesRunTheActionOfTheirCombination) {
    FakeGrabber grabber;
    HotKeyManager manager(grabber);
    std::vector<std::string> ran;
    ASSERT_TRUE(manager.registerHotKey(keyT, ctrlAltSuper, [&] { ran.push_back("grid"); }));
    ASSERT_TRUE(manager.registerHotKey(keyLeft, 2, [&] { ran.push_back("left half"); }));
    EXPECT_EQ(grabber.grabbed, (std::vector<Combination>{{keyT, ctrlAltSuper}, {keyLeft, 2}}));

    grabber.press(keyLeft, 2);
    grabber.press(keyT, ctrlAltSuper);
    grabber.press(keyT, ctrlAltSuper);
    EXPECT_EQ(ran, (std::vector<std::string>{"left half", "grid", "grid"}));
}

TEST(HotKeyManager, ACombinationHeldByAnotherApplicationIsRefusedAndNothingIsKept) {
    FakeGrabber grabber;
    grabber.takenElsewhere.insert({keyA, 8});
    HotKeyManager manager(grabber);
    int ran = 0;
    EXPECT_FALSE(manager.registerHotKey(keyA, 8, [&] { ++ran; }));
    grabber.press(keyA, 8);
    EXPECT_EQ(ran, 0);
    EXPECT_TRUE(grabber.grabbed.empty());

    manager.unregisterAll();
    EXPECT_TRUE(grabber.ungrabbed.empty()) << "a refused combination was never ours to release";
}

TEST(HotKeyManager, TheSameCombinationTwiceIsRefusedAndTheFirstKeepsItsAction) {
    FakeGrabber grabber;
    HotKeyManager manager(grabber);
    std::vector<int> ran;
    ASSERT_TRUE(manager.registerHotKey(keyT, 9, [&] { ran.push_back(1); }));
    EXPECT_FALSE(manager.registerHotKey(keyT, 9, [&] { ran.push_back(2); }));
    EXPECT_FALSE(manager.registerHotKey(keyT, 9 | 16, [&] { ran.push_back(3); }));  // same keys
    EXPECT_EQ(grabber.attempts.size(), 1u);

    grabber.press(keyT, 9);
    EXPECT_EQ(ran, std::vector<int>{1});

    manager.unregisterAll();
    EXPECT_EQ(grabber.ungrabbed, (std::vector<Combination>{{keyT, 9}}));
}

TEST(HotKeyManager, IDsStartAtOneAndKeepCountingAcrossRefusalsAndUnregisterAll) {
    FakeGrabber grabber;
    grabber.takenElsewhere.insert({keyA, 8});
    HotKeyManager manager(grabber);
    std::vector<std::string> ran;

    EXPECT_FALSE(manager.registerHotKey(keyA, 8, [&] { ran.push_back("taken"); }));  // uses up ID 1
    EXPECT_FALSE(manager.registeredID(keyA, 8).has_value());
    EXPECT_TRUE(manager.registerHotKey(keyT, 8, [&] { ran.push_back("T"); }));
    EXPECT_EQ(manager.registeredID(keyT, 8), 2u);

    manager.unregisterAll();
    EXPECT_FALSE(manager.registeredID(keyT, 8).has_value());
    EXPECT_TRUE(manager.registerHotKey(keyLeft, 8, [&] { ran.push_back("left"); }));
    EXPECT_TRUE(manager.registerHotKey(keyT, 8, [&] { ran.push_back("T again"); }));
    EXPECT_EQ(manager.registeredID(keyLeft, 8), 3u);
    EXPECT_EQ(manager.registeredID(keyT, 8), 4u);

    grabber.press(keyT, 8);
    grabber.press(keyLeft, 8);
    grabber.press(keyA, 8);
    EXPECT_EQ(ran, (std::vector<std::string>{"T again", "left"}));
}

TEST(HotKeyManager, AFreshManagerStartsAtOne) {
    FakeGrabber grabber;
    HotKeyManager manager(grabber);
    ASSERT_TRUE(manager.registerHotKey(keyT, 11, [] {}));
    EXPECT_EQ(manager.registeredID(keyT, 11), 1u);
    EXPECT_EQ(manager.registeredID(keyT, 11 | 32),
              1u);  // unknown bits do not make another combination
}

TEST(HotKeyManager, UnregisterAllReleasesEverythingInOrderAndForgetsTheActions) {
    FakeGrabber grabber;
    HotKeyManager manager(grabber);
    int ran = 0;
    manager.registerHotKey(keyT, 11, [&] { ++ran; });
    manager.registerHotKey(keyA, 2, [&] { ++ran; });
    manager.registerHotKey(keyLeft, 4 | 8, [&] { ++ran; });

    manager.unregisterAll();
    EXPECT_EQ(grabber.ungrabbed, (std::vector<Combination>{{keyT, 11}, {keyA, 2}, {keyLeft, 12}}));
    EXPECT_TRUE(grabber.grabbed.empty());

    // A press that was already on its way when everything was released.
    grabber.press(keyT, 11);
    EXPECT_EQ(ran, 0);

    manager.unregisterAll();
    EXPECT_EQ(grabber.ungrabbed.size(), 3u) << "nothing left to release the second time";
}

TEST(HotKeyManager, APressWithoutAnActionIsConsumedSilently) {
    FakeGrabber grabber;
    HotKeyManager manager(grabber);
    int ran = 0;
    manager.registerHotKey(keyT, 11, [&] { ++ran; });
    grabber.press(keyT, 8);
    grabber.press(keyA, 11);
    EXPECT_EQ(ran, 0);

    ASSERT_TRUE(
        manager.registerHotKey(keyA, 1, nullptr));  // an empty action is kept but does nothing
    grabber.press(keyA, 1);
    EXPECT_EQ(ran, 0);
}

TEST(HotKeyManager, UnknownModifierBitsAreIgnored) {
    FakeGrabber grabber;
    HotKeyManager manager(grabber);
    int ran = 0;
    ASSERT_TRUE(manager.registerHotKey(keyT, 16, [&] { ++ran; }));
    ASSERT_TRUE(manager.registerHotKey(keyA, 16 | 8, [&] { ++ran; }));
    EXPECT_EQ(grabber.grabbed, (std::vector<Combination>{{keyT, 0}, {keyA, 8}}));
    grabber.press(keyT, 0);
    grabber.press(keyA, 8);
    EXPECT_EQ(ran, 2);
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

TEST(HotKeyManager, DestructionReleasesEveryHotKeyAndStopsListening) {
    FakeGrabber grabber;
    int ran = 0;
    {
        HotKeyManager manager(grabber);
        manager.registerHotKey(keyT, 11, [&] { ++ran; });
        manager.registerHotKey(keyA, 2, [&] { ++ran; });
    }
    EXPECT_TRUE(grabber.grabbed.empty());
    EXPECT_EQ(grabber.ungrabbed, (std::vector<Combination>{{keyT, 11}, {keyA, 2}}));
    EXPECT_FALSE(grabber.onPressed);
    grabber.press(keyT, 11);
    EXPECT_EQ(ran, 0);
}

}  // namespace
}  // namespace corvane
