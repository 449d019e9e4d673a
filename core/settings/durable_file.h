#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string_view>

// Writing files so that a crash or a full disk never leaves a damaged or
// half-written file where a good one was. Every function throws
// std::system_error (or std::filesystem::filesystem_error) naming the failing
// step and the file the caller asked for, and removes whatever partial file it
// created itself. A process killed half-way leaves at most a temporary file
// named by temporaryNameFor(), never a partial file under a final name.
namespace corvane::DurableFile {

// Creates `file`, which must not exist yet, writes `bytes`, and flushes them to
// disk. Fails with EEXIST when anything (even a dangling link) is at `file`.
void writeNew(const std::filesystem::path& file, std::string_view bytes);

// Moves `from` onto `to` in one step and flushes the folder. Without
// `replaceExisting` the move fails with EEXIST if `to` exists, so a file that
// appeared meanwhile is never overwritten.
void move(const std::filesystem::path& from, const std::filesystem::path& to, bool replaceExisting);

// Replaces `file` with `bytes` atomically and durably: a temporary file in the
// same folder is written and flushed, then renamed over `file`. The old file stays
// intact until the new one is complete; the temporary file never outlives the
// call. An existing file keeps its permissions, and a symbolic link keeps
// pointing where it did, its target being replaced.
void replaceAtomically(const std::filesystem::path& file, std::string_view bytes);

// Copies the regular file `from` to the new file `to`, which must not exist yet
// (EEXIST). The copy is written and flushed under a temporary name, then given
// its final name without replacing anything, so `to` is complete or absent.
// Refuses anything but a regular file without reading from it.
void copyNew(const std::filesystem::path& from, const std::filesystem::path& to);

// The name of a temporary file for `file` (same folder): "." + its name + "." +
// a new UUID + ".tmp".
std::filesystem::path temporaryNameFor(const std::filesystem::path& file);

// The system calls the functions above make, so that tests can make any of them
// fail, or stop the process, at any step. Production code never changes them.
struct Syscalls {
    std::function<int(const char* path, int flags, mode_t mode)> open;
    std::function<ssize_t(int descriptor, void* buffer, size_t size)> read;
    std::function<ssize_t(int descriptor, const void* bytes, size_t size)> write;
    std::function<int(int descriptor)> fsync;
    std::function<int(int descriptor)> close;
    std::function<int(const char* from, const char* to)> rename;
    std::function<int(const char* from, const char* to)> renameNoReplace;
    std::function<int(const char* from, const char* to)> link;
    std::function<int(const char* path)> unlink;

    // The operating system's own calls.
    static Syscalls real();
};

// Makes every function above use `syscalls` while it lives. For tests only, and
// not thread-safe: nothing else may write files through this code meanwhile.
class ScopedSyscalls {
public:
    explicit ScopedSyscalls(Syscalls syscalls);
    ~ScopedSyscalls();
    ScopedSyscalls(const ScopedSyscalls&) = delete;
    ScopedSyscalls& operator=(const ScopedSyscalls&) = delete;

private:
    Syscalls saved_;
};

}  // namespace corvane::DurableFile
