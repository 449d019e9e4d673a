#include "app/settings_window/layout_editor.h"

#include <QAccessible>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>

#include "app/settings_window/layout_grid.h"
#include "app/settings_window/shortcut_recorder.h"
#include "app/settings_window/tests/editor_test_support.h"

namespace corvane::testing {
namespace {

const KeyCombo ctrlL{keyL, KeyCombo::ctrl, "L"};

class LayoutEditorTest : public EditorTest {
protected:
    LayoutEditor& edit(const SavedLayout& layout) {
        editor = std::make_unique<LayoutEditor>(*controller, layout, &window);
        editor->show();
        return *editor;
    }
    QPushButton* button(const QString& name) const { return named<QPushButton>(*editor, name); }
    ShortcutRecorder* recorder() const { return editor->findChild<ShortcutRecorder*>(); }
    void chooseAnyApp() const { named<QRadioButton>(*editor, "In any app")->click(); }
    void saveIt() const { button("Save Layout")->click(); }
    void choosePreset(const QString& name) const {
        for (QAction* action : button("Start from a preset")->menu()->actions()) {
            if (action->text() == name) action->trigger();
        }
    }

    std::unique_ptr<LayoutEditor> editor;
};

TEST_F(LayoutEditorTest, EditingASavedLayoutShowsItsRegionAndSavesItUnchangedButTrimmed) {
    AppController& c = started([](AppSettings& s) { s.layouts[0].name = "  Left half \n"; });
    const SavedLayout original = c.settings().layouts[0];
    edit(original);
    EXPECT_EQ(editor->selection(), original.region);
    const auto* grid = editor->findChild<LayoutGrid*>();
    ASSERT_TRUE(grid);
    EXPECT_TRUE(grid->isHighlighted(Cell{0, 0}) && grid->isHighlighted(Cell{2, 5}));
    EXPECT_FALSE(grid->isHighlighted(Cell{3, 0}));

    saveIt();
    EXPECT_EQ(editor->result(), QDialog::Accepted);
    EXPECT_FALSE(editor->isVisible());
    SavedLayout expected = original;
    expected.name = "Left half";
    EXPECT_EQ(c.settings().layouts[0], expected);
    EXPECT_EQ(SettingsStore(dir.path()).load().layouts[0], expected) << "written to the file";
    EXPECT_EQ(c.settings().layouts.size(), 10u);
}

TEST_F(LayoutEditorTest, ANewLayoutIsAppendedWithTheCellsDrawnAndTheKeysRecorded) {
    AppController& c = started();
    SavedLayout fresh = layoutOf("New layout", TileRegion{0, 0, 1, 1}, std::nullopt, false);
    edit(fresh);
    auto* grid = editor->findChild<LayoutGrid*>();
    QTest::mouseClick(grid, Qt::LeftButton, {}, grid->tileRect(Cell{5, 0}).center().toPoint());
    EXPECT_EQ(editor->selection(), TileRegion::spanning(Cell{5, 0}, Cell{5, 0}, GridSize{}));

    recordKeys(recorder(), keyL, Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(recorder()->text(), "Ctrl+L");
    chooseAnyApp();
    named<QCheckBox>(*editor, "Enabled")->click();
    saveIt();
    ASSERT_EQ(c.settings().layouts.size(), 11u);
    const SavedLayout& added = c.settings().layouts.back();
    EXPECT_EQ(added.id, fresh.id);
    EXPECT_EQ(added.region, (TileRegion{5.0 / 6, 0, 1.0 / 6, 1.0 / 6}));
    EXPECT_EQ(added.shortcut, ctrlL);
    EXPECT_TRUE(added.isGlobal);
    EXPECT_FALSE(added.enabled);
    EXPECT_FALSE(grabber.isGrabbed(keyL, KeyCombo::ctrl)) << "a disabled layout's keys are free";
}

// A refused save keeps the dialog open with the reason, keeps the settings,
// and leaves the reason to the dialog rather than to the window's banner.
TEST_F(LayoutEditorTest, RefusedSavesSayWhyAndChangeNothing) {
    AppController& c = started();
    const std::string fileBefore = fileText(c.store().url());
    struct Case {
        std::string layoutName;
        std::function<void()> change;
        std::string message;
    };
    const std::vector<Case> cases{
        {"New layout", [this] { chooseAnyApp(); }, "Record a global shortcut before saving."},
        {"Left half", [this] { chooseAnyApp(); }, "Global shortcuts need Ctrl, Alt, or Super."},
        {"Left half", [this] { named<QLineEdit>(*editor, "Layout name")->setText(" \t "); },
         "Every layout needs a name and a valid grid selection."},
        {"Left half", [this] { recordKeys(recorder(), 17, Qt::Key_T); },
         "The shortcut T is assigned more than once."},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.message);
        const SavedLayout layout =
            test.layoutName == "New layout"
                ? layoutOf("New layout", TileRegion::full(), std::nullopt, false)
                : stored(test.layoutName);
        edit(layout);
        test.change();
        saveIt();
        EXPECT_EQ(editor->error(), test.message);
        EXPECT_TRUE(named<QLabel>(*editor, QString::fromStdString(test.message))->isVisible());
        EXPECT_TRUE(editor->isVisible());
        EXPECT_FALSE(c.settingsError());
        EXPECT_EQ(c.settings().layouts, SettingsStore(dir.path()).load().layouts);
        EXPECT_EQ(fileText(c.store().url()), fileBefore);
    }
}

// Arrow keys go on from the rectangle shown: Shift stretches it, a plain
// arrow moves a single cell, and a finer grid starts them afresh.
TEST_F(LayoutEditorTest, ArrowKeysOnTheGridSelectFromTheRegionShown) {
    AppController& c = started();
    edit(stored("Left half"));
    auto* grid = editor->findChild<LayoutGrid*>();
    pressKey(grid, 124, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(editor->selection(), (TileRegion{0, 0, 4.0 / 6, 1}));
    pressKey(grid, 126, Qt::Key_Up);
    EXPECT_EQ(editor->selection(), (TileRegion{3.0 / 6, 4.0 / 6, 1.0 / 6, 1.0 / 6}));

    button("Subdivide")->click();
    pressKey(grid, 123, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(editor->selection(), (TileRegion{6.0 / 12, 8.0 / 12, 1.0 / 12, 2.0 / 12}));
    saveIt();
    EXPECT_EQ(stored("Left half").region, (TileRegion{6.0 / 12, 8.0 / 12, 1.0 / 12, 2.0 / 12}));
    EXPECT_EQ(stored("Left half").grid, (GridSize{12, 12}));
    EXPECT_EQ(c.settings().layouts.size(), 10u);
}

TEST_F(LayoutEditorTest, SubdivideDoublesTheGridUpToTwentyAndKeepsTheRegion) {
    started();
    SavedLayout layout = stored("Center");
    layout.grid = GridSize{12, 15};
    edit(layout);
    EXPECT_TRUE(named<QSpinBox>(*editor, "Columns: 12") && named<QSpinBox>(*editor, "Rows: 15"));
    button("Subdivide")->click();
    EXPECT_EQ(editor->layout().grid, (GridSize{20, 20}));
    EXPECT_EQ(named<QSpinBox>(*editor, "Columns: 20")->value(), 20);
    EXPECT_EQ(named<QSpinBox>(*editor, "Rows: 20")->value(), 20);
    EXPECT_EQ(editor->findChild<LayoutGrid*>()->grid(), (GridSize{20, 20}));
    button("Subdivide")->click();
    EXPECT_EQ(editor->layout().grid, (GridSize{20, 20}));
    EXPECT_EQ(editor->selection(), layout.region);

    auto* columns = named<QSpinBox>(*editor, "Columns: 20");
    columns->stepBy(5);
    EXPECT_EQ(editor->layout().grid.columns, 20) << "the stepper stops at 20";
    columns->setValue(3);
    EXPECT_EQ(editor->layout().grid, (GridSize{3, 20}));
    EXPECT_EQ(columns->accessibleName(), "Columns: 3");
}

TEST_F(LayoutEditorTest, APresetSetsNameGridAndRegionButKeepsTheShortcut) {
    AppController& c = started();
    SavedLayout layout = stored("Top left");
    layout.grid = GridSize{4, 3};
    edit(layout);
    recordKeys(recorder(), keyL, Qt::Key_L, Qt::ControlModifier | Qt::AltModifier);
    chooseAnyApp();
    named<QLineEdit>(*editor, "Layout name")->setText("");
    saveIt();
    ASSERT_TRUE(editor->error());

    choosePreset("Maximize");
    EXPECT_FALSE(editor->error()) << "choosing a preset clears the error";
    EXPECT_EQ(named<QLineEdit>(*editor, "Layout name")->text(), "Maximize");
    EXPECT_EQ(editor->layout().grid, (GridSize{6, 6}));
    EXPECT_TRUE(named<QSpinBox>(*editor, "Columns: 6"));
    EXPECT_EQ(editor->selection(), TileRegion::full());
    saveIt();
    EXPECT_FALSE(editor->isVisible());
    ASSERT_EQ(c.settings().layouts.size(), 10u);
    const SavedLayout& saved = c.settings().layouts[6];
    EXPECT_EQ(saved.id, layout.id) << "the layout edited, not the starter";
    EXPECT_EQ(saved.name, "Maximize");
    EXPECT_EQ(saved.region, TileRegion::full());
    EXPECT_EQ(saved.shortcut, (KeyCombo{keyL, KeyCombo::ctrl | KeyCombo::alt, "L"}));
    EXPECT_TRUE(saved.isGlobal);
    EXPECT_TRUE(grabber.isGrabbed(keyL, KeyCombo::ctrl | KeyCombo::alt));
}

TEST_F(LayoutEditorTest, TheRecorderTakesReturnAndEscFirst) {
    AppController& c = started();
    edit(stored("Left half"));
    recorder()->click();
    EXPECT_TRUE(c.recordingActive());
    EXPECT_TRUE(grabber.grabbed().empty()) << "no hot key fires while keys are recorded";
    pressKey(recorder(), keyReturn, Qt::Key_Return);
    EXPECT_TRUE(editor->isVisible()) << "Return was recorded, not taken as Save";
    EXPECT_EQ(editor->layout().shortcut->keyCode, keyReturn);
    EXPECT_FALSE(c.recordingActive());

    recorder()->click();
    pressKey(recorder(), keyEscape, Qt::Key_Escape);
    EXPECT_TRUE(editor->isVisible()) << "Esc ended recording only";
    EXPECT_EQ(editor->layout().shortcut->keyCode, keyReturn);
    EXPECT_FALSE(c.recordingActive());
    EXPECT_TRUE(grabber.isGrabbed(17, KeyCombo::strongModifiers));

    // Outside recording Return is the dialog's: it saves (and Return is refused
    // as a shortcut), and Esc closes.
    pressKey(named<QLineEdit>(*editor, "Layout name"), keyReturn, Qt::Key_Return);
    ASSERT_TRUE(editor->error());
    EXPECT_TRUE(editor->error()->ends_with(" is reserved for panel navigation."));
    pressKey(named<QLineEdit>(*editor, "Layout name"), keyEscape, Qt::Key_Escape);
    EXPECT_FALSE(editor->isVisible()) << "Esc closes the editor when nothing records";
    EXPECT_EQ(editor->result(), QDialog::Rejected);
    EXPECT_EQ(stored("Left half").shortcut->keyCode, keyL);
}

TEST_F(LayoutEditorTest, CancelChangesNothing) {
    AppController& c = started();
    const std::string fileBefore = fileText(c.store().url());
    const AppSettings before = c.settings();
    edit(stored("Right half"));
    named<QLineEdit>(*editor, "Layout name")->setText("Elsewhere");
    recordKeys(recorder(), keyK, Qt::Key_K, Qt::ControlModifier);
    chooseAnyApp();
    button("Cancel")->click();
    EXPECT_EQ(editor->result(), QDialog::Rejected);
    EXPECT_EQ(c.settings(), before);
    EXPECT_EQ(fileText(c.store().url()), fileBefore);
}

TEST_F(LayoutEditorTest, ControlsAreNamedAndReadInOrder) {
    started();
    edit(stored("Center"));
    EXPECT_EQ(editor->windowTitle(), "Layout editor");
    EXPECT_TRUE(editor->isModal());
    EXPECT_EQ(editor->windowModality(), Qt::WindowModal);
    EXPECT_EQ(editor->parentWidget(), &window);
    auto* grid = editor->findChild<LayoutGrid*>();
    QAccessibleInterface* gridAccess = QAccessible::queryAccessibleInterface(grid);
    ASSERT_TRUE(gridAccess);
    EXPECT_EQ(gridAccess->text(QAccessible::Name), "Layout grid");
    EXPECT_TRUE(gridAccess->text(QAccessible::Description)
                    .startsWith("Drag to choose the saved window position."));

    // What Tab visits: every visible control that takes the keyboard (a
    // stepper's text field is the stepper itself).
    QStringList order;
    QWidget* first = named<QLineEdit>(*editor, "Layout name");
    QWidget* widget = first;
    do {
        const bool visits = (widget->focusPolicy() & Qt::TabFocus) && widget->isVisible() &&
                            !qobject_cast<QAbstractSpinBox*>(widget->parentWidget());
        if (visits) order << widget->accessibleName();
        widget = widget->nextInFocusChain();
    } while (widget != first);
    EXPECT_EQ(order, (QStringList{"Layout name", "Start from a preset", "Columns: 6", "Rows: 6",
                                  "Subdivide", "Layout grid", "", "In the grid", "In any app",
                                  "Enabled", "Cancel", "Save Layout"}))
        << "the recorder (unnamed) is read by the shortcut it shows";
}

}  // namespace
}  // namespace corvane::testing
