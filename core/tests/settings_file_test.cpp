// Settings on disk: loading without ever blocking or reading too much, copying
// the file of earlier releases, and writes that never leave a damaged file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <future>
#include <nlohmann/json.hpp>

#include "core/durable_file.h"
#include "core/settings_codec.h"
#include "core/settings_migration.h"
#include "core/testing/file_size_limit.h"
#include "core/testing/temp_dir.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using namespace corvane::testing;

const std::string kNotRegular = "Settings must be imported from a regular JSON file.";
const std::string kTooLarge = "Settings files must be smaller than 2 MB.";

// What `action` threw ("std::system_error N" for errno N), or "done". When it
// blocks on the pipe at `fifo`, a writer unblocks it and "blocked" is returned.
std::string outcomeOf(const std::function<void()>& action, const fs::path& fifo = {}) {
    auto run = std::async(std::launch::async, [&]() -> std::string {
        try {
            action();
        } catch (const SettingsError& error) {
            return error.message();
        } catch (const std::system_error& error) {
            return "std::system_error " + std::to_string(error.code().value());
        } catch (const std::exception& error) {
            return std::string("error: ") + error.what();
        }
        return "done";
    });
    if (run.wait_for(std::chrono::seconds(10)) == std::future_status::ready) return run.get();
    ::close(::open(fifo.c_str(), O_WRONLY));
    run.wait();
    return "blocked";
}

std::string failedWith(int code) {
    return "std::system_error " + std::to_string(code);
}

std::string loadOutcome(const fs::path& file) {
    return outcomeOf([&] { SettingsCodec::load(file); }, file);
}

std::string compact(const AppSettings& settings) {
    return nlohmann::json::parse(SettingsCodec::encode(settings)).dump();
}

TEST(SettingsFile, LoadsOnlyRegularFilesOfAtMostTwoMillionBytes) {
    TempDir dir;
    const AppSettings settings;
    std::string text = SettingsCodec::encode(settings), newer = text;
    newer.replace(newer.find("\"version\": 1"), 12, "\"version\": 2");
    writeFile(dir / "valid.json", text);
    text.append(SettingsCodec::maximumBytes - text.size(), ' ');
    writeFile(dir / "limit.json", text);
    writeFile(dir / "over.json", text + ' ');
    writeFile(dir / "sparse.json", "{}");
    fs::resize_file(dir / "sparse.json", 50'000'000'000ull);  // reported, not on disk
    writeFile(dir / "broken.json", "{\"version\": ");
    writeFile(dir / "newer.json", newer);
    ASSERT_EQ(::mkfifo((dir / "pipe.json").c_str(), 0600), 0);
    const std::pair<const char*, std::string> cases[] = {
        {"valid.json", "done"},
        {"limit.json", "done"},
        {"over.json", kTooLarge},
        {"sparse.json", kTooLarge},
        {"absent.json", "Could not open the settings file."},
        {"pipe.json", kNotRegular},
        {"", kNotRegular},  // the folder itself
        {"broken.json", "error: The settings file is not valid JSON (line 1, column 13)."},
        {"newer.json", "This settings file uses an unsupported version."},
    };
    for (const auto& [name, outcome] : cases) EXPECT_EQ(loadOutcome(dir / name), outcome) << name;
    EXPECT_EQ(loadOutcome("/dev/null"), kNotRegular);
    EXPECT_EQ(SettingsCodec::load(dir / "valid.json"), settings);

    // Every path closes the file again.
    const auto openDescriptors = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    };
    const auto before = openDescriptors();
    for (int i = 0; i < 10; ++i)
        for (const char* name : {"valid.json", "broken.json", "over.json", ""})
            outcomeOf([&] { SettingsCodec::load(dir / name); });
    EXPECT_EQ(openDescriptors(), before);
}

