#pragma once

#include <QWidget>
#include <array>

#include "core/margins.h"
#include "core/rect.h"

namespace corvane {

// Two windows side by side on a model display, placed by the same geometry
// that places real windows: what the margins and gaps will do, clamping and
// shared gaps included.
class SpacingPreview : public QWidget {
    Q_OBJECT

public:
    static constexpr double modelWidth = 1200;
    static constexpr double modelHeight = 700;

    explicit SpacingPreview(QWidget* parent = nullptr);

    // The left and the right half on the model display, in model points.
    static std::array<Rect, 2> framesFor(const Margins& margins);

    void setMargins(const Margins& margins);
    const std::array<Rect, 2>& frames() const { return frames_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<Rect, 2> frames_;
};

}  // namespace corvane
