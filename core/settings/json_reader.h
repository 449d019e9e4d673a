#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

namespace corvane {

// Reads typed values out of one JSON object and names the exact place of any
// problem ("layouts[2].grid.columns") in a SettingsFormatError, so a user can
// find it in the file.
class JsonReader {
public:
    using Json = nlohmann::json;

    // `path` is the object's place in the document; empty for the top level.
    JsonReader(const Json& object, std::string path);

    // The value under `key` unless it is missing or null.
    const Json* optional(const char* key) const;

    JsonReader object(const char* key) const;
    const Json::array_t& array(const char* key) const;
    JsonReader element(const Json::array_t& array, std::size_t index, const char* key) const;

    bool boolean(const char* key) const;
    double number(const char* key) const;
    const std::string& text(const char* key) const;
    std::int64_t int64(const char* key) const;
    std::uint16_t uint16(const char* key) const;
    std::uint32_t uint32(const char* key) const;
    // For optional keys that are present and not null.
    bool boolean(const Json& value, const char* key) const;
    std::int64_t int64(const Json& value, const char* key) const;

    [[noreturn]] void fail(const char* key, std::string_view problem) const;

private:
    const Json& required(const char* key) const;
    std::uint64_t unsignedInteger(const char* key, std::uint64_t highest) const;
    std::string pathOf(const char* key) const;

    const Json& object_;
    std::string path_;
};

}  // namespace corvane
