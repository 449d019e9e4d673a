#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace corvane::e2e {

// A child process of a test: in its own process group, killed when the test
// process dies (PR_SET_PDEATHSIG), and stopped with its whole group when this
// object goes away, so that nothing survives a crashed or failed test.
class ChildProcess {
public:
    struct Options {
        std::vector<std::string> argv{};
        std::vector<std::string> env{};  // "NAME=value" on top of the test's environment
        std::string outputFile{};        // stdout and stderr; empty: /dev/null
        bool captureStdout = false;      // stdout in a pipe instead, for readLine()
    };

    ChildProcess() = default;
    explicit ChildProcess(const Options& options);  // throws std::runtime_error
    ChildProcess(ChildProcess&& other) noexcept { *this = std::move(other); }
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ~ChildProcess();

    pid_t pid() const { return pid_; }
    bool running();  // reaps it when it has ended
    // One line of the captured stdout, without the newline; none on timeout or end.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);
    // Its exit status (128 + signal when killed); none on timeout.
    std::optional<int> wait(std::chrono::milliseconds timeout);
    // SIGTERM to the whole group, SIGKILL after `grace`. Idempotent.
    void stop(std::chrono::milliseconds grace = std::chrono::milliseconds(2000));

private:
    pid_t pid_ = -1;
    int stdoutFd_ = -1;
    std::optional<int> status_;
    std::string buffered_;
};

// Runs a command to completion: its exit status (124 when killed after
// `timeout`), its stdout in `output` and its stderr in `errors` when given.
int runCommand(const std::vector<std::string>& argv, const std::vector<std::string>& env,
               std::string* output, std::chrono::milliseconds timeout,
               std::string* errors = nullptr);

}  // namespace corvane::e2e
