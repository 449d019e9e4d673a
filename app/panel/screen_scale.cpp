#include "app/panel/screen_scale.h"

#include <QGuiApplication>
#include <QScreen>

namespace corvane {

std::vector<ScreenScale> currentScreenScales() {
    std::vector<ScreenScale> scales;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect logical = screen->geometry();
        const double ratio = screen->devicePixelRatio() > 0 ? screen->devicePixelRatio() : 1.0;
        const QSize native(qRound(logical.width() * ratio), qRound(logical.height() * ratio));
        scales.push_back(ScreenScale{logical.topLeft(), native, ratio});
    }
    return scales;
}

std::optional<ScreenScale> screenScaleFor(const Rect& native,
                                          const std::vector<ScreenScale>& screens) {
    const QRectF area(native.x, native.y, native.width, native.height);
    for (const ScreenScale& screen : screens) {
        if (QRectF(screen.nativeRect()).contains(area.center())) return screen;
    }
    std::optional<ScreenScale> best;
    double bestOverlap = 0;
    for (const ScreenScale& screen : screens) {
        const QRectF overlap = QRectF(screen.nativeRect()).intersected(area);
        const double size = overlap.width() * overlap.height();
        if (size > bestOverlap) {
            bestOverlap = size;
            best = screen;
        }
    }
    return best;
}

std::optional<ScreenScale> screenScaleAtLogical(QPointF logical,
                                                const std::vector<ScreenScale>& screens) {
    for (const ScreenScale& screen : screens) {
        if (screen.logicalRect().contains(logical)) return screen;
    }
    return std::nullopt;
}

QRectF logicalFromNative(const Rect& native, const std::vector<ScreenScale>& screens) {
    if (const auto screen = screenScaleFor(native, screens)) return screen->toLogical(native);
    return QRectF(native.x, native.y, native.width, native.height);
}

QPointF nativeFromLogical(QPointF logical, const std::vector<ScreenScale>& screens) {
    if (const auto screen = screenScaleAtLogical(logical, screens))
        return screen->toNative(logical);
    return logical;
}

}  // namespace corvane
