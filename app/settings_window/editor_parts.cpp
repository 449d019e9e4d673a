#include "app/settings_window/editor_parts.h"

#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QPushButton>
#include <algorithm>

#include "app/controller/app_controller.h"
#include "app/controller/settings_actions.h"
#include "app/panel/panel_selection.h"
#include "app/style/panel_style.h"

namespace corvane {

namespace {

const char* const gridDescription = "Drag to choose the saved window position.";

class LayoutGridAccessible : public QAccessibleWidget {
public:
    explicit LayoutGridAccessible(LayoutGrid* grid)
        : QAccessibleWidget(grid, QAccessible::Graphic) {}

    QString text(QAccessible::Text t) const override {
        const auto* grid = static_cast<const LayoutGrid*>(widget());
        switch (t) {
            case QAccessible::Name:
                return QString::fromUtf8(LayoutGrid::accessibleNameText);
            case QAccessible::Description:
                return QString::fromUtf8(gridDescription);
            case QAccessible::Value:
                return selectionValue(grid->selection().region());
            default:
                return QAccessibleWidget::text(t);
        }
    }
    int childCount() const override { return 0; }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
};

QAccessibleInterface* layoutGridFactory(const QString&, QObject* object) {
    if (auto* grid = qobject_cast<LayoutGrid*>(object)) return new LayoutGridAccessible(grid);
    return nullptr;
}

}  // namespace

QLabel* makeNote(const QString& text, QWidget* parent) {
    auto* note = new QLabel(text, parent);
    note->setWordWrap(true);
    note->setAccessibleName(text);
    QFont small = note->font();
    small.setPointSizeF(small.pointSizeF() * 0.9);
    note->setFont(small);
    note->setForegroundRole(QPalette::PlaceholderText);
    return note;
}

QLabel* makeFieldLabel(const QString& text, QWidget* control) {
    auto* label = new QLabel(text);
    label->setAccessibleName(text);
    label->setBuddy(control);
    return label;
}

ErrorLine::ErrorLine(QWidget* parent) : QLabel(parent) {
    setWordWrap(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    QPalette red = palette();
    red.setColor(QPalette::WindowText, QColor(0xc0, 0x1c, 0x28));
    setPalette(red);
    hide();
}

void ErrorLine::showError(const std::optional<std::string>& message) {
    message_ = message;
    const QString text = message ? QString::fromStdString(*message) : QString();
    setText(text);
    setAccessibleName(text);
    setVisible(message.has_value());
}

// The panel's own factory answers for every TileGrid; this one is installed
// after it, and Qt asks the factories installed last first.
LayoutGrid::LayoutGrid(PanelSelection& selection, QWidget* parent) : TileGrid(selection, parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(layoutGridFactory);
        return true;
    }();
    (void)factoryInstalled;
    setAccessibleName(QString::fromUtf8(accessibleNameText));
    setAccessibleDescription(QString::fromUtf8(gridDescription));
    setMinimumSize(240, 150);
}

EditorButtons addEditorButtons(QDialog& dialog, const QString& saveText) {
    EditorButtons buttons;
    buttons.cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
    buttons.cancel->setAccessibleName(buttons.cancel->text());
    buttons.cancel->setAutoDefault(false);
    buttons.save = new QPushButton(saveText, &dialog);
    buttons.save->setAccessibleName(saveText);
    buttons.save->setDefault(true);
    QObject::connect(buttons.cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    return buttons;
}

void fitToContents(QDialog& dialog) {
    const int width = std::max(dialog.minimumWidth(), dialog.sizeHint().width());
    const int height = dialog.hasHeightForWidth() ? dialog.heightForWidth(width) : -1;
    dialog.resize(width, std::max(height, dialog.sizeHint().height()));
}

std::optional<std::string> storeLayout(AppController& controller, const SavedLayout& layout) {
    if (controller.settingsActions().saveLayout(layout)) {
        controller.setRecordingActive(false);
        return std::nullopt;
    }
    std::string reason = controller.settingsError().value_or("The layout could not be saved.");
    controller.setSettingsError(std::nullopt);
    return reason;
}

}  // namespace corvane
