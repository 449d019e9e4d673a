#pragma once

#include <filesystem>

#include "core/settings/app_settings.h"

// Brings settings from earlier releases up to date: the starter layouts they
// seeded, and the file in the folder they used.
namespace corvane::SettingsMigration {

// Upgrades the starter layouts to the current generation without disturbing
// anything the user changed. Returns the input unchanged when nothing is due.
// Throws SettingsError when the input or the result fails validation.
AppSettings migrate(const AppSettings& settings);

// Copies the settings at `legacyFile` to `currentFile` in canonical form when
// there is a legacy file and no current one. The legacy file is never changed,
// and no temporary file is left behind on any path. Throws what failed.
void moveLegacyFile(const std::filesystem::path& legacyFile,
                    const std::filesystem::path& currentFile);

}  // namespace corvane::SettingsMigration
