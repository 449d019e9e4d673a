#pragma once

#include <optional>

#include "app/panel/tile_grid.h"

class QKeyEvent;

namespace corvane {

// The grid drawing of the layout editor: the panel's grid, introduced to
// assistive technologies by what it is for here rather than as the panel's
// placement grid. Besides dragging, the arrow keys move a one-cell selection
// and Shift with them stretches it, as in the panel.
class LayoutGrid : public TileGrid {
    Q_OBJECT

public:
    static constexpr const char* accessibleNameText = "Layout grid";

    explicit LayoutGrid(PanelSelection& selection, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void startKeysFrom(std::optional<TileRegion> region);

    // The region the keys made last and on which grid; any other region
    // (drawn, a preset, the layout's own) or grid is where the keys start from.
    std::optional<TileRegion> keyed_;
    GridSize keyedGrid_;
};

}  // namespace corvane
