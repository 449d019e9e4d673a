#include "app/settings/file_snapshot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/settings/bounded_read.h"
#include "core/settings/settings_codec.h"

namespace corvane {

namespace {

std::string identityOf(const struct stat& status) {
    return "mode " + std::to_string(status.st_mode) + " size " + std::to_string(status.st_size) +
           " inode " + std::to_string(status.st_ino) + " changed " +
           std::to_string(status.st_ctim.tv_sec) + "." + std::to_string(status.st_ctim.tv_nsec);
}

}  // namespace

FileSnapshot FileSnapshot::of(const std::filesystem::path& file) {
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return {};
        const bool transient = errno == EMFILE || errno == ENFILE || errno == ENOMEM;
        return {Kind::unreadable, "error " + std::to_string(errno), transient};
    }
    FileSnapshot snapshot;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        snapshot = {Kind::unreadable, identityOf(status)};
    } else {
        // An error ends the read early; the loader that follows reports it properly.
        snapshot = ofBytes(readAtMost(descriptor, SettingsCodec::maximumBytes + 1).bytes);
    }
    ::close(descriptor);
    return snapshot;
}

}  // namespace corvane
