#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/rect.h"

namespace corvane::platform {

// The space a dock or panel reserves along the edges of the root window
// (_NET_WM_STRUT_PARTIAL), measured from the edges of the whole root window,
// not of one monitor. Ranges are inclusive root coordinates.
struct Strut {
    double left = 0, right = 0, top = 0, bottom = 0;
    double leftStartY = 0, leftEndY = 0;
    double rightStartY = 0, rightEndY = 0;
    double topStartX = 0, topEndX = 0;
    double bottomStartX = 0, bottomEndX = 0;

    // From the 12 cardinals of _NET_WM_STRUT_PARTIAL; none when malformed.
    static std::optional<Strut> fromPartial(const std::vector<std::uint32_t>& values);
    // From the 4 cardinals of the older _NET_WM_STRUT, which reserve along the
    // whole length of each edge.
    static std::optional<Strut> fromFull(const std::vector<std::uint32_t>& values, double rootWidth,
                                         double rootHeight);
};

// A monitor's area without the reserved strips of the struts that reach into
// it. A strut that would leave nothing of the monitor is ignored.
Rect visibleFrame(const Rect& monitor, double rootWidth, double rootHeight,
                  const std::vector<Strut>& struts);

}  // namespace corvane::platform
