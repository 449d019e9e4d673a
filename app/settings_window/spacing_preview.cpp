#include "app/settings_window/spacing_preview.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "app/style/panel_style.h"
#include "core/tile_geometry.h"
#include "core/tile_region.h"

namespace corvane {

namespace {

constexpr qreal cornerRadius = 3;
constexpr qreal frameOpacity = 0.7;

}  // namespace

SpacingPreview::SpacingPreview(QWidget* parent) : QWidget(parent), frames_(framesFor(Margins{})) {
    setAccessibleName(QStringLiteral("Preview of two windows using the current margins"));
    setFixedSize(sizeHint());
}

std::array<Rect, 2> SpacingPreview::framesFor(const Margins& margins) {
    const Rect display{0, 0, modelWidth, modelHeight};
    return {TileGeometry::frame(TileRegion{0, 0, 0.5, 1}, display, margins),
            TileGeometry::frame(TileRegion{0.5, 0, 0.5, 1}, display, margins)};
}

void SpacingPreview::setMargins(const Margins& margins) {
    const auto next = framesFor(margins);
    if (next == frames_) return;
    frames_ = next;
    update();
}

QSize SpacingPreview::sizeHint() const {
    constexpr int shownWidth = 240;
    return QSize(shownWidth, static_cast<int>(shownWidth * modelHeight / modelWidth));
}

void SpacingPreview::paintEvent(QPaintEvent* /*event*/) {
    const qreal scale = std::min(width() / modelWidth, height() / modelHeight);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().color(QPalette::Mid));
    painter.drawRect(QRectF(0, 0, modelWidth * scale, modelHeight * scale));
    painter.setBrush(PanelStyle::accent(frameOpacity));
    for (const Rect& frame : frames_) {
        const QRectF shown(frame.x * scale, frame.y * scale, frame.width * scale,
                           frame.height * scale);
        painter.drawRoundedRect(shown, cornerRadius, cornerRadius);
    }
}

}  // namespace corvane
