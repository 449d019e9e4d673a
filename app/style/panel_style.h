#pragma once

#include <QColor>
#include <QFont>
#include <QString>

class QWidget;

namespace corvane::PanelStyle {

// Corvane's light green: highlighted cells, region icons, notices, the
// subdivide control, the permission card and the placement preview.
QColor accent(qreal opacity = 1.0);
// The accent for a style sheet, with an alpha of 0 to 255.
QString accentCss(int alpha = 255);
QColor white(qreal opacity);
// Text on the panel's dark background.
QColor primaryText();
QColor secondaryText();
QColor tertiaryText();
QColor errorText();

// The desktop's UI font family at an exact pixel size, so the panel's metrics
// do not depend on the screen's dots per inch.
QFont font(qreal pixelSize, QFont::Weight weight = QFont::Normal);

// The panel is always dark, whatever the desktop's colour scheme.
void applyDarkPalette(QWidget* widget);
// Flat, borderless buttons that show a soft background on hover and press.
QString plainButtonSheet();

}  // namespace corvane::PanelStyle
