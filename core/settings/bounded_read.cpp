#include "core/settings/bounded_read.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace corvane {

BoundedRead readAtMost(int descriptor, std::size_t limit) {
    constexpr std::size_t chunk = std::size_t{64} * 1024;
    BoundedRead result;
    std::size_t filled = 0;
    while (filled < limit) {
        const std::size_t wanted = std::min(chunk, limit - filled);
        result.bytes.resize(filled + wanted);
        const ssize_t count = ::read(descriptor, result.bytes.data() + filled, wanted);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) result.error = errno;
        if (count <= 0) break;
        filled += std::size_t(count);
    }
    result.bytes.resize(filled);
    result.bytes.shrink_to_fit();
    return result;
}

}  // namespace corvane
