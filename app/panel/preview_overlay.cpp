#include "app/panel/preview_overlay.h"

#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QRegion>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "app/panel/panel_style.h"
#include "platform/desktop_shell.h"
#include "platform/window_system.h"

namespace corvane {

namespace {

constexpr qreal kInset = 2;
constexpr qreal kRadius = 10;
constexpr qreal kStroke = 3;

QPainterPath outlinePath(const QSize& size, qreal grow) {
    QPainterPath path;
    const QRectF box = QRectF(QPointF(), QSizeF(size)).adjusted(kInset, kInset, -kInset, -kInset);
    path.addRoundedRect(box.adjusted(-grow, -grow, grow, grow), kRadius + grow, kRadius + grow);
    return path;
}

class OverlayWindow : public QWidget {
public:
    OverlayWindow()
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                               Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus |
                               Qt::NoDropShadowWindowHint) {
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_X11DoNotAcceptFocus);
        setWindowTitle(QStringLiteral("Corvane placement preview"));
    }

    void setOutlineOnly(bool outlineOnly) {
        outlineOnly_ = outlineOnly;
        updateShape();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing, true);
        const QPainterPath shape = outlinePath(size(), 0);
        painter.fillPath(shape, PanelStyle::accent(0.16));
        painter.strokePath(shape, QPen(PanelStyle::accent(0.8), kStroke));
    }

    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        updateShape();
    }

private:
    void updateShape() {
        if (!outlineOnly_) {
            clearMask();
            return;
        }
        // The stroke's band, one pixel wider on each side for its antialiased edge.
        const qreal half = kStroke / 2 + 1;
        const QRegion outer(outlinePath(size(), half).toFillPolygon().toPolygon());
        const QRegion inner(outlinePath(size(), -half).toFillPolygon().toPolygon());
        setMask(outer.subtracted(inner));
    }

    bool outlineOnly_ = false;
};

}  // namespace

QRect overlayGeometry(const Rect& frame) {
    const Rect r = frame.standardized();
    auto edge = [](double v) { return int(std::clamp(std::round(v), -1e9, 1e9)); };
    const int left = edge(r.x);
    const int top = edge(r.y);
    const int right = edge(r.x + r.width);
    const int bottom = edge(r.y + r.height);
    return QRect(left, top, std::max(right - left, 1), std::max(bottom - top, 1));
}

PreviewOverlay::PreviewOverlay(platform::WindowSystem& windows, platform::DesktopShell& shell)
    : windows_(windows), shell_(shell), window_(std::make_unique<OverlayWindow>()) {
    glide_ = new QPropertyAnimation(window_.get(), "geometry", window_.get());
    glide_->setDuration(glideMilliseconds);
    glide_->setEasingCurve(QEasingCurve::OutCubic);
    static_cast<OverlayWindow*>(window_.get())->setOutlineOnly(!compositing_);
}

PreviewOverlay::~PreviewOverlay() = default;

QWidget* PreviewOverlay::window() const {
    return window_.get();
}

bool PreviewOverlay::isGliding() const {
    return glide_->state() == QAbstractAnimation::Running;
}

void PreviewOverlay::setCompositing(bool compositing) {
    compositing_ = compositing;
    static_cast<OverlayWindow*>(window_.get())->setOutlineOnly(!compositing_);
}

void PreviewOverlay::show(const Rect& frame, bool animated) {
    const QRect target = overlayGeometry(frame);
    const bool glide = animated && shown_ && !windows_.reduceMotion();
    if (glide) {
        // Hovering asks again and again for the same frame: let a running glide finish.
        if (target != target_ || (!isGliding() && window_->geometry() != target)) {
            glide_->stop();
            glide_->setStartValue(window_->geometry());
            glide_->setEndValue(target);
            glide_->start();
        }
    } else {
        glide_->stop();
        window_->setGeometry(target);
    }
    target_ = target;

    if (!shown_) {
        shown_ = true;
        window_->show();
        // A newly mapped window lands on top of its layer; the grid panels share that
        // layer and must stay above the preview.
        window_->lower();
        shell_.keepOnAllWorkspaces(platform::WindowId(window_->winId()));
    }
}

void PreviewOverlay::hide() {
    glide_->stop();
    if (!shown_) return;
    shown_ = false;
    window_->hide();
}

}  // namespace corvane
