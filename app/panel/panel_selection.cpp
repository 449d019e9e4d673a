#include "app/panel/panel_selection.h"

#include <algorithm>
#include <cmath>

namespace corvane {

PanelSelection::PanelSelection(QObject* parent) : QObject(parent) {}

void PanelSelection::setRegion(const std::optional<TileRegion>& region) {
    region_ = region;
    emit regionChanged();
}

void PanelSelection::reset() {
    anchor_ = Cell{};
    cursor_ = Cell{};
    setRegion(std::nullopt);
}

void PanelSelection::moveCursor(int dx, int dy, bool extend, const GridSize& grid) {
    // Clamp after adding, so a press past an edge leaves the cursor on the edge cell.
    cursor_ = Cell{cursor_.column + dx, cursor_.row + dy}.clamped(grid);
    if (extend) {
        // The anchor may come from a larger grid (before the grid shrank); keep it inside.
        anchor_ = anchor_.clamped(grid);
    } else {
        anchor_ = cursor_;
    }
    setRegion(TileRegion::spanning(anchor_, cursor_, grid));
}

TileRegion PanelSelection::regionToApply(const GridSize& grid) const {
    if (region_) return *region_;
    return TileRegion::spanning(cursor_, cursor_, grid);
}

namespace {

// Whole percent, truncated toward zero: two thirds read as 66, not 67.
qlonglong percent(double fraction) {
    const double scaled = fraction * 100.0;
    if (!std::isfinite(scaled)) return 0;
    return static_cast<qlonglong>(std::clamp(scaled, -1e15, 1e15));
}

}  // namespace

QString selectionLabel(const GridSize& grid) {
    return QObject::tr("Window placement grid, %1 columns and %2 rows")
        .arg(qlonglong(grid.columns))
        .arg(qlonglong(grid.rows));
}

QString selectionValue(const std::optional<TileRegion>& region) {
    if (!region) return QObject::tr("No selection");
    return QObject::tr("Selected %1 percent wide, %2 percent tall")
        .arg(percent(region->width))
        .arg(percent(region->height));
}

QString selectionHint() {
    return QObject::tr(
        "Drag to select an area, or use arrow keys, Shift-arrow to extend, then Return.");
}

}  // namespace corvane
