#include "app/settings_window/global_shortcut_editor.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/controller/app_controller.h"
#include "app/settings_window/editor_parts.h"
#include "app/settings_window/shortcut_recorder.h"

namespace corvane {

namespace {

const char* const recorderNote =
    "Click to record keys. Include Ctrl, Alt, or Super. Esc cancels recording.";

SavedLayout globalCopy(SavedLayout layout) {
    layout.isGlobal = true;
    if (layout.shortcut && !layout.shortcut->hasStrongModifier()) layout.shortcut.reset();
    return layout;
}

}  // namespace

GlobalShortcutEditor::GlobalShortcutEditor(AppController& controller, const SavedLayout& layout,
                                           QWidget* parent)
    : QDialog(parent),
      controller_(controller),
      originalLayout_(layout),
      layout_(globalCopy(layout)) {
    setWindowTitle(QStringLiteral("Global shortcut"));
    setWindowModality(Qt::WindowModal);
    setAccessibleName(windowTitle());
    buildControls();
    arrangeControls();
    fitToContents(*this);
}

std::optional<std::string> GlobalShortcutEditor::error() const {
    return error_->message();
}

std::optional<QString> GlobalShortcutEditor::replacementNote() const {
    if (replacement_ == nullptr) return std::nullopt;
    return replacement_->text();
}

void GlobalShortcutEditor::buildControls() {
    recorder_ = new ShortcutRecorder(
        controller_, [this](const std::optional<KeyCombo>& combo) { layout_.shortcut = combo; },
        this);
    recorder_->setCombo(layout_.shortcut);
    recorder_->setAccessibleDescription(QString::fromUtf8(recorderNote));

    if (!originalLayout_.isGlobal && originalLayout_.shortcut) {
        const std::string shown = controller_.shownShortcut(*originalLayout_.shortcut);
        replacement_ =
            makeNote(QStringLiteral("This replaces the grid-only shortcut ") +
                         QString::fromStdString(shown) + QStringLiteral(" for this layout."),
                     this);
    }

    enabled_ = new QCheckBox(QStringLiteral("Enable this layout"), this);
    enabled_->setAccessibleName(enabled_->text());
    enabled_->setChecked(layout_.enabled);
    connect(enabled_, &QCheckBox::toggled, this, [this](bool on) { layout_.enabled = on; });

    error_ = new ErrorLine(this);
    const EditorButtons buttons = addEditorButtons(*this, QStringLiteral("Save Shortcut"));
    cancel_ = buttons.cancel;
    save_ = buttons.save;
    connect(save_, &QPushButton::clicked, this, &GlobalShortcutEditor::save);
}

void GlobalShortcutEditor::arrangeControls() {
    auto* heading = new QLabel(windowTitle());
    heading->setAccessibleName(heading->text());
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);

    QHBoxLayout* shortcutRow = makeShortcutRow(recorder_);

    QHBoxLayout* footer = makeButtonRow(cancel_, save_);

    auto* column = new QVBoxLayout(this);
    column->addWidget(heading);
    column->addWidget(makeNote(
        QStringLiteral("Resize the focused window to this layout, even when the grid is closed.")));
    column->addLayout(shortcutRow);
    column->addWidget(makeNote(QString::fromUtf8(recorderNote)));
    if (replacement_ != nullptr) column->addWidget(replacement_);
    column->addWidget(enabled_);
    column->addWidget(error_);
    column->addLayout(footer);

    setTabOrder(recorder_, enabled_);
    setTabOrder(enabled_, cancel_);
    setTabOrder(cancel_, save_);
    setMinimumWidth(380);
}

void GlobalShortcutEditor::save() {
    if (!layout_.shortcut) {
        error_->showError("Record a global shortcut before saving.");
        return;
    }
    if (const std::optional<std::string> refusal = storeLayout(controller_, layout_)) {
        error_->showError(refusal);
        return;
    }
    accept();
}

}  // namespace corvane
