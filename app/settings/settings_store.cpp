#include "app/settings/settings_store.h"

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <system_error>
#include <utility>
#include <vector>

#include "core/settings/durable_file.h"
#include "core/settings/settings_codec.h"
#include "core/settings/settings_leftovers.h"
#include "core/settings/settings_migration.h"

namespace corvane {

namespace fs = std::filesystem;

namespace {

const char* const kSaveBlocked =
    "Back up the original settings file before replacing it, then restart Corvane.";
// Only when neither the environment nor the password database names a home folder:
// Corvane runs on defaults and says why nothing sticks.
const char* const kNoFolder =
    "Couldn\u2019t find a folder for settings. Set HOME or XDG_CONFIG_HOME, then restart "
    "Corvane.";

std::int64_t secondsSince1970() {
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::seconds>(now).count();  // toward zero
}

// A folder from the environment counts only when absolute, as XDG asks.
std::optional<fs::path> absoluteFolder(const char* value) {
    if (value == nullptr || *value == '\0') return std::nullopt;
    const fs::path folder(value);
    if (!folder.is_absolute()) return std::nullopt;
    return folder;
}

std::optional<fs::path> homeFromPasswordDatabase() {
    std::vector<char> buffer(std::size_t{16} * 1024);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || !found) {
        return std::nullopt;
    }
    return absoluteFolder(found->pw_dir);
}

bool sameBytes(const fs::path& first, const fs::path& second) {
    std::ifstream a(first, std::ios::binary);
    std::ifstream b(second, std::ios::binary);
    if (!a || !b) return false;
    constexpr std::size_t chunk = std::size_t{64} * 1024;
    std::vector<char> bufferA(chunk);
    std::vector<char> bufferB(chunk);
    while (a && b) {
        a.read(bufferA.data(), static_cast<std::streamsize>(chunk));
        b.read(bufferB.data(), static_cast<std::streamsize>(chunk));
        if (a.gcount() != b.gcount()) return false;
        if (!std::equal(bufferA.begin(), bufferA.begin() + a.gcount(), bufferB.begin()))
            return false;
    }
    return a.eof() && b.eof();
}

}  // namespace

SettingsStore::SettingsStore(std::optional<fs::path> directory, Clock clock)
    : clock_(clock ? std::move(clock) : Clock(secondsSince1970)) {
    if (directory) {
        url_ = *directory / "settings.json";
        removeAbandonedTemporaryFiles();
        return;
    }
    const std::optional<fs::path> home = configHome();
    if (!home) {
        loadError_ = kNoFolder;
        return;
    }
    url_ = *home / "corvane" / "settings.json";
    removeAbandonedTemporaryFiles();
    copyLegacySettings(*home);
}

// Measured against the real time, not the clock that names backups: the files'
// times are real ones.
void SettingsStore::removeAbandonedTemporaryFiles() {
    SettingsLeftovers::removeAbandoned(folder(), secondsSince1970());
}

std::optional<fs::path> SettingsStore::configHome() {
    if (auto xdg = absoluteFolder(std::getenv("XDG_CONFIG_HOME"))) return xdg;
    if (auto home = absoluteFolder(std::getenv("HOME"))) return *home / ".config";
    if (auto home = homeFromPasswordDatabase()) return *home / ".config";
    return std::nullopt;
}

void SettingsStore::copyLegacySettings(const fs::path& configHome) {
    try {
        SettingsMigration::moveLegacyFile(configHome / "pavolo" / "settings.json", url_);
    } catch (const std::exception& error) {
        loadError_ =
            std::string("Your previous settings are safe, but migration failed: ") + error.what();
    }
}

AppSettings SettingsStore::load() {
    if (url_.empty()) return AppSettings();
    known_ = FileSnapshot::of(url_);
    std::error_code error;
    // When the folder cannot even be checked, reading will fail and be handled below.
    if (!fs::exists(url_, error) && !error) return AppSettings();
    std::optional<AppSettings> loaded;
    std::optional<AppSettings> upgraded;
    try {
        loaded = SettingsCodec::load(url_);
        upgraded = SettingsMigration::migrate(*loaded);
    } catch (const std::exception& failure) {
        return recoverFromUnreadableFile(failure);
    }
    if (*upgraded == *loaded) return std::move(*loaded);
    return adoptUpgrade(*loaded, *upgraded);
}

// The upgrade is written only once a copy of the old file exists; otherwise the
// old settings stay in use and the file is left alone until the next launch.
AppSettings SettingsStore::adoptUpgrade(const AppSettings& loaded, const AppSettings& upgraded) {
    try {
        DurableFile::copyNew(url_, folder() / upgradeBackupName(upgraded.starterLayoutsVersion));
        save(upgraded);
        return upgraded;
    } catch (const std::exception& error) {
        loadError_ = std::string(
                         "Couldn\u2019t save the updated starter layouts. Your saved "
                         "layouts are unchanged. ") +
                     error.what();
        return loaded;
    }
}

