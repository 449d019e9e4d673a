#include "core/settings/json_reader.h"

#include <cmath>
#include <limits>

#include "core/settings/settings_error.h"

namespace corvane {

namespace {

// A float token too large for any integer: 1e30 or 18446744073709551616.
bool isHugeWholeNumber(const nlohmann::json& value) {
    if (!value.is_number_float()) return false;
    const double number = value.get<double>();
    return std::isfinite(number) && std::fabs(number) >= 0x1p63;
}

std::string quoted(const std::string& path) {
    return "\u201C" + path + "\u201D";
}

}  // namespace

JsonReader::JsonReader(const Json& object, std::string path)
    : object_(object), path_(std::move(path)) {}

const JsonReader::Json* JsonReader::optional(const char* key) const {
    const auto found = object_.find(key);
    if (found == object_.end() || found->is_null()) return nullptr;
    return &*found;
}

const JsonReader::Json& JsonReader::required(const char* key) const {
    const auto found = object_.find(key);
    if (found == object_.end()) {
        throw SettingsFormatError("The settings file is missing " + quoted(pathOf(key)) + ".");
    }
    return *found;
}

JsonReader JsonReader::object(const char* key) const {
    const Json& value = required(key);
    if (!value.is_object()) fail(key, "must be an object");
    return JsonReader(value, pathOf(key));
}

const JsonReader::Json::array_t& JsonReader::array(const char* key) const {
    const Json& value = required(key);
    if (!value.is_array()) fail(key, "must be a list");
    return value.get_ref<const Json::array_t&>();
}

JsonReader JsonReader::element(const Json::array_t& array, std::size_t index,
                               const char* key) const {
    const Json& value = array[index];
    const std::string path = pathOf(key) + "[" + std::to_string(index) + "]";
    if (!value.is_object()) {
        throw SettingsFormatError("In the settings file, " + quoted(path) + " must be an object.");
    }
    return JsonReader(value, path);
}

bool JsonReader::boolean(const char* key) const {
    return boolean(required(key), key);
}

bool JsonReader::boolean(const Json& value, const char* key) const {
    if (!value.is_boolean()) fail(key, "must be true or false");
    return value.get<bool>();
}

double JsonReader::number(const char* key) const {
    const Json& value = required(key);
    if (!value.is_number()) fail(key, "must be a number");
    return value.get<double>();
}

const std::string& JsonReader::text(const char* key) const {
    const Json& value = required(key);
    if (!value.is_string()) fail(key, "must be text");
    return value.get_ref<const std::string&>();
}

std::int64_t JsonReader::int64(const char* key) const {
    return int64(required(key), key);
}

std::int64_t JsonReader::int64(const Json& value, const char* key) const {
    if (isHugeWholeNumber(value)) fail(key, "is out of range");
    if (!value.is_number_integer()) fail(key, "must be a whole number");
    if (value.is_number_unsigned() &&
        value.get<std::uint64_t>() > std::uint64_t(std::numeric_limits<std::int64_t>::max())) {
        fail(key, "is out of range");
    }
    return value.get<std::int64_t>();
}

std::uint64_t JsonReader::unsignedInteger(const char* key, std::uint64_t highest) const {
    const Json& value = required(key);
    const std::string range = "must be from 0 to " + std::to_string(highest);
    if (isHugeWholeNumber(value)) fail(key, range);
    if (!value.is_number_integer()) fail(key, "must be a whole number");
    // Negative numbers are stored signed; non-negative ones may be either.
    if (!value.is_number_unsigned() && value.get<std::int64_t>() < 0) fail(key, range);
    const std::uint64_t number = value.get<std::uint64_t>();
    if (number > highest) fail(key, range);
    return number;
}

std::uint16_t JsonReader::uint16(const char* key) const {
    return static_cast<std::uint16_t>(
        unsignedInteger(key, std::numeric_limits<std::uint16_t>::max()));
}

std::uint32_t JsonReader::uint32(const char* key) const {
    return static_cast<std::uint32_t>(
        unsignedInteger(key, std::numeric_limits<std::uint32_t>::max()));
}

void JsonReader::fail(const char* key, std::string_view problem) const {
    throw SettingsFormatError("In the settings file, " + quoted(pathOf(key)) + " " +
                              std::string(problem) + ".");
}

std::string JsonReader::pathOf(const char* key) const {
    return path_.empty() ? std::string(key) : path_ + "." + key;
}

}  // namespace corvane
