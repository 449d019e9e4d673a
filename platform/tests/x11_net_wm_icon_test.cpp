#include "platform/x11/x11_net_wm_icon.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

namespace corvane::platform {
namespace {

// One image of _NET_WM_ICON: its size, then every pixel `colour`.
void appendImage(std::vector<std::uint32_t>& words, std::uint32_t width, std::uint32_t height,
                 std::uint32_t colour) {
    words.insert(words.end(), {width, height});
    words.insert(words.end(), std::size_t{width} * height, colour);
}

std::vector<std::uint32_t> images(std::initializer_list<std::uint32_t> sides) {
    std::vector<std::uint32_t> words;
    for (std::uint32_t side : sides) appendImage(words, side, side, side);  // colour tells the size
    return words;
}

TEST(NetWmIcon, PicksTheSmallestImageThatCoversTheSizeElseTheLargest) {
    const auto words = images({16, 64, 32, 48});
    for (auto [asked, side] : {std::pair{1, 16}, std::pair{16, 16}, std::pair{17, 32},
                               std::pair{34, 48}, std::pair{64, 64}, std::pair{200, 64}}) {
        const auto icon = pickNetWmIcon(words, asked);
        ASSERT_TRUE(icon) << "asked for " << asked;
        EXPECT_EQ(icon->width, side) << "asked for " << asked;
        EXPECT_EQ(icon->height, side);
        EXPECT_EQ(icon->argb, std::vector<std::uint32_t>(std::size_t(side) * side, side));
    }
}

TEST(NetWmIcon, ANonSquareImageCountsByItsLongerSideAndKeepsItsRows) {
    std::vector<std::uint32_t> words;
    appendImage(words, 16, 16, 1);
    words.insert(words.end(), {3, 2, 10, 11, 12, 20, 21, 22});
    const auto icon = pickNetWmIcon(words, 3);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width, 3);
    EXPECT_EQ(icon->height, 2);
    EXPECT_EQ(icon->argb, (std::vector<std::uint32_t>{10, 11, 12, 20, 21, 22}));
}

TEST(NetWmIcon, TruncatedDataKeepsOnlyTheImagesThatAreWhole) {
    auto words = images({16, 32});
    words.resize(words.size() - 1);  // the 32 × 32 image lacks its last pixel
    const auto icon = pickNetWmIcon(words, 32);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width, 16);

    EXPECT_FALSE(pickNetWmIcon(std::vector<std::uint32_t>{}, 32));
    EXPECT_FALSE(pickNetWmIcon(std::vector<std::uint32_t>{16}, 32));
    EXPECT_FALSE(pickNetWmIcon(std::vector<std::uint32_t>{2, 2, 1, 2, 3}, 32));
}

TEST(NetWmIcon, EmptyHugeAndAbsurdSizesAreNeverTaken) {
    // Empty images hold no pixels and are stepped over.
    std::vector<std::uint32_t> words = {0, 0, 0, 7};
    appendImage(words, 8, 8, 8);
    auto icon = pickNetWmIcon(words, 32);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width, 8);

    // A side the panel would never draw is skipped even when its pixels are there.
    words = images({4});
    appendImage(words, netWmIconMaxSide + 1, 1, 9);
    icon = pickNetWmIcon(words, 2048);
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->width, 4);

    // Sizes far beyond the data end the list without reading or allocating for them.
    for (std::uint32_t huge : {0xffffffffu, 0x10000u}) {
        words = images({4});
        words.insert(words.end(), {huge, huge, 1, 2, 3});
        icon = pickNetWmIcon(words, 64);
        ASSERT_TRUE(icon);
        EXPECT_EQ(icon->width, 4);
        EXPECT_FALSE(pickNetWmIcon(std::vector<std::uint32_t>{huge, huge, 1, 2, 3}, 64));
    }
}

}  // namespace
}  // namespace corvane::platform
