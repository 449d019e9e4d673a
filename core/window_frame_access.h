#pragma once

#include "core/rect.h"

namespace corvane {

// The three things the resizer needs from a window. Each call is synchronous and
// throws when the window system refuses it; any such error ends the resize.
class WindowFrameAccess {
public:
    virtual ~WindowFrameAccess() = default;
    // The window's current frame, in top-left coordinates.
    virtual Rect frame() = 0;
    // Asks the window to take this size; its top-left corner is not given.
    virtual void setSize(double width, double height) = 0;
    // Asks the window to move its top-left corner here; its size is not given.
    virtual void setPosition(double x, double y) = 0;
};

}  // namespace corvane
