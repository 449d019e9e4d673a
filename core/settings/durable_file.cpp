#include "core/settings/durable_file.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <system_error>
#include <utility>

#include "core/uuid.h"

namespace corvane::DurableFile {

namespace fs = std::filesystem;

namespace {

Syscalls& calls() {
    static Syscalls table = Syscalls::real();
    return table;
}

[[noreturn]] void fail(const std::string& step, const fs::path& path) {
    throw std::system_error(errno, std::generic_category(), step + " " + path.string());
}

class Descriptor {
public:
    explicit Descriptor(int descriptor) : descriptor_(descriptor) {}
    ~Descriptor() {
        if (descriptor_ >= 0) calls().close(descriptor_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return descriptor_; }
    // Closes now so that a failure to close (a late write error) is reported.
    int close() {
        const int result = calls().close(descriptor_);
        descriptor_ = -1;
        return result;
    }

private:
    int descriptor_;
};

// Removes a partial file of ours, keeping errno of the failure that led here.
void discard(const fs::path& file) {
    const int saved = errno;
    calls().unlink(file.c_str());
    errno = saved;
}

// Errors name `shown`: the file the caller asked for, not our temporary one.
void writeAll(int descriptor, std::string_view bytes, const fs::path& shown) {
    while (!bytes.empty()) {
        const ssize_t count = calls().write(descriptor, bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) fail("Could not write", shown);
        bytes.remove_prefix(std::size_t(count));
    }
}

void finish(Descriptor& descriptor, const fs::path& shown) {
    if (calls().fsync(descriptor.get()) != 0) fail("Could not flush", shown);
    if (descriptor.close() != 0) fail("Could not close", shown);
}

// A rename is durable only once the folder holding it is flushed. Some file
// systems cannot flush folders, and a failure here cannot be undone: the new
// file is already in place and complete, so reporting it would only make the
// caller believe the old one is still there.
void syncFolderOf(const fs::path& file) {
    const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
    const Descriptor descriptor(
        calls().open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0));
    if (descriptor.get() >= 0) calls().fsync(descriptor.get());
}

int createExclusively(const fs::path& file, mode_t mode) {
    return calls().open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, mode);
}

// Creates `file` with `bytes`, flushed; errors name `shown`.
void writeFileAs(const fs::path& file, std::string_view bytes, const fs::path& shown) {
    Descriptor descriptor(createExclusively(file, 0666));
    if (descriptor.get() < 0) fail("Could not create", shown);
    try {
        writeAll(descriptor.get(), bytes, shown);
        finish(descriptor, shown);
    } catch (...) {
        discard(file);
        throw;
    }
}

// Renames in one step; without `replaceExisting` an existing `to` fails with EEXIST.
void moveOrFail(const fs::path& from, const fs::path& to, bool replaceExisting,
                const std::string& step) {
    int result = 0;
    if (replaceExisting) {
        result = calls().rename(from.c_str(), to.c_str());
    } else {
        result = calls().renameNoReplace(from.c_str(), to.c_str());
        // File systems without the flag: link() refuses an existing name just the same.
        if (result != 0 && (errno == EINVAL || errno == ENOSYS)) {
            result = calls().link(from.c_str(), to.c_str());
            // Should the unlink fail, the temporary is a second name of a complete
            // file, which the next start removes as a leftover.
            if (result == 0) calls().unlink(from.c_str());
        }
    }
    if (result != 0) fail(step, to);
    syncFolderOf(to);
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
        const ssize_t count = calls().read(from, buffer, sizeof buffer);
        if (count == 0) return;
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) fail("Could not read", source);
        writeAll(to, std::string_view(buffer, std::size_t(count)), copy);
    }
}

// Fails with EEXIST when anything, even a dangling link, is at `file`.
void requireAbsent(const fs::path& file) {
    struct stat status {};
    if (::lstat(file.c_str(), &status) == 0) {
        errno = EEXIST;
        fail("Could not create", file);
    }
}

}  // namespace

Syscalls Syscalls::real() {
    Syscalls real;
    real.open = [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); };
    real.read = ::read;
    real.write = ::write;
    real.fsync = ::fsync;
    real.close = ::close;
    real.rename = ::rename;
    real.renameNoReplace = [](const char* from, const char* to) {
        return ::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE);
    };
    real.link = ::link;
    real.unlink = ::unlink;
    return real;
}

ScopedSyscalls::ScopedSyscalls(Syscalls syscalls)
    : saved_(std::exchange(calls(), std::move(syscalls))) {}

ScopedSyscalls::~ScopedSyscalls() {
    calls() = std::move(saved_);
}

fs::path temporaryNameFor(const fs::path& file) {
    // Appending in place: GCC 12 warns falsely (-Wrestrict) about "." + string at -O3.
    std::string name = file.filename().string();
    name.insert(0, 1, '.');
    name.append(".").append(Uuid::random().text()).append(".tmp");
    return file.parent_path() / name;
}

void writeNew(const fs::path& file, std::string_view bytes) {
    writeFileAs(file, bytes, file);
}

void move(const fs::path& from, const fs::path& to, bool replaceExisting) {
    moveOrFail(from, to, replaceExisting, "Could not move the file to");
}

void replaceAtomically(const fs::path& file, std::string_view bytes) {
    const fs::path target = resolvedTarget(file);
    const fs::path temporary = temporaryNameFor(target);
    writeFileAs(temporary, bytes, target);
    try {
        struct stat existing {};
        if (::stat(target.c_str(), &existing) == 0) {
            ::chmod(temporary.c_str(), existing.st_mode & 07777);
        }
        moveOrFail(temporary, target, true, "Could not replace");
    } catch (...) {
        discard(temporary);
        throw;
    }
}

void copyNew(const fs::path& from, const fs::path& to) {
    const Descriptor source(calls().open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC, 0));
    if (source.get() < 0) fail("Could not open", from);
    struct stat status {};
    if (::fstat(source.get(), &status) != 0) fail("Could not read", from);
    if (!S_ISREG(status.st_mode)) {
        throw std::system_error(EINVAL, std::generic_category(),
                                "Not a regular file: " + from.string());
    }
    // Before a copy that may be long; placing the copy checks again.
    requireAbsent(to);
    const fs::path temporary = temporaryNameFor(to);
    Descriptor copy(createExclusively(temporary, status.st_mode & 0666));
    if (copy.get() < 0) fail("Could not create", to);
    try {
        copyBytes(source.get(), copy.get(), from, to);
        finish(copy, to);
        moveOrFail(temporary, to, false, "Could not create");
    } catch (...) {
        discard(temporary);
        throw;
    }
}

}  // namespace corvane::DurableFile
