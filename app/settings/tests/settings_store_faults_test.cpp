// Corvane killed at any step of writing its settings, and two processes saving
// at once: the settings file always loads as it was or as it was to become,
// backups are whole, and what a killed write left behind is cleared at the next
// start.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>

#include "app/settings/settings_store.h"
#include "core/settings/settings_codec.h"
#include "core/settings/settings_leftovers.h"
#include "core/settings/settings_migration.h"
#include "core/testing/injected_faults.h"
#include "core/testing/temp_dir.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using namespace corvane::testing;

const std::int64_t kSecond = 1'700'000'000;

// Runs `action` in a child process; true when it was killed, false when it ended.
bool killedWhileRunning(const std::function<void()>& action) {
    const pid_t child = ::fork();
    if (child == 0) {
        try {
            action();
        } catch (...) {
            ::_exit(2);
        }
        ::_exit(0);
    }
    int status = 0;
    EXPECT_EQ(::waitpid(child, &status, 0), child);
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) return true;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
    return false;
}

std::int64_t secondsNow() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

struct KilledWrites : ::testing::Test {
    TempDir dir;
    fs::path folder = dir / "corvane";
    fs::path file = folder / "settings.json";
    std::optional<std::string> savedXdg;

    void SetUp() override {
        if (const char* xdg = ::getenv("XDG_CONFIG_HOME")) savedXdg = xdg;
        ::setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    }
    void TearDown() override {
        savedXdg ? ::setenv("XDG_CONFIG_HOME", savedXdg->c_str(), 1)
                 : ::unsetenv("XDG_CONFIG_HOME");
    }

    // Corvane as it starts with $XDG_CONFIG_HOME at `dir`.
    static SettingsStore store() {
        return SettingsStore(std::nullopt, [] { return kSecond; });
    }

    // Starts from `prepare`, kills `action` at each system call in turn, and
    // after each kill checks the folder with `check`, then starts Corvane again
    // and checks that nothing the killed write left behind remains. Returns the
    // number of steps the write had.
    int killAtEveryStep(const std::function<void()>& prepare, const std::function<void()>& action,
                        const std::function<void()>& check) {
        for (int at = 1;; ++at) {
            fs::remove_all(folder);
            prepare();
            const bool killed = killedWhileRunning([&] {
                const InjectedFaults faults(at, Fault::kill);
                action();
            });
            if (!killed) return at - 1;
            SCOPED_TRACE("killed before system call " + std::to_string(at));
            check();
            ageLeftovers();
            {
                const InjectedFaults unflushed(kNoCall, Fault::kill);
                SettingsStore next = store();
                next.load();
            }
            check();
            for (const std::string& name : namesIn(folder))
                EXPECT_FALSE(SettingsLeftovers::isLeftoverName(name)) << name;
        }
    }

    // Makes whatever a killed write left look abandoned for long enough.
    void ageLeftovers() const {
        const std::int64_t past = secondsNow() - 2 * SettingsLeftovers::abandonedAfterSeconds;
        const timespec times[2] = {{past, 0}, {past, 0}};
        for (const std::string& name : namesIn(folder)) {
            if (SettingsLeftovers::isLeftoverName(name))
                ::utimensat(AT_FDCWD, (folder / name).c_str(), times, 0);
        }
    }

    // Every backup named `prefix`... holds exactly `bytes`; every other entry is
    // the settings file or a temporary file.
    void expectWholeBackups(const std::string& prefix, const std::string& bytes) const {
        for (const std::string& name : namesIn(folder)) {
            if (name == "settings.json" || SettingsLeftovers::isLeftoverName(name)) continue;
            EXPECT_EQ(name.rfind(prefix, 0), 0u) << name;
            EXPECT_EQ(readFile(folder / name), bytes) << name;
        }
    }
    int backupsIn() const {
        int count = 0;
        for (const std::string& name : namesIn(folder))
            count += name != "settings.json" && !SettingsLeftovers::isLeftoverName(name);
        return count;
    }
};

// The upgrade adds a layout with a new id each time: names tell the result.
std::vector<std::string> namesOf(const std::vector<SavedLayout>& layouts) {
    std::vector<std::string> names;
    for (const SavedLayout& layout : layouts) names.push_back(layout.name);
    return names;
}

AppSettings someSettings(bool edited) {
    AppSettings settings;
    settings.cycleDisplays = edited;
    settings.layouts.resize(edited ? 3 : 7);
    return settings;
}

