#pragma once

#include <QWidget>
#include <functional>
#include <optional>

#include "core/grid_size.h"
#include "core/tile_region.h"

namespace corvane {

class PanelSelection;

// The interactive picture of the grid: one rounded tile per cell, the selected
// (or hovered) rectangle highlighted. A press starts a drag of length zero, so a
// click selects one cell; moving with the button down extends the rectangle;
// the release applies it. The preview follows the drag and the hover.
class TileGrid : public QWidget {
    Q_OBJECT

public:
    // Asked to show the preview of a region, or to hide it (nullopt).
    using PreviewHandler = std::function<void(const std::optional<TileRegion>&)>;
    // Asked once per completed drag or click to apply the region.
    using SelectHandler = std::function<void(const TileRegion& region, bool shiftHeld)>;

    explicit TileGrid(PanelSelection& selection, QWidget* parent = nullptr);

    void setGrid(const GridSize& grid);
    GridSize grid() const { return grid_; }
    // While no window can be arranged the grid only draws: presses, drags and
    // hovering neither select nor preview.
    void setInteractive(bool interactive);
    bool isInteractive() const { return interactive_; }
    void setPreviewHandler(PreviewHandler handler) { onPreview_ = std::move(handler); }
    void setSelectHandler(SelectHandler handler) { onSelect_ = std::move(handler); }

    PanelSelection& selection() const { return selection_; }
    const std::optional<TileRegion>& hovered() const { return hovered_; }
    // The drawn tile of a cell, in the view's coordinates.
    QRectF tileRect(const Cell& cell) const;
    qreal cornerRadius() const;
    // Whether the cell is drawn highlighted.
    bool isHighlighted(const Cell& cell) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    Cell cellAt(const QPointF& point) const;
    void dragTo(const QPointF& point);
    void hoverAt(const QPointF& point);
    void preview(const std::optional<TileRegion>& region);
    void announceSelection();

    PanelSelection& selection_;
    GridSize grid_;
    bool interactive_ = true;
    std::optional<Cell> dragStart_;
    std::optional<TileRegion> hovered_;
    PreviewHandler onPreview_;
    SelectHandler onSelect_;
};

}  // namespace corvane
