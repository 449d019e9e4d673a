#pragma once

#include <QColor>
#include <QIcon>

class QPainter;
class QRectF;

namespace corvane {

// The small monochrome symbols of the panel.
enum class Symbol {
    gear,         // Settings
    close,        // Close the grid
    window,       // A window without an application icon
    display,      // One monitor
    nextDisplay,  // Two monitors: move to the next one
    minus,
    plus,
    undo,
    hand,  // Window control unavailable
};

// The symbol from the desktop's icon theme (freedesktop names) when it has one,
// recoloured to `color` so it reads on the dark panel; otherwise drawn here, so
// the panel looks complete on a bare system without any icon theme.
QIcon symbolIcon(Symbol symbol, const QColor& color);
// The drawn form, filling `box` (kept square and centred).
void drawSymbol(QPainter& painter, Symbol symbol, const QRectF& box, const QColor& color);

}  // namespace corvane
