#pragma once

#include <string_view>

namespace corvane {

// Writes `line` and a line break to `descriptor` in one write, so no other
// output of this or another process lands inside it, and retries what an
// interrupted or partial write left. Standard output is flushed first to keep
// the order of earlier output. Errors (a closed pipe) are ignored: diagnostics
// never stop the program.
void writeWholeLine(int descriptor, std::string_view line);

}  // namespace corvane
