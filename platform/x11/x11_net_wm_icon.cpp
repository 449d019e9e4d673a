#include "platform/x11/x11_net_wm_icon.h"

#include <algorithm>

namespace corvane::platform {

namespace {

struct Candidate {
    std::uint32_t width = 0, height = 0;
    std::size_t offset = 0;  // of the first pixel

    std::uint32_t side() const { return std::max(width, height); }
    std::uint64_t area() const { return std::uint64_t{width} * height; }
};

bool better(const Candidate& a, const Candidate& b, std::uint32_t preferred) {
    const bool aFits = a.side() >= preferred, bFits = b.side() >= preferred;
    if (aFits != bFits) return aFits;
    // Among those big enough the smallest scales down least; among the rest
    // the largest scales up least.
    return aFits ? a.area() < b.area() : a.area() > b.area();
}

}  // namespace

std::optional<IconImage> pickNetWmIcon(std::span<const std::uint32_t> words, int preferredSize) {
    const std::uint32_t preferred = static_cast<std::uint32_t>(std::max(preferredSize, 1));
    std::optional<Candidate> best;
    std::size_t at = 0;
    while (words.size() - at >= 2) {
        const Candidate c{words[at], words[at + 1], at + 2};
        const std::uint64_t remaining = words.size() - c.offset;
        // Past a size the data cannot hold, nothing that follows can be trusted.
        if (c.area() > remaining) break;
        at = c.offset + static_cast<std::size_t>(c.area());
        if (c.area() == 0 || c.side() > netWmIconMaxSide) continue;
        if (!best || better(c, *best, preferred)) best = c;
    }
    if (!best) return std::nullopt;
    IconImage image;
    image.width = static_cast<int>(best->width);
    image.height = static_cast<int>(best->height);
    const auto pixels = words.subspan(best->offset, static_cast<std::size_t>(best->area()));
    image.argb.assign(pixels.begin(), pixels.end());
    return image;
}

}  // namespace corvane::platform