TEST_F(KilledWrites, ASaveKilledAtAnyStepLeavesTheOldOrTheNewFile) {
    const AppSettings before = someSettings(false), after = someSettings(true);
    const int steps = killAtEveryStep(
        [&] {
            fs::create_directories(folder);
            writeFile(file, SettingsCodec::encode(before));
        },
        [&] {
            SettingsStore running = store();
            running.load();
            running.save(after);
        },
        [&] {
            const AppSettings now = SettingsCodec::load(file);
            EXPECT_TRUE(now == before || now == after);
            EXPECT_EQ(backupsIn(), 0);
        });
    EXPECT_GE(steps, 8);
}

TEST_F(KilledWrites, AStartUpUpgradeKilledAtAnyStepKeepsWholeBackups) {
    AppSettings old;
    old.starterLayoutsVersion = 1;
    old.layouts.resize(5);
    const std::string oldBytes = SettingsCodec::encode(old);
    const AppSettings upgraded = SettingsMigration::migrate(old);
    ASSERT_NE(namesOf(upgraded.layouts), namesOf(old.layouts));
    const int steps = killAtEveryStep(
        [&] {
            fs::create_directories(folder);
            writeFile(file, oldBytes);
        },
        [&] {
            SettingsStore starting = store();
            starting.load();
        },
        [&] {
            const AppSettings now = SettingsCodec::load(file);
            const bool isUpgraded =
                now.starterLayoutsVersion == 3 && namesOf(now.layouts) == namesOf(upgraded.layouts);
            EXPECT_TRUE(now == old || isUpgraded);
            if (isUpgraded) {
                EXPECT_GE(backupsIn(), 1) << "upgraded before a backup";
            }
            expectWholeBackups("settings-before-presets-v3-", oldBytes);
        });
    EXPECT_GE(steps, 20);
}

TEST_F(KilledWrites, ADamagedFileIsNeverReplacedBeforeAWholeBackupExists) {
    const AppSettings after = someSettings(true);
    const int steps = killAtEveryStep(
        [&] {
            fs::create_directories(folder);
            writeFile(file, "{ damaged");
        },
        [&] {
            SettingsStore starting = store();
            starting.load();
            starting.save(after);
        },
        [&] {
            if (readFile(file) != "{ damaged") {
                EXPECT_EQ(SettingsCodec::load(file), after);
                EXPECT_GE(backupsIn(), 1) << "replaced before a backup";
            }
            expectWholeBackups("settings-invalid-", "{ damaged");
        });
    EXPECT_GE(steps, 20);
}

TEST_F(KilledWrites, TheFirstCopyFromTheEarlierFolderKilledAtAnyStepLeavesNoHalfFile) {
    const AppSettings earlier = someSettings(true);
    const fs::path legacy = dir / "pavolo" / "settings.json";
    fs::create_directories(legacy.parent_path());
    const std::string legacyBytes = SettingsCodec::encode(earlier);
    writeFile(legacy, legacyBytes);
    const int steps = killAtEveryStep([] {}, [&] { store(); },
                                      [&] {
                                          if (fs::exists(file)) {
                                              EXPECT_EQ(SettingsCodec::load(file), earlier);
                                          }
                                          EXPECT_EQ(backupsIn(), 0);
                                          EXPECT_EQ(readFile(legacy), legacyBytes);
                                      });
    EXPECT_GE(steps, 8);
}

TEST_F(KilledWrites, TwoProcessesSavingAtOnceNeverMixTheirFiles) {
    const AppSettings first = someSettings(false), second = someSettings(true);
    fs::create_directories(folder);
    writeFile(file, SettingsCodec::encode(first));
    const auto saveManyTimes = [&](const AppSettings& settings) {
        const pid_t child = ::fork();
        if (child == 0) {
            try {
                for (int i = 0; i < 40; ++i) store().save(settings);
            } catch (...) {
                ::_exit(1);
            }
            ::_exit(0);
        }
        return child;
    };
    const pid_t children[] = {saveManyTimes(first), saveManyTimes(second)};
    int running = 2;
    while (running > 0) {
        const AppSettings now = SettingsCodec::load(file);
        ASSERT_TRUE(now == first || now == second);
        for (const pid_t child : children) {
            int status = 0;
            if (::waitpid(child, &status, WNOHANG) != child) continue;
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
            --running;
        }
    }
    const AppSettings last = SettingsCodec::load(file);
    EXPECT_TRUE(last == first || last == second);
    EXPECT_EQ(namesIn(folder), std::vector<std::string>{"settings.json"});
}

}  // namespace
}  // namespace corvane
