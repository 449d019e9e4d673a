#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// A 128-bit identifier. Written as 36 characters, 8-4-4-4-12 upper-case hex
// digits separated by dashes; read in either case.
class Uuid {
public:
    using Bytes = std::array<std::uint8_t, 16>;

    // The nil identifier, all zero.
    Uuid() = default;
    explicit Uuid(const Bytes& bytes) : bytes_(bytes) {}

    // A new random (version 4) identifier.
    static Uuid random();
    // None unless `text` is exactly 8-4-4-4-12 hex digits with dashes.
    static std::optional<Uuid> parse(std::string_view text);

    std::string text() const;
    const Bytes& bytes() const { return bytes_; }

    bool operator==(const Uuid&) const = default;
    auto operator<=>(const Uuid&) const = default;

private:
    Bytes bytes_{};
};

}  // namespace corvane

template <>
struct std::hash<corvane::Uuid> {
    std::size_t operator()(const corvane::Uuid& uuid) const noexcept;
};
