// Global hot keys on a real (private) X server, pressed through XTest.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/shortcuts/hot_key_manager.h"
#include "platform/x11/x11_hot_key_grabber.h"
#include "platform/x11/x11_key_labels.h"
#include "tests/e2e/harness/desktop.h"

namespace corvane {
namespace {

using platform::X11HotKeyGrabber;
using platform::X11KeyMapping;

constexpr std::uint16_t keyT = 17;
constexpr std::uint32_t ctrlAltSuper = 11;
constexpr xcb_keycode_t xKeycodeT = 28;
constexpr auto ctrlAltMod4 =
    static_cast<std::uint16_t>(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_4);

struct Press {
    std::uint16_t keyCode;
    std::uint32_t modifiers;
};

class X11HotKeys : public ::testing::Test {
protected:
    X11HotKeys() : desktop_(desktopOptions()) {}

    static e2e::Desktop::Options desktopOptions() {
        e2e::Desktop::Options options;
        options.windowManager = false;  // passive grabs need no window manager
        options.dockHeight = 0;
        return options;
    }

    // A client of the private server; closed before the server stops.
    xcb_connection_t* connect() {
        xcb_connection_t* connection = xcb_connect(desktop_.display().c_str(), nullptr);
        connections_.emplace_back(connection, &xcb_disconnect);
        EXPECT_EQ(xcb_connection_has_error(connection), 0);
        return connection;
    }

    void xdotool(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "xdotool");
        ASSERT_EQ(desktop_.run(arguments), 0);
    }

    static void sync(xcb_connection_t* connection) {
        std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
    }

    void run(const std::vector<std::string>& argv) { ASSERT_EQ(desktop_.run(argv), 0); }

    // Feeds the connection's events to `handle` until `done` holds.
    bool pumpUntil(xcb_connection_t* connection,
                   const std::function<void(const xcb_generic_event_t*)>& handle,
                   const std::function<bool()>& done) {
        return e2e::waitUntil([&] {
            while (xcb_generic_event_t* event = xcb_poll_for_event(connection)) {
                const auto type = event->response_type & 0x7f;
                if (type == XCB_KEY_PRESS) {
                    const auto* key = reinterpret_cast<xcb_key_press_event_t*>(event);
                    keyPressStates_.push_back(key->state);
                }
                handle(event);
                std::free(event);
            }
            return done();
        });
    }

    bool pumpUntil(xcb_connection_t* connection, X11HotKeyGrabber& grabber,
                   const std::function<bool()>& done) {
        return pumpUntil(
            connection, [&](const xcb_generic_event_t* e) { grabber.handleEvent(e); }, done);
    }

    // Whether a fresh client could take every lock variant of T with these
    // modifiers, that is whether nobody holds any of them.
    bool freeForOthers(std::uint16_t modifiers) {
        xcb_connection_t* other = connect();
        bool free = true;
        for (int lock :
             {0, XCB_MOD_MASK_LOCK + 0, XCB_MOD_MASK_2 + 0, XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2}) {
            auto cookie = xcb_grab_key_checked(other, 0, desktop_.root(),
                                               static_cast<std::uint16_t>(modifiers | lock),
                                               xKeycodeT, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
            if (xcb_generic_error_t* error = xcb_request_check(other, cookie)) {
                free = false;
                std::free(error);
            }
        }
        xcb_ungrab_key(other, XCB_GRAB_ANY, desktop_.root(), XCB_MOD_MASK_ANY);
        sync(other);  // the server has released it before anyone else asks
        return free;
    }

    e2e::Desktop desktop_;
    std::vector<std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)>> connections_;
    std::vector<std::uint16_t> keyPressStates_;
};

std::function<void(std::uint16_t, std::uint32_t)> recordInto(std::vector<Press>& presses) {
    return [&presses](std::uint16_t keyCode, std::uint32_t modifiers) {
        presses.push_back({keyCode, modifiers});
    };
}

TEST_F(X11HotKeys, AGrabbedCombinationIsDeliveredWithItsKeyAndModifiers) {
    xcb_connection_t* connection = connect();
    X11HotKeyGrabber grabber(connection);
    std::vector<Press> presses;
    grabber.onPressed = recordInto(presses);
    ASSERT_TRUE(grabber.grab(keyT, ctrlAltSuper));

    xdotool({"key", "ctrl+alt+t"});  // not grabbed: goes wherever it would have gone
    xdotool({"key", "ctrl+alt+super+t"});
    ASSERT_TRUE(pumpUntil(connection, grabber, [&] { return !presses.empty(); }));
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].keyCode, keyT);
    EXPECT_EQ(presses[0].modifiers, ctrlAltSuper);

    grabber.ungrab(keyT, ctrlAltSuper);
    EXPECT_TRUE(freeForOthers(ctrlAltMod4));
}

