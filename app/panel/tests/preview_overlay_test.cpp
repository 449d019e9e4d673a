#include "app/panel/preview_overlay.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <QWidget>

#include "app/panel/tests/fake_panel_host.h"
#include "app/panel/tests/qt_printers.h"
#include "platform/fake/fake_desktop.h"

namespace corvane {
namespace {

class PreviewOverlayTest : public ::testing::Test {
protected:
    platform::FakeDesktop desktop;
    testing::RecordingShell shell;
    PreviewOverlay overlay{desktop, shell};
};

TEST_F(PreviewOverlayTest, IsOneClickThroughWindowThatStaysHiddenUntilAsked) {
    QWidget* window = overlay.window();
    EXPECT_FALSE(overlay.isShown());
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(window->windowFlags().testFlag(Qt::WindowDoesNotAcceptFocus));
    EXPECT_EQ(window->windowType(), Qt::Tool);

    overlay.show(Rect{100, 200, 640, 480}, true);
    EXPECT_TRUE(overlay.isShown());
    EXPECT_EQ(overlay.window(), window);
    overlay.hide();
    overlay.show(Rect{0, 0, 10, 10}, false);
    EXPECT_EQ(overlay.window(), window);
}

TEST_F(PreviewOverlayTest, FirstAppearanceJumpsEvenWhenAnimated) {
    overlay.show(Rect{100, 200, 640, 480}, true);
    EXPECT_FALSE(overlay.isGliding());
    EXPECT_EQ(overlay.window()->geometry(), QRect(100, 200, 640, 480));
    EXPECT_EQ(shell.keptOnAllWorkspaces.size(), 1u);
}

TEST_F(PreviewOverlayTest, AVisibleOverlayGlidesToItsNewFrame) {
    overlay.show(Rect{0, 0, 400, 300}, true);
    overlay.show(Rect{400, 300, 400, 300}, true);
    EXPECT_TRUE(overlay.isGliding());
    EXPECT_EQ(overlay.targetGeometry(), QRect(400, 300, 400, 300));
    QTRY_VERIFY_WITH_TIMEOUT(!overlay.isGliding(), 2000);
    EXPECT_EQ(overlay.window()->geometry(), QRect(400, 300, 400, 300));
    // Moving does not announce the window to the desktop again.
    EXPECT_EQ(shell.keptOnAllWorkspaces.size(), 1u);
}

TEST_F(PreviewOverlayTest, JumpsWithoutAnimationOrWithReducedMotion) {
    overlay.show(Rect{0, 0, 400, 300}, true);
    overlay.show(Rect{10, 10, 200, 100}, false);
    EXPECT_FALSE(overlay.isGliding());
    EXPECT_EQ(overlay.window()->geometry(), QRect(10, 10, 200, 100));

    desktop.reduceMotionSetting = true;
    overlay.show(Rect{500, 10, 200, 100}, true);
    EXPECT_FALSE(overlay.isGliding());
    EXPECT_EQ(overlay.window()->geometry(), QRect(500, 10, 200, 100));
}

TEST_F(PreviewOverlayTest, ShowingAgainAfterHidingJumps) {
    overlay.show(Rect{0, 0, 400, 300}, true);
    overlay.hide();
    EXPECT_FALSE(overlay.isShown());
    EXPECT_FALSE(overlay.window()->isVisible());
    overlay.show(Rect{800, 0, 400, 300}, true);
    EXPECT_FALSE(overlay.isGliding());
    EXPECT_EQ(overlay.window()->geometry(), QRect(800, 0, 400, 300));
    EXPECT_EQ(shell.keptOnAllWorkspaces.size(), 2u);
}

TEST_F(PreviewOverlayTest, HidingStopsAGlide) {
    overlay.show(Rect{0, 0, 400, 300}, true);
    overlay.show(Rect{400, 300, 400, 300}, true);
    overlay.hide();
    EXPECT_FALSE(overlay.isGliding());
}

TEST(OverlayGeometry, RoundsEachEdgeSoNeighboursMeet) {
    // Two halves of an odd width share the edge at 960.5 -> 961.
    const QRect left = overlayGeometry(Rect{0, 0, 960.5, 100});
    const QRect right = overlayGeometry(Rect{960.5, 0, 960.5, 100});
    EXPECT_EQ(left.right() + 1, right.left());
    EXPECT_EQ(right.left() + right.width(), 1921);
    EXPECT_EQ(overlayGeometry(Rect{5, 5, 0, 0}).size(), QSize(1, 1));
}

TEST_F(PreviewOverlayTest, DrawsATranslucentAccentFillInsideAStrongerOutline) {
    overlay.setCompositing(true);
    overlay.show(Rect{0, 0, 200, 120}, false);
    const QImage image = overlay.window()->grab().toImage();
    EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);  // outside the rounded corner
    // The 3-point line is centred on the rectangle inset by 2, so it covers 0.5 to 3.5.
    EXPECT_NEAR(image.pixelColor(0, 60).alpha(), 102, 4);
    const QColor stroke = image.pixelColor(1, 60);
    EXPECT_NEAR(stroke.alpha(), 204, 4);  // accent at 0.8
    EXPECT_NEAR(stroke.green(), 242, 3);
    const QColor fill = image.pixelColor(100, 60);
    EXPECT_NEAR(fill.alpha(), 41, 3);  // accent at 0.16
    EXPECT_TRUE(overlay.window()->mask().isEmpty());
}

TEST_F(PreviewOverlayTest, WithoutACompositorOnlyTheOutlineIsShown) {
    overlay.show(Rect{0, 0, 200, 120}, false);
    const QRegion shape = overlay.window()->mask();
    EXPECT_TRUE(shape.contains(QPoint(3, 60)));
    EXPECT_FALSE(shape.contains(QPoint(100, 60)));
}

}  // namespace
}  // namespace corvane
