#pragma once

#include <cstddef>
#include <string>

namespace corvane {

// What a bounded read got: the bytes up to end of file or the limit, and the
// errno of a read that failed part way (0 when none did).
struct BoundedRead {
    std::string bytes;
    int error = 0;
};

// Reads `descriptor` until end of file or `limit` bytes, whichever comes first.
// The buffer grows with what actually arrives, so a small file costs a small
// buffer whatever the limit: a kept copy of the settings file must not hold on
// to megabytes it never used.
BoundedRead readAtMost(int descriptor, std::size_t limit);

}  // namespace corvane
