#include "platform/x11/x11_size_hints.h"

#include <algorithm>
#include <cstdlib>

namespace corvane::platform {

namespace {

// Flags of WM_SIZE_HINTS (ICCCM).
constexpr std::uint32_t minSizeFlag = 1u << 4;
constexpr std::uint32_t maxSizeFlag = 1u << 5;
constexpr std::uint32_t resizeStepFlag = 1u << 6;
constexpr std::uint32_t baseSizeFlag = 1u << 8;
constexpr std::uint32_t gravityFlag = 1u << 9;

// Word positions in the property.
constexpr std::size_t flagsAt = 0, minAt = 5, maxAt = 7, stepAt = 9, baseAt = 15, gravityAt = 17;
constexpr std::size_t oldestLength = 15, fullLength = 18;
constexpr std::uint32_t lastGravity = 10;  // Static

// The property holds INT32 values in CARDINAL-sized words.
int signedWord(std::span<const std::uint32_t> words, std::size_t at) {
    return static_cast<std::int32_t>(words[at]);
}

bool fitsAScreen(int side) {
    return side >= 0 && side <= largestWindowSide;
}

void readMinimum(std::span<const std::uint32_t> words, SizeHints& hints) {
    const int width = std::max(0, signedWord(words, minAt));
    const int height = std::max(0, signedWord(words, minAt + 1));
    if (!fitsAScreen(width) || !fitsAScreen(height)) return;
    hints.hasMin = true;
    hints.minWidth = width;
    hints.minHeight = height;
}

// A maximum side of 0 means none: a window manager cannot shrink a window to nothing.
int usableMaximum(int side, int minimum) {
    return side > 0 && side <= largestWindowSide && side >= minimum ? side : 0;
}

void readMaximum(std::span<const std::uint32_t> words, SizeHints& hints) {
    hints.maxWidth = usableMaximum(signedWord(words, maxAt), hints.minWidth);
    hints.maxHeight = usableMaximum(signedWord(words, maxAt + 1), hints.minHeight);
    hints.hasMax = hints.maxWidth > 0 || hints.maxHeight > 0;
}

int usableStep(int step) {
    return step > 0 && step < largestWindowSide ? step : 0;
}

void readSteps(std::span<const std::uint32_t> words, SizeHints& hints) {
    hints.widthStep = usableStep(signedWord(words, stepAt));
    hints.heightStep = usableStep(signedWord(words, stepAt + 1));
    hints.hasStep = hints.widthStep > 0 || hints.heightStep > 0;
}

void readBase(std::span<const std::uint32_t> words, SizeHints& hints) {
    const int width = std::max(0, signedWord(words, baseAt));
    const int height = std::max(0, signedWord(words, baseAt + 1));
    if (!fitsAScreen(width) || !fitsAScreen(height)) return;
    hints.hasBase = true;
    hints.baseWidth = width;
    hints.baseHeight = height;
}

void readGravity(std::span<const std::uint32_t> words, SizeHints& hints) {
    const std::uint32_t gravity = words[gravityAt];
    if (gravity < 1 || gravity > lastGravity) return;
    hints.hasGravity = true;
    hints.gravity = gravity;
}

}  // namespace

std::optional<SizeHints> parseNormalHints(std::span<const std::uint32_t> words) {
    if (words.size() < oldestLength) return std::nullopt;
    const std::uint32_t flags = words[flagsAt];
    SizeHints hints;
    if (flags & minSizeFlag) readMinimum(words, hints);
    if (flags & maxSizeFlag) readMaximum(words, hints);
    if (flags & resizeStepFlag) readSteps(words, hints);
    if (words.size() >= fullLength) {
        if (flags & baseSizeFlag) readBase(words, hints);
        if (flags & gravityFlag) readGravity(words, hints);
    }
    return hints;
}

bool isFixedSize(const SizeHints& hints) {
    return hints.hasMin && hints.hasMax && hints.minWidth > 0 && hints.minWidth == hints.maxWidth &&
           hints.minHeight == hints.maxHeight;
}

bool sizeAllowed(int requested, int actual, const std::optional<SizeHints>& hints, bool width) {
    if (actual == requested) return true;
    if (!hints) return false;
    const SizeHints& h = *hints;
    // Sides from the server are 16-bit, but the sums below stay in 64 bits all the same.
    const std::int64_t min = width ? h.minWidth : h.minHeight;
    const std::int64_t max = width ? h.maxWidth : h.maxHeight;
    const std::int64_t base = width ? h.baseWidth : h.baseHeight;
    const std::int64_t step = width ? h.widthStep : h.heightStep;
    std::int64_t clamped = requested;
    if (h.hasMin && clamped < min) clamped = min;
    if (max > 0 && clamped > max) clamped = max;
    if (actual == clamped) return true;
    if (step <= 1) return false;
    const std::int64_t from = h.hasBase ? base : (h.hasMin ? min : 0);
    const std::int64_t offset = std::int64_t{actual} - from;
    return offset % step == 0 && std::abs(std::int64_t{actual} - clamped) < step;
}

}  // namespace corvane::platform
