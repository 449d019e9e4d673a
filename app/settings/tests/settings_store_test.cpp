#include "app/settings/settings_store.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>
#include <functional>
#include <regex>

#include "core/settings_codec.h"
#include "core/testing/file_size_limit.h"
#include "core/testing/temp_dir.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using testing::FileSizeLimit;
using testing::namesIn;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

const char* const kBlocked =
    "Back up the original settings file before replacing it, then restart Corvane.";
const std::int64_t kNow = 1'700'000'000;

SettingsStore::Clock fixedClock(std::int64_t seconds = kNow) {
    return [seconds] { return seconds; };
}

std::string saveProblem(SettingsStore& store, const AppSettings& settings) {
    try {
        store.save(settings);
        return "saved";
    } catch (const std::exception& error) {
        return error.what();
    }
}

// Sets an environment variable for one test and restores it afterwards.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = ::getenv(name)) saved_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { saved_ ? ::setenv(name_, saved_->c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> saved_;
};

AppSettings firstGeneration() {
    AppSettings settings;
    settings.starterLayoutsVersion = 1;
    settings.layouts.resize(5);
    return settings;
}

TEST(SettingsStore, FirstLaunchGivesDefaultsAndWritesNothing) {
    TempDir dir;
    SettingsStore store(dir / "corvane");
    EXPECT_EQ(store.url(), dir / "corvane" / "settings.json");
    const AppSettings settings = store.load();
    EXPECT_EQ(settings.layouts.size(), 10u);
    EXPECT_EQ(settings.activationShortcut, KeyCombo::defaultActivation());
    EXPECT_FALSE(store.loadError());
    EXPECT_FALSE(store.unsafeToOverwrite());
    EXPECT_FALSE(fs::exists(dir / "corvane"));
}

TEST(SettingsStore, SavedSettingsLoadBackAndFoldersAreCreated) {
    TempDir dir;
    SettingsStore store(dir / "a" / "b");
    AppSettings settings;
    settings.keepPanelOpen = true;
    settings.layouts.pop_back();
    store.save(settings);
    EXPECT_EQ(readFile(store.url()), SettingsCodec::encode(settings));
    EXPECT_EQ(SettingsStore(dir / "a" / "b").load(), settings);
    EXPECT_EQ(namesIn(dir / "a" / "b"), std::vector<std::string>{"settings.json"});
}

TEST(SettingsStore, RefusedSettingsLeaveTheFileAlone) {
    TempDir dir;
    SettingsStore store(dir.path());
    const AppSettings good;
    store.save(good);
    AppSettings bad = good;
    bad.layouts[0].name = " ";
    EXPECT_EQ(saveProblem(store, bad), "Every layout needs a name and a valid grid selection.");
    EXPECT_EQ(readFile(store.url()), SettingsCodec::encode(good));
}

TEST(SettingsStore, DefaultFolderFollowsXdgConfigHome) {
    TempDir dir;
    {
        const ScopedEnv xdg("XDG_CONFIG_HOME", dir.path().c_str());
        EXPECT_EQ(SettingsStore().url(), dir / "corvane" / "settings.json");
    }
    {
        const ScopedEnv xdg("XDG_CONFIG_HOME", "relative/config");  // ignored, as XDG asks
        const ScopedEnv home("HOME", dir.path().c_str());
        EXPECT_EQ(SettingsStore().url(), dir / ".config" / "corvane" / "settings.json");
    }
    const ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
    const ScopedEnv home("HOME", nullptr);
    const auto fallback = SettingsStore::configHome();
    // The password database names root's or the test user's home folder.
    ASSERT_TRUE(fallback);
    EXPECT_EQ(fallback->filename(), ".config");
}

TEST(SettingsStore, LegacySettingsAreCopiedOnceAndLeftUntouched) {
    TempDir dir;
    const ScopedEnv xdg("XDG_CONFIG_HOME", dir.path().c_str());
    AppSettings old;
    old.cycleDisplays = true;
    const std::string legacyBytes = nlohmann::json::parse(SettingsCodec::encode(old)).dump();
    fs::create_directories(dir / "pavolo");
    writeFile(dir / "pavolo" / "settings.json", legacyBytes);

    SettingsStore store;
    EXPECT_FALSE(store.loadError());
    EXPECT_EQ(readFile(store.url()), SettingsCodec::encode(old));
    EXPECT_EQ(store.load(), old);
    EXPECT_EQ(readFile(dir / "pavolo" / "settings.json"), legacyBytes);
    EXPECT_EQ(namesIn(dir / "corvane"), std::vector<std::string>{"settings.json"});
}

