#include "app/settings_window/global_shortcut_editor.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include "app/settings_window/shortcut_recorder.h"
#include "app/settings_window/tests/editor_test_support.h"

namespace corvane::testing {
namespace {

class GlobalShortcutEditorTest : public EditorTest {
protected:
    GlobalShortcutEditor& edit(const SavedLayout& layout) {
        editor = std::make_unique<GlobalShortcutEditor>(*controller, layout, &window);
        editor->show();
        return *editor;
    }
    ShortcutRecorder* recorder() const { return editor->findChild<ShortcutRecorder*>(); }
    void saveIt() const { named<QPushButton>(*editor, "Save Shortcut")->click(); }

    std::unique_ptr<GlobalShortcutEditor> editor;
};

TEST_F(GlobalShortcutEditorTest, ABareGridKeyIsNotOfferedAsGlobal) {
    AppController& c = started();
    edit(stored("Left half"));
    EXPECT_EQ(editor->windowTitle(), "Global shortcut");
    EXPECT_FALSE(recorder()->combo());
    EXPECT_EQ(recorder()->text(), "Record shortcut");
    EXPECT_EQ(editor->replacementNote(), "This replaces the grid-only shortcut L for this layout.");
    EXPECT_TRUE(named<QLabel>(*editor, *editor->replacementNote())->isVisible());

    saveIt();
    EXPECT_EQ(editor->error(), "Record a global shortcut before saving.");
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(stored("Left half").isGlobal);
    EXPECT_FALSE(c.settingsError());
}

TEST_F(GlobalShortcutEditorTest, AStrongGridShortcutIsKeptAndSavingMakesItGlobal) {
    const KeyCombo ctrlL{keyL, KeyCombo::ctrl, "L"};
    AppController& c = started([&](AppSettings& s) { s.layouts[0].shortcut = ctrlL; });
    EXPECT_FALSE(grabber.isGrabbed(keyL, KeyCombo::ctrl)) << "grid-only keys are not grabbed";
    const SavedLayout original = c.settings().layouts[0];
    edit(original);
    EXPECT_EQ(recorder()->combo(), ctrlL);
    EXPECT_EQ(recorder()->text(), "Ctrl+L");
    EXPECT_EQ(editor->replacementNote(),
              "This replaces the grid-only shortcut Ctrl+L for this layout.");

    saveIt();
    EXPECT_EQ(editor->result(), QDialog::Accepted);
    SavedLayout expected = original;
    expected.isGlobal = true;
    EXPECT_EQ(c.settings().layouts[0], expected);
    EXPECT_EQ(SettingsStore(dir.path()).load().layouts[0], expected);
    EXPECT_TRUE(grabber.isGrabbed(keyL, KeyCombo::ctrl)) << "registered as a global hot key";
    EXPECT_TRUE(grabber.press(keyL, KeyCombo::ctrl));
}

TEST_F(GlobalShortcutEditorTest, RecordedKeysAreSavedOrRefusedWithTheReason) {
    AppController& c = started();
    const std::string fileBefore = fileText(c.store().url());
    edit(stored("Right half"));
    recordKeys(recorder(), keyZ, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(editor->layout().shortcut, (KeyCombo{keyZ, KeyCombo::ctrl, "Z"}));
    saveIt();
    EXPECT_EQ(editor->error(), "Ctrl+Z is reserved for panel navigation.");
    EXPECT_TRUE(editor->isVisible());
    EXPECT_FALSE(c.settingsError()) << "the editor says it; the window's banner does not repeat it";
    EXPECT_FALSE(stored("Right half").isGlobal);
    EXPECT_EQ(fileText(c.store().url()), fileBefore);

    recordKeys(recorder(), 17, Qt::Key_T, Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    saveIt();
    EXPECT_EQ(editor->error(), "The shortcut Ctrl+Alt+Super+T is assigned more than once.");

    recordKeys(recorder(), keyK, Qt::Key_K, Qt::AltModifier);
    named<QCheckBox>(*editor, "Enable this layout")->click();
    saveIt();
    EXPECT_FALSE(editor->isVisible());
    const SavedLayout& saved = stored("Right half");
    EXPECT_EQ(saved.shortcut, (KeyCombo{keyK, KeyCombo::alt, "K"}));
    EXPECT_TRUE(saved.isGlobal);
    EXPECT_FALSE(saved.enabled);
    EXPECT_FALSE(grabber.isGrabbed(keyK, KeyCombo::alt));
}

TEST_F(GlobalShortcutEditorTest, CancelChangesNothing) {
    AppController& c = started();
    const std::string fileBefore = fileText(c.store().url());
    const AppSettings before = c.settings();
    edit(stored("Bottom half"));
    recordKeys(recorder(), keyK, Qt::Key_K, Qt::ControlModifier);
    named<QCheckBox>(*editor, "Enable this layout")->click();
    named<QPushButton>(*editor, "Cancel")->click();
    EXPECT_EQ(editor->result(), QDialog::Rejected);
    EXPECT_FALSE(editor->isVisible());
    EXPECT_EQ(c.settings(), before);
    EXPECT_EQ(fileText(c.store().url()), fileBefore);
    EXPECT_FALSE(c.recordingActive());
}

TEST_F(GlobalShortcutEditorTest, ChangingAGlobalShortcutHasNoReplacementNote) {
    const KeyCombo superM{46, KeyCombo::super, "M"};
    started([&](AppSettings& s) {
        s.layouts[4].shortcut = superM;
        s.layouts[4].isGlobal = true;
    });
    edit(stored("Maximize"));
    EXPECT_FALSE(editor->replacementNote());
    EXPECT_EQ(recorder()->combo(), superM);
    EXPECT_TRUE(named<QPushButton>(*editor, "Cancel") &&
                named<QCheckBox>(*editor, "Enable this layout"));
}

}  // namespace
}  // namespace corvane::testing
