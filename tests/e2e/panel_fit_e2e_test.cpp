// The grid panel on monitors of every size and scale factor: it always lies
// inside the work area, whatever it has to give up to fit.
#include <gtest/gtest.h>

#include "tests/e2e/grid_session.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;

struct Screen {
    int width, height;
    const char* scale;
};

TEST(PanelFit, ThePanelStaysInsideTheWorkAreaAtEveryScaleFactor) {
    const Screen screens[] = {
        {1440, 900, "1"}, {1440, 900, "1.5"}, {1440, 900, "2"}, {1024, 600, "1"}, {1024, 600, "2"}};
    for (const Screen& screen : screens) {
        SCOPED_TRACE(std::to_string(screen.width) + "x" + std::to_string(screen.height) +
                     " at scale " + screen.scale);
        e2e::Desktop desktop({.width = screen.width, .height = screen.height});
        e2e::CorvaneSession session(desktop, AppSettings());
        session.addEnvironment(std::string("QT_SCALE_FACTOR=") + screen.scale);
        std::string why;
        ASSERT_TRUE(session.start(&why)) << why;
        ASSERT_EQ(session.run({"--toggle-grid"}).status, 0);
        ASSERT_TRUE(e2e::waitUntil([&] { return session.panels().size() == 1; }, 5s))
            << session.log();
        // The dock reserves the top 25 pixels.
        const e2e::Box work{0, 25, screen.width, screen.height - 25};
        e2e::Box panel;
        // The window manager places the panel once it is mapped.
        e2e::waitUntil([&] {
            panel = e2e::outerFrame(desktop, session.panels().front());
            return panel.width > 0 && panel.y >= work.y;
        });
        EXPECT_GE(panel.x, work.x) << panel;
        EXPECT_GE(panel.y, work.y) << panel;
        EXPECT_LE(panel.x + panel.width, work.x + work.width) << panel;
        EXPECT_LE(panel.y + panel.height, work.y + work.height) << panel;
        EXPECT_GE(panel.height, 300) << panel << ": the panel gave up more than it needed";
    }
}

}  // namespace
}  // namespace corvane
