#pragma once

#include <string>
#include <vector>

#include "core/rect.h"

namespace corvane::platform {

// One monitor, in top-left root coordinates.
struct Display {
    std::string name;   // the output's name, "DP-1"
    Rect frame;         // the whole monitor
    Rect visibleFrame;  // the monitor minus the desktop's panels (docks' struts)

    bool operator==(const Display&) const = default;
};

// The attached monitors, the primary one first.
class Displays {
public:
    virtual ~Displays() = default;
    virtual std::vector<Display> displays() = 0;
};

}  // namespace corvane::platform
