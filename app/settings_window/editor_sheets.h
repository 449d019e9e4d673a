#pragma once

#include <QObject>
#include <QPointer>

#include "app/settings_window/global_shortcut_editor.h"
#include "app/settings_window/layout_editor.h"

class QWidget;

namespace corvane {

class AppController;

// Opens the layout editor or the global shortcut editor over the settings
// window when the controller asks for one, and tells the controller when it
// has closed, saved or cancelled. One editor is open at a time: a request
// made while one is open waits until it closes.
class EditorSheets : public QObject {
    Q_OBJECT

public:
    EditorSheets(AppController& controller, QWidget* window);

    LayoutEditor* layoutEditor() const { return layoutEditor_; }
    GlobalShortcutEditor* globalShortcutEditor() const { return globalEditor_; }

private:
    void follow();
    void openLayoutEditor();
    void openGlobalShortcutEditor();
    bool anyOpen() const { return layoutEditor_ || globalEditor_; }

    AppController& controller_;
    QWidget* window_;
    QPointer<LayoutEditor> layoutEditor_;
    QPointer<GlobalShortcutEditor> globalEditor_;
};

}  // namespace corvane
