#include "platform/x11/x11_xsettings.h"

#include <cstddef>

namespace corvane::platform {

namespace {

// Reads the settings manager's data in its own byte order, refusing to run
// past the end: the property belongs to another client and may be anything.
class Reader {
public:
    Reader(const std::vector<std::uint8_t>& data, bool bigEndian)
        : data_(data), bigEndian_(bigEndian) {}

    bool skip(std::size_t n) {
        if (n > data_.size() - pos_) return false;
        pos_ += n;
        return true;
    }
    bool skipPadded(std::size_t n) { return n <= data_.size() && skip((n + 3) & ~std::size_t{3}); }
    std::optional<std::uint32_t> card(std::size_t bytes) {
        if (bytes > data_.size() - pos_) return std::nullopt;
        std::uint32_t v = 0;
        for (std::size_t i = 0; i < bytes; ++i) {
            std::uint32_t b = data_[pos_ + i];
            v |= bigEndian_ ? b << (8 * (bytes - 1 - i)) : b << (8 * i);
        }
        pos_ += bytes;
        return v;
    }
    std::string_view view(std::size_t n) const {
        if (n > data_.size() - pos_) return {};
        return std::string_view(reinterpret_cast<const char*>(data_.data()) + pos_, n);
    }

private:
    const std::vector<std::uint8_t>& data_;
    bool bigEndian_;
    std::size_t pos_ = 0;
};

enum SettingType : std::uint8_t { integer = 0, string = 1, color = 2 };

}  // namespace

std::optional<std::int32_t> xsettingsInteger(const std::vector<std::uint8_t>& data,
                                             std::string_view name) {
    if (data.size() < 12) return std::nullopt;
    Reader r(data, data[0] == 1);
    r.skip(4);
    auto serial = r.card(4);
    auto count = r.card(4);
    if (!serial || !count) return std::nullopt;
    for (std::uint32_t i = 0; i < *count; ++i) {
        auto type = r.card(1);
        if (!type || !r.skip(1)) return std::nullopt;
        auto nameLength = r.card(2);
        if (!nameLength) return std::nullopt;
        bool wanted = r.view(*nameLength) == name && name.size() == *nameLength;
        if (!r.skipPadded(*nameLength) || !r.card(4)) return std::nullopt;
        switch (*type) {
            case integer: {
                auto value = r.card(4);
                if (!value) return std::nullopt;
                if (wanted) return static_cast<std::int32_t>(*value);
                break;
            }
            case string: {
                auto length = r.card(4);
                if (!length || !r.skipPadded(*length)) return std::nullopt;
                break;
            }
            case color:
                if (!r.skip(8)) return std::nullopt;
                break;
            default:
                return std::nullopt;
        }
        if (wanted) return std::nullopt;  // present, but not an integer
    }
    return std::nullopt;
}

}  // namespace corvane::platform
