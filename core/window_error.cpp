#include "core/window_error.h"

namespace corvane {

std::string WindowError::description() const {
    switch (kind_) {
        case Kind::failed:
            return "The app could not move this window (X11 error " + std::to_string(code_) + ").";
        case Kind::permission:
            return "Corvane needs an X11 session with a standard window manager to move other "
                   "apps\u2019 windows.";
        case Kind::noWindow:
            return "Focus a window in another app, then open the grid.";
        case Kind::closed:
            return "That window has closed. Focus another window and try again.";
        case Kind::fullscreen:
            return "Exit full screen before tiling this window.";
        case Kind::minimized:
            return "Restore this window from the taskbar before tiling it.";
        case Kind::fixedSize:
            return "This app does not allow its window to be resized.";
    }
    return {};
}

const char* WindowError::what() const noexcept {
    try {
        text_ = description();
    } catch (...) {
        return "Window error";
    }
    return text_.c_str();
}

std::string WindowResizeError::description() const {
    return what();
}

const char* WindowResizeError::what() const noexcept {
    switch (kind_) {
        case Kind::invalidFrame:
            return "The requested window rectangle is invalid.";
        case Kind::unchanged:
            return "This window did not accept the resize. Try again, or check whether the app "
                   "allows resizing.";
    }
    return "";
}

std::string describeError(const std::exception& error) {
    return error.what();
}

}  // namespace corvane
