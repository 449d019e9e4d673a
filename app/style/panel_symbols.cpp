#include "app/style/panel_symbols.h"

#include <QIconEngine>
#include <QPainter>
#include <QPainterPath>
#include <QStringList>
#include <cmath>

namespace corvane {

namespace {

QStringList themeNames(Symbol symbol) {
    switch (symbol) {
        case Symbol::gear:
            return {"emblem-system-symbolic", "preferences-system-symbolic", "preferences-system",
                    "emblem-system"};
        case Symbol::close:
            return {"window-close-symbolic", "window-close"};
        case Symbol::window:
            return {"preferences-system-windows-symbolic", "window-new-symbolic"};
        case Symbol::display:
            return {"video-display-symbolic", "video-display"};
        case Symbol::nextDisplay:
            return {"video-joined-displays-symbolic", "view-dual-symbolic"};
        case Symbol::minus:
            return {"list-remove-symbolic", "list-remove"};
        case Symbol::plus:
            return {"list-add-symbolic", "list-add"};
        case Symbol::undo:
            return {"edit-undo-symbolic", "edit-undo"};
        case Symbol::hand:
            return {};  // no freedesktop name means "stop, permission needed"
    }
    return {};
}

QIcon themedIcon(Symbol symbol) {
    for (const QString& name : themeNames(symbol)) {
        if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
    }
    return {};
}

// Draws on a unit square mapped onto the centred square of `box`.
class UnitCanvas {
public:
    UnitCanvas(QPainter& painter, const QRectF& box) : painter_(painter) {
        const qreal side = std::min(box.width(), box.height());
        origin_ = QPointF(box.center().x() - side / 2, box.center().y() - side / 2);
        side_ = side;
    }
    QPointF at(qreal x, qreal y) const { return origin_ + QPointF(x * side_, y * side_); }
    QRectF rect(qreal x, qreal y, qreal w, qreal h) const {
        return QRectF(at(x, y), QSizeF(w * side_, h * side_));
    }
    qreal len(qreal unit) const { return unit * side_; }
    QPen pen(const QColor& color, qreal width) const {
        QPen result(color, std::max(len(width), 1.0));
        result.setCapStyle(Qt::RoundCap);
        result.setJoinStyle(Qt::RoundJoin);
        return result;
    }
    QPainter& painter() { return painter_; }

private:
    QPainter& painter_;
    QPointF origin_;
    qreal side_ = 0;
};

void drawGear(UnitCanvas& c, const QColor& color) {
    QPainterPath body;
    body.addEllipse(c.at(0.5, 0.5), c.len(0.3), c.len(0.3));
    for (int i = 0; i < 8; ++i) {
        QPainterPath tooth;
        tooth.addRoundedRect(QRectF(-c.len(0.075), -c.len(0.44), c.len(0.15), c.len(0.2)),
                             c.len(0.03), c.len(0.03));
        QTransform turn;
        turn.translate(c.at(0.5, 0.5).x(), c.at(0.5, 0.5).y());
        turn.rotate(i * 45.0);
        body = body.united(turn.map(tooth));
    }
    QPainterPath hole;
    hole.addEllipse(c.at(0.5, 0.5), c.len(0.12), c.len(0.12));
    c.painter().fillPath(body.subtracted(hole), color);
}

void drawWindow(UnitCanvas& c, const QColor& color) {
    QPainter& p = c.painter();
    const QRectF frame = c.rect(0.1, 0.17, 0.8, 0.66);
    p.setPen(c.pen(color, 0.07));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(frame, c.len(0.1), c.len(0.1));
    p.drawLine(c.at(0.1, 0.36), c.at(0.9, 0.36));
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    for (const qreal x : {0.2, 0.29, 0.38}) p.drawEllipse(c.at(x, 0.265), c.len(0.03), c.len(0.03));
}

void drawMonitor(UnitCanvas& c, const QColor& color, qreal x, qreal y, qreal w, qreal h) {
    QPainter& p = c.painter();
    p.setPen(c.pen(color, 0.075));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(c.rect(x, y, w, h), c.len(0.06), c.len(0.06));
    const qreal mid = x + w / 2;
    p.drawLine(c.at(mid, y + h), c.at(mid, y + h + 0.1));
    p.drawLine(c.at(mid - w * 0.22, y + h + 0.12), c.at(mid + w * 0.22, y + h + 0.12));
}

void drawUndo(UnitCanvas& c, const QColor& color) {
    QPainter& p = c.painter();
    p.setPen(c.pen(color, 0.085));
    p.setBrush(Qt::NoBrush);
    QPainterPath arrow;
    arrow.moveTo(c.at(0.8, 0.82));
    arrow.lineTo(c.at(0.8, 0.56));
    arrow.cubicTo(c.at(0.8, 0.4), c.at(0.7, 0.32), c.at(0.54, 0.32));
    arrow.lineTo(c.at(0.2, 0.32));
    p.drawPath(arrow);
    QPainterPath head;
    head.moveTo(c.at(0.36, 0.15));
    head.lineTo(c.at(0.19, 0.32));
    head.lineTo(c.at(0.36, 0.49));
    p.drawPath(head);
}

void drawHand(UnitCanvas& c, const QColor& color) {
    QPainterPath hand;
    hand.addRoundedRect(c.rect(0.24, 0.42, 0.56, 0.5), c.len(0.2), c.len(0.2));
    const struct {
        qreal x, top;
    } fingers[] = {{0.25, 0.22}, {0.39, 0.1}, {0.53, 0.13}, {0.67, 0.24}};
    for (const auto& f : fingers) {
        hand.addRoundedRect(c.rect(f.x, f.top, 0.12, 0.6 - f.top), c.len(0.06), c.len(0.06));
    }
    QPainterPath thumb;
    thumb.addRoundedRect(QRectF(-c.len(0.06), -c.len(0.2), c.len(0.12), c.len(0.34)), c.len(0.06),
                         c.len(0.06));
    QTransform place;
    place.translate(c.at(0.2, 0.62).x(), c.at(0.2, 0.62).y());
    place.rotate(-35);
    hand = hand.united(place.map(thumb)).simplified();
    c.painter().fillPath(hand, color);
}

}  // namespace

void drawSymbol(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& color) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    UnitCanvas c(painter, box);
    switch (symbol) {
        case Symbol::gear:
            drawGear(c, color);
            break;
        case Symbol::close:
            painter.setPen(c.pen(color, 0.09));
            painter.drawLine(c.at(0.27, 0.27), c.at(0.73, 0.73));
            painter.drawLine(c.at(0.73, 0.27), c.at(0.27, 0.73));
            break;
        case Symbol::window:
            drawWindow(c, color);
            break;
        case Symbol::display:
            drawMonitor(c, color, 0.1, 0.16, 0.8, 0.54);
            break;
        case Symbol::nextDisplay: {
            // The front monitor hides the part of the back one behind it.
            QPainterPath visible;
            visible.addRect(c.rect(0, 0, 1, 1));
            QPainterPath front;
            front.addRect(c.rect(0.02, 0.36, 0.64, 0.56));
            painter.save();
            painter.setClipPath(visible.subtracted(front), Qt::IntersectClip);
            drawMonitor(c, color, 0.36, 0.1, 0.56, 0.4);
            painter.restore();
            drawMonitor(c, color, 0.08, 0.42, 0.52, 0.36);
            break;
        }
        case Symbol::minus:
            painter.setPen(c.pen(color, 0.09));
            painter.drawLine(c.at(0.24, 0.5), c.at(0.76, 0.5));
            break;
        case Symbol::plus:
            painter.setPen(c.pen(color, 0.09));
            painter.drawLine(c.at(0.24, 0.5), c.at(0.76, 0.5));
            painter.drawLine(c.at(0.5, 0.24), c.at(0.5, 0.76));
            break;
        case Symbol::undo:
            drawUndo(c, color);
            break;
        case Symbol::hand:
            drawHand(c, color);
            break;
    }
    painter.restore();
}

