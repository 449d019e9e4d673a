#include "app/panel/tile_grid.h"

#include <QAccessibleWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "app/panel/panel_selection.h"
#include "app/style/panel_style.h"

namespace corvane {

namespace {

// Screen readers meet the grid as one element: what it is, what is selected
// and how to use it. The individual cells are not separate elements.
class TileGridAccessible : public QAccessibleWidget {
public:
    explicit TileGridAccessible(TileGrid* grid) : QAccessibleWidget(grid, QAccessible::Graphic) {}

    QString text(QAccessible::Text t) const override {
        const auto* grid = static_cast<const TileGrid*>(widget());
        switch (t) {
            case QAccessible::Name:
                return selectionLabel(grid->grid());
            case QAccessible::Description:
                return selectionHint();
            case QAccessible::Value:
                return selectionValue(grid->selection().region());
            default:
                return QAccessibleWidget::text(t);
        }
    }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
};

QAccessibleInterface* tileGridFactory(const QString&, QObject* object) {
    if (auto* grid = qobject_cast<TileGrid*>(object)) return new TileGridAccessible(grid);
    return nullptr;
}

bool contains(const TileRegion& region, double x, double y) {
    return region.x <= x && x <= region.x + region.width && region.y <= y &&
           y <= region.y + region.height;
}

}  // namespace

TileGrid::TileGrid(PanelSelection& selection, QWidget* parent)
    : QWidget(parent), selection_(selection) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(tileGridFactory);
        return true;
    }();
    (void)factoryInstalled;

    setMouseTracking(true);
    connect(&selection_, &PanelSelection::regionChanged, this, [this] {
        update();
        announceSelection();
    });
}

void TileGrid::setGrid(const GridSize& grid) {
    if (grid == grid_) return;
    grid_ = grid;
    // A hovered cell of the old grid means nothing in the new one.
    hovered_.reset();
    dragStart_.reset();
    update();
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void TileGrid::setInteractive(bool interactive) {
    if (interactive == interactive_) return;
    interactive_ = interactive;
    if (!interactive_) {
        dragStart_.reset();
        hovered_.reset();
        update();
    }
}

QSize TileGrid::sizeHint() const {
    return QSize(326, 180);
}

QRectF TileGrid::tileRect(const Cell& cell) const {
    const qreal w = qreal(width()) / qreal(grid_.columns);
    const qreal h = qreal(height()) / qreal(grid_.rows);
    return QRectF(w * qreal(cell.column) + 2, h * qreal(cell.row) + 2, std::max(w - 4, 1.0),
                  std::max(h - 4, 1.0));
}

qreal TileGrid::cornerRadius() const {
    const qreal w = qreal(width()) / qreal(grid_.columns);
    return std::min(w / 5, 5.0);
}

bool TileGrid::isHighlighted(const Cell& cell) const {
    const std::optional<TileRegion>& shown = selection_.region() ? selection_.region() : hovered_;
    if (!shown) return false;
    const double cx = (double(cell.column) + 0.5) / double(grid_.columns);
    const double cy = (double(cell.row) + 0.5) / double(grid_.rows);
    return contains(*shown, cx, cy);
}

void TileGrid::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const qreal radius = cornerRadius();
    const QPen litStroke(PanelStyle::accent(1.0), 1.0);
    const QPen plainStroke(PanelStyle::white(0.06), 1.0);
    const QBrush litFill(PanelStyle::accent(0.88));
    const QBrush plainFill(PanelStyle::white(0.085));
    for (std::int64_t row = 0; row < grid_.rows; ++row) {
        for (std::int64_t column = 0; column < grid_.columns; ++column) {
            const Cell cell{column, row};
            const bool lit = isHighlighted(cell);
            QPainterPath tile;
            tile.addRoundedRect(tileRect(cell), radius, radius);
            painter.fillPath(tile, lit ? litFill : plainFill);
            painter.strokePath(tile, lit ? litStroke : plainStroke);
        }
    }
}

Cell TileGrid::cellAt(const QPointF& point) const {
    return Cell::at(point.x(), point.y(), width(), height(), grid_);
}

void TileGrid::mousePressEvent(QMouseEvent* event) {
    if (!interactive_ || event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    dragStart_ = cellAt(event->position());
    dragTo(event->position());
}

void TileGrid::mouseMoveEvent(QMouseEvent* event) {
    if (!interactive_) {
        event->ignore();
        return;
    }
    if (dragStart_) {
        dragTo(event->position());
    } else {
        hoverAt(event->position());
    }
}

void TileGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (!interactive_ || event->button() != Qt::LeftButton || !dragStart_) {
        event->ignore();
        return;
    }
    const TileRegion region = TileRegion::spanning(*dragStart_, cellAt(event->position()), grid_);
    selection_.setRegion(region);
    dragStart_.reset();
    // The preview goes before the placement starts, so it never lingers over the moved window.
    preview(std::nullopt);
    const bool shiftHeld = event->modifiers().testFlag(Qt::ShiftModifier);
    // A copy: applying may close the panels, and with them this view.
    if (const SelectHandler select = onSelect_) select(region, shiftHeld);
}

void TileGrid::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    if (!interactive_) return;
    hovered_.reset();
    update();
    preview(std::nullopt);
}

void TileGrid::dragTo(const QPointF& point) {
    const TileRegion region = TileRegion::spanning(*dragStart_, cellAt(point), grid_);
    selection_.setRegion(region);
    preview(region);
}

void TileGrid::hoverAt(const QPointF& point) {
    const Cell cell = cellAt(point);
    const TileRegion one = TileRegion::spanning(cell, cell, grid_);
    if (hovered_ != one) {
        hovered_ = one;
        update();
    }
    preview(selection_.region() ? selection_.region() : hovered_);
}

void TileGrid::preview(const std::optional<TileRegion>& region) {
    if (const PreviewHandler show = onPreview_) show(region);
}

void TileGrid::announceSelection() {
    QAccessibleValueChangeEvent event(this, selectionValue(selection_.region()));
    QAccessible::updateAccessibility(&event);
}

}  // namespace corvane