TEST(SettingsStore, AnInvalidLegacyFileIsReportedAndNotCopied) {
    TempDir dir;
    const ScopedEnv xdg("XDG_CONFIG_HOME", dir.path().c_str());
    nlohmann::json document = nlohmann::json::parse(SettingsCodec::encode(AppSettings()));
    document["grid"]["columns"] = 30;
    fs::create_directories(dir / "pavolo");
    writeFile(dir / "pavolo" / "settings.json", document.dump());

    SettingsStore store;
    EXPECT_EQ(store.loadError(),
              "Your previous settings are safe, but migration failed: Grid sizes must be "
              "1\u201320; margins must be 0\u2013300.");
    EXPECT_FALSE(fs::exists(store.url()));
    EXPECT_EQ(store.load().layouts.size(), 10u);
}

TEST(SettingsStore, ADamagedFileIsBackedUpThenReplacedBySaving) {
    TempDir dir;
    writeFile(dir / "settings.json", "{ damaged");
    SettingsStore store(dir.path(), fixedClock());
    const AppSettings settings = store.load();
    EXPECT_EQ(settings.layouts.size(), 10u);
    EXPECT_EQ(store.loadError(),
              "Couldn\u2019t load saved settings. A backup was saved as "
              "settings-invalid-1700000000.json. The settings file is not valid JSON (line 1, "
              "column 3).");
    EXPECT_FALSE(store.unsafeToOverwrite());
    EXPECT_EQ(readFile(dir / "settings-invalid-1700000000.json"), "{ damaged");
    store.save(settings);
    EXPECT_EQ(SettingsCodec::load(store.url()), settings);
    EXPECT_EQ(readFile(dir / "settings-invalid-1700000000.json"), "{ damaged");
}

TEST(SettingsStore, TwoDamagedLoadsInOneSecondBlockSaving) {
    TempDir dir;
    writeFile(dir / "settings.json", "not json");
    SettingsStore first(dir.path(), fixedClock());
    first.load();
    EXPECT_FALSE(first.unsafeToOverwrite());
    writeFile(dir / "settings.json", "damaged again");

    // The backup name of this second is taken: the second copy cannot be made.
    SettingsStore second(dir.path(), fixedClock());
    second.load();
    EXPECT_TRUE(second.unsafeToOverwrite());
    EXPECT_EQ(second.loadError(),
              "Couldn\u2019t load or back up saved settings. Saving is blocked to protect the "
              "original file at " +
                  (dir / "settings.json").string() + ".");
    EXPECT_EQ(saveProblem(second, AppSettings()), kBlocked);
    EXPECT_EQ(saveProblem(second, AppSettings()), kBlocked);
    EXPECT_EQ(readFile(dir / "settings.json"), "damaged again");
    EXPECT_EQ(readFile(dir / "settings-invalid-1700000000.json"), "not json");
}

TEST(SettingsStore, ABackupThatCannotBeWrittenBlocksSaving) {
    TempDir dir;
    const std::string damaged(8192, '{');
    writeFile(dir / "settings.json", damaged);
    SettingsStore store(dir.path(), fixedClock());
    {
        const FileSizeLimit limit(1024);
        store.load();
    }
    EXPECT_TRUE(store.unsafeToOverwrite());
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"settings.json"});
    EXPECT_EQ(saveProblem(store, AppSettings()), kBlocked);
    EXPECT_EQ(readFile(dir / "settings.json"), damaged);
}

// Runs `check` as an ordinary user when the tests run as root, for whom
// permissions do not hold: in a child process that drops to "nobody".
bool asOrdinaryUser(const std::function<bool()>& check) {
    if (::geteuid() != 0) return check();
    const pid_t child = ::fork();
    if (child == 0) {
        const bool dropped = ::setgid(65534) == 0 && ::setuid(65534) == 0;
        ::_exit(dropped && check() ? 0 : 1);
    }
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

TEST(SettingsStore, AReadOnlyFolderBlocksSaving) {
    TempDir dir;
    writeFile(dir / "settings.json", "[]");
    ::chmod((dir / "settings.json").c_str(), 0644);
    ::chmod(dir.path().c_str(), 0555);
    const bool blocked = asOrdinaryUser([&] {
        SettingsStore store(dir.path(), fixedClock());
        store.load();
        return store.unsafeToOverwrite() && saveProblem(store, AppSettings()) == kBlocked;
    });
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_TRUE(blocked);
    EXPECT_EQ(readFile(dir / "settings.json"), "[]");
    EXPECT_EQ(namesIn(dir.path()).size(), 1u) << "nothing was written beside the file";
}

TEST(SettingsStore, APipeInPlaceOfTheFileIsNeitherReadNorReplaced) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "settings.json").c_str(), 0600), 0);
    SettingsStore store(dir.path(), fixedClock());
    store.load();  // must not wait for a writer
    EXPECT_TRUE(store.unsafeToOverwrite());
    EXPECT_EQ(saveProblem(store, AppSettings()), kBlocked);
    EXPECT_TRUE(fs::is_fifo(dir / "settings.json"));
}

