#pragma once

#include <QColor>
#include <QPixmap>
#include <QWidget>

class QPainter;
class QRectF;

namespace corvane {

// Corvane's mark: a 2 × 2 grid of rounded squares, the left column filled and
// the right column outlined, drawn on an 18-unit square scaled to `box`.
void drawBrandMark(QPainter& painter, const QRectF& box, const QColor& color);
// The mark alone on a transparent square of `size` logical pixels.
QPixmap brandMarkPixmap(int size, const QColor& color, qreal devicePixelRatio = 1.0);

// The mark as a fixed-size widget, hidden from assistive technologies.
class BrandMark : public QWidget {
    Q_OBJECT

public:
    BrandMark(int size, const QColor& color, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_;
};

}  // namespace corvane
