#pragma once

#include <functional>
#include <string>

namespace corvane {

// How a placement or undo ended, for scripting callers.
struct PlacementOutcome {
    enum class Kind { exact, notExact, failed, ignored };
    Kind kind = Kind::ignored;
    std::string text;  // the notice or error description
};
using PlacementCallback = std::function<void(const PlacementOutcome&)>;

}  // namespace corvane
