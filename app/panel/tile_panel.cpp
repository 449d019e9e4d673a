#include "app/panel/tile_panel.h"

#include <QPainterPath>
#include <QRegion>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/panel/grid_panel_view.h"
#include "app/panel/screen_scale.h"
#include "platform/desktop_shell.h"

namespace corvane {

TilePanel::TilePanel(PanelHost& host, platform::Display display, PanelSelection& selection,
                     platform::DesktopShell& shell)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      display_(std::move(display)),
      shell_(shell) {
    setAttribute(Qt::WA_TranslucentBackground);
    // The controller gives the keyboard to one panel, the one under the pointer.
    // A window manager that also focused each panel as it appeared would pass
    // the keyboard from panel to panel while the grid opens.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowTitle(QStringLiteral("Corvane \u2014 ") + QString::fromStdString(display_.name));
    // The panel itself holds the keyboard focus (its buttons never do), so key
    // presses reach the application while the panel is active.
    setFocusPolicy(Qt::StrongFocus);

    view_ = new GridPanelView(host, selection, display_);
    // On a monitor too short for the whole panel, even with fewer layout rows,
    // the content scrolls inside a panel that fits.
    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setFocusPolicy(Qt::NoFocus);  // the panel keeps the keyboard
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll_->setAutoFillBackground(false);
    scroll_->viewport()->setAutoFillBackground(false);
    scroll_->setWidgetResizable(true);
    scroll_->setWidget(view_);
    view_->setAutoFillBackground(false);  // setWidget turns it on; the card is rounded
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll_);
    fitToDisplay();
}

void TilePanel::refresh() {
    view_->refresh();
    fitToDisplay();
}

// Sizes are compared in logical pixels throughout: the display's visible frame
// is converted from root pixels first, then cut to the whole logical pixels
// inside it. At a fractional scale factor a logical pixel may straddle two
// root pixels and round either way, so one is kept spare.
QRectF TilePanel::visibleArea() const {
    const std::vector<ScreenScale> screens = currentScreenScales();
    const QRectF exact = logicalFromNative(display_.visibleFrame, screens);
    const std::optional<ScreenScale> screen = screenScaleFor(display_.visibleFrame, screens);
    const bool fractional = screen && screen->ratio != std::floor(screen->ratio);
    const double top = std::ceil(exact.top());
    const double bottom = std::floor(exact.bottom()) - (fractional ? 1 : 0);
    const double left = std::ceil(exact.left());
    const double right = std::floor(exact.right()) - (fractional ? 1 : 0);
    return QRectF(left, top, std::max(0.0, right - left), std::max(0.0, bottom - top));
}

void TilePanel::fitToDisplay() {
    const int available = int(std::floor(visibleArea().height()));
    view_->fitToHeight(available > 0 ? std::optional<int>(available) : std::nullopt);
    const QSize natural = view_->sizeHint();
    const bool scrolls = available > 0 && natural.height() > available;
    const int barWidth = scrolls ? scroll_->verticalScrollBar()->sizeHint().width() : 0;
    const QSize size(natural.width() + barWidth, scrolls ? available : natural.height());
    if (size != this->size()) setFixedSize(size);
}

void TilePanel::placeCentred() {
    const QRectF visible = visibleArea();
    double x = visible.center().x() - double(width()) * 0.5;
    double y = visible.center().y() - double(height()) * 0.5;
    // Never past the work area: a panel too wide or tall for it keeps its top-left corner inside.
    x = std::max(visible.left(), std::min(x, visible.right() - double(width())));
    y = std::max(visible.top(), std::min(y, visible.bottom() - double(height())));
    move(int(std::lround(x)), int(std::lround(y)));
}

platform::WindowId TilePanel::windowId() const {
    return platform::WindowId(winId());
}

void TilePanel::setCompositing(bool compositing) {
    compositing_ = compositing;
    updateShape();
}

void TilePanel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    setFocus(Qt::OtherFocusReason);
    // Once the map request is out, the desktop can be told to keep the panel everywhere.
    QTimer::singleShot(0, this, [this] { shell_.keepOnAllWorkspaces(windowId()); });
}

void TilePanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateShape();
}

void TilePanel::updateShape() {
    if (compositing_) {
        clearMask();
        return;
    }
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()), GridPanelView::cornerRadius, GridPanelView::cornerRadius);
    setMask(QRegion(card.toFillPolygon().toPolygon()));
}

}  // namespace corvane
