#include "app/updates/update_check_dialog.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/updates/app_updater.h"

namespace corvane {

namespace {

QLabel* makeLabel(bool bold) {
    auto* label = new QLabel;
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    return label;
}

}  // namespace

UpdateCheckDialog::UpdateCheckDialog(std::function<void(const QUrl&)> openUrl, QWidget* parent)
    : QDialog(parent), openUrl_(std::move(openUrl)) {
    setWindowTitle(QStringLiteral("Corvane"));
    setAttribute(Qt::WA_DeleteOnClose);
    title_ = makeLabel(true);
    detail_ = makeLabel(false);
    download_ = makeLabel(false);
    download_->hide();
    auto* buttons = new QDialogButtonBox;
    releasePage_ =
        buttons->addButton(QStringLiteral("Open Release Page"), QDialogButtonBox::ActionRole);
    releasePage_->setAccessibleName(releasePage_->text());
    close_ = buttons->addButton(QDialogButtonBox::Close);
    close_->setAccessibleName(QStringLiteral("Close"));
    connect(releasePage_, &QPushButton::clicked, this, [this] {
        if (openUrl_) {
            openUrl_(releaseUrl_);
        } else {
            QDesktopServices::openUrl(releaseUrl_);
        }
    });
    connect(close_, &QPushButton::clicked, this, &QDialog::close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title_);
    layout->addWidget(detail_);
    layout->addWidget(download_);
    layout->addWidget(buttons);
    setMinimumWidth(360);
}

void UpdateCheckDialog::present(const QString& title, const QString& detail) {
    download_->hide();
    title_->setText(title);
    title_->setAccessibleName(title);
    detail_->setText(detail);
    detail_->setAccessibleName(detail);
    detail_->setVisible(!detail.isEmpty());
    releasePage_->setVisible(releaseUrl_.isValid() && !releaseUrl_.isEmpty());
}

void UpdateCheckDialog::showChecking() {
    releaseUrl_.clear();
    present(QStringLiteral("Checking for updates\u2026"), {});
}

void UpdateCheckDialog::showUnavailable() {
    releaseUrl_.clear();
    present(QStringLiteral("Update checks are unavailable in this build."), {});
}

void UpdateCheckDialog::showOutcome(const UpdateCheckOutcome& outcome,
                                    const QString& currentVersion) {
    using Kind = UpdateCheckOutcome::Kind;
    releaseUrl_.clear();
    if (outcome.kind == Kind::available && outcome.release) {
        releaseUrl_ = outcome.release->releasePage;
        present(QStringLiteral("Corvane %1 is available").arg(outcome.release->version),
                QStringLiteral("You have version %1.").arg(currentVersion));
    } else if (outcome.kind == Kind::upToDate) {
        present(QStringLiteral("Corvane is up to date"),
                QStringLiteral("Version %1 is the newest version available.").arg(currentVersion));
    } else {
        present(QStringLiteral("Couldn\u2019t check for updates"), outcome.error);
    }
}

void UpdateCheckDialog::showDownloaded(const QString& path) {
    showDownloadNote(
        QStringLiteral("The release file was saved to %1. Install it with your package manager.")
            .arg(path));
}

void UpdateCheckDialog::showDownloadFailed(const QString& error) {
    showDownloadNote(QStringLiteral("The release file could not be downloaded: %1").arg(error));
}

void UpdateCheckDialog::showDownloadNote(const QString& text) {
    download_->setText(text);
    download_->setAccessibleName(text);
    download_->show();
}

QString UpdateCheckDialog::downloadNote() const {
    return download_->isHidden() ? QString() : download_->text();
}

QString UpdateCheckDialog::title() const {
    return title_->text();
}

QString UpdateCheckDialog::detail() const {
    return detail_->text();
}

}  // namespace corvane
