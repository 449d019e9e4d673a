#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace corvane::platform {

// The integer setting `name` in the XSETTINGS wire format (the
// _XSETTINGS_SETTINGS property of the settings manager); none when the data
// does not hold it as an integer or is malformed.
std::optional<std::int32_t> xsettingsInteger(const std::vector<std::uint8_t>& data,
                                             std::string_view name);

}  // namespace corvane::platform
