#pragma once

#include <optional>
#include <vector>

#include "core/margins.h"
#include "core/rect.h"
#include "core/tile_region.h"

namespace corvane::TileGeometry {

// Converts between a bottom-left-origin space and the top-left space; the
// conversion is its own inverse. X11 is top-left already, so the application
// only needs it where a bottom-up space appears.
Rect topLeftRect(const Rect& rect, double flipHeight);

// The window frame for `region` on a monitor whose work area is `visibleFrame`,
// with outer margins and gaps shared evenly between adjacent windows. Never fails:
// an invalid region or a work area under one point gives the work area itself.
Rect frame(const TileRegion& region, const Rect& visibleFrame, const Margins& margins);

// The monitor a window frame belongs to: the largest overlap, else the nearest
// centre; the earliest monitor wins ties. None for an empty list.
std::optional<std::size_t> screenIndex(const Rect& window, const std::vector<Rect>& displays);

// Carries a window frame from one work area to another, keeping its relative
// position (flush right stays flush right, centred stays centred).
Rect relocate(const Rect& window, const Rect& from, const Rect& to);

}  // namespace corvane::TileGeometry
