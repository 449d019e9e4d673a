#include "app/settings_window/layout_editor.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "app/settings_window/editor_parts.h"
#include "app/settings_window/layout_grid.h"
#include "app/settings_window/shortcut_recorder.h"
#include "app/style/panel_widgets.h"
#include "core/unicode_text.h"

namespace corvane {

namespace {

const char* const anyAppNote =
    "Record a shortcut with Ctrl, Alt, or Super. It resizes the focused window even when the "
    "grid is closed.";
const char* const globalNote =
    "Resize the focused window to this layout, even when the grid is closed.";

QSpinBox* makeGridStepper(const QString& prefix, QWidget* parent) {
    auto* stepper = new QSpinBox(parent);
    stepper->setRange(int(GridSize::minimum), int(GridSize::maximum));
    stepper->setSingleStep(1);
    stepper->setPrefix(prefix);
    return stepper;
}

// The stepper is named by what it shows, "Columns: 6".
void showStepperValue(QSpinBox* stepper, std::int64_t value) {
    const QSignalBlocker quiet(stepper);
    stepper->setValue(int(value));
    stepper->setAccessibleName(stepper->prefix() + QString::number(value));
}

// The panel's grid is drawn for a dark background; it keeps one here.
QWidget* onDarkCard(QWidget* content) {
    auto* card = new RoundedCard(QColor::fromRgbF(0.1f, 0.11f, 0.13f), 8);
    auto* box = new QVBoxLayout(card);
    box->setContentsMargins(6, 6, 6, 6);
    box->addWidget(content);
    return card;
}

}  // namespace

LayoutEditor::LayoutEditor(AppController& controller, const SavedLayout& layout, QWidget* parent)
    : QDialog(parent), controller_(controller), layout_(layout) {
    setWindowTitle(QStringLiteral("Layout editor"));
    setWindowModality(Qt::WindowModal);
    setAccessibleName(windowTitle());
    selection_.setRegion(layout_.region);
    buildControls();
    arrangeControls();
    fitToContents(*this);
    connectControls();
    showGrid();
}

std::optional<std::string> LayoutEditor::error() const {
    return error_->message();
}

void LayoutEditor::buildControls() {
    name_ = new QLineEdit(QString::fromStdString(layout_.name), this);
    name_->setAccessibleName(QStringLiteral("Layout name"));

    presets_ = new QPushButton(QStringLiteral("Start from a preset"), this);
    presets_->setAccessibleName(presets_->text());
    presets_->setAutoDefault(false);
    auto* menu = new QMenu(presets_);
    for (const SavedLayout& preset : SavedLayout::starterLayouts()) {
        QAction* choice = menu->addAction(QString::fromStdString(preset.name));
        connect(choice, &QAction::triggered, this, [this, preset] { choosePreset(preset); });
    }
    presets_->setMenu(menu);

    columns_ = makeGridStepper(QStringLiteral("Columns: "), this);
    rows_ = makeGridStepper(QStringLiteral("Rows: "), this);
    subdivide_ = new QPushButton(QStringLiteral("Subdivide"), this);
    subdivide_->setAccessibleName(subdivide_->text());
    subdivide_->setAutoDefault(false);

    grid_ = new LayoutGrid(selection_);

    recorder_ = new ShortcutRecorder(
        controller_, [this](const std::optional<KeyCombo>& combo) { layout_.shortcut = combo; },
        this);
    recorder_->setCombo(layout_.shortcut);
    recorder_->setAccessibleDescription(
        QStringLiteral("Click the shortcut to record keys. Press Delete to clear it."));

    inGrid_ = new QRadioButton(QStringLiteral("In the grid"), this);
    inAnyApp_ = new QRadioButton(QStringLiteral("In any app"), this);
    inGrid_->setAccessibleName(inGrid_->text());
    inAnyApp_->setAccessibleName(inAnyApp_->text());
    inAnyApp_->setAccessibleDescription(QString::fromUtf8(globalNote));
    auto* scope = new QButtonGroup(this);
    scope->addButton(inGrid_);
    scope->addButton(inAnyApp_);
    (layout_.isGlobal ? inAnyApp_ : inGrid_)->setChecked(true);

    enabled_ = new QCheckBox(QStringLiteral("Enabled"), this);
    enabled_->setAccessibleName(enabled_->text());
    enabled_->setChecked(layout_.enabled);

    error_ = new ErrorLine(this);
    const EditorButtons buttons = addEditorButtons(*this, QStringLiteral("Save Layout"));
    cancel_ = buttons.cancel;
    save_ = buttons.save;
}

void LayoutEditor::arrangeControls() {
    auto* title = new QLabel(windowTitle());
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Layout name"), name_);
    form->addRow(QString(), presets_);

    auto* gridRow = new QHBoxLayout;
    gridRow->addWidget(columns_);
    gridRow->addWidget(rows_);
    gridRow->addWidget(subdivide_);
    gridRow->addStretch();

    QHBoxLayout* shortcutRow = makeShortcutRow(recorder_);

    QHBoxLayout* footer = makeButtonRow(cancel_, save_);

    auto* column = new QVBoxLayout(this);
    column->addWidget(title);
    column->addLayout(form);
    column->addLayout(gridRow);
    column->addWidget(onDarkCard(grid_), 1);
    column->addWidget(makeNote(QStringLiteral("Drag to choose the saved window position.")));
    column->addLayout(shortcutRow);
    column->addWidget(
        makeNote(QStringLiteral("Click the shortcut to record keys. Press Delete to clear it.")));
    // Screen readers announce the two choices as the group "Works".
    auto* works = new QGroupBox(QStringLiteral("Works"));
    works->setAccessibleName(works->title());
    works->setFlat(true);
    auto* choices = new QVBoxLayout(works);
    choices->addWidget(inGrid_);
    choices->addWidget(inAnyApp_);
    choices->addWidget(makeNote(QString::fromUtf8(globalNote)));
    choices->addWidget(makeNote(QString::fromUtf8(anyAppNote)));
    column->addWidget(works);
    column->addWidget(enabled_);
    column->addWidget(error_);
    column->addLayout(footer);

    // The order the controls are read in.
    setTabOrder(name_, presets_);
    setTabOrder(presets_, columns_);
    setTabOrder(columns_, rows_);
    setTabOrder(rows_, subdivide_);
    setTabOrder(subdivide_, grid_);
    setTabOrder(grid_, recorder_);
    setTabOrder(recorder_, inGrid_);
    setTabOrder(inGrid_, inAnyApp_);
    setTabOrder(inAnyApp_, enabled_);
    setTabOrder(enabled_, cancel_);
    setTabOrder(cancel_, save_);
    setMinimumWidth(420);
}

void LayoutEditor::connectControls() {
    connect(name_, &QLineEdit::textChanged, this,
            [this](const QString& text) { layout_.name = text.toStdString(); });
    connect(columns_, &QSpinBox::valueChanged, this, [this](int value) {
        setGrid(GridSize{value, layout_.grid.rows});
    });
    connect(rows_, &QSpinBox::valueChanged, this, [this](int value) {
        setGrid(GridSize{layout_.grid.columns, value});
    });
    connect(subdivide_, &QPushButton::clicked, this, &LayoutEditor::subdivide);
    connect(inAnyApp_, &QRadioButton::toggled, this,
            [this](bool checked) { layout_.isGlobal = checked; });
    connect(enabled_, &QCheckBox::toggled, this, [this](bool on) { layout_.enabled = on; });
    connect(save_, &QPushButton::clicked, this, &LayoutEditor::save);
}

void LayoutEditor::choosePreset(const SavedLayout& preset) {
    layout_.name = preset.name;
    name_->setText(QString::fromStdString(preset.name));
    selection_.setRegion(preset.region);
    setGrid(preset.grid);
    showError(std::nullopt);
}

// The region is kept in fractions of the screen, so a finer grid leaves it
// where it was.
void LayoutEditor::subdivide() {
    setGrid(layout_.grid.subdivided());
}

void LayoutEditor::setGrid(const GridSize& grid) {
    layout_.grid = grid;
    showGrid();
}

void LayoutEditor::showGrid() {
    showStepperValue(columns_, layout_.grid.columns);
    showStepperValue(rows_, layout_.grid.rows);
    grid_->setGrid(layout_.grid);
}

void LayoutEditor::save() {
    if (!selection_.region()) {
        showError("Select an area in the grid first.");
        return;
    }
    if (layout_.isGlobal && !layout_.shortcut) {
        showError("Record a global shortcut before saving.");
        return;
    }
    layout_.name = UnicodeText::trimmed(layout_.name);
    name_->setText(QString::fromStdString(layout_.name));
    layout_.region = *selection_.region();
    if (const std::optional<std::string> refusal = storeLayout(controller_, layout_)) {
        showError(refusal);
        return;
    }
    accept();
}

void LayoutEditor::showError(const std::optional<std::string>& message) {
    error_->showError(message);
}

}  // namespace corvane
