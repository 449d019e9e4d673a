#include "app/settings_window/shortcuts_tab.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/controller/app_controller.h"
#include "app/settings_window/layout_row.h"
#include "app/settings_window/settings_widgets.h"
#include "app/style/panel_symbols.h"

namespace corvane {

ShortcutsTab::ShortcutsTab(AppController& controller, QWidget* parent)
    : QWidget(parent), controller_(controller) {
    auto* content = new QVBoxLayout;
    content->addWidget(makeNote(
        QStringLiteral("Resize the focused window from any app, without opening the grid. Click "
                       "Add Global Shortcut beside any layout to choose its keys.")));

    QAbstractButton* addGlobal = makeTextButton(QStringLiteral("Add Global Shortcut"));
    addGlobal_ = addGlobal;
    connect(addGlobal, &QAbstractButton::clicked, this,
            [this] { controller_.setEditingLayout(newLayout(controller_.settings().grid, true)); });
    auto* heading = new QHBoxLayout;
    heading->addWidget(makeHeading(QStringLiteral("Your layouts")), 1);
    heading->addWidget(addGlobal);
    content->addLayout(heading);

    list_ = new QVBoxLayout;
    list_->setSpacing(0);
    content->addLayout(list_);

    QAbstractButton* newOne = makeTextButton(QStringLiteral("New Layout"));
    newLayout_ = newOne;
    newOne->setIcon(symbolIcon(Symbol::plus, palette().color(QPalette::ButtonText)));
    connect(newOne, &QAbstractButton::clicked, this, [this] {
        controller_.setEditingLayout(newLayout(controller_.settings().grid, false));
    });
    auto* footer = new QHBoxLayout;
    footer->addWidget(newOne);
    footer->addStretch();
    content->addLayout(footer);
    content->addStretch();

    setScrollingContent(*this, content);
    refresh();
}

SavedLayout ShortcutsTab::newLayout(const GridSize& grid, bool global) {
    SavedLayout layout;
    layout.id = Uuid::random();
    layout.name = global ? "New global shortcut" : "New layout";
    layout.grid = grid;
    layout.region = TileRegion::full();
    layout.shortcut.reset();
    layout.isGlobal = global;
    layout.enabled = true;
    return layout;
}

void ShortcutsTab::refresh() {
    const std::vector<SavedLayout>& layouts = controller_.settings().layouts;
    if (layouts.size() != rows_.size()) {
        rebuildRows(layouts);
        return;
    }
    // Rows are kept while the list keeps its length, so the control the user
    // just used keeps the keyboard.
    for (std::size_t i = 0; i < layouts.size(); ++i) rows_[i]->showLayout(layouts[i]);
}

void ShortcutsTab::rebuildRows(const std::vector<SavedLayout>& layouts) {
    // A row may be deleting itself from its own button's click: it goes when
    // that click is over.
    for (LayoutRow* row : rows_) {
        row->hide();
        list_->removeWidget(row);
        row->setParent(nullptr);
        row->deleteLater();
    }
    rows_.clear();
    rows_.reserve(layouts.size());
    for (const SavedLayout& layout : layouts) {
        auto* row = new LayoutRow(controller_, layout);
        list_->addWidget(row);
        rows_.push_back(row);
    }
    orderTabStops();
}

// Rows come after the buttons in creation order; the keyboard visits them in
// the order the user sees them, between the two buttons.
void ShortcutsTab::orderTabStops() {
    QWidget* previous = addGlobal_;
    for (LayoutRow* row : rows_) {
        for (QWidget* control : row->findChildren<QWidget*>()) {
            if ((control->focusPolicy() & Qt::TabFocus) == 0) continue;
            QWidget::setTabOrder(previous, control);
            previous = control;
        }
    }
    QWidget::setTabOrder(previous, newLayout_);
}

}  // namespace corvane
