#pragma once

#include <cstdint>
#include <span>

namespace corvane::platform {

// How far a window's visible frame reaches past its client area on each side:
// the window manager's decorations (_NET_FRAME_EXTENTS), or the client's own
// invisible shadow inside it (_GTK_FRAME_EXTENTS).
struct FrameExtents {
    double left = 0, right = 0, top = 0, bottom = 0;
    bool operator==(const FrameExtents&) const = default;
};

// The largest extent believed: no decoration or shadow is wider than an X
// window can be.
inline constexpr std::uint32_t largestExtent = 32767;

// Reads left, right, top, bottom, the order of both properties. Fewer than
// four words are no extents. A value that is negative as the signed number a
// careless client meant, or larger than largestExtent, makes the whole
// property untrustworthy: all four are taken as 0, so the window is placed by
// its client area rather than thrown off by an absurd frame.
FrameExtents parseFrameExtents(std::span<const std::uint32_t> words);

// A shadow drawn inside the client that leaves no client area across
// (left + right) or down (top + bottom) is not a shadow: none is taken.
FrameExtents shadowWithin(const FrameExtents& shadow, int clientWidth, int clientHeight);

}  // namespace corvane::platform
