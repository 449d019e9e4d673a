#include "app/settings_window/settings_file_dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>

namespace corvane {

namespace {

const char* const jsonFilter = "JSON files (*.json)";

}  // namespace

SettingsFileRequest exportRequest() {
    return {SettingsFileRequest::Kind::save, QStringLiteral("Export Corvane Settings"),
            QString::fromUtf8(jsonFilter), QStringLiteral("corvane-settings.json")};
}

// The dialog has no room for a message of its own: its title carries it.
SettingsFileRequest importRequest() {
    return {SettingsFileRequest::Kind::open,
            QStringLiteral("Import a Corvane settings export. This replaces your layouts and "
                           "preferences."),
            QString::fromUtf8(jsonFilter),
            {}};
}

std::optional<std::filesystem::path> runFileDialog(QWidget* parent,
                                                   const SettingsFileRequest& request) {
    QFileDialog dialog(parent, request.title, QDir::homePath());
    dialog.setNameFilter(request.filter);
    if (request.kind == SettingsFileRequest::Kind::save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.setDefaultSuffix(QStringLiteral("json"));
        dialog.selectFile(request.proposedName);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    // The file name's bytes as the file system has them, whatever their encoding.
    return std::filesystem::path(
        QFile::encodeName(dialog.selectedFiles().constFirst()).toStdString());
}

}  // namespace corvane
