#include "app/panel/region_icon.h"

#include <QPainter>
#include <algorithm>

#include "app/style/panel_accessibility.h"
#include "app/style/panel_style.h"

namespace corvane {

namespace {
constexpr qreal kInset = 2;
constexpr qreal kInnerWidth = RegionIcon::iconWidth - 2 * kInset;
constexpr qreal kInnerHeight = RegionIcon::iconHeight - 2 * kInset;
}  // namespace

RegionIcon::RegionIcon(const TileRegion& region, QWidget* parent)
    : QWidget(parent), region_(region) {
    setFixedSize(iconWidth, iconHeight);
    hideFromAccessibility(this);
}

QRectF RegionIcon::regionRect() const {
    return QRectF(kInset + region_.x * kInnerWidth, kInset + region_.y * kInnerHeight,
                  std::max(region_.width * kInnerWidth, 2.0),
                  std::max(region_.height * kInnerHeight, 2.0));
}

void RegionIcon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);

    QColor outline = palette().color(QPalette::WindowText);
    outline.setAlphaF(0.25f);
    painter.setPen(QPen(outline, 1.0));
    painter.setBrush(Qt::NoBrush);
    // Half a pixel in, so the one-pixel line lies on whole pixels.
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 3, 3);

    painter.setPen(Qt::NoPen);
    painter.setBrush(PanelStyle::accent());
    painter.drawRoundedRect(regionRect(), 2, 2);
}

}  // namespace corvane
