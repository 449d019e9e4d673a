#include "core/output_line.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <iostream>
#include <string>

namespace corvane {

void writeWholeLine(int descriptor, std::string_view line) {
    std::string bytes(line);
    if (bytes.empty() || bytes.back() != '\n') bytes += '\n';
    std::cout.flush();
    std::fflush(stdout);
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(descriptor, bytes.data() + written, bytes.size() - written);
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) return;
        written += std::size_t(count);
    }
}

}  // namespace corvane