TEST_F(X11HotKeys, PressesArriveWithCapsLockAndNumLockOn) {
    xcb_connection_t* connection = connect();
    X11HotKeyGrabber grabber(connection);
    std::vector<Press> presses;
    grabber.onPressed = recordInto(presses);
    ASSERT_EQ(grabber.modifierMap().numLock, XCB_MOD_MASK_2);
    ASSERT_TRUE(grabber.grab(keyT, ctrlAltSuper));

    xdotool({"key", "Caps_Lock"});
    xdotool({"key", "ctrl+alt+super+t"});
    ASSERT_TRUE(pumpUntil(connection, grabber, [&] { return presses.size() == 1; }));
    xdotool({"key", "Num_Lock"});
    xdotool({"key", "ctrl+alt+super+t"});
    ASSERT_TRUE(pumpUntil(connection, grabber, [&] { return presses.size() == 2; }));
    xdotool({"key", "Caps_Lock"});
    xdotool({"key", "ctrl+alt+super+t"});
    ASSERT_TRUE(pumpUntil(connection, grabber, [&] { return presses.size() == 3; }));

    for (const Press& press : presses) EXPECT_EQ(press.modifiers, ctrlAltSuper);
    // The server really had the locks on: Caps, then Caps + Num, then Num.
    ASSERT_EQ(keyPressStates_.size(), 3u);
    EXPECT_EQ(keyPressStates_[0] & (XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2), XCB_MOD_MASK_LOCK);
    EXPECT_EQ(keyPressStates_[1] & (XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2),
              XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2);
    EXPECT_EQ(keyPressStates_[2] & (XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2), XCB_MOD_MASK_2);
}

TEST_F(X11HotKeys, ACombinationAnotherClientHoldsIsRefusedAndNothingOfOursStays) {
    xcb_connection_t* connection = connect();
    xcb_connection_t* other = connect();
    // The other client holds only the Num Lock variant, so our first two
    // variants succeed and must be released again.
    auto cookie = xcb_grab_key_checked(other, 0, desktop_.root(), ctrlAltMod4 | XCB_MOD_MASK_2,
                                       xKeycodeT, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    ASSERT_EQ(xcb_request_check(other, cookie), nullptr);

    X11HotKeyGrabber grabber(connection);
    std::vector<Press> presses;
    grabber.onPressed = recordInto(presses);
    EXPECT_FALSE(grabber.grab(keyT, ctrlAltSuper));

    xcb_ungrab_key(other, xKeycodeT, desktop_.root(), ctrlAltMod4 | XCB_MOD_MASK_2);
    sync(other);
    EXPECT_TRUE(freeForOthers(ctrlAltMod4));

    // Refused means refused: a press does not reach us either.
    xdotool({"key", "ctrl+alt+super+t"});
    EXPECT_TRUE(grabber.grab(0x00, 8));  // Ctrl+A, as a marker that events are flowing
    xdotool({"key", "ctrl+a"});
    ASSERT_TRUE(pumpUntil(connection, grabber, [&] { return !presses.empty(); }));
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].keyCode, 0x00);
}

TEST_F(X11HotKeys, KeysWithoutAPositionAndRepeatedCombinationsAreRefused) {
    xcb_connection_t* connection = connect();
    X11HotKeyGrabber grabber(connection);
    EXPECT_FALSE(grabber.grab(0x34, 8));  // no key has this code
    EXPECT_TRUE(grabber.grab(keyT, ctrlAltSuper));
    EXPECT_FALSE(grabber.grab(keyT, ctrlAltSuper));
    EXPECT_FALSE(
        grabber.grab(keyT, ctrlAltSuper | 16));  // the same keys once unknown bits are dropped

    // Still grabbed once, and released with one ungrab.
    grabber.ungrab(keyT, ctrlAltSuper);
    EXPECT_TRUE(freeForOthers(ctrlAltMod4));
}

TEST_F(X11HotKeys, HoldingAHotKeyFiresItOnce) {
    xcb_connection_t* connection = connect();
    X11HotKeyGrabber grabber(connection);
    std::vector<Press> presses;
    grabber.onPressed = recordInto(presses);
    ASSERT_TRUE(grabber.grab(keyT, ctrlAltSuper));
    run({"xset", "r", "rate", "50", "50"});

    xdotool({"keydown", "ctrl+alt+super+t"});
    // Wait for the server's auto-repeat to send several more presses of T.
    const bool repeated =
        pumpUntil(connection, grabber, [&] { return keyPressStates_.size() >= 4; });
    xdotool({"keyup", "ctrl+alt+super+t"});
    ASSERT_TRUE(repeated) << "the server did not auto-repeat";
    EXPECT_EQ(presses.size(), 1u);

    xdotool({"key", "ctrl+alt+super+t"});
    ASSERT_TRUE(pumpUntil(connection, grabber, [&] { return presses.size() == 2; }));
}

