#pragma once

#include <string>

namespace corvane {

// A rectangle in points: origin x, origin y, width, height. Corvane works in
// top-left coordinates throughout (origin at the top-left of the primary
// monitor, y growing downwards), which is also what X11 uses.
struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double minX() const { return width < 0 ? x + width : x; }
    double minY() const { return height < 0 ? y + height : y; }
    double maxX() const { return width < 0 ? x : x + width; }
    double maxY() const { return height < 0 ? y : y + height; }
    double midX() const { return x + width / 2; }
    double midY() const { return y + height / 2; }

    // The same rectangle with a non-negative width and height.
    Rect standardized() const;
    bool contains(double px, double py) const;
    // Area of the overlap with `other`; 0 when they do not overlap.
    double intersectionArea(const Rect& other) const;

    bool operator==(const Rect&) const = default;
};

// "(0.0, 25.0, 720.0, 875.0)": four numbers in shortest round-trip form, each with
// at least one fractional digit. The format of every diagnostics line.
std::string describe(const Rect& rect);
// "(366.0, 640.0)"
std::string describeSize(double width, double height);
// "(12.0, 40.0)"
std::string describePoint(double x, double y);
// One number as in describe(): 720.0, 0.5, 1e+20.
std::string describeNumber(double value);

}  // namespace corvane
