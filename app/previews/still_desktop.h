#pragma once

#include "platform/desktop_shell.h"
#include "platform/displays.h"
#include "platform/hot_key_grabber.h"
#include "platform/window_system.h"

namespace corvane {

// The desktop Corvane sees while it draws pictures of its own windows: the
// monitors the toolkit reports, no other application's windows, and hot keys
// and keyboard requests that are taken and go nowhere. Nothing here needs an
// X server, so the pictures can be made on a build machine.
class StillDesktop final : public platform::WindowSystem,
                           public platform::Displays,
                           public platform::HotKeyGrabber,
                           public platform::DesktopShell {
public:
    // WindowSystem: windows could be arranged, but there are none.
    bool isAvailable() override { return true; }
    std::optional<platform::AppRef> frontmostApp() override { return std::nullopt; }
    bool isTerminated(const platform::AppRef&) override { return true; }
    platform::WindowResult<std::optional<platform::WindowId>> focusedWindow(
        const platform::AppRef&) override;
    std::optional<std::string> title(platform::WindowId) override { return std::nullopt; }
    platform::WindowResult<platform::WindowStates> states(platform::WindowId) override;
    platform::WindowResult<platform::Settable> settable(platform::WindowId) override;
    platform::WindowResult<Rect> frame(platform::WindowId) override;
    platform::WindowResult<void> setSize(platform::WindowId, double, double) override;
    platform::WindowResult<void> setPosition(platform::WindowId, double, double) override;
    platform::WindowResult<void> maximize(platform::WindowId, platform::Maximized) override;
    bool reduceMotion() override { return true; }

    // Displays: the toolkit's screens, the primary one first.
    std::vector<platform::Display> displays() override;

    // HotKeyGrabber: every combination is free.
    bool grab(std::uint16_t, std::uint32_t) override { return true; }
    void ungrab(std::uint16_t, std::uint32_t) override {}

    // DesktopShell: nothing to ask a window manager for.
    void keepOnAllWorkspaces(platform::WindowId) override {}
    void takeKeyboard(platform::WindowId) override {}
    void activate(platform::WindowId) override {}
    platform::WindowId activeOwnWindow() override { return 0; }
};

}  // namespace corvane
