// The lines corvane processes exchange: whatever bytes arrive, a request is
// read only when it is one, and what is written reads back the same.
#include "app/remote/instance_wire.h"

#include <gtest/gtest.h>

namespace corvane {
namespace {

TEST(InstanceWire, RequestsAndAnswersReadBackAsWritten) {
    const InstanceRequest launch{"launch", {}, true, true};
    EXPECT_EQ(InstanceWire::encode(launch),
              "{\"command\":\"launch\",\"settings\":true,\"show\":true}\n");
    EXPECT_EQ(InstanceWire::decodeRequest(InstanceWire::encode(launch)), launch);
    const InstanceRequest apply{"apply-layout", "Écran \"gauche\"\n", false, false};
    EXPECT_EQ(InstanceWire::decodeRequest(InstanceWire::encode(apply)), apply);
    const InstanceResponse answer{2, "Left half\tCtrl+Alt+Left\n", "Not exact.\n"};
    EXPECT_EQ(InstanceWire::decodeResponse(InstanceWire::encode(answer)), answer);
}

TEST(InstanceWire, AnythingButAWellFormedRequestIsRefused) {
    for (const char* line :
         {"", "\n", "launch\n", "[\"launch\"]\n", "{\"command\":3}\n", "{\"argument\":\"x\"}\n",
          "{\"command\":\"undo\",\"argument\":[]}\n", "{\"command\":\"undo\"", "\xff\xfe{}\n"}) {
        EXPECT_FALSE(InstanceWire::decodeRequest(line)) << line;
    }
    // Unknown keys and absent flags are fine: the command decides what it needs.
    EXPECT_EQ(InstanceWire::decodeRequest("{\"command\":\"status\",\"extra\":1,\"show\":\"yes\"}"),
              (InstanceRequest{"status", {}, false, false}));
}

TEST(InstanceWire, AnAnswerNeedsItsStatusAndBothStreams) {
    EXPECT_FALSE(InstanceWire::decodeResponse("{\"exitCode\":0,\"stdout\":\"\"}"));
    EXPECT_FALSE(
        InstanceWire::decodeResponse("{\"exitCode\":\"0\",\"stdout\":\"\",\"stderr\":\"\"}"));
    EXPECT_EQ(InstanceWire::decodeResponse("{\"exitCode\":1e300,\"stdout\":\"\",\"stderr\":\"\"}"),
              (InstanceResponse{1, {}, {}}));
}

}  // namespace
}  // namespace corvane
