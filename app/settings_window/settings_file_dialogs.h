#pragma once

#include <QString>
#include <filesystem>
#include <functional>
#include <optional>

class QWidget;

namespace corvane {

// What the settings window asks the user for when exporting or importing.
struct SettingsFileRequest {
    enum class Kind { save, open };
    Kind kind = Kind::save;
    QString title;
    QString filter;
    // The file name proposed for saving.
    QString proposedName;
};

// The export and import file choices.
SettingsFileRequest exportRequest();
SettingsFileRequest importRequest();

// Asks for a file; none when the user cancels.
using SettingsFileChooser =
    std::function<std::optional<std::filesystem::path>(const SettingsFileRequest&)>;

// The desktop's file dialog, modal over `parent`.
std::optional<std::filesystem::path> runFileDialog(QWidget* parent,
                                                   const SettingsFileRequest& request);

}  // namespace corvane