TEST_F(X11HotKeys, GrabsFollowTheModifierMapWhenItChanges) {
    xcb_connection_t* connection = connect();
    X11HotKeyGrabber grabber(connection);
    std::vector<Press> presses;
    grabber.onPressed = recordInto(presses);
    ASSERT_EQ(grabber.modifierMap().super, XCB_MOD_MASK_4);
    ASSERT_TRUE(grabber.grab(keyT, ctrlAltSuper));

    // Super moves from Mod4 to Mod3.
    run({"xmodmap", "-e", "remove mod4 = Super_L Super_R", "-e", "add mod3 = Super_L Super_R"});
    ASSERT_TRUE(pumpUntil(connection, grabber,
                          [&] { return grabber.modifierMap().super == XCB_MOD_MASK_3; }));

    xdotool({"key", "ctrl+alt+super+t"});
    ASSERT_TRUE(pumpUntil(connection, grabber, [&] { return !presses.empty(); }));
    EXPECT_EQ(presses[0].modifiers, ctrlAltSuper);
    ASSERT_FALSE(keyPressStates_.empty());
    EXPECT_TRUE(keyPressStates_.back() & XCB_MOD_MASK_3) << "the press used the new modifier";
    EXPECT_TRUE(freeForOthers(ctrlAltMod4)) << "the grab under the old map was released";
    EXPECT_FALSE(freeForOthers(XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1 | XCB_MOD_MASK_3));
}

TEST_F(X11HotKeys, AHotKeyWhoseModifierDisappearsComesBackWithIt) {
    xcb_connection_t* connection = connect();
    X11HotKeyGrabber grabber(connection);
    std::vector<Press> presses;
    grabber.onPressed = recordInto(presses);
    ASSERT_TRUE(grabber.grab(keyT, ctrlAltSuper));

    run({"xmodmap", "-e", "clear mod4"});
    ASSERT_TRUE(pumpUntil(connection, grabber, [&] { return grabber.modifierMap().super == 0; }));
    EXPECT_TRUE(freeForOthers(ctrlAltMod4));
    EXPECT_FALSE(grabber.grab(keyT, ctrlAltSuper)) << "still registered, waiting for Super";

    run({"xmodmap", "-e", "add mod4 = Super_L"});
    ASSERT_TRUE(pumpUntil(connection, grabber,
                          [&] { return grabber.modifierMap().super == XCB_MOD_MASK_4; }));
    xdotool({"key", "ctrl+alt+super+t"});
    ASSERT_TRUE(pumpUntil(connection, grabber, [&] { return presses.size() == 1; }));
    EXPECT_EQ(presses[0].modifiers, ctrlAltSuper);
}

TEST_F(X11HotKeys, DestroyingTheGrabberReleasesEverything) {
    xcb_connection_t* connection = connect();
    {
        X11HotKeyGrabber grabber(connection);
        ASSERT_TRUE(grabber.grab(keyT, ctrlAltSuper));
        ASSERT_FALSE(freeForOthers(ctrlAltMod4));
    }
    EXPECT_TRUE(freeForOthers(ctrlAltMod4));
}

TEST_F(X11HotKeys, TheHotKeyManagerRunsActionsFromRealPresses) {
    xcb_connection_t* connection = connect();
    X11HotKeyGrabber grabber(connection);
    int opened = 0;
    {
        HotKeyManager manager(grabber);
        ASSERT_TRUE(manager.registerHotKey(keyT, ctrlAltSuper, [&] { ++opened; }));
        EXPECT_FALSE(manager.registerHotKey(keyT, ctrlAltSuper, [] {}));
        xdotool({"key", "ctrl+alt+super+t"});
        ASSERT_TRUE(pumpUntil(connection, grabber, [&] { return opened == 1; }));

        manager.unregisterAll();
        EXPECT_TRUE(freeForOthers(ctrlAltMod4));
        ASSERT_TRUE(manager.registerHotKey(keyT, ctrlAltSuper, [&] { opened += 10; }));
    }
    EXPECT_TRUE(freeForOthers(ctrlAltMod4))
        << "the manager released its hot keys when it went away";
}

TEST_F(X11HotKeys, KeyLabelsComeFromTheCurrentLayout) {
    xcb_connection_t* connection = connect();
    X11KeyMapping mapping(connection);
    EXPECT_EQ(mapping.keyLabel(keyT), "T");
    EXPECT_EQ(mapping.keyLabel(0x1B), "-");
    EXPECT_EQ(mapping.keyLabel(0x10), "Y");
    EXPECT_EQ(mapping.keyLabel(0x53), "1");  // keypad 1, whether Num Lock is on or not
    EXPECT_EQ(mapping.keyLabel(0x31), "Space");
    EXPECT_EQ(mapping.keyLabel(0x60), "F5");
    EXPECT_EQ(mapping.keyLabel(0x72), "Key 114");  // Insert types nothing

    // Held modifiers do not change the label: Shift+minus is still "-".
    xdotool({"keydown", "shift"});
    EXPECT_EQ(mapping.keyLabel(0x1B), "-");
    xdotool({"keyup", "shift"});

    // A German layout swaps Y and Z; the next label already knows.
    run({"setxkbmap", "-layout", "de"});
    EXPECT_TRUE(e2e::waitUntil([&] { return mapping.keyLabel(0x10) == "Z"; }));
    EXPECT_EQ(mapping.keyLabel(0x06), "Y");
    EXPECT_EQ(mapping.keyLabel(0x29), "\u00D6");  // Ö where the semicolon was
}

}  // namespace
}  // namespace corvane
