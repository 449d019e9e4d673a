#pragma once

#include <QObject>
#include <QString>
#include <optional>

#include "core/grid_size.h"
#include "core/tile_region.h"

namespace corvane {

// The rectangle of cells chosen on one grid panel, plus the two cells through
// which the arrow keys build a rectangle. The mouse writes only the region; the
// keyboard moves the cursor (and, without Shift, the anchor) and derives the
// region from them. Every assignment of the region is announced, even when the
// value stays the same, so the views and the preview follow each key press.
class PanelSelection : public QObject {
    Q_OBJECT

public:
    explicit PanelSelection(QObject* parent = nullptr);

    const std::optional<TileRegion>& region() const { return region_; }
    void setRegion(const std::optional<TileRegion>& region);
    Cell anchor() const { return anchor_; }
    Cell cursor() const { return cursor_; }

    // Nothing selected; both keyboard cells back at the top-left.
    void reset();
    // One arrow press: dx and dy are -1, 0 or +1. With `extend` (Shift) the anchor
    // stays, so the rectangle grows or shrinks; without it the anchor follows.
    void moveCursor(int dx, int dy, bool extend, const GridSize& grid);
    // What Return applies: the region, or the single cell under the cursor.
    TileRegion regionToApply(const GridSize& grid) const;

signals:
    void regionChanged();

private:
    std::optional<TileRegion> region_;
    Cell anchor_;
    Cell cursor_;
};

// What assistive technologies hear about a grid and its selection.
QString selectionLabel(const GridSize& grid);
QString selectionValue(const std::optional<TileRegion>& region);
QString selectionHint();

}  // namespace corvane
