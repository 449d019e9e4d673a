#pragma once

#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace corvane::e2e {

// A child process of a test: in its own process group, killed when the test
// process dies (PR_SET_PDEATHSIG), and stopped with its whole group when this
// object goes away, so that nothing survives a crashed or failed test.
class ChildProcess {
public:
    struct Options {
        std::vector<std::string> argv;
        // Extra "NAME=value" entries on top of the test's environment.
        std::vector<std::string> env;
        // Where stdout and stderr go: a file path, or empty for /dev/null.
        std::string outputFile;
        // Capture stdout in a pipe instead (read it with readLine()).
        bool captureStdout = false;
        // An open descriptor of the parent that the child gets as descriptor 3
        // (for `-displayfd 3`); -1 for none.
        int inheritFd = -1;
    };

    ChildProcess() = default;
    explicit ChildProcess(const Options& options);  // throws std::runtime_error
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;
    ~ChildProcess();

    pid_t pid() const { return pid_; }
    // Whether it is still running (reaps it when it has ended).
    bool running();
    // One line of the captured stdout, without the newline; none on timeout or end.
    std::optional<std::string> readLine(std::chrono::milliseconds timeout);
    // Waits for the process to end; its exit status (128 + signal when killed),
    // none on timeout.
    std::optional<int> wait(std::chrono::milliseconds timeout);
    // SIGTERM to the whole group, then SIGKILL after `grace`. Idempotent.
    void stop(std::chrono::milliseconds grace = std::chrono::milliseconds(2000));

private:
    pid_t pid_ = -1;
    int stdoutFd_ = -1;
    std::optional<int> status_;
    std::string buffered_;
};

// Runs a command to completion: its exit status, its stdout in `output` and
// its stderr in `errors` when given. Killed (status 124) when it runs longer
// than `timeout`.
int runCommand(const std::vector<std::string>& argv, const std::vector<std::string>& env,
               std::string* output, std::chrono::milliseconds timeout, std::string* errors = nullptr);

}  // namespace corvane::e2e
