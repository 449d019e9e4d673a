// The settings file as Corvane keeps it: first launch, earlier releases, damaged
// files and the backups that protect them, and saves that never half-happen.
#include "app/settings/settings_store.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <nlohmann/json.hpp>
#include <regex>

#include "core/settings/settings_codec.h"
#include "core/testing/file_size_limit.h"
#include "core/testing/temp_dir.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using namespace corvane::testing;
using Names = std::vector<std::string>;

const char* const kBlocked =
    "Back up the original settings file before replacing it, then restart Corvane.";
const char* const kBackup = "settings-invalid-1700000000.json";

// A store over a fresh folder whose clock always says 1,700,000,000.
struct StoreTest : ::testing::Test {
    TempDir dir;
    fs::path file = dir / "settings.json";
    SettingsStore store() {
        return SettingsStore(dir.path(), [] { return 1'700'000'000; });
    }
};

std::string saveProblem(SettingsStore& store, const AppSettings& settings = {}) {
    try {
        store.save(settings);
        return "saved";
    } catch (const std::exception& error) {
        return error.what();
    }
}

std::string compact(const AppSettings& settings) {
    return nlohmann::json::parse(SettingsCodec::encode(settings)).dump();
}

// Sets an environment variable (none: unsets it) and restores it afterwards.
struct ScopedEnv {
    ScopedEnv(const char* name, const char* value) : name(name) {
        if (const char* old = ::getenv(name)) saved = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { saved ? ::setenv(name, saved->c_str(), 1) : ::unsetenv(name); }
    const char* name;
    std::optional<std::string> saved;
};

TEST_F(StoreTest, FirstLaunchGivesDefaultsAndTheLegacyFileIsCopiedOnce) {
    const ScopedEnv xdg("XDG_CONFIG_HOME", dir.path().c_str());
    SettingsStore fresh;
    EXPECT_EQ(fresh.url(), dir / "corvane" / "settings.json");
    EXPECT_EQ(fresh.load().layouts.size(), 10u);
    EXPECT_FALSE(fresh.loadError() || fs::exists(dir / "corvane"));

    fs::create_directories(dir / "pavolo");
    nlohmann::json invalid = nlohmann::json::parse(SettingsCodec::encode(AppSettings()));
    invalid["grid"]["columns"] = 30;
    writeFile(dir / "pavolo" / "settings.json", invalid.dump());
    EXPECT_EQ(SettingsStore().loadError(),
              "Your previous settings are safe, but migration failed: Grid "
              "sizes must be 1\u201320; margins must be 0\u2013300.");
    EXPECT_FALSE(fs::exists(dir / "corvane"));

    AppSettings old;
    old.cycleDisplays = true;
    writeFile(dir / "pavolo" / "settings.json", compact(old));
    SettingsStore store;
    EXPECT_FALSE(store.loadError());
    EXPECT_EQ(store.load(), old);
    EXPECT_EQ(readFile(store.url()), SettingsCodec::encode(old));
    EXPECT_EQ(readFile(dir / "pavolo" / "settings.json"), compact(old));
    AppSettings refused = old;
    refused.layouts[0].name = " ";
    EXPECT_EQ(saveProblem(store, refused), "Every layout needs a name and a valid grid selection.");
    EXPECT_EQ(SettingsStore().load(), old);
    EXPECT_EQ(namesIn(dir / "corvane"), Names{"settings.json"});
}

TEST_F(StoreTest, ADamagedFileIsBackedUpAndASecondOneInTheSameSecondBlocksSaving) {
    writeFile(file, "{ damaged");
    SettingsStore first = store();
    EXPECT_EQ(first.load().layouts.size(), 10u);
    EXPECT_EQ(first.loadError(),
              std::string("Couldn\u2019t load saved settings. A backup was saved as ") + kBackup +
                  ". The settings file is not valid JSON (line 1, column 3).");
    EXPECT_FALSE(first.unsafeToOverwrite());
    const AppSettings recovered;
    EXPECT_EQ(saveProblem(first, recovered), "saved");
    EXPECT_EQ(SettingsCodec::load(file), recovered);
    EXPECT_EQ(readFile(dir / kBackup), "{ damaged");

    // The backup name of this second is taken: the second copy cannot be made.
    writeFile(file, "damaged again");
    SettingsStore second = store();
    second.load();
    EXPECT_TRUE(second.unsafeToOverwrite());
    EXPECT_EQ(second.loadError(),
              "Couldn\u2019t load or back up saved settings. Saving is blocked to "
              "protect the original file at " +
                  file.string() + ".");
    EXPECT_EQ(saveProblem(second), kBlocked);
    EXPECT_EQ(readFile(file), "damaged again");
    EXPECT_EQ(readFile(dir / kBackup), "{ damaged");
}

TEST_F(StoreTest, TheSameDamagedFileIsBackedUpOnceHoweverOftenCorvaneStarts) {
    std::int64_t now = 1'700'000'000;
    const auto startAt = [&](std::int64_t second) {
        now = second;
        SettingsStore store(dir.path(), [&] { return now; });
        store.load();
        return store;
    };
    writeFile(file, "{ damaged");
    startAt(1'700'000'000);
    for (const std::int64_t later : {1'700'000'100, 1'700'000'200}) {
        const SettingsStore again = startAt(later);
        EXPECT_EQ(again.loadError(),
                  std::string("Couldn\u2019t load saved settings. A backup was saved earlier as ") +
                      kBackup + ". The settings file is not valid JSON (line 1, column 3).");
        EXPECT_FALSE(again.unsafeToOverwrite());
    }
    EXPECT_EQ(namesIn(dir.path()), (Names{kBackup, "settings.json"}));

    // Other damage is other data: it gets its own copy.
    writeFile(file, "{ damaged differently");
    EXPECT_EQ(startAt(1'700'000'300).loadError()->find("earlier"), std::string::npos);
    EXPECT_EQ(readFile(dir / "settings-invalid-1700000300.json"), "{ damaged differently");
    EXPECT_EQ(readFile(dir / kBackup), "{ damaged");
}

TEST_F(StoreTest, AFileTooLargeToLoadIsCopiedAsideOnceNotAtEveryStart) {
    std::string big = SettingsCodec::encode(AppSettings());
    big.append(SettingsCodec::maximumBytes + 1 - big.size(), ' ');
    writeFile(file, big);
    for (const std::int64_t second : {1'700'000'000, 1'700'000'100, 1'700'000'200}) {
        SettingsStore starting(dir.path(), [&] { return second; });
        EXPECT_EQ(starting.load().layouts.size(), AppSettings().layouts.size());
        const std::string problem = starting.loadError().value_or("");
        EXPECT_NE(problem.find(kBackup), std::string::npos) << problem;
        EXPECT_NE(problem.find("Settings files must be smaller than 2 MB."), std::string::npos);
        EXPECT_FALSE(starting.unsafeToOverwrite());
    }
    EXPECT_EQ(namesIn(dir.path()), (Names{kBackup, "settings.json"}));
    EXPECT_EQ(readFile(dir / kBackup), big);
}

// Runs `check` as an ordinary user when the tests run as root, for whom
// permissions do not hold: in a child process that drops to "nobody".
bool asOrdinaryUser(const std::function<bool()>& check) {
    if (::geteuid() != 0) return check();
    const pid_t child = ::fork();
    if (child == 0) ::_exit(::setgid(65534) == 0 && ::setuid(65534) == 0 && check() ? 0 : 1);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) &&
           WEXITSTATUS(status) == 0;
}

TEST_F(StoreTest, AReadOnlyFolderBlocksSaving) {
    writeFile(file, "[]");
    ::chmod(file.c_str(), 0644);
    ::chmod(dir.path().c_str(), 0555);
    const bool blocked = asOrdinaryUser([&] {
        SettingsStore readOnly = store();
        readOnly.load();
        return readOnly.unsafeToOverwrite() && saveProblem(readOnly) == kBlocked;
    });
    ::chmod(dir.path().c_str(), 0755);
    EXPECT_TRUE(blocked);
    EXPECT_EQ(readFile(file), "[]");
    EXPECT_EQ(namesIn(dir.path()), Names{"settings.json"});
}

TEST_F(StoreTest, OlderStarterLayoutsAreBackedUpThenUpgradedOnlyWhenTheBackupIsMade) {
    AppSettings old;
    old.starterLayoutsVersion = 1;
    old.layouts.resize(5);
    const std::string oldBytes = SettingsCodec::encode(old);
    writeFile(file, oldBytes);
    {
        const FileSizeLimit limit(256);  // no room for the backup: nothing changes
        SettingsStore store = this->store();
        EXPECT_EQ(store.load(), old);
        EXPECT_EQ(store.loadError().value_or("").rfind(
                      "Couldn\u2019t save the updated starter layouts. Your "
                      "saved layouts are unchanged. Could not write ",
                      0),
                  0u);
    }
    EXPECT_EQ(namesIn(dir.path()), Names{"settings.json"});

    const AppSettings loaded = store().load();
    EXPECT_EQ(loaded.starterLayoutsVersion, 3);
    EXPECT_EQ(loaded.layouts.size(), 6u);  // "Center" added after "Maximize"
    EXPECT_EQ(SettingsCodec::load(file), loaded);
    const Names names = namesIn(dir.path());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_TRUE(std::regex_match(names[0], std::regex("settings-before-presets-v3-[0-9A-F]{8}"
                                                      "(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\.json")));
    EXPECT_EQ(readFile(dir / names[0]), oldBytes);
}

TEST_F(StoreTest, ASaveCutShortLeavesTheOldFileIntact) {
    SettingsStore saving = store();
    AppSettings before;
    before.layouts.resize(1);
    saving.save(before);
    const std::string beforeBytes = readFile(file);
    {
        const FileSizeLimit limit(beforeBytes.size() + 100);
        EXPECT_THROW(saving.save(AppSettings()), std::system_error);
    }
    EXPECT_EQ(readFile(file), beforeBytes);
    EXPECT_EQ(namesIn(dir.path()), Names{"settings.json"});
    EXPECT_EQ(store().load(), before);
}

using Outcome = SettingsStore::Reread::Outcome;

TEST_F(StoreTest, AHandEditIsReadAgainWithoutWritingAndAnInvalidOneBlocksSaving) {
    SettingsStore running = store();
    running.save(AppSettings());
    EXPECT_EQ(running.reread().outcome, Outcome::unchanged) << "its own save";

    AppSettings edited;
    edited.cycleDisplays = true;
    writeFile(file, compact(edited));  // hand-written: other bytes than Corvane's
    SettingsStore::Reread reread = running.reread();
    EXPECT_EQ(reread.outcome, Outcome::loaded);
    EXPECT_EQ(reread.settings, edited);
    EXPECT_EQ(running.reread().outcome, Outcome::unchanged);

    writeFile(file, "{ damaged");
    reread = running.reread();
    EXPECT_EQ(reread.outcome, Outcome::refused);
    EXPECT_EQ(reread.problem, "The settings file is not valid JSON (line 1, column 3).");
    EXPECT_TRUE(running.unsafeToOverwrite());
    EXPECT_EQ(saveProblem(running), kBlocked);
    EXPECT_EQ(readFile(file), "{ damaged");
    EXPECT_EQ(namesIn(dir.path()), Names{"settings.json"}) << "no backup, nothing written";

    writeFile(file, compact(edited));
    EXPECT_EQ(running.reread().outcome, Outcome::loaded);
    EXPECT_FALSE(running.unsafeToOverwrite());
    EXPECT_EQ(saveProblem(running), "saved");

    // A deleted file holds nothing to protect: the next save writes it again.
    writeFile(file, "{ damaged");
    EXPECT_EQ(running.reread().outcome, Outcome::refused);
    fs::remove(file);
    EXPECT_EQ(running.reread().outcome, Outcome::missing);
    EXPECT_FALSE(fs::exists(file));
    EXPECT_EQ(saveProblem(running, edited), "saved");
    EXPECT_EQ(SettingsCodec::load(file), edited);
}

// Running out of file descriptors says nothing about the file: the edit is
// read once descriptors are back, and saving is never blocked meanwhile.
TEST_F(StoreTest, AFileThatCannotBeOpenedForWantOfDescriptorsIsAskedForAgain) {
    SettingsStore running = store();
    running.save(AppSettings());
    AppSettings edited;
    edited.cycleDisplays = true;
    writeFile(file, compact(edited));

    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &before), 0);
    // No descriptor number below the lowest free one is free.
    const int lowestFree = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(lowestFree, 0) << std::strerror(errno);
    ::close(lowestFree);
    rlimit none = before;
    none.rlim_cur = rlim_t(lowestFree);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
    const SettingsStore::Reread starved = running.reread();
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &before), 0);
    EXPECT_EQ(starved.outcome, Outcome::unchanged);
    EXPECT_TRUE(starved.retry);
    EXPECT_FALSE(running.unsafeToOverwrite());

    const SettingsStore::Reread later = running.reread();
    EXPECT_EQ(later.outcome, Outcome::loaded);
    EXPECT_EQ(later.settings, edited);
}

TEST_F(StoreTest, ASaveNeverReplacesAnEditTheStoreHasNotRead) {
    SettingsStore firstLaunch = store();
    firstLaunch.load();
    const std::string handWritten = compact(AppSettings());
    writeFile(file, handWritten);  // created by hand before Corvane's first save
    EXPECT_EQ(saveProblem(firstLaunch), "The settings file was changed outside Corvane.");
    EXPECT_THROW(firstLaunch.save(AppSettings()), SettingsFileChanged);
    EXPECT_EQ(readFile(file), handWritten);
    EXPECT_EQ(firstLaunch.reread().outcome, Outcome::loaded);
    EXPECT_EQ(saveProblem(firstLaunch), "saved");

    // A store that never read the file (a fresh one that only saves) has nothing
    // to compare with.
    writeFile(file, "{ damaged");
    EXPECT_EQ(saveProblem(firstLaunch), "The settings file was changed outside Corvane.");
    SettingsStore onlySaves = store();
    EXPECT_EQ(saveProblem(onlySaves), "saved");
}

TEST_F(StoreTest, AHandEditWithOlderStarterLayoutsIsUpgradedAndBackedUpAtTheNextSave) {
    SettingsStore running = store();
    running.save(AppSettings());
    AppSettings old;
    old.starterLayoutsVersion = 1;
    old.layouts.resize(5);
    const std::string oldBytes = SettingsCodec::encode(old);
    writeFile(file, oldBytes);
    const SettingsStore::Reread reread = running.reread();
    ASSERT_EQ(reread.outcome, Outcome::loaded);
    EXPECT_EQ(reread.settings.starterLayoutsVersion, 3);
    EXPECT_EQ(reread.settings.layouts.size(), 6u);
    EXPECT_EQ(namesIn(dir.path()), Names{"settings.json"});

    running.save(reread.settings);
    const Names names = namesIn(dir.path());
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0].rfind("settings-before-presets-v3-", 0), 0u);
    EXPECT_EQ(readFile(dir / names[0]), oldBytes);
    running.save(AppSettings());
    EXPECT_EQ(namesIn(dir.path()).size(), 2u) << "one backup per upgrade";
}

}  // namespace
}  // namespace corvane
