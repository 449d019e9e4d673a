// Settings on disk: loading without ever blocking or reading too much, copying
// the file of earlier releases, and writes that never leave a damaged file.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <future>

#include "core/settings/bounded_read.h"
#include "core/settings/durable_file.h"
#include "core/settings/settings_codec.h"
#include "core/settings/settings_migration.h"
#include "core/testing/file_size_limit.h"
#include "core/testing/temp_dir.h"

namespace corvane {
namespace {

namespace fs = std::filesystem;
using namespace corvane::testing;
using Names = std::vector<std::string>;

const std::string kNotRegular = "Settings must be imported from a regular JSON file.";
const std::string kTooLarge = "Settings files must be smaller than 2 MB.";
const std::string kFileTooLarge = "errno " + std::to_string(EFBIG);

// The message `action` threw ("errno N" for a system error), or "done". When it
// blocks reading the pipe `fifo`, a writer unblocks it and "blocked" is returned.
std::string outcomeOf(const std::function<void()>& action, const fs::path& fifo = {}) {
    auto run = std::async(std::launch::async, [&]() -> std::string {
        try {
            action();
        } catch (const std::system_error& error) {
            return "errno " + std::to_string(error.code().value());
        } catch (const std::exception& error) {
            return error.what();
        }
        return "done";
    });
    if (run.wait_for(std::chrono::seconds(10)) == std::future_status::ready) return run.get();
    ::close(::open(fifo.c_str(), O_WRONLY));
    return "blocked";
}

std::string loadOutcome(const fs::path& file) {
    return outcomeOf([&] { SettingsCodec::load(file); }, file);
}

TEST(SettingsFile, LoadsOnlyRegularFilesOfAtMostTwoMillionBytesAndClosesThem) {
    TempDir dir;
    const AppSettings settings;
    std::string text = SettingsCodec::encode(settings);
    writeFile(dir / "valid.json", text);
    text.append(SettingsCodec::maximumBytes - text.size(), ' ');
    writeFile(dir / "limit.json", text);
    writeFile(dir / "over.json", text + ' ');
    writeFile(dir / "sparse.json", "{}");
    fs::resize_file(dir / "sparse.json", 50'000'000'000ull);  // reported, not on disk
    ASSERT_EQ(::mkfifo((dir / "pipe.json").c_str(), 0600), 0);
    const std::pair<const char*, std::string> cases[] = {
        {"valid.json", "done"},
        {"limit.json", "done"},
        {"over.json", kTooLarge},
        {"sparse.json", kTooLarge},
        {"absent.json", "Could not open the settings file."},
        {"pipe.json", kNotRegular},
        {"", kNotRegular}};  // the folder itself
    const auto openFiles = [] {
        return std::distance(fs::directory_iterator("/proc/self/fd"), fs::directory_iterator());
    };
    const auto before = openFiles();
    for (const auto& [name, outcome] : cases) EXPECT_EQ(loadOutcome(dir / name), outcome) << name;
    EXPECT_EQ(openFiles(), before);
    EXPECT_EQ(SettingsCodec::load(dir / "valid.json"), settings);
}

// A copy of the file is kept for as long as Corvane runs: it must cost what the
// file holds, not the size limit.
TEST(SettingsFile, BoundedReadsKeepWhatArrivedUpToTheLimitAndReportErrors) {
    TempDir dir;
    const std::string small = SettingsCodec::encode(AppSettings{});
    writeFile(dir / "small.json", small);
    writeFile(dir / "large.json", std::string(300'000, 'x'));
    const auto readFile = [&](const char* name, std::size_t limit) {
        const int descriptor = ::open((dir / name).c_str(), O_RDONLY | O_CLOEXEC);
        BoundedRead read = readAtMost(descriptor, limit);
        ::close(descriptor);
        return read;
    };

    const BoundedRead whole = readFile("small.json", SettingsCodec::maximumBytes + 1);
    EXPECT_EQ(whole.bytes, small);
    EXPECT_EQ(whole.error, 0);
    EXPECT_LT(whole.bytes.capacity(), small.size() + 64);

    EXPECT_EQ(readFile("large.json", 200'001).bytes.size(), 200'001u);
    EXPECT_EQ(readFile("large.json", 1'000'000).bytes.size(), 300'000u);

    const BoundedRead folder = readFile("", 100);
    EXPECT_EQ(folder.error, EISDIR);
    EXPECT_TRUE(folder.bytes.empty());
}

TEST(DurableFile, WritesAreAllOrNothingNeverOverwriteAndKeepPermissionsAndLinks) {
    TempDir dir;
    const fs::path real = dir / "real.json", link = dir / "link.json";
    DurableFile::replaceAtomically(real, "the user's settings");
    ::chmod(real.c_str(), 0600);
    fs::create_symlink(real, link);
    const std::string big(65536, 'x');
    {
        const FileSizeLimit limit(4096);
        EXPECT_EQ(outcomeOf([&] { DurableFile::replaceAtomically(link, big); }), kFileTooLarge);
    }
    EXPECT_EQ(outcomeOf([&] { DurableFile::copyNew(link, dir / "link.json"); }),
              "errno " + std::to_string(EEXIST));
    EXPECT_EQ(readFile(real), "the user's settings");
    EXPECT_EQ(namesIn(dir.path()), (Names{"link.json", "real.json"}));
    DurableFile::replaceAtomically(link, big);
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(real), big);
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    // The legacy file is never copied over the current one, even a damaged one.
    SettingsMigration::moveLegacyFile(real, link);
    EXPECT_EQ(readFile(link), big);
}

}  // namespace
}  // namespace corvane
