// Diagnostics lines reach standard output whole, each with its line break,
// however many writers share the pipe.
#include "core/output_line.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace corvane {
namespace {

TEST(OutputLine, LinesFromConcurrentWritersNeverMixAndEachEndsItsLine) {
    int pipe[2];
    ASSERT_EQ(::pipe(pipe), 0);
    const std::string a = "Resize result: (0, 25, 720, 875), exact=true, duration=1998ms";
    const std::string b(300, 'b');
    constexpr int kLines = 200;
    std::string received;
    std::thread reader([&] {
        char buffer[4096];
        for (ssize_t n; (n = ::read(pipe[0], buffer, sizeof buffer)) > 0;)
            received.append(buffer, n);
    });
    std::thread first([&] {
        for (int i = 0; i < kLines; ++i) writeWholeLine(pipe[1], a);
    });
    std::thread second([&] {
        for (int i = 0; i < kLines; ++i) writeWholeLine(pipe[1], b + "\n");  // already ended
    });
    first.join();
    second.join();
    ::close(pipe[1]);
    reader.join();
    ::close(pipe[0]);

    std::istringstream lines(received);
    int as = 0, bs = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line == a) {
            ++as;
        } else {
            ASSERT_EQ(line, b);
            ++bs;
        }
    }
    EXPECT_EQ(as, kLines);
    EXPECT_EQ(bs, kLines);
    EXPECT_EQ(received.back(), '\n');
}

}  // namespace
}  // namespace corvane
