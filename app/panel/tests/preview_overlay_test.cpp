#include "app/panel/preview_overlay.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>

#include "app/panel/screen_scale.h"
#include "app/panel/tests/fake_panel_host.h"
#include "platform/fake/fake_desktop.h"
#include "platform/fake/fake_desktop_shell.h"

namespace corvane {
namespace {

TEST(PreviewOverlay, JumpsOnAppearingAndGlidesWhileShownUnlessMotionIsReduced) {
    platform::FakeDesktop desktop;
    platform::FakeDesktopShell shell;
    PreviewOverlay overlay{desktop, shell};
    QWidget* window = overlay.window();
    overlay.setCompositing(true);
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowTransparentForInput)) << "click-through";
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
    // Announced to the desktop at each appearance, not at each move.
    EXPECT_EQ(shell.everywhere.size(), 2u);

    desktop.reduceMotionSetting = true;
    EXPECT_EQ(showAt(Rect{500, 10, 200, 100}, true), "jumps");
    EXPECT_EQ(window->geometry(), QRect(500, 10, 200, 100));
    // A translucent accent fill, or without a compositor only the outline, never hiding the window.
    EXPECT_NEAR(window->grab().toImage().pixelColor(100, 50).alpha(), 41, 3);  // accent at 0.16
    EXPECT_TRUE(window->mask().isEmpty());
    overlay.setCompositing(false);
    EXPECT_TRUE(window->mask().contains(QPoint(3, 50)));
    EXPECT_FALSE(window->mask().contains(QPoint(100, 50)));
}

TEST(PreviewOverlay, RoundsEachEdgeSoNeighboursMeet) {
    // Two halves of an odd width share the edge at 960.5 -> 961.
    const QRect left = overlayGeometry(Rect{0, 0, 960.5, 100});
    const QRect right = overlayGeometry(Rect{960.5, 0, 960.5, 100});
    EXPECT_EQ(left.right() + 1, right.left());
    EXPECT_EQ(right.left() + right.width(), 1921);
    EXPECT_EQ(overlayGeometry(Rect{5, 5, 0, 0}).size(), QSize(1, 1));
}

// Two monitors side by side at a device pixel ratio of 2 (QT_SCALE_FACTOR=2).
TEST(ScreenScale, FramesConvertByTheMonitorHoldingTheirCentreAndComeBackExactly) {
    const std::vector<ScreenScale> doubled = {ScreenScale{QPoint(0, 0), QSize(1440, 900), 2.0},
                                              ScreenScale{QPoint(1440, 0), QSize(1280, 800), 2.0}};
    // Below a 25-pixel dock on half a logical pixel; mostly on the second monitor, from its corner.
    EXPECT_EQ(logicalFromNative(Rect{0, 25, 1440, 875}, doubled), QRectF(0, 12.5, 720, 437.5));
    EXPECT_EQ(logicalFromNative(Rect{1400, 0, 400, 100}, doubled), QRectF(1420, 0, 200, 50));
    // Off every monitor, or with none, the spaces coincide.
    EXPECT_EQ(logicalFromNative(Rect{10, 20, 30, 40}, {}), QRectF(10, 20, 30, 40));
    for (const QPointF native : {QPointF(17, 899), QPointF(2719, 5), QPointF(1440, 0)}) {
        const QPointF logical =
            logicalFromNative(Rect{native.x(), native.y(), 0, 0}, doubled).topLeft();
        EXPECT_EQ(nativeFromLogical(logical, doubled), native) << native.x() << "," << native.y();
    }
}

}  // namespace
}  // namespace corvane
