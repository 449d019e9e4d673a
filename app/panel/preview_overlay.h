#pragma once

#include <QRect>
#include <QRectF>
#include <memory>

#include "core/rect.h"

class QVariantAnimation;
class QWidget;

namespace corvane {

namespace platform {
class DesktopShell;
class WindowSystem;
}  // namespace platform

// The translucent rounded rectangle that shows where the target window would
// land. One click-through window, created once and moved for every update;
// it sits above ordinary windows and below the grid panels.
class PreviewOverlay {
public:
    static constexpr int glideMilliseconds = 70;

    PreviewOverlay(platform::WindowSystem& windows, platform::DesktopShell& shell);
    ~PreviewOverlay();
    PreviewOverlay(const PreviewOverlay&) = delete;
    PreviewOverlay& operator=(const PreviewOverlay&) = delete;

    // `frame` in top-left root pixels. With `animated`, an overlay that is
    // already showing glides there, unless the desktop asks for reduced motion;
    // otherwise it jumps.
    void show(const Rect& frame, bool animated);
    void hide();
    bool isShown() const { return shown_; }

    // Without a compositing manager X cannot blend a translucent window with
    // what lies below, so only the outline is kept (the window is shaped to it).
    void setCompositing(bool compositing);
    bool compositing() const { return compositing_; }

    // The window's rectangle (logical coordinates) where the overlay is or is
    // gliding to; the preview itself may start half a pixel inside it.
    QRect targetGeometry() const { return target_; }
    bool isGliding() const;
    // The overlay window itself, for stacking the panels above it.
    QWidget* window() const;

private:
    void place(const QRectF& logicalFrame);

    platform::WindowSystem& windows_;
    platform::DesktopShell& shell_;
    std::unique_ptr<QWidget> window_;
    QVariantAnimation* glide_ = nullptr;  // owned by window_
    QRect target_;
    QRectF exactTarget_;  // the frame in logical coordinates
    QRectF shownFrame_;   // where the preview is drawn now
    bool shown_ = false;
    bool compositing_ = false;
};

// The overlay's rectangle on the screen for a frame in points: edges rounded
// independently, so neighbouring previews share their edges exactly.
QRect overlayGeometry(const Rect& frame);

}  // namespace corvane
