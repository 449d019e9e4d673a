#pragma once

#include <cstdint>

// Codes of the keys the grid panel handles itself, in the layout-independent
// numbering that settings files store for shortcuts (platform/key_code_map
// translates them to and from X11 key codes).
namespace corvane::KeyCode {

inline constexpr std::uint16_t z = 6;
inline constexpr std::uint16_t equals = 24;
inline constexpr std::uint16_t minus = 27;
inline constexpr std::uint16_t returnKey = 36;
inline constexpr std::uint16_t comma = 43;
inline constexpr std::uint16_t tab = 48;
inline constexpr std::uint16_t escape = 53;
inline constexpr std::uint16_t keypadEnter = 76;
inline constexpr std::uint16_t leftArrow = 123;
inline constexpr std::uint16_t rightArrow = 124;
inline constexpr std::uint16_t downArrow = 125;
inline constexpr std::uint16_t upArrow = 126;

}  // namespace corvane::KeyCode
