#include "app/settings_window/settings_widgets.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>

namespace corvane {

QLabel* makeHeading(const QString& text) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    label->setAccessibleName(text);
    return label;
}

QLabel* makeNote(const QString& text) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    label->setAccessibleName(text);
    return label;
}

QCheckBox* makeSwitch(const QString& text) {
    auto* box = new QCheckBox(text);
    box->setAccessibleName(text);
    return box;
}

QAbstractButton* makeTextButton(const QString& text) {
    auto* button = new QPushButton(text);
    button->setAutoDefault(false);
    button->setAccessibleName(text);
    return button;
}

QScrollArea* makeScrollingTab(QLayout* content) {
    auto* page = new QWidget;
    page->setLayout(content);
    auto* scroll = new QScrollArea;
    scroll->setWidget(page);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return scroll;
}

void showChecked(QAbstractButton* button, bool checked) {
    const QSignalBlocker quiet(button);
    button->setChecked(checked);
}

void showText(QLineEdit* field, const QString& text) {
    if (field->isModified() && field->hasFocus()) return;
    const QSignalBlocker quiet(field);
    field->setText(text);
}

QIcon settingsSymbol(SettingsSymbol symbol) {
    QStringList names;
    QStyle::StandardPixmap fallback = QStyle::SP_MessageBoxWarning;
    switch (symbol) {
        case SettingsSymbol::warning:
            names = {"dialog-warning-symbolic", "dialog-warning"};
            break;
        case SettingsSymbol::granted:
            names = {"emblem-ok-symbolic", "object-select-symbolic", "emblem-default"};
            fallback = QStyle::SP_DialogApplyButton;
            break;
        case SettingsSymbol::trash:
            names = {"user-trash-symbolic", "edit-delete-symbolic", "user-trash"};
            fallback = QStyle::SP_TrashIcon;
            break;
    }
    for (const QString& name : names) {
        if (QIcon::hasThemeIcon(name)) return QIcon::fromTheme(name);
    }
    return QApplication::style()->standardIcon(fallback);
}

void setScrollingContent(QWidget& tab, QLayout* content) {
    auto* outer = new QVBoxLayout(&tab);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(makeScrollingTab(content));
}

}  // namespace corvane
