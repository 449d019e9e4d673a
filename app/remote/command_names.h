#pragma once

#include <string_view>

// The commands one `corvane` process sends the running one, as they travel
// over the socket. The sending command line and the receiving instance both
// read them from here.
namespace corvane::CommandName {

inline constexpr std::string_view launch = "launch";
inline constexpr std::string_view applyLayout = "apply-layout";
inline constexpr std::string_view undo = "undo";
inline constexpr std::string_view toggleGrid = "toggle-grid";
inline constexpr std::string_view listLayouts = "list-layouts";
inline constexpr std::string_view status = "status";
inline constexpr std::string_view quit = "quit";

}  // namespace corvane::CommandName
