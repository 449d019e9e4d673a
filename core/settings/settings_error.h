#pragma once

#include <stdexcept>
#include <string>
#include <utility>

namespace corvane {

// Why a settings document was refused. The message is shown to the user
// unchanged, sometimes after a prefix such as "Import failed: ".
class SettingsError : public std::exception {
public:
    static SettingsError invalid(std::string message) { return SettingsError(std::move(message)); }

    const std::string& message() const { return message_; }
    const std::string& description() const { return message_; }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    explicit SettingsError(std::string message) : message_(std::move(message)) {}

    std::string message_;
};

// Why bytes could not be read as a settings document at all: not JSON, a
// required key missing, a value of the wrong type or too large for its field.
// what() is a sentence for the user naming the place, such as
// "In the settings file, “layouts[2].grid.columns” must be a whole number."
class SettingsFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace corvane
