// Reading a settings file safely: whatever path a user picks (a pipe, a device,
// a huge file), the read neither blocks nor loads more than the size limit.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "core/settings/bounded_read.h"
#include "core/settings/settings_codec.h"

namespace corvane::SettingsCodec {

namespace {

class OpenFile {
public:
    explicit OpenFile(const std::filesystem::path& file)
        : descriptor_(::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {}
    ~OpenFile() {
        if (descriptor_ >= 0) ::close(descriptor_);  // nothing useful to do if closing fails
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    bool isOpen() const { return descriptor_ >= 0; }
    int descriptor() const { return descriptor_; }

private:
    int descriptor_;
};

}  // namespace

AppSettings load(const std::filesystem::path& file) {
    const OpenFile opened(file);
    if (!opened.isOpen()) throw SettingsError::invalid("Could not open the settings file.");
    struct stat status {};
    if (::fstat(opened.descriptor(), &status) != 0 || !S_ISREG(status.st_mode)) {
        throw SettingsError::invalid("Settings must be imported from a regular JSON file.");
    }
    if (status.st_size > off_t(maximumBytes)) {
        throw SettingsError::invalid(std::string(tooLargeMessage));
    }
    // One byte past the limit: a file that grew since fstat still fails the size check.
    BoundedRead read = readAtMost(opened.descriptor(), maximumBytes + 1);
    if (read.error != 0) {
        throw std::system_error(read.error, std::generic_category(),
                                "Could not read the settings file");
    }
    return decode(read.bytes);
}

}  // namespace corvane::SettingsCodec
