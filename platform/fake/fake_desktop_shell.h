#pragma once

#include <functional>
#include <vector>

#include "platform/desktop_shell.h"

namespace corvane::platform {

// The desktop as Corvane's own windows see it, for tests: records every
// request, and tracks which of Corvane's windows has the keyboard.
class FakeDesktopShell : public DesktopShell {
public:
    void keepOnAllWorkspaces(WindowId ownWindow) override { everywhere.push_back(ownWindow); }
    // The window gets the keyboard at once (a window manager that obeys).
    void takeKeyboard(WindowId ownWindow) override {
        keyboardRequests.push_back(ownWindow);
        activeOwn = ownWindow;
        if (onKeyboardRequest) onKeyboardRequest(ownWindow);
    }
    // The other application's window gets the keyboard, so none of ours has it.
    void activate(WindowId window) override {
        activations.push_back(window);
        activeOwn = 0;
    }
    WindowId activeOwnWindow() override { return activeOwn; }
    bool isCompositing() override { return compositing; }

    // Settable: the Corvane window with the keyboard, 0 for none.
    WindowId activeOwn = 0;
    // Settable: whether a compositing manager runs.
    bool compositing = false;
    std::vector<WindowId> everywhere;
    std::vector<WindowId> keyboardRequests;
    std::vector<WindowId> activations;
    // Called at every keyboard request, to look at the moment it is made.
    std::function<void(WindowId)> onKeyboardRequest;
};

}  // namespace corvane::platform
