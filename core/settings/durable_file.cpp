#include "core/settings/durable_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>

#include "core/uuid.h"

namespace corvane::DurableFile {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void fail(const std::string& step, const fs::path& path) {
    throw std::system_error(errno, std::generic_category(), step + " " + path.string());
}

class Descriptor {
public:
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    ~Descriptor() {
        if (descriptor_ >= 0) ::close(descriptor_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return descriptor_; }
    // Closes now so that a failure to close (a late write error) is reported.
    int close() {
        const int result = ::close(descriptor_);
        descriptor_ = -1;
        return result;
    }

private:
    int descriptor_;
};

// Removes a partial file of ours, keeping errno of the failure that led here.
void discard(const fs::path& file) {
    const int saved = errno;
    ::unlink(file.c_str());
    errno = saved;
}

void writeAll(int descriptor, std::string_view bytes, const fs::path& file) {
    while (!bytes.empty()) {
        const ssize_t count = ::write(descriptor, bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) fail("Could not write", file);
        bytes.remove_prefix(std::size_t(count));
    }
}

void finish(Descriptor& descriptor, const fs::path& file) {
    if (::fsync(descriptor.get()) != 0) fail("Could not flush", file);
    if (descriptor.close() != 0) fail("Could not close", file);
}

// A rename is durable only once the folder holding it is flushed. Some file
// systems cannot flush folders; the file itself is complete either way.
void syncFolderOf(const fs::path& file) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const Descriptor descriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (descriptor.get() >= 0) ::fsync(descriptor.get());
}

int createExclusively(const fs::path& file, mode_t mode) {
    return ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
}

// Where the new content goes: the target of a symbolic link, so that a settings
// file linked from elsewhere (a dotfiles folder) stays linked.
fs::path resolvedTarget(const fs::path& file) {
    std::error_code error;
    if (!fs::is_symlink(file, error)) return file;
    const fs::path target = fs::canonical(file, error);
    return error ? file : target;
}

void copyBytes(int from, int to, const fs::path& source, const fs::path& copy) {
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t count = ::read(from, buffer, sizeof buffer);
        if (count == 0) return;
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) fail("Could not read", source);
        writeAll(to, std::string_view(buffer, std::size_t(count)), copy);
    }
}

}  // namespace

void writeNew(const fs::path& file, std::string_view bytes) {
    Descriptor descriptor(createExclusively(file, 0666));
    if (descriptor.get() < 0) fail("Could not create", file);
    try {
        writeAll(descriptor.get(), bytes, file);
        finish(descriptor, file);
    } catch (...) {
        discard(file);
        throw;
    }
}

void move(const fs::path& from, const fs::path& to, bool replaceExisting) {
    int result = 0;
    if (replaceExisting) {
        result = ::rename(from.c_str(), to.c_str());
    } else {
        result = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE);
        // File systems without the flag: link() refuses an existing name just the same.
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            result = ::link(from.c_str(), to.c_str());
            if (result == 0) ::unlink(from.c_str());
        }
    }
    if (result != 0) fail("Could not move the file to", to);
    syncFolderOf(to);
}

void replaceAtomically(const fs::path& file, std::string_view bytes) {
    const fs::path target = resolvedTarget(file);
    // Appending in place: GCC 12 warns falsely (-Wrestrict) about "." + string at -O3.
    std::string name = target.filename().string();
    name.insert(0, 1, '.');
    name.append(".").append(Uuid::random().text()).append(".tmp");
    const fs::path temporary = target.parent_path() / name;
    writeNew(temporary, bytes);
    try {
        struct stat existing {};
        if (::stat(target.c_str(), &existing) == 0) {
            ::chmod(temporary.c_str(), existing.st_mode & 07777);
        }
        move(temporary, target, true);
    } catch (...) {
        discard(temporary);
        throw;
    }
}

void copyNew(const fs::path& from, const fs::path& to) {
    const Descriptor source(::open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (source.get() < 0) fail("Could not open", from);
    struct stat status {};
    if (::fstat(source.get(), &status) != 0) fail("Could not read", from);
    if (!S_ISREG(status.st_mode)) {
        throw std::system_error(EINVAL, std::generic_category(),
                                "Not a regular file: " + from.string());
    }
    Descriptor copy(createExclusively(to, status.st_mode & 0666));
    if (copy.get() < 0) fail("Could not create", to);
    try {
        copyBytes(source.get(), copy.get(), from, to);
        finish(copy, to);
    } catch (...) {
        discard(to);
        throw;
    }
    syncFolderOf(to);
}

}  // namespace corvane::DurableFile
