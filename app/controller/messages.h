#pragma once

#include <string_view>

// Sentences the user reads in more than one place: on the grid panel and in
// the answers to scripting commands.
namespace corvane::Messages {

// A window stopped short of the selected frame.
inline constexpr std::string_view sizeNotice =
    "The window did not reach the selected size. It may have a minimum size or another resize "
    "restriction. You can undo this change.";
inline constexpr std::string_view arranging = "Arranging window\u2026";
inline constexpr std::string_view restored = "Restored the previous window position.";
inline constexpr std::string_view busy =
    "Another placement is still in progress. Try again in a moment.";
inline constexpr std::string_view nothingToUndo = "There is nothing to undo.";

}  // namespace corvane::Messages
