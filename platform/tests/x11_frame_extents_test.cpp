// Frame extents other clients write: decorations and client-side shadows that
// would throw the window's frame off are not believed.
#include "platform/x11/x11_frame_extents.h"

#include <gtest/gtest.h>

#include <vector>

namespace corvane::platform {
namespace {

TEST(FrameExtents, ReadsLeftRightTopBottom) {
    const std::vector<std::uint32_t> words{2, 3, 24, 4};
    EXPECT_EQ(parseFrameExtents(words), (FrameExtents{2, 3, 24, 4}));
    // Extra words are not part of it; too few are no extents.
    EXPECT_EQ(parseFrameExtents(std::vector<std::uint32_t>{2, 3, 24, 4, 99}),
              (FrameExtents{2, 3, 24, 4}));
    EXPECT_EQ(parseFrameExtents(std::vector<std::uint32_t>{2, 3, 24}), FrameExtents{});
}

TEST(FrameExtents, ANegativeOrAbsurdValueDiscardsTheWholeProperty) {
    // -4 written by a client that meant a signed number arrives as 4294967292:
    // believed, the frame would start four billion pixels away.
    const std::vector<std::uint32_t> negative{static_cast<std::uint32_t>(-4), 2, 24, 2};
    EXPECT_EQ(parseFrameExtents(negative), FrameExtents{});
    EXPECT_EQ(parseFrameExtents(std::vector<std::uint32_t>{2, 2, 40000, 2}), FrameExtents{});
    EXPECT_EQ(parseFrameExtents(std::vector<std::uint32_t>{0, 0, 32767, 0}),
              (FrameExtents{0, 0, 32767, 0}));
}

TEST(FrameExtents, AShadowThatLeavesNoClientIsNone) {
    const FrameExtents shadow{20, 20, 10, 30};
    EXPECT_EQ(shadowWithin(shadow, 800, 600), shadow);
    EXPECT_EQ(shadowWithin(shadow, 40, 600), FrameExtents{});
    EXPECT_EQ(shadowWithin(shadow, 800, 40), FrameExtents{});
    EXPECT_EQ(shadowWithin(shadow, 41, 41), shadow);
}

}  // namespace
}  // namespace corvane::platform
