#include "app/settings_window/editor_sheets.h"

#include <QPointer>
#include <QPushButton>

#include "app/settings_window/global_shortcut_editor.h"
#include "app/settings_window/layout_editor.h"
#include "app/settings_window/tests/editor_test_support.h"

namespace corvane::testing {
namespace {

class EditorSheetsTest : public EditorTest {
protected:
    EditorSheets& sheetsOver(QWidget& parent) { return *new EditorSheets(*controller, &parent); }
};

TEST_F(EditorSheetsTest, EachEditorOpensOverTheWindowAndClearsItsStateWhenClosed) {
    AppController& c = started();
    window.show();
    EditorSheets& sheets = sheetsOver(window);
    EXPECT_FALSE(sheets.layoutEditor() || sheets.globalShortcutEditor());

    c.setEditingLayout(stored("Center"));
    LayoutEditor* layoutEditor = sheets.layoutEditor();
    ASSERT_TRUE(layoutEditor);
    EXPECT_TRUE(layoutEditor->isVisible());
    EXPECT_EQ(layoutEditor->parentWidget(), &window);
    EXPECT_EQ(layoutEditor->windowModality(), Qt::WindowModal);
    EXPECT_EQ(layoutEditor->layout().id, stored("Center").id);

    // A second request waits for the open editor.
    c.setEditingGlobalShortcut(stored("Left half"));
    EXPECT_EQ(sheets.layoutEditor(), layoutEditor);
    EXPECT_FALSE(sheets.globalShortcutEditor());
    named<QPushButton>(*layoutEditor, "Cancel")->click();
    EXPECT_FALSE(c.editingLayout());
    EXPECT_FALSE(sheets.layoutEditor());

    GlobalShortcutEditor* globalEditor = sheets.globalShortcutEditor();
    ASSERT_TRUE(globalEditor);
    EXPECT_TRUE(globalEditor->isVisible());
    EXPECT_EQ(globalEditor->layout().id, stored("Left half").id);
    named<QPushButton>(*globalEditor, "Cancel")->click();
    EXPECT_FALSE(c.editingGlobalShortcut());
    EXPECT_FALSE(sheets.globalShortcutEditor());
}

TEST_F(EditorSheetsTest, SavingClosesTheEditorAndClearsTheEditingState) {
    AppController& c = started();
    EditorSheets& sheets = sheetsOver(window);
    SavedLayout fresh = layoutOf("New layout", TileRegion::full(), std::nullopt, false);
    c.setEditingLayout(fresh);
    ASSERT_TRUE(sheets.layoutEditor());
    named<QPushButton>(*sheets.layoutEditor(), "Save Layout")->click();
    EXPECT_FALSE(sheets.layoutEditor());
    EXPECT_FALSE(c.editingLayout());
    EXPECT_EQ(c.settings().layouts.back().id, fresh.id);
}

TEST_F(EditorSheetsTest, EditingStateClearedElsewhereClosesTheEditor) {
    AppController& c = started();
    EditorSheets& sheets = sheetsOver(window);
    c.setEditingGlobalShortcut(stored("Top half"));
    QPointer<GlobalShortcutEditor> editor = sheets.globalShortcutEditor();
    ASSERT_TRUE(editor);
    c.setEditingGlobalShortcut(std::nullopt);
    EXPECT_FALSE(sheets.globalShortcutEditor());
    EXPECT_TRUE(!editor || !editor->isVisible());
}

// The grid's "Save layout" opens the settings window and, over it, the
// editor on the region the user drew.
TEST_F(EditorSheetsTest, TheGridsSaveLayoutOpensTheEditorOnTheDrawnRegion) {
    EditorSheets* sheets = nullptr;
    makeSettingsWindow = [&sheets](AppController& c) {
        auto* settingsWindow = new QWidget;
        sheets = new EditorSheets(c, settingsWindow);
        return settingsWindow;
    };
    AppController& c = started();
    c.showPanels();
    const TileRegion drawn{0, 0.5, 0.5, 0.5};
    c.saveSelectionAsLayout(drawn);
    ASSERT_TRUE(sheets && sheets->layoutEditor());
    EXPECT_EQ(sheets->layoutEditor()->parentWidget(), c.settingsWindow());
    EXPECT_EQ(sheets->layoutEditor()->selection(), drawn);
    EXPECT_EQ(sheets->layoutEditor()->layout().name, "New layout");
}

}  // namespace
}  // namespace corvane::testing
