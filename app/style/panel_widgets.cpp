#include "app/style/panel_widgets.h"

#include <QPainter>
#include <QPainterPath>

#include "app/style/panel_style.h"

namespace corvane {

ElidedLabel::ElidedLabel(QWidget* parent) : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

QSize ElidedLabel::sizeHint() const {
    const QFontMetrics metrics(font());
    return QSize(metrics.horizontalAdvance(text()), metrics.height());
}

QSize ElidedLabel::minimumSizeHint() const {
    return QSize(0, QFontMetrics(font()).height());
}

void ElidedLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    const QString shown = fontMetrics().elidedText(text(), Qt::ElideRight, width());
    painter.drawText(rect(), int(alignment() | Qt::TextSingleLine), shown);
}

RoundedCard::RoundedCard(const QColor& fill, qreal radius, QWidget* parent)
    : QWidget(parent), fill_(fill), radius_(radius) {}

void RoundedCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()), radius_, radius_);
    painter.fillPath(card, fill_);
}

Divider::Divider(QWidget* parent) : QWidget(parent) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void Divider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), PanelStyle::white(0.1));
}

void setTextColor(QWidget* widget, const QColor& color) {
    QPalette palette = widget->palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, color);
        palette.setColor(group, QPalette::ButtonText, color);
        palette.setColor(group, QPalette::Text, color);
    }
    widget->setPalette(palette);
}

QToolButton* makePlainButton(Symbol symbol, const QString& text, const QString& tip,
                             QWidget* parent, int iconSize) {
    auto* button = new QToolButton(parent);
    button->setIcon(symbolIcon(symbol, PanelStyle::secondaryText()));
    button->setIconSize(QSize(iconSize, iconSize));
    button->setText(text);
    button->setToolButtonStyle(text.isEmpty() ? Qt::ToolButtonIconOnly
                                              : Qt::ToolButtonTextBesideIcon);
    button->setToolTip(tip);
    button->setAccessibleName(text.isEmpty() ? tip : text);
    if (!text.isEmpty() && text != tip) button->setAccessibleDescription(tip);
    button->setFocusPolicy(Qt::NoFocus);
    button->setAutoRaise(true);
    button->setStyleSheet(PanelStyle::plainButtonSheet());
    button->setFont(PanelStyle::font(11));
    return button;
}

}  // namespace corvane