// A file that cannot be read is copied aside before anything may replace it. If
// even that fails (a read-only folder, or a backup of this second already there),
// saving stays blocked so the original survives.
AppSettings SettingsStore::recoverFromUnreadableFile(const std::exception& failure) {
    // Every start with the same damaged file would otherwise add one more copy of it.
    // This holds for a file refused unread for its size too: one copy keeps the
    // user's data without filling the disk start after start.
    if (const std::optional<std::string> earlier = identicalBackup()) {
        loadError_ = "Couldn\u2019t load saved settings. A backup was saved earlier as " +
                     *earlier + ". " + failure.what();
        return AppSettings();
    }
    const std::string name = "settings-invalid-" + std::to_string(clock_()) + ".json";
    try {
        ensureRoomForBackup();
        DurableFile::copyNew(url_, folder() / name);
        loadError_ = "Couldn\u2019t load saved settings. A backup was saved as " + name + ". " +
                     failure.what();
    } catch (const std::exception&) {
        unsafeToOverwrite_ = true;
        loadError_ =
            "Couldn\u2019t load or back up saved settings. Saving is blocked to protect the "
            "original file at " +
            url_.string() + ".";
    }
    return AppSettings();
}

std::optional<std::string> SettingsStore::identicalBackup() const {
    std::error_code error;
    const std::uintmax_t size = fs::file_size(url_, error);
    if (error) return std::nullopt;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder(), error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("settings-invalid-", 0) != 0 || entry.path().extension() != ".json")
            continue;
        std::error_code entryError;
        if (!entry.is_regular_file(entryError) || entry.file_size(entryError) != size) continue;
        if (!entryError && sameBytes(url_, entry.path())) return name;
    }
    return std::nullopt;
}

// A backup never takes the last of the disk: it must leave at least its own size free.
void SettingsStore::ensureRoomForBackup() const {
    const std::uintmax_t size = fs::file_size(url_);
    const fs::space_info space = fs::space(folder());
    if (space.available / 2 < size) {
        throw std::system_error(ENOSPC, std::generic_category(),
                                "Not enough free space for a backup of " + url_.string());
    }
}

std::string SettingsStore::upgradeBackupName(int version) const {
    return "settings-before-presets-v" + std::to_string(version) + "-" + Uuid::random().text() +
           ".json";
}

fs::path SettingsStore::folder() const {
    const fs::path parent = url_.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

void SettingsStore::save(const AppSettings& settings) {
    if (url_.empty()) throw SettingsError::invalid(kNoFolder);
    checkFileUnchanged();
    if (unsafeToOverwrite_) throw SettingsError::invalid(kSaveBlocked);
    std::string bytes = SettingsCodec::encode(settings);
    fs::create_directories(folder());
    if (upgradeNeedsBackup_) {
        std::error_code error;
        if (fs::exists(url_, error) || error)
            DurableFile::copyNew(url_, folder() / upgradeBackupName(*upgradeNeedsBackup_));
        upgradeNeedsBackup_.reset();
    }
    DurableFile::replaceAtomically(url_, bytes);
    known_ = FileSnapshot::ofBytes(std::move(bytes));
}

// A file that is gone holds nothing to lose: it is written again, and whatever
// blocked saving over it is over.
void SettingsStore::checkFileUnchanged() {
    if (!known_) return;
    const FileSnapshot now = FileSnapshot::of(url_);
    if (now.kind == FileSnapshot::Kind::missing) {
        unsafeToOverwrite_ = false;
        return;
    }
    if (now != *known_) throw SettingsFileChanged("The settings file was changed outside Corvane.");
}

SettingsStore::Reread SettingsStore::reread() {
    if (url_.empty()) return {};
    FileSnapshot now = FileSnapshot::of(url_);
    // Out of file descriptors for a moment is no news about the file.
    if (now.transient) {
        Reread later;
        later.retry = true;
        return later;
    }
    if (known_ && now == *known_) return {};
    const bool missing = now.kind == FileSnapshot::Kind::missing;
    known_ = std::move(now);
    upgradeNeedsBackup_.reset();
    unsafeToOverwrite_ = false;
    Reread result;
    if (missing) {
        result.outcome = Reread::Outcome::missing;
        return result;
    }
    try {
        const AppSettings loaded = SettingsCodec::load(url_);
        AppSettings upgraded = SettingsMigration::migrate(loaded);
        if (upgraded != loaded) upgradeNeedsBackup_ = upgraded.starterLayoutsVersion;
        result.outcome = Reread::Outcome::loaded;
        result.settings = std::move(upgraded);
    } catch (const std::exception& failure) {
        // Nothing was copied aside, so nothing may replace the file until the user
        // fixes or removes it.
        unsafeToOverwrite_ = true;
        result.outcome = Reread::Outcome::refused;
        result.problem = failure.what();
    }
    return result;
}

}  // namespace corvane
