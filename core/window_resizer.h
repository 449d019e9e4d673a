#pragma once

#include "core/rect.h"
#include "core/scheduler.h"
#include "core/task.h"
#include "core/window_frame_access.h"

namespace corvane::WindowResizer {

// Finite, and at least 1 point wide and high.
bool isValid(const Rect& frame);
// Within 2 points in each of minimum x, minimum y, width and height.
bool matches(const Rect& a, const Rect& b);
// Smoothstep between two frames; progress is clamped into 0...1 (NaN counts as 0).
Rect interpolate(const Rect& from, const Rect& to, double progress);

// Puts the window on `target` and verifies it: writes size, then position, waits
// for the window to settle, corrects what is still off. True when the window
// ends within 2 points of the target; false when it changed but stopped short
// (a minimum size, resize increments). Throws WindowResizeError (invalidFrame,
// unchanged), any error of the window access, or TaskCancelled.
Task<bool> resize(Rect target, WindowFrameAccess& window, bool animated, Scheduler& scheduler);

}  // namespace corvane::WindowResizer
