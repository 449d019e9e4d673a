#include "app/settings_window/update_settings_view.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/settings_window/settings_widgets.h"
#include "app/updates/app_updater.h"

namespace corvane {

UpdateSettingsView::UpdateSettingsView(AppUpdater& updater, QWidget* parent)
    : QWidget(parent), updater_(updater) {
    checks_ = makeSwitch(QStringLiteral("Automatically check for updates"));
    downloads_ = makeSwitch(QStringLiteral("Automatically download and install updates"));
    checkNow_ = new QPushButton(QStringLiteral("Check for Updates\u2026"));
    checkNow_->setAccessibleName(checkNow_->text());
    connect(checks_, &QCheckBox::toggled, this, [this](bool on) {
        updater_.setAutomaticallyChecks(on);
        refresh();
    });
    connect(downloads_, &QCheckBox::toggled, this, [this](bool on) {
        updater_.setAutomaticallyDownloads(on);
        refresh();
    });
    connect(checkNow_, &QPushButton::clicked, this, [this] { updater_.checkForUpdates(); });
    connect(&updater_, &AppUpdater::changed, this, &UpdateSettingsView::refresh);

    QLabel* note =
        makeNote(QStringLiteral("Updates are checked for authenticity before installation."));
    QFont small = note->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    note->setFont(small);
    auto* row = new QHBoxLayout;
    row->addWidget(note, 1);
    row->addWidget(checkNow_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(makeHeading(QStringLiteral("Updates")));
    layout->addWidget(checks_);
    layout->addWidget(downloads_);
    layout->addLayout(row);
    refresh();
}

void UpdateSettingsView::refresh() {
    showChecked(checks_, updater_.automaticallyChecks());
    showChecked(downloads_, updater_.automaticallyDownloads());
    // Kept as it was while checks are off, only not operable.
    downloads_->setEnabled(updater_.automaticallyChecks());
    checkNow_->setEnabled(updater_.canCheckForUpdates());
}

}  // namespace corvane
