#include "app/panel/preview_overlay.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include "app/panel/tests/qt_printers.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_desktop_shell.h"

namespace corvane {
namespace {

TEST(PreviewOverlay, JumpsOnAppearingAndGlidesWhileShownUnlessMotionIsReduced) {
    platform::FakeDesktop desktop;
    platform::FakeDesktopShell shell;
    PreviewOverlay overlay{desktop, shell};
    QWidget* window = overlay.window();
    EXPECT_TRUE(window->windowFlags().testFlags(Qt::WindowTransparentForInput |
                                                Qt::WindowDoesNotAcceptFocus));
    auto showAt = [&](Rect frame, bool animate) -> std::string {
        overlay.show(frame, animate);
        return overlay.isGliding() ? "glides" : "jumps";
    };
    EXPECT_EQ(showAt(Rect{100, 200, 640, 480}, true), "jumps");
    EXPECT_EQ(window->geometry(), QRect(100, 200, 640, 480));
    EXPECT_EQ(showAt(Rect{400, 300, 400, 300}, true), "glides");
    QTRY_VERIFY_WITH_TIMEOUT(!overlay.isGliding(), 2000);
    EXPECT_EQ(window->geometry(), QRect(400, 300, 400, 300));
    EXPECT_EQ(showAt(Rect{10, 10, 200, 100}, false), "jumps");

    // Hidden in the middle of a glide, it appears again at once where asked.
    EXPECT_EQ(showAt(Rect{0, 0, 400, 300}, true), "glides");
    overlay.hide();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(showAt(Rect{800, 0, 400, 300}, true), "jumps");
    EXPECT_EQ(window->geometry(), QRect(800, 0, 400, 300));
    // Announced to the desktop at each appearance, not at each move.
    EXPECT_EQ(shell.everywhere.size(), 2u);

    desktop.reduceMotionSetting = true;
    EXPECT_EQ(showAt(Rect{500, 10, 200, 100}, true), "jumps");
    EXPECT_EQ(window->geometry(), QRect(500, 10, 200, 100));
}

TEST(PreviewOverlay, RoundsEachEdgeSoNeighboursMeet) {
    // Two halves of an odd width share the edge at 960.5 -> 961.
    const QRect left = overlayGeometry(Rect{0, 0, 960.5, 100});
    const QRect right = overlayGeometry(Rect{960.5, 0, 960.5, 100});
    EXPECT_EQ(left.right() + 1, right.left());
    EXPECT_EQ(right.left() + right.width(), 1921);
    EXPECT_EQ(overlayGeometry(Rect{5, 5, 0, 0}).size(), QSize(1, 1));
}

}  // namespace
}  // namespace corvane
