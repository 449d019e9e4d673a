#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <utility>

#include "platform/x11/x11_frame_extents.h"

namespace corvane::platform {

// A client window as the server reports it: root position of its contents, its size.
struct ClientBox {
    int x = 0, y = 0, width = 0, height = 0;
};

// One _NET_MOVERESIZE_WINDOW request, and the client geometry it leads to.
struct MoveResize {
    std::array<std::uint32_t, 5> message{};  // flags, x, y, width, height
    ClientBox client;                        // where the client will be
};

// What a window manager makes of a move or resize request, where it differs
// from the standard.
struct RequestQuirks {
    // Fluxbox takes a missing size for the frame's (a moved window grows by
    // its title bar) and a missing position for the client's: every request
    // carries all four values.
    bool carryAll = false;
    // A window manager that publishes no frame extents (i3) places the client
    // window itself at the position, gravity or not: the client's X border
    // width, which that position includes.
    std::optional<int> placesClient;
};

// The request that puts a window's visible frame (decorations in, the
// client's own shadow out) at `origin` with `size`, keeping what is not given.
//
// It names the window manager's frame with NorthWest gravity, as wmctrl does,
// rather than the client with static gravity: with static gravity the window
// manager counts the border the client had before it was reparented (xterm's
// 1 px), which no longer shows on the client, and Openbox and Fluxbox then
// land a pixel right and down.
MoveResize moveResizeRequest(const ClientBox& now, const FrameExtents& frame,
                             const FrameExtents& shadow,
                             std::optional<std::pair<double, double>> origin,
                             std::optional<std::pair<double, double>> size,
                             const RequestQuirks& quirks = {});

}  // namespace corvane::platform
