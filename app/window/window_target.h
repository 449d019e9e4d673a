#pragma once

#include <string>

#include "platform/window_system.h"

namespace corvane {

// The window a placement acts on.
struct WindowTarget {
    platform::WindowId window = 0;
    platform::AppRef app;
    // The window's title, else the application's name, else "Window".
    std::string title;
};

}  // namespace corvane
