#pragma once

#include <QDialog>
#include <optional>
#include <string>

#include "core/saved_layout.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace corvane {

class AppController;
class ErrorLine;
class ShortcutRecorder;

// The small dialog that gives an existing layout a shortcut working from any
// application. A layout has one shortcut, so making it global gives up the
// grid-only one; a bare key cannot be global, so the recorder starts empty
// unless the shortcut already holds Ctrl, Alt or Super.
class GlobalShortcutEditor : public QDialog {
    Q_OBJECT

public:
    GlobalShortcutEditor(AppController& controller, const SavedLayout& layout, QWidget* parent);

    // The copy being edited.
    const SavedLayout& layout() const { return layout_; }
    std::optional<std::string> error() const;
    // The note about the grid-only shortcut given up, if there is one.
    std::optional<QString> replacementNote() const;

    // "Save Shortcut": closes the dialog when the settings took the layout.
    void save();

private:
    void buildControls();
    void arrangeControls();

    AppController& controller_;
    const SavedLayout originalLayout_;
    SavedLayout layout_;
    ShortcutRecorder* recorder_ = nullptr;
    QLabel* replacement_ = nullptr;
    QCheckBox* enabled_ = nullptr;
    ErrorLine* error_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* save_ = nullptr;
};

}  // namespace corvane
