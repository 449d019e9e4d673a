#include "app/panel/tile_panel.h"

#include <QPainterPath>
#include <QRegion>
#include <QTimer>
#include <QVBoxLayout>
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

    view_ = new GridPanelView(host, selection, display_, this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(view_);
    setFixedSize(view_->sizeHint());
}

void TilePanel::refresh() {
    view_->refresh();
    const QSize size = view_->sizeHint();
    if (size != this->size()) setFixedSize(size);
}

void TilePanel::placeCentred() {
    // The visible frame is in root pixels, the panel's size in logical ones.
    const QRectF visible = logicalFromNative(display_.visibleFrame, currentScreenScales());
    const double x = visible.center().x() - double(width()) * 0.5;
    const double y = visible.center().y() - double(height()) * 0.5;
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
