#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "core/settings/app_settings.h"

namespace corvane {

// Owns settings.json: the only reader of it at start-up and its only writer
// afterwards. It copies settings from the folder earlier releases used, loads and
// upgrades them, and guards the user's file: a file that cannot be read is backed
// up before anything could overwrite it, and when even the backup fails, saving
// is refused until Corvane restarts. The same damaged file is backed up once.
class SettingsStore {
public:
    // Whole seconds since 1970 (UTC); names the backups of unreadable files.
    using Clock = std::function<std::int64_t()>;

    // `directory` replaces the default folder, $XDG_CONFIG_HOME/corvane, and then
    // no legacy file is looked for. Creation never fails; problems end up in
    // loadError().
    explicit SettingsStore(std::optional<std::filesystem::path> directory = std::nullopt,
                           Clock clock = {});

    // $XDG_CONFIG_HOME when set to an absolute path, else ~/.config (HOME, then
    // the password database). None when no home folder can be found at all.
    static std::optional<std::filesystem::path> configHome();

    // The settings to use; never fails. Defaults when there is no file yet.
    AppSettings load();
    // Validates, encodes and atomically replaces the file, or throws.
    void save(const AppSettings& settings);

    // The settings file. Empty only when no home folder could be found.
    const std::filesystem::path& url() const { return url_; }
    // The last problem with migrating, loading or upgrading, for the user.
    const std::optional<std::string>& loadError() const { return loadError_; }
    // Set once an unreadable file could not be backed up; blocks every save.
    bool unsafeToOverwrite() const { return unsafeToOverwrite_; }

private:
    void copyLegacySettings(const std::filesystem::path& configHome);
    AppSettings adoptUpgrade(const AppSettings& loaded, const AppSettings& upgraded);
    AppSettings recoverFromUnreadableFile(const std::exception& error);
    // The name of an earlier backup of an unreadable file with the same bytes as
    // the file now, if there is one.
    std::optional<std::string> identicalBackup() const;
    void ensureRoomForBackup() const;
    std::filesystem::path folder() const;

    std::filesystem::path url_;
    std::optional<std::string> loadError_;
    bool unsafeToOverwrite_ = false;
    Clock clock_;
};

}  // namespace corvane
