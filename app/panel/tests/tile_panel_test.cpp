#include "app/panel/tile_panel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QTest>

#include "app/panel/grid_panel_view.h"
#include "app/panel/panel_header.h"
#include "app/panel/panel_selection.h"
#include "app/panel/tests/fake_panel_host.h"
#include "app/panel/tests/qt_printers.h"
#include "app/panel/tile_grid.h"

namespace corvane {
namespace {

using testing::FakePanelHost;
using testing::RecordingShell;

class TilePanelTest : public ::testing::Test {
protected:
    FakePanelHost host;
    RecordingShell shell;
    PanelSelection selection;
};

TEST_F(TilePanelTest, IsAFramelessToolWindowNamedAfterItsDisplay) {
    TilePanel panel(host, testing::testDisplay("HDMI-2"), selection, shell);
    EXPECT_EQ(panel.windowTitle(), QStringLiteral("Corvane \u2014 HDMI-2"));
    const Qt::WindowFlags flags = panel.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(panel.windowType(), Qt::Tool);
    EXPECT_TRUE(panel.testAttribute(Qt::WA_TranslucentBackground));
    EXPECT_NE(panel.focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(panel.width(), 366);
}

TEST_F(TilePanelTest, AsksTheDesktopToKeepItOnEveryWorkspaceOnceShown) {
    TilePanel panel(host, testing::testDisplay(), selection, shell);
    EXPECT_TRUE(shell.keptOnAllWorkspaces.empty());
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    QTRY_COMPARE(shell.keptOnAllWorkspaces.size(), std::size_t(1));
    EXPECT_EQ(shell.keptOnAllWorkspaces[0], panel.windowId());
    EXPECT_NE(panel.windowId(), 0u);
}

TEST_F(TilePanelTest, CentresOnTheVisibleFrameOfItsDisplay) {
    platform::Display display{"DP-2", Rect{1920, 0, 1280, 1024}, Rect{1920, 40, 1280, 984}};
    TilePanel panel(host, display, selection, shell);
    panel.placeCentred();
    EXPECT_EQ(panel.x(), 1920 + 640 - 183);
    EXPECT_EQ(panel.y(), int(std::lround(40 + 492 - panel.height() / 2.0)));

    // A visible frame smaller than the panel still centres it, reaching past its edges.
    platform::Display tiny{"tiny", Rect{0, 0, 300, 200}, Rect{0, 0, 300, 200}};
    TilePanel small(host, tiny, selection, shell);
    small.placeCentred();
    EXPECT_EQ(small.x(), 150 - 183);
    EXPECT_LT(small.y(), 0);
}

TEST_F(TilePanelTest, GrowsWithThePermissionCardAndKeepsItsTopLeft) {
    TilePanel panel(host, testing::testDisplay(), selection, shell);
    panel.move(100, 120);
    const int before = panel.height();
    host.permission_ = false;
    panel.refresh();
    EXPECT_GT(panel.height(), before);
    EXPECT_EQ(panel.pos(), QPoint(100, 120));
}

TEST_F(TilePanelTest, RendersARoundedDarkCardWithTheSelectionInTheAccent) {
    host.settings_.layouts = {
        testing::layoutNamed("Left half", TileRegion{0, 0, 0.5, 1}, KeyCombo{37, 0, "L"})};
    selection.setRegion(TileRegion{0, 0, 0.5, 1});
    TilePanel panel(host, testing::testDisplay(), selection, shell);
    const QImage image = panel.grab().toImage();
    EXPECT_EQ(image.width(), 366);
    EXPECT_EQ(image.height(), panel.height());

    // Outside the rounded corners the window is clear.
    for (const QPoint corner : {QPoint(0, 0), QPoint(365, 0), QPoint(0, image.height() - 1),
                                QPoint(365, image.height() - 1)}) {
        EXPECT_EQ(image.pixelColor(corner).alpha(), 0) << corner.x() << "," << corner.y();
    }
    // The card itself is opaque and dark.
    const QColor card = image.pixelColor(183, 6);
    EXPECT_EQ(card.alpha(), 255);
    EXPECT_LT(card.lightness(), 50);

    // Highlighted cells of the left half draw in the accent, the right half does not.
    const QRect grid(panel.view()->tileGrid()->mapTo(panel.view(), QPoint(0, 0)), QSize(326, 180));
    const QColor behind = image.pixelColor(grid.left() - 6, grid.top() + 15);
    const QColor lit = image.pixelColor(grid.left() + 27, grid.top() + 15);
    EXPECT_NEAR(lit.red(), 0.88 * 211 + 0.12 * behind.red(), 3);
    EXPECT_NEAR(lit.green(), 0.88 * 242 + 0.12 * behind.green(), 3);
    EXPECT_NEAR(lit.blue(), 0.88 * 154 + 0.12 * behind.blue(), 3);
    const QColor plain = image.pixelColor(grid.right() - 27, grid.top() + 15);
    EXPECT_NEAR(plain.green(), 0.085 * 255 + 0.915 * behind.green(), 3);
}

TEST_F(TilePanelTest, DraggingTheTitleMovesThePanelAndReportsTheMove) {
    host.diagnostics_ = true;
    TilePanel panel(host, testing::testDisplay(), selection, shell);
    panel.move(200, 100);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    PanelDragHandle* handle = panel.view()->header()->dragHandle();
    EXPECT_EQ(handle->toolTip(), "Drag to move the grid");
    EXPECT_EQ(handle->cursor().shape(), Qt::OpenHandCursor);

    // The off-screen platform has no window manager, so the handle moves the panel itself.
    const QPoint start = handle->mapToGlobal(QPoint(5, 5));
    auto send = [&](QEvent::Type type, QPoint global, Qt::MouseButtons buttons) {
        QMouseEvent event(type, handle->mapFromGlobal(global), global, Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(handle, &event);
    };
    send(QEvent::MouseButtonPress, start, Qt::LeftButton);
    send(QEvent::MouseMove, start + QPoint(30, 40), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, start + QPoint(30, 40), Qt::NoButton);

    EXPECT_EQ(panel.pos(), QPoint(230, 140));
    ASSERT_EQ(host.diagnosticLines.size(), 1u);
    EXPECT_EQ(host.diagnosticLines[0], "Panel drag: (200.0, 100.0) \u2192 (230.0, 140.0)");
}

}  // namespace
}  // namespace corvane
