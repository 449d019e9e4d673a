#pragma once

#include <filesystem>
#include <string_view>

// Writing files so that a crash or a full disk never leaves a damaged or
// half-written file where a good one was. Every function throws
// std::system_error (or std::filesystem::filesystem_error) naming the failing
// step, and removes whatever partial file it created itself.
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
// (EEXIST), and flushes the copy, so the copy is complete once this returns.
// Refuses anything but a regular file without reading from it.
void copyNew(const std::filesystem::path& from, const std::filesystem::path& to);

}  // namespace corvane::DurableFile
