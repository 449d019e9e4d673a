#pragma once

#include <QColor>
#include <QLabel>
#include <QToolButton>

#include "app/style/panel_symbols.h"

namespace corvane {

// A one-line label that ends in "…" when its text does not fit, instead of
// widening the panel. Screen readers still get the whole text.
class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(QWidget* parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A rounded rectangle filled with one colour behind its children.
class RoundedCard : public QWidget {
    Q_OBJECT

public:
    RoundedCard(const QColor& fill, qreal radius, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor fill_;
    qreal radius_;
};

// A thin horizontal separator line.
class Divider : public QWidget {
    Q_OBJECT

public:
    explicit Divider(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Sets the colour a label or button draws its text in.
void setTextColor(QWidget* widget, const QColor& color);

// A borderless button with a symbol, optional text, tooltip and accessible
// name. Buttons never take the keyboard: the grid's keys belong to the panel.
QToolButton* makePlainButton(Symbol symbol, const QString& text, const QString& tip,
                             QWidget* parent, int iconSize = 14);

}  // namespace corvane
