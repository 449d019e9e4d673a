#include "app/style/panel_style.h"

#include <QApplication>
#include <QPalette>
#include <QWidget>

namespace corvane::PanelStyle {

QColor accent(qreal opacity) {
    return QColor::fromRgbF(0.827f, 0.949f, 0.604f, float(opacity));
}

QString accentCss(int alpha) {
    QColor color = accent();
    color.setAlpha(alpha);
    return QStringLiteral("rgba(%1,%2,%3,%4)")
        .arg(color.red())
        .arg(color.green())
        .arg(color.blue())
        .arg(color.alpha());
}

QColor white(qreal opacity) {
    return QColor::fromRgbF(1, 1, 1, float(opacity));
}

QColor primaryText() {
    return white(0.9);
}
QColor secondaryText() {
    return white(0.56);
}
QColor tertiaryText() {
    return white(0.28);
}
QColor errorText() {
    return QColor::fromRgbF(1.0f, 0.624f, 0.039f);
}

QFont font(qreal pixelSize, QFont::Weight weight) {
    QFont result = QApplication::font();
    result.setPixelSize(qRound(pixelSize));
    result.setWeight(weight);
    return result;
}

void applyDarkPalette(QWidget* widget) {
    QPalette palette = widget->palette();
    const QColor background = QColor::fromRgbF(0.1f, 0.11f, 0.13f);
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, background);
        palette.setColor(group, QPalette::Base, background.darker(120));
        palette.setColor(group, QPalette::WindowText, primaryText());
        palette.setColor(group, QPalette::Text, primaryText());
        palette.setColor(group, QPalette::ButtonText, primaryText());
        palette.setColor(group, QPalette::Button, white(0.08));
        palette.setColor(group, QPalette::ToolTipBase, QColor(32, 35, 40));
        palette.setColor(group, QPalette::ToolTipText, primaryText());
        palette.setColor(group, QPalette::Highlight, accent());
        palette.setColor(group, QPalette::HighlightedText, Qt::black);
        palette.setColor(group, QPalette::PlaceholderText, secondaryText());
    }
    palette.setColor(QPalette::Disabled, QPalette::WindowText, tertiaryText());
    palette.setColor(QPalette::Disabled, QPalette::Text, tertiaryText());
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, tertiaryText());
    widget->setPalette(palette);
}

QString plainButtonSheet() {
    return QStringLiteral(
        "QToolButton { border: none; background: transparent; border-radius: 6px;"
        "  padding: 3px 5px; color: rgba(255,255,255,143); }"
        "QToolButton:hover { background: rgba(255,255,255,20); }"
        "QToolButton:pressed { background: rgba(255,255,255,36); }"
        "QToolButton:disabled { color: rgba(255,255,255,64); }");
}

}  // namespace corvane::PanelStyle
