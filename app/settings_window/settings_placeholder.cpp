#include "app/settings_window/settings_placeholder.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>

#include "app/controller/app_controller.h"
#include "app/settings/settings_store.h"

namespace corvane {

SettingsPlaceholder::SettingsPlaceholder(AppController& controller, QWidget* parent)
    : QWidget(parent, Qt::Window), controller_(controller) {
    setWindowTitle(QStringLiteral("Corvane Settings"));
    setMinimumWidth(480);

    auto* note = new QLabel(QStringLiteral(
        "This is a provisional window: the full settings window is not built yet. "
        "Until it is, settings can be changed in the file below while Corvane is not running."));
    note->setWordWrap(true);

    path_ = new QLabel;
    path_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    path_->setWordWrap(true);

    problems_ = new QLabel;
    problems_->setWordWrap(true);
    problems_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(note);
    layout->addWidget(path_);
    layout->addWidget(problems_);
    layout->addStretch();

    connect(&controller_, &AppController::stateChanged, this, &SettingsPlaceholder::refresh);
    refresh();
}

QString SettingsPlaceholder::problemsText() const {
    QStringList lines;
    if (const auto& error = controller_.settingsError()) lines << QString::fromStdString(*error);
    for (const std::string& warning : controller_.shortcutWarnings()) {
        lines << QString::fromStdString(warning);
    }
    return lines.join(QLatin1Char('\n'));
}

void SettingsPlaceholder::refresh() {
    const std::string file = controller_.store().url().string();
    path_->setText(QStringLiteral("Settings file: ") + QString::fromStdString(file));
    const QString problems = problemsText();
    problems_->setText(problems);
    problems_->setVisible(!problems.isEmpty());
}

void SettingsPlaceholder::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    controller_.handleSettingsWindowClosed();
}

}  // namespace corvane
