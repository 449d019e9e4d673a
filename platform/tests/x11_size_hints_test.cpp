// WM_NORMAL_HINTS as careless and hostile clients write them: what is kept is
// what a window manager can honour, so no claim makes Corvane refuse a window
// or wait for a size no screen holds.
#include "platform/x11/x11_size_hints.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane::platform {
namespace {

constexpr std::uint32_t minFlag = 1u << 4, maxFlag = 1u << 5, stepFlag = 1u << 6;
constexpr std::uint32_t baseFlag = 1u << 8, gravityFlag = 1u << 9;

std::uint32_t word(int value) {
    return static_cast<std::uint32_t>(value);
}

// The 18 words of the property: flags, four obsolete, minimum, maximum,
// increments, four aspect words, base size, gravity.
std::vector<std::uint32_t> hintWords(std::uint32_t flags, std::pair<int, int> min,
                                     std::pair<int, int> max, std::pair<int, int> step = {0, 0},
                                     std::pair<int, int> base = {0, 0}, int gravity = 0) {
    std::vector<std::uint32_t> words{flags, 0, 0, 0, 0};
    for (const auto& [width, height] : {min, max, step}) {
        words.push_back(word(width));
        words.push_back(word(height));
    }
    words.insert(words.end(), 4, 0);
    words.push_back(word(base.first));
    words.push_back(word(base.second));
    words.push_back(word(gravity));
    return words;
}

TEST(SizeHints, ATerminalKeepsItsMinimumStepsBaseAndGravity) {
    const auto hints = parseNormalHints(hintWords(minFlag | stepFlag | baseFlag | gravityFlag,
                                                  {100, 50}, {0, 0}, {9, 18}, {4, 4}, 3));
    ASSERT_TRUE(hints);
    EXPECT_TRUE(hints->hasMin && hints->hasStep && hints->hasBase && hints->hasGravity);
    EXPECT_FALSE(hints->hasMax);
    EXPECT_EQ(hints->minWidth, 100);
    EXPECT_EQ(hints->heightStep, 18);
    EXPECT_EQ(hints->gravity, 3u);
    // Asked for 800 wide, a window manager rounds to base + a whole number of 9 px steps.
    EXPECT_TRUE(sizeAllowed(800, 796, hints, true));
    EXPECT_FALSE(sizeAllowed(800, 790, hints, true));
    // Below the minimum the minimum is what it gets.
    EXPECT_TRUE(sizeAllowed(20, 100, hints, true));
}

TEST(SizeHints, ShortOrOldPropertiesAreReadAsFarAsTheyGo) {
    EXPECT_FALSE(parseNormalHints(std::vector<std::uint32_t>(14, 0)));
    // Clients older than ICCCM 1 write 15 words: no base size and no gravity.
    auto old = hintWords(minFlag | baseFlag | gravityFlag, {200, 100}, {0, 0}, {0, 0}, {7, 7}, 5);
    old.resize(15);
    const auto hints = parseNormalHints(old);
    ASSERT_TRUE(hints);
    EXPECT_TRUE(hints->hasMin);
    EXPECT_FALSE(hints->hasBase || hints->hasGravity);
    EXPECT_EQ(hints->gravity, 1u);
}

TEST(SizeHints, AMinimumNoScreenHoldsIsNotObeyed) {
    // Minimum and maximum 65535: obeyed, Corvane would call the window fixed
    // at a size no screen has and never resize it, or wait for that size
    // after every resize. The window manager cannot honour it either.
    const auto hints =
        parseNormalHints(hintWords(minFlag | maxFlag, {65535, 65535}, {65535, 65535}));
    ASSERT_TRUE(hints);
    EXPECT_FALSE(hints->hasMin);
    EXPECT_FALSE(hints->hasMax);
    EXPECT_FALSE(isFixedSize(*hints));
    EXPECT_TRUE(sizeAllowed(800, 800, hints, true));
    EXPECT_FALSE(sizeAllowed(800, 65535, hints, true));
}

TEST(SizeHints, NegativeAndContradictoryValuesAreLeftOut) {
    const auto hints =
        parseNormalHints(hintWords(minFlag | maxFlag | stepFlag | baseFlag | gravityFlag,
                                   {-20, 300}, {200, -1}, {-8, 0}, {-3, 40000}, 77));
    ASSERT_TRUE(hints);
    EXPECT_TRUE(hints->hasMin);
    EXPECT_EQ(hints->minWidth, 0);
    EXPECT_EQ(hints->minHeight, 300);
    // 200 wide is a maximum; -1 high is none.
    EXPECT_EQ(hints->maxWidth, 200);
    EXPECT_EQ(hints->maxHeight, 0);
    EXPECT_FALSE(hints->hasStep);
    EXPECT_FALSE(hints->hasBase);
    EXPECT_FALSE(hints->hasGravity);
    EXPECT_EQ(hints->gravity, 1u);

    // A maximum below the minimum cannot both hold: the minimum wins.
    const auto crossed = parseNormalHints(hintWords(minFlag | maxFlag, {500, 500}, {400, 600}));
    EXPECT_EQ(crossed->maxWidth, 0);
    EXPECT_EQ(crossed->maxHeight, 600);
}

TEST(SizeHints, OnlyAPlausibleSingleSizeIsFixed) {
    EXPECT_TRUE(
        isFixedSize(*parseNormalHints(hintWords(minFlag | maxFlag, {400, 300}, {400, 300}))));
    EXPECT_FALSE(
        isFixedSize(*parseNormalHints(hintWords(minFlag | maxFlag, {400, 300}, {500, 300}))));
    // The values without their flags say nothing.
    EXPECT_FALSE(isFixedSize(*parseNormalHints(hintWords(minFlag, {400, 300}, {400, 300}))));
    EXPECT_FALSE(isFixedSize(*parseNormalHints(hintWords(minFlag | maxFlag, {0, 0}, {0, 0}))));
}

TEST(SizeHints, ExtremeSidesNeverOverflowTheStepArithmetic) {
    const auto hints =
        parseNormalHints(hintWords(minFlag | stepFlag, {0, 0}, {0, 0}, {32766, 32766}));
    ASSERT_TRUE(hints);
    EXPECT_FALSE(sizeAllowed(INT32_MIN, INT32_MAX, hints, true));
    EXPECT_FALSE(sizeAllowed(INT32_MAX, INT32_MIN, hints, false));
    // Without hints only the size asked for is right.
    EXPECT_TRUE(sizeAllowed(100, 100, std::nullopt, true));
    EXPECT_FALSE(sizeAllowed(100, 99, std::nullopt, true));
}

}  // namespace
}  // namespace corvane::platform
