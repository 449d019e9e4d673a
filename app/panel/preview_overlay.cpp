#include "app/panel/preview_overlay.h"

#include <QPainter>
#include <QPainterPath>
#include <QRegion>
#include <QVariantAnimation>
#include <QWidget>
#include <algorithm>
#include <cmath>

#include "app/panel/screen_scale.h"
#include "app/style/panel_style.h"
#include "platform/desktop_shell.h"
#include "platform/window_system.h"

namespace corvane {

namespace {

constexpr qreal kInset = 2;
constexpr qreal kRadius = 10;
constexpr qreal kStroke = 3;

QPainterPath outlinePath(const QRectF& frame, qreal grow) {
    QPainterPath path;
    const QRectF box = frame.adjusted(kInset, kInset, -kInset, -kInset);
    path.addRoundedRect(box.adjusted(-grow, -grow, grow, grow), kRadius + grow, kRadius + grow);
    return path;
}

// Logical coordinates are whole numbers, root pixels need not be: at a device
// pixel ratio of 2 a frame may start on an odd pixel. The window covers the
// frame rounded outwards and draws the frame itself where it lies inside.
QRect coveringRect(const QRectF& exact) {
    constexpr double slack = 1e-6;
    const int left = int(std::floor(exact.left() + slack));
    const int top = int(std::floor(exact.top() + slack));
    const int right = int(std::ceil(exact.right() - slack));
    const int bottom = int(std::ceil(exact.bottom() - slack));
    return QRect(left, top, std::max(right - left, 1), std::max(bottom - top, 1));
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

    // Covers `exact` (logical coordinates) and draws the preview on it.
    void place(const QRectF& exact) {
        const QRect covering = coveringRect(exact);
        frame_ = exact.translated(-QPointF(covering.topLeft()));
        setGeometry(covering);
        updateShape();
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing, true);
        const QPainterPath shape = outlinePath(frame_, 0);
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
        const QRegion outer(outlinePath(frame_, half).toFillPolygon().toPolygon());
        const QRegion inner(outlinePath(frame_, -half).toFillPolygon().toPolygon());
        setMask(outer.subtracted(inner));
    }

    bool outlineOnly_ = false;
    QRectF frame_;
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
    glide_ = new QVariantAnimation(window_.get());
    glide_->setDuration(glideMilliseconds);
    glide_->setEasingCurve(QEasingCurve::OutCubic);
    QObject::connect(glide_, &QVariantAnimation::valueChanged, window_.get(),
                     [this](const QVariant& value) { place(value.toRectF()); });
    static_cast<OverlayWindow*>(window_.get())->setOutlineOnly(!compositing_);
}

void PreviewOverlay::place(const QRectF& logicalFrame) {
    shownFrame_ = logicalFrame;
    static_cast<OverlayWindow*>(window_.get())->place(logicalFrame);
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
    const QRect pixels = overlayGeometry(frame);
    const QRectF target = logicalFromNative(Rect{double(pixels.x()), double(pixels.y()),
                                                 double(pixels.width()), double(pixels.height())},
                                            currentScreenScales());
    const bool glide = animated && shown_ && !windows_.reduceMotion();
    if (glide) {
        // Hovering asks again and again for the same frame: let a running glide finish.
        if (target != exactTarget_ || (!isGliding() && shownFrame_ != target)) {
            glide_->stop();
            glide_->setStartValue(shownFrame_);
            glide_->setEndValue(target);
            glide_->start();
        }
    } else {
        glide_->stop();
        place(target);
    }
    exactTarget_ = target;
    target_ = coveringRect(target);

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
