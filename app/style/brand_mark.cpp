#include "app/style/brand_mark.h"

#include <QPainter>
#include <QPainterPath>

#include "app/style/panel_accessibility.h"

namespace corvane {

namespace {

constexpr qreal kUnits = 18.0;

QRectF scaled(const QRectF& box, qreal x, qreal y, qreal w, qreal h) {
    const qreal s = std::min(box.width(), box.height()) / kUnits;
    const QPointF origin(box.center().x() - kUnits * s / 2, box.center().y() - kUnits * s / 2);
    return QRectF(origin.x() + x * s, origin.y() + y * s, w * s, h * s);
}

}  // namespace

void drawBrandMark(QPainter& painter, const QRectF& box, const QColor& color) {
    const qreal s = std::min(box.width(), box.height()) / kUnits;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);

    // The mark is symmetric top to bottom, so it reads the same in either y direction.
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    for (const qreal y : {1.0, 10.0}) {
        painter.drawRoundedRect(scaled(box, 1, y, 7, 7), 1.5 * s, 1.5 * s);
    }

    QPen outline(color, 1.5 * s);
    outline.setJoinStyle(Qt::RoundJoin);
    painter.setPen(outline);
    painter.setBrush(Qt::NoBrush);
    for (const qreal y : {1.0, 10.0}) {
        // Inset by half the line width so the stroke stays inside the 7 × 7 square.
        painter.drawRoundedRect(scaled(box, 10.75, y + 0.75, 5.5, 5.5), 1.0 * s, 1.0 * s);
    }
    painter.restore();
}

QPixmap brandMarkPixmap(int size, const QColor& color, qreal devicePixelRatio) {
    QPixmap pixmap(QSize(size, size) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    drawBrandMark(painter, QRectF(0, 0, size, size), color);
    return pixmap;
}

BrandMark::BrandMark(int size, const QColor& color, QWidget* parent)
    : QWidget(parent), color_(color) {
    setFixedSize(size, size);
    hideFromAccessibility(this);
}

void BrandMark::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    drawBrandMark(painter, QRectF(rect()), color_);
}

}  // namespace corvane
