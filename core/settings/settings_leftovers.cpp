#include "core/settings/settings_leftovers.h"

#include <sys/stat.h>
#include <unistd.h>

#include <regex>
#include <string>

namespace corvane::SettingsLeftovers {

namespace fs = std::filesystem;

namespace {

// Uuid::text() writes upper-case digits only.
const std::string kUuid = "[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}";

const std::regex& leftoverPattern() {
    static const std::regex pattern(
        "\\.(settings\\.json|settings-invalid-[0-9]+\\.json|settings-before-presets-v[0-9]+-" +
        kUuid + "\\.json)\\." + kUuid + "\\.tmp|\\.migration-" + kUuid + "\\.json");
    return pattern;
}

bool isAbandoned(const fs::path& file, std::int64_t nowSeconds) {
    struct stat status {};
    if (::lstat(file.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
    return nowSeconds - std::int64_t(status.st_mtim.tv_sec) > abandonedAfterSeconds;
}

}  // namespace

bool isLeftoverName(std::string_view name) {
    return std::regex_match(name.begin(), name.end(), leftoverPattern());
}

std::vector<fs::path> removeAbandoned(const fs::path& folder, std::int64_t nowSeconds) {
    std::vector<fs::path> removed;
    std::error_code error;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, error)) {
        const fs::path& file = entry.path();
        if (!isLeftoverName(file.filename().string()) || !isAbandoned(file, nowSeconds)) continue;
        if (::unlink(file.c_str()) == 0) removed.push_back(file);
    }
    return removed;
}

}  // namespace corvane::SettingsLeftovers
