// Global hot keys on a real (private) X server, pressed through XTest.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <functional>
#include <optional>

#include "app/shortcuts/hot_key_manager.h"
#include "core/key_combo.h"
#include "platform/x11/keyboard/x11_hot_key_grabber.h"
#include "tests/e2e/harness/desktop.h"

namespace corvane {
namespace {

constexpr std::uint16_t keyT = 17;
constexpr std::uint32_t ctrlAltSuper = KeyCombo::ctrl | KeyCombo::alt | KeyCombo::super;
constexpr xcb_keycode_t xKeycodeT = 28;
constexpr std::uint16_t ctrlAlt = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
constexpr std::uint16_t locks = XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2;  // Caps Lock, Num Lock

class X11HotKeys : public ::testing::Test {
protected:
    // Passive grabs need no window manager.
    e2e::Desktop desktop{{.windowManager = e2e::WindowManager::none, .dockHeight = 0}};
    e2e::Connection connection{desktop.display()};
    platform::X11HotKeyGrabber grabber{connection.get()};
    std::optional<HotKeyManager> manager{grabber};
    int fired = 0;
    // The server's modifier state at each press of a grabbed key.
    std::vector<std::uint16_t> pressStates;

    static void sync(xcb_connection_t* c) {
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }
    void run(const std::vector<std::string>& argv) { ASSERT_EQ(desktop.run(argv), 0); }
    void press(const std::string& keys) { run({"xdotool", "key", keys}); }

    bool pumpUntil(const std::function<bool()>& done) {
        return e2e::waitUntil([&] {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection.get())) {
                if ((event->response_type & 0x7f) == XCB_KEY_PRESS)
                    pressStates.push_back(reinterpret_cast<xcb_key_press_event_t*>(event)->state);
                grabber.handleEvent(event);
                std::free(event);
            }
            return done();
        });
    }

    // Whether another client could take T with these modifiers in every lock variant.
    bool freeForOthers(std::uint16_t modifiers) {
        e2e::Connection other(desktop.display());
        bool free = true;
        const std::uint16_t variants[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2, locks};
        for (std::uint16_t lock : variants) {
            auto cookie = xcb_grab_key_checked(other.get(), 0, desktop.root(), modifiers | lock,
                                               xKeycodeT, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            xcb_generic_error_t* error = xcb_request_check(other.get(), cookie);
            free = free && !error;
            std::free(error);
        }
        xcb_ungrab_key(other.get(), XCB_GRAB_ANY, desktop.root(), XCB_MOD_MASK_ANY);
        sync(other.get());  // released before anyone else asks
        return free;
    }
};

TEST_F(X11HotKeys, PressesRunTheActionOnceWhateverTheLocksAndModifierMapUnlessHeldByAnother) {
    // Another client holds only the Num Lock variant: our first variants succeed
    // and must be released again.
    e2e::Connection other(desktop.display());
    xcb_grab_key(other.get(), 0, desktop.root(), ctrlAlt | XCB_MOD_MASK_4 | XCB_MOD_MASK_2,
                 xKeycodeT, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    sync(other.get());
    EXPECT_FALSE(manager->registerHotKey(keyT, ctrlAltSuper, [&] { ++fired; }));
    xcb_ungrab_key(other.get(), xKeycodeT, desktop.root(), XCB_MOD_MASK_ANY);
    sync(other.get());
    EXPECT_TRUE(freeForOthers(ctrlAlt | XCB_MOD_MASK_4)) << "nothing of ours stayed grabbed";

    ASSERT_TRUE(manager->registerHotKey(keyT, ctrlAltSuper, [&] { ++fired; }));
    press("ctrl+alt+super+t");
    ASSERT_TRUE(pumpUntil([&] { return fired == 1; }));
    for (int n = 2; const char* lock : {"Caps_Lock", "Num_Lock", "Caps_Lock"}) {
        press(lock);
        press("ctrl+alt+super+t");
        ASSERT_TRUE(pumpUntil([&] { return fired == n; })) << lock;
        ++n;
    }
    // The server really had the locks on: none, Caps, Caps + Num, then Num.
    const std::vector<std::uint16_t> expectedLocks = {0, XCB_MOD_MASK_LOCK, locks, XCB_MOD_MASK_2};
    ASSERT_EQ(pressStates.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) EXPECT_EQ(pressStates[i] & locks, expectedLocks[i]) << i;

    // Super moves from Mod4 to Mod3: the grab follows it.
    ASSERT_EQ(grabber.modifierMap().super, XCB_MOD_MASK_4);
    run({"xmodmap", "-e", "remove mod4 = Super_L Super_R", "-e", "add mod3 = Super_L Super_R"});
    ASSERT_TRUE(pumpUntil([&] { return grabber.modifierMap().super == XCB_MOD_MASK_3; }));
    press("ctrl+alt+super+t");
    ASSERT_TRUE(pumpUntil([&] { return fired == 5; }));
    EXPECT_TRUE(pressStates.back() & XCB_MOD_MASK_3) << "the press used the new modifier";
    EXPECT_TRUE(freeForOthers(ctrlAlt | XCB_MOD_MASK_4))
        << "the grab under the old map was released";
    EXPECT_FALSE(freeForOthers(ctrlAlt | XCB_MOD_MASK_3));

    // Held down, the server repeats the press; the action runs once.
    run({"xset", "r", "rate", "50", "50"});
    run({"xdotool", "keydown", "ctrl+alt+super+t"});
    const bool repeated = pumpUntil([&] { return pressStates.size() >= 9; });
    run({"xdotool", "keyup", "ctrl+alt+super+t"});
    ASSERT_TRUE(repeated) << "the server did not auto-repeat";
    EXPECT_EQ(fired, 6);

    manager.reset();
    EXPECT_TRUE(freeForOthers(ctrlAlt | XCB_MOD_MASK_3))
        << "the manager released its hot keys when it went";
}

}  // namespace
}  // namespace corvane
