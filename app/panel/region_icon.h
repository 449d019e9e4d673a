#pragma once

#include <QWidget>

#include "core/tile_region.h"

namespace corvane {

// A 27 × 19 miniature of a display with a region marked on it, as shown on the
// saved-layout tiles. Decorative: the layout's name says what it is.
class RegionIcon : public QWidget {
    Q_OBJECT

public:
    static constexpr int iconWidth = 27;
    static constexpr int iconHeight = 19;

    explicit RegionIcon(const TileRegion& region, QWidget* parent = nullptr);

    const TileRegion& region() const { return region_; }
    // Where the region is drawn, in the icon's coordinates; never under 2 × 2.
    QRectF regionRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TileRegion region_;
};

}  // namespace corvane
