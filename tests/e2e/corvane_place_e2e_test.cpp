// corvane-place on a private desktop: what a script calling it sees.

#include <gtest/gtest.h>

#include <regex>

#include "tests/e2e/harness/desktop.h"

#ifndef CORVANE_PLACE_PATH
#error "CORVANE_PLACE_PATH must name the corvane-place executable"
#endif

namespace corvane::e2e {
namespace {

struct Outcome {
    int status = -1;
    std::string output, errors;
};

// What a script sees, with the measured duration written as N.
Outcome place(const Desktop& desktop, std::vector<std::string> args) {
    Outcome outcome;
    args.insert(args.begin(), CORVANE_PLACE_PATH);
    outcome.status = desktop.run(args, &outcome.output, 30s, &outcome.errors);
    outcome.output =
        std::regex_replace(outcome.output, std::regex(R"(duration=\d+ms)"), "duration=Nms");
    return outcome;
}

// The client geometry plus Openbox's decorations.
std::string outerFrame(const Desktop& desktop, std::uint32_t window) {
    auto g = desktop.clientGeometry(window).value();
    auto f = desktop.cardinals(window, "_NET_FRAME_EXTENTS");
    f.resize(4, 0);
    return std::to_string(g.x - int(f[0])) + "," + std::to_string(g.y - int(f[2])) + "," +
           std::to_string(g.width + int(f[0] + f[1])) + "," +
           std::to_string(g.height + int(f[2] + f[3]));
}

TEST(CorvanePlaceTest, PrintsWhereTheWindowLandedOrWhyNotWithItsExitStatus) {
    Desktop desktop;
    const Outcome nothing = place(desktop, {"0,0,1,1"});
    EXPECT_EQ(nothing.status, 1);
    EXPECT_EQ(nothing.errors, "Focus a window in another app, then open the grid.\n");
    EXPECT_EQ(nothing.output, "");

    ProbeWindow probe = desktop.startProbe();
    const Outcome left = place(desktop, {"0,0,0.5,1", "--margins", "10"});
    EXPECT_EQ(left.status, 0) << left.errors;
    EXPECT_EQ(left.output, "Resize result: (10.0, 35.0, 705.0, 855.0), exact=true, duration=Nms\n");
    EXPECT_EQ(outerFrame(desktop, probe.window), "10,35,705,855");
    const Outcome right = place(desktop, {"0.5,0,0.5,1", "--diagnostics"});
    EXPECT_EQ(right.status, 0) << right.errors;
    EXPECT_EQ(right.output,
              "Resize CorvaneProbe: (10.0, 35.0, 705.0, 855.0) \u2192 (720.0, 25.0, 720.0, 875.0)\n"
              "Window animation: false; Enhanced UI: false, temporarily disabled: false\n"
              "Resize result: (720.0, 25.0, 720.0, 875.0), exact=true, duration=Nms\n");
    EXPECT_EQ(outerFrame(desktop, probe.window), "720,25,720,875");

    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"0,0,0.5"},
                                               {"0,0,1.5,1"},
                                               {"0,0,1,1", "--margins", "400"},
                                               {"0,0,1,1", "--next-display"}}) {
        const Outcome usage = place(desktop, args);
        EXPECT_EQ(usage.status, 2) << ::testing::PrintToString(args);
        EXPECT_NE(usage.errors.find("Usage: corvane-place"), std::string::npos) << usage.errors;
    }
    const Outcome alone = place(desktop, {"--next-display"});
    EXPECT_EQ(alone.status, 1);
    EXPECT_EQ(alone.errors, "There is no other monitor to move the window to.\n");
    EXPECT_EQ(outerFrame(desktop, probe.window), "720,25,720,875");

    ProbeWindow fixed = desktop.startProbe({.fixedSize = true});
    const Outcome refused = place(desktop, {"0,0,0.5,1"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.errors, "This app does not allow its window to be resized.\n");
}

}  // namespace
}  // namespace corvane::e2e
