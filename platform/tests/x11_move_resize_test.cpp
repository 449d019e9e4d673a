// The _NET_MOVERESIZE_WINDOW request that puts a window's visible frame where asked.
#include "platform/x11/x11_move_resize.h"

#include <gtest/gtest.h>

namespace corvane::platform {
namespace {

constexpr std::uint32_t northWest = 1, fromTool = 2u << 12, allFour = 0xfu << 8;

std::int32_t signedWord(std::uint32_t word) {
    return static_cast<std::int32_t>(word);
}

// An xterm under Openbox: 1 px borders, a 20 px title, a 5 px handle.
const ClientBox xterm{101, 120, 484, 316};
const FrameExtents openboxFrame{1, 1, 20, 5};

TEST(MoveResizeTest, NamesTheWindowManagersFrameWhereverTheClientSits) {
    // The right half of a 1440 px screen: the frame's left edge at 720, its
    // right edge at 1440, whatever border the client had before it was framed.
    const MoveResize r =
        moveResizeRequest(xterm, openboxFrame, {}, std::pair(720.0, 0.0), std::pair(720.0, 875.0));
    EXPECT_EQ(r.message[0], northWest | allFour | fromTool);
    EXPECT_EQ(signedWord(r.message[1]), 720);
    EXPECT_EQ(signedWord(r.message[2]), 0);
    EXPECT_EQ(r.message[3], 718u);
    EXPECT_EQ(r.message[4], 850u);
    EXPECT_EQ(r.client.x, 721);
    EXPECT_EQ(r.client.y, 20);

    // Off the screen's top-left: the frame's position goes out as a signed value.
    const MoveResize off = moveResizeRequest(xterm, openboxFrame, {}, std::pair(-30.0, -4.0), {});
    EXPECT_EQ(signedWord(off.message[1]), -30);
    EXPECT_EQ(signedWord(off.message[2]), -4);
}

TEST(MoveResizeTest, AMoveOrAResizeAloneKeepsTheRestAsItIs) {
    constexpr std::uint32_t position = 0x3u << 8, size = 0xcu << 8;
    const MoveResize move = moveResizeRequest(xterm, openboxFrame, {}, std::pair(200.0, 50.0), {});
    EXPECT_EQ(move.message[0] & allFour, position);
    EXPECT_EQ(move.client.x, 201);
    EXPECT_EQ(move.client.y, 70);
    const MoveResize resize =
        moveResizeRequest(xterm, openboxFrame, {}, {}, std::pair(606.0, 432.0));
    EXPECT_EQ(resize.message[0] & allFour, size);
    EXPECT_EQ(resize.message[3], 604u);
    EXPECT_EQ(resize.message[4], 407u);

    // Fluxbox grows a window by its title on a move that leaves the size out,
    // and moves it on a resize that leaves the position out: both are sent.
    const RequestQuirks fluxbox{.carryAll = true, .placesClient = std::nullopt};
    const MoveResize fullMove =
        moveResizeRequest(xterm, openboxFrame, {}, std::pair(200.0, 50.0), {}, fluxbox);
    EXPECT_EQ(fullMove.message[0] & allFour, allFour);
    EXPECT_EQ(fullMove.message[3], 484u);
    EXPECT_EQ(fullMove.message[4], 316u);
    const MoveResize fullResize =
        moveResizeRequest(xterm, openboxFrame, {}, {}, std::pair(606.0, 432.0), fluxbox);
    EXPECT_EQ(fullResize.message[0] & allFour, allFour);
    EXPECT_EQ(signedWord(fullResize.message[1]), 100);
    EXPECT_EQ(signedWord(fullResize.message[2]), 100);
}

TEST(MoveResizeTest, ClientSideShadowsLieInsideTheClient) {
    // A GTK window without decorations, its 20 px shadow all round: the
    // visible window at (0, 0) puts the client 20 px further up and left.
    const ClientBox gtk{300, 300, 440, 340};
    const FrameExtents shadow{20, 20, 20, 20};
    const MoveResize r =
        moveResizeRequest(gtk, {}, shadow, std::pair(0.0, 0.0), std::pair(720.0, 900.0));
    EXPECT_EQ(signedWord(r.message[1]), -20);
    EXPECT_EQ(signedWord(r.message[2]), -20);
    EXPECT_EQ(r.message[3], 760u);
    EXPECT_EQ(r.message[4], 940u);
    // A size the decorations would swallow still asks for a pixel.
    EXPECT_EQ(moveResizeRequest(xterm, openboxFrame, {}, {}, std::pair(1.0, 1.0)).client.width, 1);
}

TEST(MoveResizeTest, AWindowManagerWithoutFrameExtentsIsToldWhereTheClientGoes) {
    // i3 puts the client's outer corner, its 1 px X border included, where
    // asked, and draws its 2 px border and 18 px title around that.
    const ClientBox floating{801, 351, 484, 316};
    const FrameExtents i3Frame{3, 3, 19, 3};
    const MoveResize r =
        moveResizeRequest(floating, i3Frame, {}, std::pair(0.0, 0.0), std::pair(720.0, 900.0),
                          RequestQuirks{.carryAll = false, .placesClient = 1});
    EXPECT_EQ(signedWord(r.message[1]), 2);
    EXPECT_EQ(signedWord(r.message[2]), 18);
    EXPECT_EQ(r.message[3], 714u);
    EXPECT_EQ(r.message[4], 878u);
    EXPECT_EQ(r.client.x, 3);
    EXPECT_EQ(r.client.y, 19);
}

}  // namespace
}  // namespace corvane::platform
