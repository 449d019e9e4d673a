#include "platform/x11/x11_move_resize.h"

#include <algorithm>
#include <cmath>

namespace corvane::platform {

namespace {

constexpr std::uint32_t northWestGravity = 1;
constexpr std::uint32_t sourceTool = 2;
// Which of x, y, width, height the message carries.
constexpr std::uint32_t carriesPosition = 0x3u << 8, carriesSize = 0xcu << 8;

std::uint32_t wire(long value) {
    return static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
}

}  // namespace

MoveResize moveResizeRequest(const ClientBox& now, const FrameExtents& f, const FrameExtents& s,
                             std::optional<std::pair<double, double>> origin,
                             std::optional<std::pair<double, double>> size,
                             const RequestQuirks& quirks) {
    // Decorations lie outside the client, the shadow inside it.
    ClientBox client = now;
    if (origin) {
        client.x = static_cast<int>(std::lround(origin->first + f.left - s.left));
        client.y = static_cast<int>(std::lround(origin->second + f.top - s.top));
    }
    if (size) {
        client.width = static_cast<int>(
            std::max(1L, std::lround(size->first - f.left - f.right + s.left + s.right)));
        client.height = static_cast<int>(
            std::max(1L, std::lround(size->second - f.top - f.bottom + s.top + s.bottom)));
    }
    const auto& placesClient = quirks.placesClient;
    const long frameX = placesClient ? client.x - *placesClient : client.x - std::lround(f.left);
    const long frameY = placesClient ? client.y - *placesClient : client.y - std::lround(f.top);
    std::uint32_t flags = northWestGravity | (sourceTool << 12);
    if (origin || quirks.carryAll) flags |= carriesPosition;
    if (size || quirks.carryAll) flags |= carriesSize;
    MoveResize request;
    request.client = client;
    request.message = {flags, wire(frameX), wire(frameY), wire(client.width), wire(client.height)};
    return request;
}

}  // namespace corvane::platform
