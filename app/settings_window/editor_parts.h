#pragma once

#include <QDialog>
#include <QLabel>
#include <optional>
#include <string>

#include "core/saved_layout.h"

class QHBoxLayout;
class QPushButton;

namespace corvane {

class AppController;

// A wrapped secondary line of explanation under a control.
QLabel* makeNote(const QString& text, QWidget* parent = nullptr);

// The label beside a control, tied to it so assistive technologies read the
// control as labelled by it.
QLabel* makeFieldLabel(const QString& text, QWidget* control);

// The line in an editor that says why saving did not happen; hidden while
// there is nothing to say. Screen readers hear the message as its name.
class ErrorLine : public QLabel {
    Q_OBJECT

public:
    explicit ErrorLine(QWidget* parent = nullptr);

    void showError(const std::optional<std::string>& message);
    std::optional<std::string> message() const { return message_; }

private:
    std::optional<std::string> message_;
};

// The buttons at the foot of an editor: "Cancel" rejects; the save button is
// the default, so Return saves unless a control (a recording shortcut
// recorder) takes the key first.
struct EditorButtons {
    QPushButton* cancel = nullptr;
    QPushButton* save = nullptr;
};
EditorButtons addEditorButtons(QDialog& dialog, const QString& saveText);

// The row that holds an editor's shortcut recorder, labelled "Shortcut".
QHBoxLayout* makeShortcutRow(QWidget* recorder);
// The row at the foot of an editor: Cancel and the save button, on the right.
QHBoxLayout* makeButtonRow(QPushButton* cancel, QPushButton* save);

// Gives a dialog of wrapped notes the height its contents need at its width:
// Qt's own first guess measures the notes at another width and can squeeze
// the controls below their minimum.
void fitToContents(QDialog& dialog);

// Stores `layout` in the settings: nullopt when it was stored (recording is
// over then, and the hot keys are registered again), otherwise the reason it
// was refused. The editor shows that reason itself, so the settings window's
// banner is cleared rather than repeating it behind the dialog.
std::optional<std::string> storeLayout(AppController& controller, const SavedLayout& layout);

}  // namespace corvane