TEST(SettingsStore, FirstGenerationIsBackedUpThenUpgradedAndSaved) {
    TempDir dir;
    const AppSettings old = firstGeneration();
    const std::string oldBytes = SettingsCodec::encode(old);
    writeFile(dir / "settings.json", oldBytes);
    SettingsStore store(dir.path());
    const AppSettings loaded = store.load();
    EXPECT_FALSE(store.loadError());
    EXPECT_EQ(loaded.starterLayoutsVersion, 3);
    EXPECT_EQ(loaded.layouts.size(), 6u);  // "Center" added after "Maximize"
    EXPECT_EQ(SettingsCodec::load(store.url()), loaded);
    const auto names = namesIn(dir.path());
    ASSERT_EQ(names.size(), 2u);
    const std::regex backup(
        "settings-before-presets-v3-[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\.json");
    EXPECT_TRUE(std::regex_match(names[0], backup)) << names[0];
    EXPECT_EQ(readFile(dir / names[0]), oldBytes);
}

TEST(SettingsStore, AnUpgradeWithoutBackupKeepsTheOldSettings) {
    TempDir dir;
    const AppSettings old = firstGeneration();
    const std::string oldBytes = SettingsCodec::encode(old);
    writeFile(dir / "settings.json", oldBytes);
    SettingsStore store(dir.path());
    AppSettings loaded;
    {
        const FileSizeLimit limit(256);
        loaded = store.load();
    }
    EXPECT_EQ(loaded, old);
    ASSERT_TRUE(store.loadError());
    EXPECT_EQ(store.loadError()->rfind("Couldn\u2019t save the updated starter layouts. Your saved "
                                       "layouts are unchanged. Could not write ",
                                       0),
              0u)
        << *store.loadError();
    EXPECT_FALSE(store.unsafeToOverwrite());
    EXPECT_EQ(readFile(dir / "settings.json"), oldBytes);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"settings.json"});
}

TEST(SettingsStore, CurrentGenerationIsNeitherBackedUpNorRewritten) {
    TempDir dir;
    const AppSettings current;
    const std::string compact = nlohmann::json::parse(SettingsCodec::encode(current)).dump();
    writeFile(dir / "settings.json", compact);
    SettingsStore store(dir.path());
    EXPECT_EQ(store.load(), current);
    EXPECT_FALSE(store.loadError());
    EXPECT_EQ(readFile(dir / "settings.json"), compact);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"settings.json"});
}

TEST(SettingsStore, ASaveCutShortLeavesTheOldFileIntact) {
    TempDir dir;
    SettingsStore store(dir.path());
    AppSettings before;
    before.layouts.resize(1);
    store.save(before);
    const std::string beforeBytes = readFile(store.url());
    const AppSettings after;  // ten layouts: several kilobytes
    {
        const FileSizeLimit limit(beforeBytes.size() + 100);
        EXPECT_THROW(store.save(after), std::system_error);
    }
    EXPECT_EQ(readFile(store.url()), beforeBytes);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"settings.json"});
    EXPECT_EQ(SettingsStore(dir.path()).load(), before);
}

TEST(SettingsStore, ATemporaryFileLeftByACrashIsIgnored) {
    TempDir dir;
    SettingsStore store(dir.path());
    const AppSettings settings;
    store.save(settings);
    const std::string half = SettingsCodec::encode(AppSettings()).substr(0, 700);
    writeFile(dir / ".settings.json.0B2A7C2E-1111-4222-8333-444455556666.tmp", half);
    SettingsStore next(dir.path());
    EXPECT_EQ(next.load(), settings);
    EXPECT_FALSE(next.loadError());
}

}  // namespace
}  // namespace corvane
