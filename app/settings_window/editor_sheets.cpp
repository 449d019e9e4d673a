#include "app/settings_window/editor_sheets.h"

#include <QWidget>

#include "app/controller/app_controller.h"
#include "app/settings_window/global_shortcut_editor.h"
#include "app/settings_window/layout_editor.h"

namespace corvane {

EditorSheets::EditorSheets(AppController& controller, QWidget* window)
    : QObject(window), controller_(controller), window_(window) {
    connect(&controller_, &AppController::stateChanged, this, &EditorSheets::follow);
}

void EditorSheets::follow() {
    // Editing state cleared by someone else takes its editor away.
    if (layoutEditor_ && !controller_.editingLayout()) layoutEditor_->reject();
    if (globalEditor_ && !controller_.editingGlobalShortcut()) globalEditor_->reject();
    if (anyOpen()) return;
    if (controller_.editingLayout()) {
        openLayoutEditor();
    } else if (controller_.editingGlobalShortcut()) {
        openGlobalShortcutEditor();
    }
}

// The pointer is dropped before the controller hears of the close, so the
// notification that follows finds no editor open and may open the next one.
void EditorSheets::openLayoutEditor() {
    auto* editor = new LayoutEditor(controller_, *controller_.editingLayout(), window_);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    layoutEditor_ = editor;
    connect(editor, &QDialog::finished, this, [this] {
        layoutEditor_ = nullptr;
        controller_.setEditingLayout(std::nullopt);
    });
    editor->open();
}

void EditorSheets::openGlobalShortcutEditor() {
    auto* editor =
        new GlobalShortcutEditor(controller_, *controller_.editingGlobalShortcut(), window_);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    globalEditor_ = editor;
    connect(editor, &QDialog::finished, this, [this] {
        globalEditor_ = nullptr;
        controller_.setEditingGlobalShortcut(std::nullopt);
    });
    editor->open();
}

}  // namespace corvane
