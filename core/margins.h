#pragma once

namespace corvane {

// Outer margins at the edges of the work area and gaps between adjacent
// windows, in points. Off by default, with every value 10.
struct Margins {
    static constexpr double maximum = 300;

    bool enabled = false;
    double horizontalGap = 10;
    double verticalGap = 10;
    double left = 10;
    double right = 10;
    double top = 10;
    double bottom = 10;

    // Each of the six values finite and 0...300; `enabled` plays no part.
    bool isValid() const;

    bool operator==(const Margins&) const = default;
};

}  // namespace corvane
