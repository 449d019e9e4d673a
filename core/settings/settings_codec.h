#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "core/settings/app_settings.h"
#include "core/settings/settings_error.h"

// Converts settings documents between bytes and AppSettings and checks them.
// Nothing is ever accepted, written or exported without passing `validate`.
//
// Errors: a document whose content breaks a rule, a file that is too large,
// cannot be opened or is not a regular file throw SettingsError with the fixed
// message for that case. Bytes that are not a settings document at all (not
// JSON, a required key missing, a mistyped or oversized value) throw
// SettingsFormatError, whose what() describes the problem and where it is. A
// failed read throws std::system_error. Callers show what() unchanged.
namespace corvane::SettingsCodec {

// The largest document read or written, in bytes (decimal megabytes).
inline constexpr std::size_t maximumBytes = 2'000'000;
inline constexpr std::string_view tooLargeMessage = "Settings files must be smaller than 2 MB.";

// Returns `settings` unchanged when every rule holds, else throws SettingsError
// with the message of the first rule that fails. Nothing is trimmed or clamped.
const AppSettings& validate(const AppSettings& settings);

// Parses and validates a document. Refuses more than `maximumBytes` before parsing.
AppSettings decode(std::string_view bytes);

// Reads and decodes a file without ever blocking on it: pipes, devices and
// folders are refused, and a file reported as too large is refused unread.
AppSettings load(const std::filesystem::path& file);

// Validates, then writes pretty-printed JSON with the keys of every object in
// order. Absent shortcuts are left out rather than written as null.
std::string encode(const AppSettings& settings);

}  // namespace corvane::SettingsCodec
