#pragma once

#include <QIcon>
#include <QString>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLayout;
class QLineEdit;
class QScrollArea;
class QWidget;

namespace corvane {

// The pieces the settings tabs are built from.

// A section title in bold.
QLabel* makeHeading(const QString& text);
// A wrapped line of secondary text below a control or a heading.
QLabel* makeNote(const QString& text);
// An on/off setting, named for screen readers by its text.
QCheckBox* makeSwitch(const QString& text);
// A text button whose accessible name is its text.
QAbstractButton* makeTextButton(const QString& text);
// A tab's content, scrolling when the window is smaller than it.
QScrollArea* makeScrollingTab(QLayout* content);
// Fills `tab` with `content`, scrolling when the window is too small for it.
void setScrollingContent(QWidget& tab, QLayout* content);

// Shows a value without telling the control's own handlers, so a refresh is
// never taken for a change by the user.
void showChecked(QAbstractButton* button, bool checked);
// A line edit keeps what the user is still typing.
void showText(QLineEdit* field, const QString& text);

// Symbols the settings window shows beside the panel's own.
enum class SettingsSymbol { warning, granted, trash };
// From the desktop's icon theme when it has the symbol, else the style's own.
QIcon settingsSymbol(SettingsSymbol symbol);

}  // namespace corvane
