// Writes of the settings file under failing system calls: whichever step fails,
// and however, the file that was there stays whole, a backup is complete or
// absent, no temporary file is left behind, and the error says what failed.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <set>

#include "core/settings/durable_file.h"
#include "core/settings/settings_codec.h"
#include "core/settings/settings_migration.h"
#include "core/testing/injected_faults.h"
#include "core/testing/temp_dir.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using namespace corvane::testing;
using Names = std::vector<std::string>;

const int kErrors[] = {ENOSPC, EIO, EROFS, EACCES};
constexpr auto npos = std::string::npos;

struct Attempt {
    std::string problem;  // empty when the call succeeded
    std::string struckCall;
    bool struck = false;
};

Attempt runWith(int at, Fault fault, int error, const std::function<void()>& action) {
    Attempt run;
    const InjectedFaults faults(at, fault, error);
    try {
        action();
    } catch (const std::exception& failure) {
        run.problem = failure.what();
    }
    run.struck = faults.struck();
    run.struckCall = faults.struckCall();
    return run;
}

// The message for the user: what failed, on which of the caller's files, and why.
bool namesStepFileAndCause(const std::string& problem, const fs::path& file, int error) {
    const std::string tail = " " + file.string() + ": " + std::strerror(error);
    return problem.rfind("Could not ", 0) == 0 && problem.size() > tail.size() &&
           problem.compare(problem.size() - tail.size(), tail.size(), tail) == 0;
}