TEST(SettingsFile, TheLegacyFileIsCopiedInCanonicalFormAndNeverChanged) {
    TempDir dir;
    const fs::path legacy = dir / "pavolo" / "settings.json",
                   current = dir / "corvane" / "settings.json";
    fs::create_directories(legacy.parent_path());
    const auto move = [&] {
        return outcomeOf([&] { SettingsMigration::moveLegacyFile(legacy, current); });
    };
    EXPECT_EQ(move(), "done");  // no legacy file: nothing happens
    EXPECT_FALSE(fs::exists(current.parent_path()));

    AppSettings old;
    old.starterLayoutsVersion = 2;  // upgraded later, by whoever loads the file
    nlohmann::json duplicate = nlohmann::json::parse(compact(old));
    duplicate["layouts"][1]["id"] = duplicate["layouts"][0]["id"];
    writeFile(legacy, duplicate.dump());
    EXPECT_EQ(move(), "Layout IDs must be unique.");
    EXPECT_EQ(namesIn(current.parent_path()), std::vector<std::string>{});

    writeFile(legacy, compact(old));
    {
        const FileSizeLimit limit(512);
        EXPECT_EQ(move(), failedWith(EFBIG));
    }
    EXPECT_EQ(namesIn(current.parent_path()), std::vector<std::string>{});

    EXPECT_EQ(move(), "done");
    EXPECT_EQ(readFile(current), SettingsCodec::encode(old));
    EXPECT_EQ(readFile(legacy), compact(old));
    EXPECT_EQ(namesIn(current.parent_path()), std::vector<std::string>{"settings.json"});

    writeFile(current, "the current settings, even if damaged");
    EXPECT_EQ(move(), "done");
    EXPECT_EQ(readFile(current), "the current settings, even if damaged");
}

TEST(DurableFile, ReplacingIsAllOrNothingAndKeepsPermissionsAndLinks) {
    TempDir dir;
    fs::create_directory(dir / "dotfiles");
    const fs::path real = dir / "dotfiles" / "settings.json", link = dir / "settings.json";
    DurableFile::replaceAtomically(real, "first");
    DurableFile::replaceAtomically(real, "the user's settings");
    ::chmod(real.c_str(), 0600);
    fs::create_symlink(real, link);
    {
        const FileSizeLimit limit(4096);
        EXPECT_EQ(outcomeOf([&] { DurableFile::replaceAtomically(link, std::string(65536, 'x')); }),
                  failedWith(EFBIG));
    }
    EXPECT_EQ(readFile(real), "the user's settings");
    DurableFile::replaceAtomically(link, "new");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(real), "new");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(namesIn(dir / "dotfiles"), std::vector<std::string>{"settings.json"});
}

TEST(DurableFile, NewFilesMovesAndCopiesNeverOverwriteAndLeaveNoPartialFile) {
    TempDir dir;
    std::string content(300 * 1024, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = char(i * 7 % 251);
    writeFile(dir / "source", content);
    writeFile(dir / "taken", "keep me");
    fs::create_symlink(dir / "nowhere", dir / "dangling");
    fs::create_directory(dir / "folder");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    const std::string exists = failedWith(EEXIST);
    EXPECT_EQ(outcomeOf([&] { DurableFile::writeNew(dir / "taken", "other"); }), exists);
    EXPECT_EQ(outcomeOf([&] { DurableFile::writeNew(dir / "dangling", "x"); }), exists);
    EXPECT_EQ(outcomeOf([&] { DurableFile::move(dir / "source", dir / "taken", false); }), exists);
    EXPECT_EQ(outcomeOf([&] { DurableFile::copyNew(dir / "source", dir / "taken"); }), exists);
    EXPECT_NE(outcomeOf([&] { DurableFile::copyNew(dir / "folder", dir / "a"); }), "done");
    const std::string pipe =
        outcomeOf([&] { DurableFile::copyNew(dir / "pipe", dir / "b"); }, dir / "pipe");
    EXPECT_NE(pipe, "done");
    EXPECT_NE(pipe, "blocked");
    {
        const FileSizeLimit limit(1000);
        EXPECT_EQ(outcomeOf([&] { DurableFile::copyNew(dir / "source", dir / "c"); }),
                  failedWith(EFBIG));
    }
    DurableFile::copyNew(dir / "source", dir / "copy");
    DurableFile::move(dir / "copy", dir / "moved", false);
    EXPECT_EQ(readFile(dir / "moved"), content);
    EXPECT_EQ(readFile(dir / "taken"), "keep me");
    EXPECT_EQ(namesIn(dir.path()),
              (std::vector<std::string>{"dangling", "folder", "moved", "pipe", "source", "taken"}));
}

}  // namespace
}  // namespace corvane