namespace {

class SymbolEngine : public QIconEngine {
public:
    SymbolEngine(Symbol symbol, const QColor& color)
        : symbol_(symbol), color_(color), themed_(themedIcon(symbol)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        painter->drawPixmap(rect, scaledPixmap(rect.size(), mode, state, dpr));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return scaledPixmap(size, mode, state, 1.0);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
        QPixmap result(size * scale);
        result.setDevicePixelRatio(scale);
        result.fill(Qt::transparent);
        QPainter painter(&result);
        const QColor color = colorFor(mode);
        if (themed_.isNull()) {
            drawSymbol(painter, symbol_, QRectF(QPointF(), QSizeF(size)), color);
        } else {
            painter.drawPixmap(QRect(QPoint(), size), tinted(size, scale, color));
        }
        return result;
    }

    QSize actualSize(const QSize& size, QIcon::Mode, QIcon::State) override { return size; }
    QIconEngine* clone() const override { return new SymbolEngine(*this); }
    QString key() const override { return QStringLiteral("corvane-symbol"); }

private:
    QColor colorFor(QIcon::Mode mode) const {
        QColor color = color_;
        if (mode == QIcon::Disabled) color.setAlphaF(color.alphaF() * 0.45f);
        return color;
    }

    // Theme icons come in the theme's own colours; the panel is always dark, so
    // keep only their shape and paint it in the panel's colour.
    QPixmap tinted(const QSize& size, qreal scale, const QColor& color) const {
        QPixmap shape = themed_.pixmap(size, scale);
        QPainter painter(&shape);
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(QRect(QPoint(), shape.size()), color);
        return shape;
    }

    Symbol symbol_;
    QColor color_;
    QIcon themed_;
};

}  // namespace

QIcon symbolIcon(Symbol symbol, const QColor& color) {
    return QIcon(new SymbolEngine(symbol, color));
}

}  // namespace corvane
