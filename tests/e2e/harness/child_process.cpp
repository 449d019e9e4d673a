#include "tests/e2e/harness/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace corvane::e2e {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

milliseconds until(Clock::time_point deadline) {
    return std::max(milliseconds(0),
                    std::chrono::duration_cast<milliseconds>(deadline - Clock::now()));
}

// The extra entries, then the test's own ones they do not override.
std::vector<std::string> mergedEnvironment(const std::vector<std::string>& extra) {
    std::vector<std::string> merged = extra;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e, name = entry.substr(0, entry.find('=') + 1);
        auto overrides = [&](const std::string& x) { return x.starts_with(name); };
        if (std::none_of(extra.begin(), extra.end(), overrides)) merged.push_back(entry);
    }
    return merged;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    result.reserve(strings.size() + 1);
    for (auto& s : strings) result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

int statusCode(int status) {
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

ChildProcess::ChildProcess(const Options& options) {
    if (options.argv.empty()) throw std::runtime_error("no command given");
    const std::string& program = options.argv.front();
    std::vector<std::string> args = options.argv, env = mergedEnvironment(options.env);
    std::vector<char*> argp = pointers(args), envp = pointers(env);
    int outFd = open(options.outputFile.empty() ? "/dev/null" : options.outputFile.c_str(),
                     O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    int pipeFds[2] = {-1, -1};
    if (outFd < 0 || (options.captureStdout && pipe2(pipeFds, O_CLOEXEC) != 0))
        throw std::runtime_error("cannot set up the output of " + program);
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        // Only async-signal-safe calls from here on.
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);  // the test died before prctl
        dup2(open("/dev/null", O_RDONLY), 0);
        dup2(options.captureStdout ? pipeFds[1] : outFd, 1);
        dup2(outFd, 2);
        execvpe(program.c_str(), argp.data(),
                envp.data());  // glibc's searches PATH without allocating
        _exit(127);
    }
    close(outFd);
    if (options.captureStdout) close(pipeFds[1]);
    if (pid < 0) {
        if (options.captureStdout) close(pipeFds[0]);
        throw std::runtime_error("fork failed");
    }
    setpgid(pid, pid);  // also here, so that the group exists before anyone signals it
    pid_ = pid;
    stdoutFd_ = pipeFds[0];
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this == &other) return *this;
    stop();
    if (stdoutFd_ >= 0) close(stdoutFd_);
    pid_ = std::exchange(other.pid_, -1);
    stdoutFd_ = std::exchange(other.stdoutFd_, -1);
    status_ = other.status_;
    buffered_ = std::move(other.buffered_);
    return *this;
}

ChildProcess::~ChildProcess() {
    stop();
    if (stdoutFd_ >= 0) close(stdoutFd_);
}

bool ChildProcess::running() {
    if (pid_ < 0 || status_) return false;
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) status_ = statusCode(status);
    return r == 0;
}

std::optional<std::string> ChildProcess::readLine(milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (true) {
        if (auto newline = buffered_.find('\n'); newline != std::string::npos) {
            std::string line = buffered_.substr(0, newline);
            buffered_.erase(0, newline + 1);
            return line;
        }
        if (stdoutFd_ < 0) return std::nullopt;
        pollfd p{stdoutFd_, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(until(deadline).count())) <= 0) return std::nullopt;
        char chunk[512];
        const ssize_t n = read(stdoutFd_, chunk, sizeof chunk);
        if (n <= 0) {
            close(std::exchange(stdoutFd_, -1));
            if (!buffered_.empty()) return std::exchange(buffered_, {});
        } else {
            buffered_.append(chunk, static_cast<std::size_t>(n));
        }
    }
}

std::optional<int> ChildProcess::wait(milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (running()) {
        if (Clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(milliseconds(5));
    }
    return status_;
}

void ChildProcess::stop(milliseconds grace) {
    if (pid_ < 0) return;
    kill(-pid_, SIGTERM);
    wait(grace);
    kill(-pid_, SIGKILL);  // also whatever else the child started in its group
    int status = 0;
    if (!status_ && waitpid(pid_, &status, 0) == pid_) status_ = statusCode(status);
    pid_ = -1;
}

int runCommand(const std::vector<std::string>& argv, const std::vector<std::string>& env,
               std::string* output, milliseconds timeout, std::string* errors) {
    static int calls = 0;
    const std::string errorFile =
        errors ? "/tmp/corvane-stderr-" + std::to_string(getpid()) + "-" + std::to_string(++calls)
               : "";
    ChildProcess child(
        {.argv = argv, .env = env, .outputFile = errorFile, .captureStdout = output != nullptr});
    const auto deadline = Clock::now() + timeout;
    while (auto line = output ? child.readLine(until(deadline)) : std::nullopt)
        *output += *line + "\n";
    const int status = child.wait(until(deadline)).value_or(124);  // 124: it ran too long
    child.stop();
    if (errors) {
        std::ifstream in(errorFile);
        errors->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        std::filesystem::remove(errorFile);
    }
    return status;
}

}  // namespace corvane::e2e
