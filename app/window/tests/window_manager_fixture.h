// The window manager's test desktop: an editor and a terminal on a fake X11
// desktop, a simulated clock, and the diagnostics lines the manager prints.
#pragma once

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "app/window/window_manager.h"
#include "core/testing/simulated_scheduler.h"
#include "core/window_error.h"
#include "platform/fake/fake_desktop.h"

namespace corvane::testing {

using platform::AppRef;
using platform::FakeAccess;
using platform::FakeDesktop;
using platform::WindowId;
using Kind = WindowError::Kind;

inline constexpr int corvanePid = 4242;
inline const Rect startFrame{100, 100, 800, 600};
inline const Rect leftHalf{0, 30, 640, 770};

// The error `body` throws; fails the test when it throws nothing.
template <typename E, typename F>
E thrown(F&& body) {
    try {
        body();
    } catch (const E& error) {
        return error;
    }
    throw std::logic_error("expected an error, none was thrown");
}

class WindowManagerTest : public ::testing::Test {
protected:
    FakeDesktop desktop;
    SimulatedScheduler scheduler;
    std::vector<std::string> lines;
    WindowManager manager{desktop, corvanePid,
                          [this](const std::string& line) { lines.push_back(line); }};
    AppRef editor = desktop.addApp(1001, "gedit", "Text Editor");
    AppRef terminal = desktop.addApp(1002, "xterm", "XTerm");

    WindowId addEditorWindow(platform::FakeWindowSpec spec = {}) {
        spec.app = editor;
        if (!spec.title) spec.title = "notes.txt";
        return desktop.addWindow(spec);
    }
    WindowTarget targetOf(WindowId window) {
        return WindowTarget{window, desktop.window(window).app, "target"};
    }
    bool apply(WindowId window, Rect frame, bool animated = false) {
        return runSynchronously(manager.apply(frame, targetOf(window), true, animated, scheduler));
    }
    Kind refusal(WindowId window, Rect frame = leftHalf) {
        return thrown<WindowError>([&] { apply(window, frame); }).kind();
    }
    bool undo(bool animated = false) { return runSynchronously(manager.undo(animated, scheduler)); }
    Kind refusalOfUndo() {
        return thrown<WindowError>([&] { undo(); }).kind();
    }
    std::vector<Rect> historyFrames() const {
        std::vector<Rect> frames;
        for (const auto& entry : manager.history()) frames.push_back(entry.frame);
        return frames;
    }
};

}  // namespace corvane::testing
