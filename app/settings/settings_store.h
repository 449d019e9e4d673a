#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>

#include "app/settings/file_snapshot.h"
#include "core/settings/app_settings.h"

namespace corvane {

// A save refused because the file changed on disk since the store last read or
// wrote it: writing would have silently replaced someone else's edit.
class SettingsFileChanged : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Owns settings.json: the only reader of it at start-up and its only writer
// afterwards. It copies settings from the folder earlier releases used, loads and
// upgrades them, and guards the user's file: a file that cannot be read is backed
// up before anything could overwrite it, and when even the backup fails, saving
// is refused until Corvane restarts or the file is fixed by hand. The same
// damaged file is backed up once.
// While Corvane runs, the file may be edited by hand: the store remembers what
// it last read or wrote, never saves over a change it has not read, and reads
// such a change without writing anything.
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
    // Validates, encodes and atomically replaces the file, or throws. Throws
    // SettingsFileChanged, writing nothing, when the file changed since the store
    // last read or wrote it; a deleted file is simply written again.
    void save(const AppSettings& settings);

    // What reading the file again found.
    struct Reread {
        enum class Outcome { unchanged, loaded, refused, missing };
        Outcome outcome = Outcome::unchanged;
        // unchanged because the file could not be looked at for now: ask again later.
        bool retry = false;
        // loaded: the settings to use, brought up to date like at start.
        AppSettings settings;
        // refused: why, as the loader says it (with line and column where it has them).
        std::string problem;
    };
    // Reads the file again after it changed outside Corvane, writing nothing. A
    // refused file blocks saving until it is fixed or removed; a loaded one lifts
    // every block, since what is on disk is then what Corvane shows.
    Reread reread();

    // The settings file. Empty only when no home folder could be found.
    const std::filesystem::path& url() const { return url_; }
    // The last problem with migrating, loading or upgrading, for the user.
    const std::optional<std::string>& loadError() const { return loadError_; }
    // Set while the file is one Corvane could not read and has no backup of
    // (the backup failed at start, or a hand edit was refused); blocks every save.
    bool unsafeToOverwrite() const { return unsafeToOverwrite_; }

private:
    // Temporary files of saves killed half-way, left in the settings folder.
    void removeAbandonedTemporaryFiles();
    void copyLegacySettings(const std::filesystem::path& configHome);
    AppSettings adoptUpgrade(const AppSettings& loaded, const AppSettings& upgraded);
    AppSettings recoverFromUnreadableFile(const std::exception& error);
    // The name of an earlier backup of an unreadable file with the same bytes as
    // the file now, if there is one.
    std::optional<std::string> identicalBackup() const;
    void ensureRoomForBackup() const;
    std::filesystem::path folder() const;
    std::string upgradeBackupName(int version) const;
    // Throws SettingsFileChanged when the file is not what the store last saw.
    void checkFileUnchanged();

    std::filesystem::path url_;
    std::optional<std::string> loadError_;
    bool unsafeToOverwrite_ = false;
    // A hand edit with older starter layouts is used upgraded; its file is copied
    // aside before the first save replaces it.
    std::optional<int> upgradeNeedsBackup_;
    // What the file held when the store last read or wrote it; none before that.
    std::optional<FileSnapshot> known_;
    Clock clock_;
};

}  // namespace corvane
