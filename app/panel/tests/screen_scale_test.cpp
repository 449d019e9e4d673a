#include "app/panel/screen_scale.h"

#include <gtest/gtest.h>

#include "app/panel/tests/qt_printers.h"

namespace corvane {
namespace {

// Two monitors side by side at a device pixel ratio of 2 (QT_SCALE_FACTOR=2):
// 1440 × 900 and 1280 × 800 root pixels.
const std::vector<ScreenScale> doubled = {
    ScreenScale{QPoint(0, 0), QSize(1440, 900), 2.0},
    ScreenScale{QPoint(1440, 0), QSize(1280, 800), 2.0},
};

TEST(ScreenScale, MonitorsKeepTheirCornersAndHalveTheirDistances) {
    EXPECT_EQ(logicalFromNative(Rect{1440, 0, 1280, 800}, doubled), QRectF(1440, 0, 640, 400));
    // A visible frame below a 25-pixel dock lands on half a logical pixel.
    EXPECT_EQ(logicalFromNative(Rect{0, 25, 1440, 875}, doubled), QRectF(0, 12.5, 720, 437.5));
    EXPECT_EQ(logicalFromNative(Rect{1640, 100, 400, 300}, doubled), QRectF(1540, 50, 200, 150));
}

TEST(ScreenScale, TheLogicalPointerComesBackInRootPixelsOfItsMonitor) {
    EXPECT_EQ(nativeFromLogical(QPointF(100, 100), doubled), QPointF(200, 200));
    EXPECT_EQ(nativeFromLogical(QPointF(1500, 100), doubled), QPointF(1560, 200));
    // Between the logical monitors there is nothing to convert by.
    EXPECT_EQ(nativeFromLogical(QPointF(1000, 100), doubled), QPointF(1000, 100));
    for (const QPointF native : {QPointF(17, 899), QPointF(2719, 5), QPointF(1440, 0)}) {
        const auto screen = screenScaleFor(Rect{native.x(), native.y(), 1, 1}, doubled);
        ASSERT_TRUE(screen);
        EXPECT_EQ(nativeFromLogical(screen->toLogical(native), doubled), native);
    }
}

TEST(ScreenScale, AFrameBelongsToTheMonitorHoldingItsCentre) {
    // Mostly on the second monitor: converted by the second one's corner.
    EXPECT_EQ(screenScaleFor(Rect{1400, 0, 400, 100}, doubled)->origin, QPoint(1440, 0));
    // Its centre off every monitor: the one it overlaps most.
    EXPECT_EQ(screenScaleFor(Rect{1400, 700, 200, 300}, doubled)->origin, QPoint(1440, 0));
    // Off every monitor, or with no monitors: the spaces coincide.
    EXPECT_FALSE(screenScaleFor(Rect{5000, 5000, 10, 10}, doubled));
    EXPECT_EQ(logicalFromNative(Rect{5000, 5000, 10, 10}, doubled), QRectF(5000, 5000, 10, 10));
    EXPECT_EQ(logicalFromNative(Rect{10, 20, 30, 40}, {}), QRectF(10, 20, 30, 40));
}

TEST(ScreenScale, ARatioOfOneChangesNothing) {
    const std::vector<ScreenScale> plain = {ScreenScale{QPoint(0, 0), QSize(1920, 1080), 1.0}};
    EXPECT_EQ(logicalFromNative(Rect{13, 27, 641, 479}, plain), QRectF(13, 27, 641, 479));
    EXPECT_EQ(nativeFromLogical(QPointF(641, 479), plain), QPointF(641, 479));
}

}  // namespace
}  // namespace corvane
