#include "app/settings_window/grid_spacing_tab.h"

#include <QCheckBox>
#include <QDoubleValidator>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScrollArea>
#include <QSpinBox>
#include <QVBoxLayout>
#include <limits>

#include "app/controller/app_controller.h"
#include "app/settings_window/settings_binding.h"
#include "app/settings_window/settings_widgets.h"
#include "app/settings_window/spacing_preview.h"

namespace corvane {

namespace {

// The fields accept any number, so a value out of range reaches the saving
// rule and its message instead of being cut silently to the limit.
constexpr double widestNumber = 1e9;
constexpr int spacingColumns = 2;

QString shownNumber(double value) {
    return QLocale().toString(value, 'f', QLocale::FloatingPointShortest);
}

}  // namespace

GridSpacingTab::GridSpacingTab(AppController& controller, QWidget* parent)
    : QWidget(parent), controller_(controller), switches_(controller, this, [this] { refresh(); }) {
    auto* content = new QVBoxLayout;
    addGridSection(content);
    addSpacingSection(content);
    addAdvancedSection(content);
    content->addStretch();

    setScrollingContent(*this, content);
    refresh();
}

void GridSpacingTab::addGridSection(QVBoxLayout* layout) {
    layout->addWidget(makeHeading(QStringLiteral("Grid")));
    auto* row = new QHBoxLayout;
    row->addWidget(gridStepper(QStringLiteral("Columns: "), &GridSize::columns));
    row->addWidget(gridStepper(QStringLiteral("Rows: "), &GridSize::rows));
    row->addStretch();
    layout->addLayout(row);
    layout->addSpacing(12);
}

void GridSpacingTab::addSpacingSection(QVBoxLayout* layout) {
    marginsEnabled_ = makeSwitch(QStringLiteral("Use margins and gaps"));
    connect(marginsEnabled_, &QCheckBox::toggled, this, [this](bool on) {
        saveSetting(controller_, [&](AppSettings& s) { s.margins.enabled = on; });
        refresh();
    });
    layout->addWidget(marginsEnabled_);
    layout->addWidget(makeNote(
        QStringLiteral("The grid uses the space inside the desktop\u2019s panels. Gaps are shared "
                       "evenly by adjacent windows.")));

    layout->addWidget(makeHeading(QStringLiteral("Spacing (points)")));
    const std::pair<const char*, double Margins::*> fields[] = {
        {"Horizontal gap", &Margins::horizontalGap},
        {"Vertical gap", &Margins::verticalGap},
        {"Left edge", &Margins::left},
        {"Right edge", &Margins::right},
        {"Top edge", &Margins::top},
        {"Bottom edge", &Margins::bottom},
    };
    auto* grid = new QGridLayout;
    int index = 0;
    for (const auto& [name, member] : fields) {
        const QString text = QString::fromUtf8(name);
        auto* label = new QLabel(text);
        QLineEdit* field = spacingField(text, member);
        label->setBuddy(field);
        const int row = index / spacingColumns;
        const int column = (index % spacingColumns) * 2;
        grid->addWidget(label, row, column);
        grid->addWidget(field, row, column + 1);
        ++index;
    }
    layout->addLayout(grid);

    preview_ = new SpacingPreview;
    layout->addWidget(preview_);
    layout->addSpacing(12);
}

void GridSpacingTab::addAdvancedSection(QVBoxLayout* layout) {
    layout->addWidget(makeHeading(QStringLiteral("Advanced settings")));
    layout->addWidget(makeNote(
        QStringLiteral("The defaults are ready to use. Adjust these options when you want a "
                       "custom grid, preview, or spacing.")));
    layout->addWidget(switches_.add(QStringLiteral("Reset to this grid each time the panel opens"),
                                    &AppSettings::resetGridOnOpen));
    layout->addWidget(switches_.add(QStringLiteral("Show the window placement preview"),
                                    &AppSettings::showPreview));
    layout->addWidget(
        switches_.add(QStringLiteral("Animate the preview"), &AppSettings::animatePreview));
}

QSpinBox* GridSpacingTab::gridStepper(const QString& prefix, std::int64_t GridSize::*field) {
    auto* stepper = new QSpinBox;
    stepper->setRange(static_cast<int>(GridSize::minimum), static_cast<int>(GridSize::maximum));
    stepper->setSingleStep(1);
    stepper->setPrefix(prefix);
    // One change per finished number, not one per digit typed.
    stepper->setKeyboardTracking(false);
    connect(stepper, &QSpinBox::valueChanged, this, [this, field](int value) {
        saveSetting(controller_, [&](AppSettings& s) { s.grid.*field = value; });
        refresh();
    });
    steppers_.emplace_back(stepper, field);
    return stepper;
}

QLineEdit* GridSpacingTab::spacingField(const QString& label, double Margins::*value) {
    auto* field = new QLineEdit;
    field->setAccessibleName(label);
    field->setAlignment(Qt::AlignRight);
    field->setMaximumWidth(90);
    auto* validator = new QDoubleValidator(-widestNumber, widestNumber, 6, field);
    validator->setNotation(QDoubleValidator::StandardNotation);
    field->setValidator(validator);
    connect(field, &QLineEdit::editingFinished, this,
            [this, field, value] { commitSpacing(field, value); });
    field->installEventFilter(this);
    spacing_.emplace_back(field, value);
    return field;
}

void GridSpacingTab::commitSpacing(QLineEdit* field, double Margins::*value) {
    bool ok = false;
    const double number = QLocale().toDouble(field->text(), &ok);
    field->setModified(false);
    if (ok) saveSetting(controller_, [&](AppSettings& s) { s.margins.*value = number; });
    refresh();
}

// A field left empty or half typed ("-") is not a number to save: it shows
// the stored value again.
bool GridSpacingTab::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        auto* field = qobject_cast<QLineEdit*>(watched);
        if (field && !field->hasAcceptableInput()) {
            field->setModified(false);
            refresh();
        }
    }
    return QWidget::eventFilter(watched, event);
}

void GridSpacingTab::refresh() {
    const AppSettings& settings = controller_.settings();
    for (const auto& [stepper, field] : steppers_) {
        const QSignalBlocker quiet(stepper);
        stepper->setValue(static_cast<int>(settings.grid.*field));
        stepper->setAccessibleName(stepper->prefix() + QString::number(settings.grid.*field));
    }
    showChecked(marginsEnabled_, settings.margins.enabled);
    for (const auto& [field, value] : spacing_)
        showText(field, shownNumber(settings.margins.*value));
    preview_->setMargins(settings.margins);
    switches_.show(settings);
}

}  // namespace corvane
