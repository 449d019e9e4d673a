#pragma once

#include <filesystem>
#include <string>

namespace corvane {

// What stood at a path when it was looked at: nothing, a regular file's bytes,
// or something that cannot be read as a settings file. Two snapshots differ when
// a reader would notice a difference, so a file rewritten with the same bytes
// (an editor's save without changes, Corvane's own save) counts as unchanged.
struct FileSnapshot {
    enum class Kind { missing, bytes, unreadable };

    Kind kind = Kind::missing;
    // The bytes, at most one more than a settings file may hold; for an unreadable
    // entry, what identifies it (the error, or its type, size and change time).
    std::string content;
    // The file could not be looked at for now (no file descriptor or memory
    // left), which says nothing about the file itself.
    bool transient = false;

    // Never blocks: pipes and devices are not read from.
    static FileSnapshot of(const std::filesystem::path& file);
    static FileSnapshot ofBytes(std::string bytes) { return {Kind::bytes, std::move(bytes)}; }

    bool operator==(const FileSnapshot&) const = default;
};

}  // namespace corvane
