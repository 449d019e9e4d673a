#include "platform/x11/x11_frame_extents.h"

#include <algorithm>

namespace corvane::platform {

FrameExtents parseFrameExtents(std::span<const std::uint32_t> words) {
    if (words.size() < 4) return {};
    const auto first = words.first(4);
    // Unsigned, a negative INT32 is far beyond the limit too.
    if (std::any_of(first.begin(), first.end(), [](std::uint32_t v) { return v > largestExtent; }))
        return {};
    return FrameExtents{double(first[0]), double(first[1]), double(first[2]), double(first[3])};
}

FrameExtents shadowWithin(const FrameExtents& shadow, int clientWidth, int clientHeight) {
    if (shadow.left + shadow.right >= clientWidth || shadow.top + shadow.bottom >= clientHeight)
        return {};
    return shadow;
}

}  // namespace corvane::platform
