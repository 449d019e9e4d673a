// Temporary files of killed saves: only Corvane's own, and only abandoned ones,
// are removed at the next start.
#include "core/settings/settings_leftovers.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>

#include "core/testing/temp_dir.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using namespace corvane::testing;
using Names = std::vector<std::string>;

const std::string kUuid = "0B2A7C2E-1111-4222-8333-444455556666";

std::int64_t now() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void setChangeTime(const fs::path& file, std::int64_t seconds) {
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, AT_SYMLINK_NOFOLLOW), 0);
}

TEST(SettingsLeftovers, OnlyTheExactTemporaryNamesOfSavesBackupsAndTheFirstCopyCount) {
    for (const std::string& name :
         Names{".settings.json." + kUuid + ".tmp", ".migration-" + kUuid + ".json",
               ".settings-invalid-1700000000.json." + kUuid + ".tmp",
               ".settings-before-presets-v3-" + kUuid + ".json." + kUuid + ".tmp"}) {
        EXPECT_TRUE(SettingsLeftovers::isLeftoverName(name)) << name;
    }
    for (const std::string& name :
         Names{std::string("settings.json"), "settings.json." + kUuid + ".tmp",
               ".settings.json." + kUuid, ".settings.json." + kUuid + ".tmp~",
               ".notes.json." + kUuid + ".tmp",
               ".settings.json.0b2a7c2e-1111-4222-8333-444455556666.tmp", ".migration-.json",
               ".migration-" + kUuid + ".json.bak", "settings-invalid-1700000000.json",
               ".settings-invalid-.json." + kUuid + ".tmp",
               ".settings-before-presets-v3-x.json." + kUuid + ".tmp"}) {
        EXPECT_FALSE(SettingsLeftovers::isLeftoverName(name)) << name;
    }
}

TEST(SettingsLeftovers, OnlyRegularFilesUntouchedForOverAMinuteAreRemoved) {
    TempDir dir;
    const std::string abandoned = ".settings.json." + kUuid + ".tmp";
    const std::string inUse = ".migration-" + kUuid + ".json";
    const std::string folder = ".settings-invalid-1.json." + kUuid + ".tmp";
    const std::string link = ".settings-invalid-2.json." + kUuid + ".tmp";
    const std::string userFile = "settings.json";
    for (const std::string& name : {abandoned, inUse, userFile}) writeFile(dir / name, "x");
    fs::create_directory(dir / folder);
    fs::create_symlink(dir / userFile, dir / link);
    for (const std::string& name : {abandoned, folder, link, userFile})
        setChangeTime(dir / name, now() - 61 - SettingsLeftovers::abandonedAfterSeconds);
    setChangeTime(dir / inUse, now() - 5);  // another process may be writing it

    const std::vector<fs::path> removed = SettingsLeftovers::removeAbandoned(dir.path(), now());
    EXPECT_EQ(removed, std::vector<fs::path>{dir / abandoned});
    EXPECT_EQ(namesIn(dir.path()), (Names{inUse, folder, link, userFile}));
    EXPECT_EQ(readFile(dir / link), "x") << "the file a link points to is kept";
    EXPECT_TRUE(SettingsLeftovers::removeAbandoned(dir / "absent", now()).empty());
}

}  // namespace
}  // namespace corvane
