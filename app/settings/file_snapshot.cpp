#include "app/settings/file_snapshot.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "core/settings/settings_codec.h"

namespace corvane {

namespace {

std::string identityOf(const struct stat& status) {
    return "mode " + std::to_string(status.st_mode) + " size " + std::to_string(status.st_size) +
           " inode " + std::to_string(status.st_ino) + " changed " +
           std::to_string(status.st_ctim.tv_sec) + "." + std::to_string(status.st_ctim.tv_nsec);
}

// Reads until end of file or `limit` bytes; an error ends the read early, which
// the loader that follows reports properly.
std::string readAtMost(int descriptor, std::size_t limit) {
    std::string bytes(limit, '\0');
    std::size_t filled = 0;
    while (filled < limit) {
        const ssize_t count = ::read(descriptor, bytes.data() + filled, limit - filled);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) break;
        filled += std::size_t(count);
    }
    bytes.resize(filled);
    return bytes;
}

}  // namespace

FileSnapshot FileSnapshot::of(const std::filesystem::path& file) {
    const int descriptor = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return {};
        return {Kind::unreadable, "error " + std::to_string(errno)};
    }
    FileSnapshot snapshot;
    struct stat status {};
    if (::fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) {
        snapshot = {Kind::unreadable, identityOf(status)};
    } else {
        snapshot = ofBytes(readAtMost(descriptor, SettingsCodec::maximumBytes + 1));
    }
    ::close(descriptor);
    return snapshot;
}

}  // namespace corvane