struct DurableFileFaults : ::testing::Test {
    TempDir dir;
    fs::path file = dir / "settings.json";
    const std::string before = std::string(100'000, 'o') + "\n";
    const std::string after = std::string(150'000, 'n') + "\n";
    void SetUp() override { writeFile(file, before); }
    // Which of the two contents `path` holds, so a failure prints a word, not 100 kB.
    std::string contentOf(const fs::path& path) const {
        if (!fs::exists(path)) return "absent";
        const std::string bytes = readFile(path);
        if (bytes == before) return "before";
        if (bytes == after) return "after";
        return std::to_string(bytes.size()) + " other bytes";
    }
};

TEST_F(DurableFileFaults, AReplaceThatFailsAtAnyStepKeepsTheOldFileAndLeavesNothing) {
    std::set<std::string> failedCalls;
    for (const int error : kErrors) {
        for (int at = 1;; ++at) {
            writeFile(file, before);
            const Attempt run = runWith(at, Fault::fail, error,
                                        [&] { DurableFile::replaceAtomically(file, after); });
            if (!run.struck) {
                EXPECT_EQ(run.problem, "");
                break;
            }
            failedCalls.insert(run.struckCall);
            const std::string now = contentOf(file);
            SCOPED_TRACE(run.struckCall + " #" + std::to_string(at) + ": " + run.problem);
            if (run.problem.empty()) {
                // Only flushing the folder may fail after the rename, when the
                // new file is complete: nothing else may fail silently.
                EXPECT_EQ(now, "after");
                EXPECT_TRUE(run.struckCall == "open" || run.struckCall == "fsync" ||
                            run.struckCall == "close");
            } else {
                EXPECT_EQ(now, "before");
                EXPECT_TRUE(namesStepFileAndCause(run.problem, file, error));
            }
            EXPECT_EQ(namesIn(dir.path()), Names{"settings.json"});
        }
    }
    EXPECT_EQ(failedCalls, (std::set<std::string>{"open", "write", "fsync", "close", "rename"}));
}

TEST_F(DurableFileFaults, ABackupThatFailsAtAnyStepIsAbsentAndNeverPartial) {
    const fs::path backup = dir / "settings-invalid-1.json";
    std::set<std::string> failedCalls;
    for (const int error : kErrors) {
        for (int at = 1;; ++at) {
            fs::remove(backup);
            const Attempt run =
                runWith(at, Fault::fail, error, [&] { DurableFile::copyNew(file, backup); });
            if (!run.struck) break;
            failedCalls.insert(run.struckCall);
            SCOPED_TRACE(run.struckCall + " #" + std::to_string(at) + ": " + run.problem);
            EXPECT_EQ(contentOf(file), "before");
            if (run.problem.empty()) {
                EXPECT_EQ(contentOf(backup), "before");
                EXPECT_EQ(namesIn(dir.path()), (Names{"settings-invalid-1.json", "settings.json"}));
            } else {
                EXPECT_FALSE(fs::exists(backup));
                EXPECT_EQ(namesIn(dir.path()), Names{"settings.json"});
                const bool sourceFailed = run.struckCall == "read" || at == 1;
                EXPECT_TRUE(
                    namesStepFileAndCause(run.problem, sourceFailed ? file : backup, error));
            }
        }
    }
    EXPECT_EQ(failedCalls, (std::set<std::string>{"open", "read", "write", "fsync", "close",
                                                  "renameNoReplace"}));
}

TEST_F(DurableFileFaults, TheFirstCopyFromTheEarlierFolderThatFailsLeavesNothingBehind) {
    const fs::path legacy = dir / "legacy.json", current = dir / "corvane" / "settings.json";
    const std::string legacyBytes = SettingsCodec::encode(AppSettings());
    writeFile(legacy, legacyBytes);
    std::set<std::string> failedCalls;
    for (const int error : kErrors) {
        for (int at = 1;; ++at) {
            fs::remove_all(current.parent_path());
            const Attempt run = runWith(at, Fault::fail, error, [&] {
                SettingsMigration::moveLegacyFile(legacy, current);
            });
            if (!run.struck) break;
            failedCalls.insert(run.struckCall);
            SCOPED_TRACE(run.struckCall + " #" + std::to_string(at) + ": " + run.problem);
            const Names expected = run.problem.empty() ? Names{"settings.json"} : Names{};
            EXPECT_EQ(namesIn(current.parent_path()), expected);
            if (run.problem.empty()) {
                EXPECT_TRUE(readFile(current) == legacyBytes);
            } else {
                EXPECT_NE(run.problem.find(std::strerror(error)), npos);
            }
            EXPECT_TRUE(readFile(legacy) == legacyBytes);
        }
    }
    EXPECT_EQ(failedCalls,
              (std::set<std::string>{"open", "write", "fsync", "close", "renameNoReplace"}));
}

// Without the no-replace rename (some file systems), the copy is linked into
// place instead, which refuses an existing name just the same.
TEST_F(DurableFileFaults, WithoutTheNoReplaceRenameABackupIsLinkedAndNeverReplacesAFile) {
    const fs::path backup = dir / "backup.json";
    for (const int error : {EINVAL, ENOSYS}) {
        const auto noReplaceAt = [&] {
            const InjectedFaults probe(0, Fault::fail);
            DurableFile::copyNew(file, backup);
            fs::remove(backup);
            const auto& calls = probe.calls();
            return int(std::find(calls.begin(), calls.end(), "renameNoReplace") - calls.begin()) +
                   1;
        }();
        EXPECT_EQ(
            runWith(noReplaceAt, Fault::fail, error, [&] { DurableFile::copyNew(file, backup); })
                .problem,
            "");
        EXPECT_EQ(contentOf(backup), "before");
        EXPECT_EQ(namesIn(dir.path()), (Names{"backup.json", "settings.json"}));
        const fs::path other = dir / "other.json";
        writeFile(other, after);
        const Attempt refused =
            runWith(1, Fault::fail, error, [&] { DurableFile::move(other, backup, false); });
        EXPECT_EQ(refused.struckCall, "renameNoReplace");
        EXPECT_TRUE(namesStepFileAndCause(refused.problem, backup, EEXIST)) << refused.problem;
        EXPECT_EQ(contentOf(backup), "before");
        EXPECT_EQ(contentOf(other), "after");
        fs::remove(backup);
        fs::remove(dir / "other.json");
    }
}

TEST_F(DurableFileFaults, ShortWritesAreCarriedOnUntilEveryByteIsWritten) {
    for (int at = 1;; ++at) {
        const Attempt run =
            runWith(at, Fault::shortWrite, 0, [&] { DurableFile::replaceAtomically(file, after); });
        if (!run.struck) break;
        EXPECT_EQ(run.problem, "");
        EXPECT_EQ(contentOf(file), "after") << "write short at call " << at;
        writeFile(file, before);
    }
    writeFile(file, before);
    for (int at = 1;; ++at) {
        const Attempt run = runWith(at, Fault::shortWrite, 0,
                                    [&] { DurableFile::copyNew(file, dir / "copy.json"); });
        if (!run.struck) break;
        EXPECT_EQ(contentOf(dir / "copy.json"), "before") << "write short at call " << at;
        fs::remove(dir / "copy.json");
    }
}

}  // namespace
}  // namespace corvane
