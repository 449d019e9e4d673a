#include "app/settings_window/layout_row.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

#include "app/controller/app_controller.h"
#include "app/settings_window/settings_binding.h"
#include "app/settings_window/settings_widgets.h"

namespace corvane {

namespace {

QString detailsOf(const AppController& controller, const SavedLayout& layout) {
    const QString shortcut =
        layout.shortcut ? QString::fromStdString(controller.shownShortcut(*layout.shortcut))
                        : QStringLiteral("No shortcut");
    const QString scope = layout.isGlobal ? QStringLiteral("Global \u00b7 works in any app")
                                          : QStringLiteral("Grid only");
    return shortcut + QStringLiteral("  \u2014  ") + scope;
}

}  // namespace

LayoutRow::LayoutRow(AppController& controller, const SavedLayout& layout, QWidget* parent)
    : QWidget(parent), controller_(controller), layout_(layout) {
    enabled_ = new QCheckBox;
    connect(enabled_, &QCheckBox::toggled, this, &LayoutRow::setEnabledInSettings);

    name_ = new QLabel;
    details_ = new QLabel;
    details_->setForegroundRole(QPalette::PlaceholderText);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(name_);
    texts->addWidget(details_);

    globalShortcut_ = makeTextButton({});
    connect(globalShortcut_, &QAbstractButton::clicked, this,
            [this] { controller_.setEditingGlobalShortcut(layout_); });
    edit_ = makeTextButton(QStringLiteral("Edit"));
    connect(edit_, &QAbstractButton::clicked, this,
            [this] { controller_.setEditingLayout(layout_); });
    auto* remove = new QToolButton;
    remove->setIcon(settingsSymbol(SettingsSymbol::trash));
    remove->setAutoRaise(true);
    delete_ = remove;
    connect(delete_, &QAbstractButton::clicked, this, &LayoutRow::deleteFromSettings);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 4, 0, 4);
    row->addWidget(enabled_);
    row->addLayout(texts, 1);
    row->addWidget(globalShortcut_);
    row->addWidget(edit_);
    row->addWidget(delete_);
    showLayout(layout);
}

void LayoutRow::showLayout(const SavedLayout& layout) {
    layout_ = layout;
    const QString name = QString::fromStdString(layout.name);
    showChecked(enabled_, layout.enabled);
    enabled_->setAccessibleName(QStringLiteral("Enable ") + name);
    name_->setText(name);
    name_->setAccessibleName(name);
    details_->setText(detailsOf(controller_, layout));
    details_->setAccessibleName(details_->text());
    globalShortcut_->setText(layout.isGlobal ? QStringLiteral("Change Shortcut")
                                             : QStringLiteral("Add Global Shortcut"));
    globalShortcut_->setAccessibleName(
        (layout.isGlobal ? QStringLiteral("Change") : QStringLiteral("Add")) +
        QStringLiteral(" global shortcut for ") + name);
    edit_->setAccessibleDescription(QStringLiteral("Edit ") + name);
    delete_->setAccessibleName(QStringLiteral("Delete ") + name);
    delete_->setToolTip(delete_->accessibleName());
}

void LayoutRow::setEnabledInSettings(bool enabled) {
    const Uuid id = layout_.id;
    saveSetting(controller_, [&](AppSettings& s) {
        for (SavedLayout& stored : s.layouts) {
            if (stored.id == id) stored.enabled = enabled;
        }
    });
    // Refused: the switch shows the stored state again.
    showChecked(enabled_, layout_.enabled);
}

void LayoutRow::deleteFromSettings() {
    const Uuid id = layout_.id;
    saveSetting(controller_, [&](AppSettings& s) {
        std::erase_if(s.layouts, [&](const SavedLayout& l) { return l.id == id; });
    });
}

}  // namespace corvane
