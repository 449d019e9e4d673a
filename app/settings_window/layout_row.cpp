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

QString shortcutOf(const AppController& controller, const SavedLayout& layout) {
    return layout.shortcut ? QString::fromStdString(controller.shownShortcut(*layout.shortcut))
                           : QStringLiteral("No shortcut");
}

QString scopeOf(const SavedLayout& layout) {
    return layout.isGlobal ? QStringLiteral("Global \u00b7 works in any app")
                           : QStringLiteral("Grid only");
}

QLabel* secondaryLabel() {
    auto* label = new QLabel;
    label->setTextFormat(Qt::PlainText);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

void showLabel(QLabel* label, const QString& text) {
    label->setText(text);
    label->setAccessibleName(text);
}

}  // namespace

LayoutRow::LayoutRow(AppController& controller, const SavedLayout& layout, QWidget* parent)
    : QWidget(parent), controller_(controller), layout_(layout) {
    enabled_ = new QCheckBox;
    connect(enabled_, &QCheckBox::toggled, this, &LayoutRow::setEnabledInSettings);

    name_ = new QLabel;
    name_->setTextFormat(Qt::PlainText);
    shortcut_ = secondaryLabel();
    scope_ = secondaryLabel();
    auto* details = new QHBoxLayout;
    details->setSpacing(12);
    details->addWidget(shortcut_);
    details->addWidget(scope_);
    details->addStretch();
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addWidget(name_);
    texts->addLayout(details);

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
    showLabel(name_, name);
    showLabel(shortcut_, shortcutOf(controller_, layout));
    showLabel(scope_, scopeOf(layout));
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
