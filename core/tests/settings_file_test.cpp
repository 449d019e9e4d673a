#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "core/settings_codec.h"
#include "core/testing/temp_dir.h"

namespace corvane {
namespace {

using testing::TempDir;
using testing::writeFile;

const char* const kTooLarge = "Settings files must be smaller than 2 MB.";
const char* const kNotRegular = "Settings must be imported from a regular JSON file.";

std::string loadProblem(const std::filesystem::path& file) {
    try {
        SettingsCodec::load(file);
        return "loaded";
    } catch (const SettingsError& error) {
        return error.message();
    }
}

TEST(SettingsFile, LoadsAValidFile) {
    TempDir dir;
    const AppSettings settings;
    writeFile(dir / "settings.json", SettingsCodec::encode(settings));
    EXPECT_EQ(SettingsCodec::load(dir / "settings.json"), settings);
}

TEST(SettingsFile, AMissingFileCannotBeOpened) {
    TempDir dir;
    EXPECT_EQ(loadProblem(dir / "absent.json"), "Could not open the settings file.");
}

TEST(SettingsFile, FoldersAndDevicesAreRefused) {
    TempDir dir;
    EXPECT_EQ(loadProblem(dir.path()), kNotRegular);
    EXPECT_EQ(loadProblem("/dev/null"), kNotRegular);
}

TEST(SettingsFile, APipeIsRefusedWithoutWaitingForAWriter) {
    TempDir dir;
    const auto fifo = dir / "pipe.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto result = std::async(std::launch::async, [&] { return loadProblem(fifo); });
    if (result.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        // Unblock the stuck reader so the test can end, then fail.
        const int writer = ::open(fifo.c_str(), O_WRONLY);
        ::close(writer);
        FAIL() << "loading a pipe blocked";
    }
    EXPECT_EQ(result.get(), kNotRegular);
}

TEST(SettingsFile, TwoMillionBytesLoadAndOneMoreDoesNot) {
    TempDir dir;
    std::string text = SettingsCodec::encode(AppSettings());
    text.append(SettingsCodec::maximumBytes - text.size(), ' ');
    writeFile(dir / "limit.json", text);
    EXPECT_NO_THROW(SettingsCodec::load(dir / "limit.json"));
    writeFile(dir / "over.json", text + " ");
    EXPECT_EQ(loadProblem(dir / "over.json"), kTooLarge);
}

TEST(SettingsFile, AFileReportedAsHugeIsRefusedUnread) {
    TempDir dir;
    const auto sparse = dir / "sparse.json";
    writeFile(sparse, SettingsCodec::encode(AppSettings()));
    // A sparse file: 50 GB reported, almost nothing on disk.
    std::filesystem::resize_file(sparse, 50'000'000'000ull);
    EXPECT_EQ(loadProblem(sparse), kTooLarge);
    std::filesystem::resize_file(sparse, 2'000'001);
    EXPECT_EQ(loadProblem(sparse), kTooLarge);
}

TEST(SettingsFile, ContentProblemsPassThrough) {
    TempDir dir;
    writeFile(dir / "broken.json", "{\"version\": ");
    EXPECT_THROW(SettingsCodec::load(dir / "broken.json"), SettingsFormatError);
    std::string text = SettingsCodec::encode(AppSettings());
    text.replace(text.find("\"version\": 1"), 12, "\"version\": 2");
    writeFile(dir / "newer.json", text);
    EXPECT_EQ(loadProblem(dir / "newer.json"), "This settings file uses an unsupported version.");
    writeFile(dir / "empty.json", "");
    EXPECT_THROW(SettingsCodec::load(dir / "empty.json"), SettingsFormatError);
}

TEST(SettingsFile, LoadingClosesTheFileOnEveryPath) {
    TempDir dir;
    writeFile(dir / "good.json", SettingsCodec::encode(AppSettings()));
    writeFile(dir / "bad.json", "nonsense");
    auto openDescriptors = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"),
                             std::filesystem::directory_iterator());
    };
    const auto before = openDescriptors();
    for (int i = 0; i < 20; ++i) {
        loadProblem(dir / "good.json");
        EXPECT_THROW(SettingsCodec::load(dir / "bad.json"), SettingsFormatError);
        loadProblem(dir.path());
    }
    EXPECT_EQ(openDescriptors(), before);
}

}  // namespace
}  // namespace corvane
