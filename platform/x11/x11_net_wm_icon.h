#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "platform/window_system.h"

namespace corvane::platform {

// The most a window's _NET_WM_ICON is read of (4 MB): enough for every size
// an application offers up to the largest side taken.
inline constexpr std::uint32_t netWmIconMaxWords = 1u << 20;
// Larger sides than this are not taken: no panel draws an icon that big.
inline constexpr std::uint32_t netWmIconMaxSide = 1024;

// Picks one image out of the words of _NET_WM_ICON, which repeats width,
// height and width × height ARGB pixels (not premultiplied) row by row: the
// smallest whose longer side reaches `preferredSize`, else the largest. An
// image whose pixels run past the end, and everything after it, is ignored;
// so are empty images and ones larger than netWmIconMaxSide. None when no
// image is left.
std::optional<IconImage> pickNetWmIcon(std::span<const std::uint32_t> words, int preferredSize);

}  // namespace corvane::platform
