#pragma once

#include <cstdint>
#include <filesystem>
#include <string_view>
#include <vector>

// Temporary files that a save, a backup or the copy from the earlier folder
// leave behind when the process is killed half-way. Nothing ever reads them;
// they are removed at the next start so that they do not pile up.
namespace corvane::SettingsLeftovers {

// How old a temporary file must be before it counts as abandoned. A save takes
// milliseconds; a younger file may belong to a save running in another process
// (a second Corvane, a script), which must not lose it half-way.
inline constexpr std::int64_t abandonedAfterSeconds = 60;

// True when `name` is exactly one of the temporary names Corvane uses in its
// settings folder: ".settings.json.<UUID>.tmp", ".migration-<UUID>.json", or the
// temporary name of a backup (".settings-invalid-<seconds>.json.<UUID>.tmp",
// ".settings-before-presets-v<N>-<UUID>.json.<UUID>.tmp").
bool isLeftoverName(std::string_view name);

// Removes from `folder` the regular files with a leftover name last changed more
// than abandonedAfterSeconds before `nowSeconds` (seconds since 1970). Links,
// folders and any other name are never touched. Returns what was removed;
// failures are skipped, since a leftover harms nothing.
std::vector<std::filesystem::path> removeAbandoned(const std::filesystem::path& folder,
                                                   std::int64_t nowSeconds);

}  // namespace corvane::SettingsLeftovers
