#include "core/durable_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <functional>
#include <future>
#include <system_error>

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

int errorCodeOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const std::system_error& error) {
        return error.code().value();
    }
    return 0;
}

TEST(DurableFile, ReplacingCreatesOrReplacesAndLeavesNothingElse) {
    TempDir dir;
    const fs::path file = dir / "settings.json";
    DurableFile::replaceAtomically(file, "first");
    EXPECT_EQ(readFile(file), "first");
    DurableFile::replaceAtomically(file, "second, longer");
    EXPECT_EQ(readFile(file), "second, longer");
    DurableFile::replaceAtomically(file, "");
    EXPECT_EQ(readFile(file), "");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"settings.json"});
}

TEST(DurableFile, AWriteCutShortLeavesTheOldFileIntactAndNoTemporaryFile) {
    TempDir dir;
    const fs::path file = dir / "settings.json";
    writeFile(file, "the user's settings");
    const std::string big(64 * 1024, 'x');
    int code = 0;
    {
        const FileSizeLimit limit(4096);
        code = errorCodeOf([&] { DurableFile::replaceAtomically(file, big); });
    }
    EXPECT_EQ(code, EFBIG);
    EXPECT_EQ(readFile(file), "the user's settings");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"settings.json"});
}

TEST(DurableFile, ReplacingKeepsPermissionsAndSymbolicLinks) {
    TempDir dir;
    fs::create_directory(dir / "dotfiles");
    const fs::path real = dir / "dotfiles" / "settings.json";
    writeFile(real, "old");
    ::chmod(real.c_str(), 0600);
    const fs::path link = dir / "settings.json";
    fs::create_symlink(real, link);
    DurableFile::replaceAtomically(link, "new");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readFile(real), "new");
    EXPECT_EQ(fs::status(real).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
}

TEST(DurableFile, WritingNewNeverTouchesAnExistingFile) {
    TempDir dir;
    const fs::path file = dir / "taken.json";
    writeFile(file, "keep me");
    EXPECT_EQ(errorCodeOf([&] { DurableFile::writeNew(file, "other"); }), EEXIST);
    EXPECT_EQ(readFile(file), "keep me");
    fs::create_symlink(dir / "nowhere", dir / "dangling");
    EXPECT_EQ(errorCodeOf([&] { DurableFile::writeNew(dir / "dangling", "x"); }), EEXIST);
    EXPECT_FALSE(fs::exists(dir / "nowhere"));
}

TEST(DurableFile, MovingWithoutReplacingRefusesAnExistingTarget) {
    TempDir dir;
    writeFile(dir / "from", "new");
    writeFile(dir / "to", "old");
    EXPECT_EQ(errorCodeOf([&] { DurableFile::move(dir / "from", dir / "to", false); }), EEXIST);
    EXPECT_EQ(readFile(dir / "to"), "old");
    EXPECT_EQ(readFile(dir / "from"), "new");
    DurableFile::move(dir / "from", dir / "fresh", false);
    EXPECT_EQ(readFile(dir / "fresh"), "new");
    EXPECT_FALSE(fs::exists(dir / "from"));
}

TEST(DurableFile, CopiesAreCompleteAndNeverOverwrite) {
    TempDir dir;
    std::string content(300 * 1024, '\0');
    for (std::size_t i = 0; i < content.size(); ++i) content[i] = char(i * 7 % 251);
    writeFile(dir / "source", content);
    DurableFile::copyNew(dir / "source", dir / "copy");
    EXPECT_EQ(readFile(dir / "copy"), content);
    writeFile(dir / "backup", "an earlier backup");
    EXPECT_EQ(errorCodeOf([&] { DurableFile::copyNew(dir / "source", dir / "backup"); }), EEXIST);
    EXPECT_EQ(readFile(dir / "backup"), "an earlier backup");
}

TEST(DurableFile, ACopyCutShortIsRemoved) {
    TempDir dir;
    writeFile(dir / "source", std::string(64 * 1024, 'y'));
    int code = 0;
    {
        const FileSizeLimit limit(1000);
        code = errorCodeOf([&] { DurableFile::copyNew(dir / "source", dir / "copy"); });
    }
    EXPECT_EQ(code, EFBIG);
    EXPECT_FALSE(fs::exists(dir / "copy"));
}

TEST(DurableFile, CopyingRefusesFoldersAndPipesAtOnce) {
    TempDir dir;
    fs::create_directory(dir / "folder");
    EXPECT_NE(errorCodeOf([&] { DurableFile::copyNew(dir / "folder", dir / "a"); }), 0);
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    auto copy = std::async(std::launch::async, [&] {
        return errorCodeOf([&] { DurableFile::copyNew(dir / "pipe", dir / "b"); });
    });
    if (copy.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        ::close(::open((dir / "pipe").c_str(), O_WRONLY));  // unblock, then fail
        FAIL() << "copying a pipe blocked";
    }
    EXPECT_NE(copy.get(), 0);
    EXPECT_FALSE(fs::exists(dir / "a"));
    EXPECT_FALSE(fs::exists(dir / "b"));
}

}  // namespace
}  // namespace corvane
