#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "core/settings_codec.h"
#include "core/settings_migration.h"
#include "core/testing/file_size_limit.h"
#include "core/testing/temp_dir.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using testing::FileSizeLimit;
using testing::readFile;
using testing::TempDir;
using testing::writeFile;

// The config folder of a user coming from an earlier release.
struct ConfigFolder {
    TempDir dir;
    fs::path legacy = dir / "pavolo" / "settings.json";
    fs::path current = dir / "corvane" / "settings.json";

    ConfigFolder() { fs::create_directories(legacy.parent_path()); }

    std::size_t entriesIn(const fs::path& folder) const {
        if (!fs::exists(folder)) return 0;
        return std::size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }
};

std::string compact(const AppSettings& settings) {
    return nlohmann::json::parse(SettingsCodec::encode(settings)).dump();
}

TEST(LegacySettingsFile, IsCopiedInCanonicalFormAndLeftAlone) {
    ConfigFolder config;
    AppSettings old;
    old.starterLayoutsVersion = 2;
    old.keepPanelOpen = true;
    const std::string legacyBytes = compact(old);
    writeFile(config.legacy, legacyBytes);

    SettingsMigration::moveLegacyFile(config.legacy, config.current);

    EXPECT_EQ(readFile(config.current), SettingsCodec::encode(old));
    EXPECT_EQ(readFile(config.legacy), legacyBytes);
    // Starter layouts are upgraded later, by whoever loads the file.
    EXPECT_EQ(SettingsCodec::load(config.current).starterLayoutsVersion, 2);
    EXPECT_EQ(config.entriesIn(config.current.parent_path()), 1u);
}

TEST(LegacySettingsFile, AnExistingCurrentFileWins) {
    ConfigFolder config;
    writeFile(config.legacy, compact(AppSettings()));
    fs::create_directories(config.current.parent_path());
    writeFile(config.current, "the current settings, even if damaged");
    SettingsMigration::moveLegacyFile(config.legacy, config.current);
    EXPECT_EQ(readFile(config.current), "the current settings, even if damaged");
}

TEST(LegacySettingsFile, NothingHappensWithoutOne) {
    ConfigFolder config;
    SettingsMigration::moveLegacyFile(config.legacy, config.current);
    EXPECT_FALSE(fs::exists(config.current.parent_path()));
}

TEST(LegacySettingsFile, AnInvalidOneIsReportedAndNothingIsWritten) {
    ConfigFolder config;
    nlohmann::json document = nlohmann::json::parse(compact(AppSettings()));
    document["layouts"][1]["id"] = document["layouts"][0]["id"];
    writeFile(config.legacy, document.dump());
    try {
        SettingsMigration::moveLegacyFile(config.legacy, config.current);
        FAIL() << "copied";
    } catch (const SettingsError& error) {
        EXPECT_EQ(error.message(), "Layout IDs must be unique.");
    }
    EXPECT_EQ(config.entriesIn(config.current.parent_path()), 0u);
    EXPECT_EQ(readFile(config.legacy), document.dump());
}

TEST(LegacySettingsFile, AFailedWriteLeavesNoTemporaryFile) {
    ConfigFolder config;
    writeFile(config.legacy, compact(AppSettings()));
    {
        const FileSizeLimit limit(512);
        EXPECT_THROW(SettingsMigration::moveLegacyFile(config.legacy, config.current),
                     std::system_error);
    }
    EXPECT_EQ(config.entriesIn(config.current.parent_path()), 0u);
    EXPECT_EQ(readFile(config.legacy), compact(SettingsCodec::load(config.legacy)));
}

}  // namespace
}  // namespace corvane
