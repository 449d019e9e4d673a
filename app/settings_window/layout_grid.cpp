#include "app/settings_window/layout_grid.h"

#include <QAccessibleWidget>
#include <QKeyEvent>
#include <algorithm>
#include <cmath>
#include <utility>

#include "app/panel/panel_selection.h"

namespace corvane {

namespace {

const char* const gridDescription =
    "Drag to choose the saved window position. Arrow keys move the selection; Shift with an "
    "arrow key stretches it.";

std::optional<QPoint> arrowStep(int key) {
    switch (key) {
        case Qt::Key_Left:
            return QPoint(-1, 0);
        case Qt::Key_Right:
            return QPoint(1, 0);
        case Qt::Key_Up:
            return QPoint(0, -1);
        case Qt::Key_Down:
            return QPoint(0, 1);
        default:
            return std::nullopt;
    }
}

// The cells a region covers along one axis: the first and the last. The
// tolerance absorbs fractions such as 5 × (1/6) that do not sum exactly.
std::pair<int, int> coveredCells(double start, double length, std::int64_t count) {
    constexpr double tolerance = 1e-9;
    const double n = double(count);
    const int first = int(std::floor(start * n + tolerance));
    const int last = int(std::ceil((start + length) * n - tolerance)) - 1;
    return {first, std::max(first, last)};
}

class LayoutGridAccessible : public QAccessibleWidget {
public:
    explicit LayoutGridAccessible(LayoutGrid* grid)
        : QAccessibleWidget(grid, QAccessible::Graphic) {}

    QString text(QAccessible::Text t) const override {
        const auto* grid = static_cast<const LayoutGrid*>(widget());
        switch (t) {
            case QAccessible::Name:
                return QString::fromUtf8(LayoutGrid::accessibleNameText);
            case QAccessible::Description:
                return QString::fromUtf8(gridDescription);
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

QAccessibleInterface* layoutGridFactory(const QString&, QObject* object) {
    if (auto* grid = qobject_cast<LayoutGrid*>(object)) return new LayoutGridAccessible(grid);
    return nullptr;
}

}  // namespace

// The panel's own factory answers for every TileGrid; this one is installed
// after it, and Qt asks the factories installed last first.
LayoutGrid::LayoutGrid(PanelSelection& selection, QWidget* parent) : TileGrid(selection, parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(layoutGridFactory);
        return true;
    }();
    (void)factoryInstalled;
    setAccessibleName(QString::fromUtf8(accessibleNameText));
    setAccessibleDescription(QString::fromUtf8(gridDescription));
    setMinimumSize(240, 150);
    setFocusPolicy(Qt::StrongFocus);
}

void LayoutGrid::keyPressEvent(QKeyEvent* event) {
    const std::optional<QPoint> step = arrowStep(event->key());
    if (!step) {
        TileGrid::keyPressEvent(event);
        return;
    }
    if (selection().region() != keyed_ || grid() != keyedGrid_) {
        startKeysFrom(selection().region());
    }
    const bool extend = event->modifiers().testFlag(Qt::ShiftModifier);
    selection().moveCursor(step->x(), step->y(), extend, grid());
    keyed_ = selection().region();
    keyedGrid_ = grid();
}

// Anchor on the region's first cell and cursor on its last, so the keys go on
// from the rectangle shown rather than from the corner.
void LayoutGrid::startKeysFrom(std::optional<TileRegion> region) {
    PanelSelection& keys = selection();
    keys.reset();
    if (!region) return;
    const auto [firstColumn, lastColumn] = coveredCells(region->x, region->width, grid().columns);
    const auto [firstRow, lastRow] = coveredCells(region->y, region->height, grid().rows);
    keys.moveCursor(firstColumn, firstRow, false, grid());
    keys.moveCursor(lastColumn - firstColumn, lastRow - firstRow, true, grid());
}

}  // namespace corvane
