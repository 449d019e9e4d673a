#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace corvane::platform {

// What a window asks of its size in WM_NORMAL_HINTS, with every value a
// window manager could not honour already left out: a limit of no use is no
// limit. Sides are in pixels; a step is the size of one resize increment.
struct SizeHints {
    bool hasMin = false, hasMax = false, hasBase = false, hasStep = false, hasGravity = false;
    int minWidth = 0, minHeight = 0;
    int maxWidth = 0, maxHeight = 0;  // a side of 0 has no maximum
    int baseWidth = 0, baseHeight = 0;
    int widthStep = 0, heightStep = 0;  // a side of 0 has no step
    std::uint32_t gravity = 1;          // NorthWest unless hasGravity

    bool operator==(const SizeHints&) const = default;
};

// The longest side an X window can have on any screen: coordinates are 16-bit signed.
inline constexpr int largestWindowSide = 32767;

// Reads the words of WM_NORMAL_HINTS (WM_SIZE_HINTS, format 32): flags, four
// obsolete words, minimum, maximum, increments, aspects, then base size and
// gravity, which clients older than ICCCM 1 leave out. None for fewer than
// the 15 words every version has.
//
// Windows of careless or hostile clients claim what no screen holds: such a
// value is dropped rather than obeyed. A negative minimum is none; a minimum
// side beyond largestWindowSide drops the minimum, since obeying it would
// refuse every size or push the window off every screen; a maximum that is
// not positive, too large or below the minimum is none; steps must be
// positive and below largestWindowSide; gravity must be one of the ten X names.
std::optional<SizeHints> parseNormalHints(std::span<const std::uint32_t> words);

// A window whose minimum and maximum sizes are one size cannot be resized.
bool isFixedSize(const SizeHints& hints);

// Whether a window manager that follows the size hints may give `actual` when
// asked for `requested` along one side (the width when `width`): the minimum
// and maximum clamp it, and resize increments round it to a step from the base.
bool sizeAllowed(int requested, int actual, const std::optional<SizeHints>& hints, bool width);

}  // namespace corvane::platform
