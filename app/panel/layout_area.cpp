#include "app/panel/layout_area.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "app/panel/region_icon.h"
#include "app/style/panel_style.h"
#include "app/style/panel_widgets.h"

namespace corvane {

LayoutTile::LayoutTile(const SavedLayout& layout, const std::string& shortcutText, QWidget* parent)
    : QAbstractButton(parent), layout_(layout) {
    setFixedHeight(tileHeight);
    setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_Hover);

    const QString name = QString::fromStdString(layout.name);
    const QString shortcut = QString::fromStdString(shortcutText);
    // Not setText(): an "&" in a layout's name would turn into a keyboard mnemonic.
    setAccessibleName(name);
    setAccessibleDescription(shortcut);
    setToolTip(shortcut.isEmpty() ? name : name + QStringLiteral(" (") + shortcut + u')');

    auto* icon = new RegionIcon(layout.region, this);
    auto* top = new QHBoxLayout;
    top->setSpacing(6);
    top->addWidget(icon);
    if (!shortcut.isEmpty()) {
        auto* keys = new ElidedLabel(this);
        keys->setText(shortcut);
        keys->setFont(PanelStyle::font(9, QFont::Medium));
        setTextColor(keys, PanelStyle::secondaryText());
        top->addWidget(keys, 1);
    } else {
        top->addStretch(1);
    }

    auto* title = new ElidedLabel(this);
    title->setText(name);
    title->setFont(PanelStyle::font(10, QFont::Medium));
    setTextColor(title, PanelStyle::primaryText());

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(9, 9, 9, 9);
    column->setSpacing(7);
    column->addLayout(top);
    column->addWidget(title);
    column->addStretch(1);

    // The tile is one button: its parts never take the click.
    for (QWidget* part : findChildren<QWidget*>()) {
        part->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
}

void LayoutTile::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath card;
    card.addRoundedRect(QRectF(rect()), 8, 8);
    const qreal opacity = isDown() ? 0.14 : underMouse() ? 0.09 : 0.055;
    painter.fillPath(card, PanelStyle::white(opacity));
}

SavedLayoutArea::SavedLayoutArea(QWidget* parent) : QScrollArea(parent) {
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setWidgetResizable(true);
    setFocusPolicy(Qt::NoFocus);
    setStyleSheet(QStringLiteral(
        "QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }"
        "QScrollBar:vertical { background: transparent; width: 7px; margin: 0 0 0 2px; }"
        "QScrollBar::handle:vertical { background: rgba(255,255,255,60); border-radius: 2px;"
        "  min-height: 24px; }"
        "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
        "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }"));
    viewport()->setAutoFillBackground(false);

    content_ = new QWidget;
    content_->setAutoFillBackground(false);
    grid_ = new QGridLayout(content_);
    grid_->setContentsMargins(0, 0, 0, 0);
    grid_->setSpacing(7);
    grid_->setAlignment(Qt::AlignTop);
    for (int c = 0; c < columns; ++c) {
        grid_->setColumnStretch(c, 1);
        // Keeps empty columns in a short last row as wide as the others.
        grid_->setColumnMinimumWidth(c, 1);
    }
    setWidget(content_);
    setFixedHeight(0);
}

int SavedLayoutArea::heightFor(std::size_t count) {
    const std::size_t rows = (count + columns - 1) / columns;
    return int(std::min<std::size_t>(rows * rowHeight, tallest));
}

bool SavedLayoutArea::setLayouts(const std::vector<SavedLayout>& layouts,
                                 const ShortcutText& shortcutText) {
    std::vector<SavedLayout> enabled;
    std::copy_if(layouts.begin(), layouts.end(), std::back_inserter(enabled),
                 [](const SavedLayout& l) { return l.enabled; });
    std::vector<std::string> shortcuts;
    shortcuts.reserve(enabled.size());
    for (const SavedLayout& layout : enabled)
        shortcuts.push_back(layout.shortcut ? shortcutText(*layout.shortcut) : std::string());
    if (enabled == shown_ && shortcuts == shownShortcuts_) return false;
    shown_ = std::move(enabled);
    shownShortcuts_ = std::move(shortcuts);

    for (LayoutTile* tile : tiles_) {
        // Later: this may run while one of these tiles is still reporting its click.
        tile->hide();
        grid_->removeWidget(tile);
        tile->deleteLater();
    }
    tiles_.clear();
    for (std::size_t i = 0; i < shown_.size(); ++i) {
        auto* tile = new LayoutTile(shown_[i], shownShortcuts_[i], content_);
        connect(tile, &LayoutTile::clicked, this,
                [this, tile] { emit layoutChosen(tile->layout()); });
        grid_->addWidget(tile, int(i / columns), int(i % columns));
        tiles_.push_back(tile);
    }
    applyHeight();
    return true;
}

void SavedLayoutArea::setHeightCap(std::optional<int> height) {
    if (height == heightCap_) return;
    heightCap_ = height;
    applyHeight();
}

void SavedLayoutArea::applyHeight() {
    const int natural = naturalHeight();
    const int shortest = std::min(natural, rowHeight);
    setFixedHeight(heightCap_ ? std::clamp(*heightCap_, shortest, natural) : natural);
}

}  // namespace corvane
