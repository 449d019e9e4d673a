#pragma once

#include <QPoint>
#include <QRect>
#include <QRectF>
#include <optional>
#include <vector>

#include "core/rect.h"

namespace corvane {

// How Qt's device-independent coordinates meet X root pixels on one monitor.
// Qt keeps each monitor's top-left corner in root pixels and divides
// distances from it by the monitor's device pixel ratio (QT_SCALE_FACTOR,
// Xft.dpi), so a monitor of 2880 pixels at ratio 2 spans 1440 logical ones
// from the same corner. The X11 layer (window frames, displays, struts) works
// in root pixels; widgets are placed in logical ones.
struct ScreenScale {
    QPoint origin;     // top-left, the same in both spaces
    QSize nativeSize;  // in root pixels
    double ratio = 1;  // root pixels per logical pixel

    QRect nativeRect() const { return QRect(origin, nativeSize); }
    QRectF logicalRect() const { return QRectF(QPointF(origin), QSizeF(nativeSize) / ratio); }

    QPointF toLogical(QPointF native) const {
        return QPointF(origin) + (native - QPointF(origin)) / ratio;
    }
    QRectF toLogical(const Rect& native) const {
        return QRectF(toLogical(QPointF(native.x, native.y)),
                      QSizeF(native.width / ratio, native.height / ratio));
    }
    QPointF toNative(QPointF logical) const {
        return QPointF(origin) + (logical - QPointF(origin)) * ratio;
    }
};

// The monitors as the toolkit knows them now.
std::vector<ScreenScale> currentScreenScales();

// The monitor that holds the centre of `native` (root pixels), else the one it
// overlaps most; none when it touches no monitor (the spaces then coincide).
std::optional<ScreenScale> screenScaleFor(const Rect& native,
                                          const std::vector<ScreenScale>& screens);

// The monitor whose logical area holds `logical`.
std::optional<ScreenScale> screenScaleAtLogical(QPointF logical,
                                                const std::vector<ScreenScale>& screens);

// `native` in logical coordinates, through the monitor that holds it.
QRectF logicalFromNative(const Rect& native, const std::vector<ScreenScale>& screens);
// A logical point (QCursor::pos()) in root pixels.
QPointF nativeFromLogical(QPointF logical, const std::vector<ScreenScale>& screens);

}  // namespace corvane
