#pragma once

#include <string_view>

namespace corvane {

// What the user reads when a window stopped short of the selected frame.
inline constexpr std::string_view SizeNotice =
    "The window did not reach the selected size. It may have a minimum size or another resize "
    "restriction. You can undo this change.";

}  // namespace corvane
