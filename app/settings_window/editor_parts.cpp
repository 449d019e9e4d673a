#include "app/settings_window/editor_parts.h"

#include <QAccessible>
#include <QHBoxLayout>
#include <QPushButton>
#include <algorithm>

#include "app/controller/app_controller.h"
#include "app/controller/settings_actions.h"

namespace corvane {

QLabel* makeNote(const QString& text, QWidget* parent) {
    auto* note = new QLabel(text, parent);
    note->setWordWrap(true);
    note->setAccessibleName(text);
    QFont small = note->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    note->setFont(small);
    note->setForegroundRole(QPalette::PlaceholderText);
    return note;
}

QLabel* makeFieldLabel(const QString& text, QWidget* control) {
    auto* label = new QLabel(text);
    label->setAccessibleName(text);
    label->setBuddy(control);
    return label;
}

ErrorLine::ErrorLine(QWidget* parent) : QLabel(parent) {
    setWordWrap(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette red = palette();
    red.setColor(QPalette::WindowText, QColor(0xc0, 0x1c, 0x28));
    setPalette(red);
    hide();
}

void ErrorLine::showError(const std::optional<std::string>& message) {
    message_ = message;
    const QString text = message ? QString::fromStdString(*message) : QString();
    setText(text);
    setAccessibleName(text);
    setVisible(message.has_value());
    // Said at once, without waiting for the user to find the line.
    if (message) {
        QAccessibleEvent alert(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}

EditorButtons addEditorButtons(QDialog& dialog, const QString& saveText) {
    EditorButtons buttons;
    buttons.cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    buttons.cancel->setAccessibleName(buttons.cancel->text());
    buttons.cancel->setAutoDefault(false);
    buttons.save = new QPushButton(saveText, &dialog);
    buttons.save->setAccessibleName(saveText);
    buttons.save->setDefault(true);
    QObject::connect(buttons.cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    return buttons;
}

void fitToContents(QDialog& dialog) {
    const int width = std::max(dialog.minimumWidth(), dialog.sizeHint().width());
    const int height = dialog.hasHeightForWidth() ? dialog.heightForWidth(width) : -1;
    dialog.resize(width, std::max(height, dialog.sizeHint().height()));
}

std::optional<std::string> storeLayout(AppController& controller, const SavedLayout& layout) {
    if (controller.settingsActions().saveLayout(layout)) {
        controller.setRecordingActive(false);
        return std::nullopt;
    }
    std::string reason = controller.settingsError().value_or("The layout could not be saved.");
    controller.setSettingsError(std::nullopt);
    return reason;
}

QHBoxLayout* makeShortcutRow(QWidget* recorder) {
    auto* row = new QHBoxLayout;
    row->addWidget(makeFieldLabel(QStringLiteral("Shortcut"), recorder));
    row->addWidget(recorder);
    row->addStretch();
    return row;
}

QHBoxLayout* makeButtonRow(QPushButton* cancel, QPushButton* save) {
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(cancel);
    row->addWidget(save);
    return row;
}

}  // namespace corvane
