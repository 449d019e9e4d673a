#include "tests/e2e/harness/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>
#include <utility>

extern char** environ;

namespace corvane::e2e {

namespace {

using Clock = std::chrono::steady_clock;

// execvp may allocate while it searches PATH, which is unsafe after fork in a
// threaded process: resolve the program before forking.
std::string resolveProgram(const std::string& name) {
    if (name.find('/') != std::string::npos) return name;
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    std::size_t start = 0;
    while (start <= dirs.size()) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    throw std::runtime_error("program not found: " + name);
}

std::vector<std::string> mergedEnvironment(const std::vector<std::string>& extra) {
    std::vector<std::string> merged;
    auto nameOf = [](const std::string& entry) { return entry.substr(0, entry.find('=')); };
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        bool overridden = false;
        for (const auto& x : extra) overridden = overridden || nameOf(x) == nameOf(entry);
        if (!overridden) merged.push_back(std::move(entry));
    }
    merged.insert(merged.end(), extra.begin(), extra.end());
    return merged;
}

std::vector<char*> pointers(std::vector<std::string>& strings) {
    std::vector<char*> result;
    for (auto& s : strings) result.push_back(s.data());
    result.push_back(nullptr);
    return result;
}

int statusCode(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

ChildProcess::ChildProcess(const Options& options) {
    if (options.argv.empty()) throw std::runtime_error("no command given");
    std::string program = resolveProgram(options.argv.front());
    std::vector<std::string> args = options.argv;
    std::vector<std::string> env = mergedEnvironment(options.env);
    std::vector<char*> argp = pointers(args);
    std::vector<char*> envp = pointers(env);

    int outFd = options.outputFile.empty()
                    ? open("/dev/null", O_WRONLY | O_CLOEXEC)
                    : open(options.outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (outFd < 0) throw std::runtime_error("cannot open output for " + program);
    int pipeFds[2] = {-1, -1};
    if (options.captureStdout && pipe2(pipeFds, O_CLOEXEC) != 0) {
        close(outFd);
        throw std::runtime_error("pipe failed");
    }

    const pid_t parent = getpid();
    pid_t pid = fork();
    if (pid < 0) {
        close(outFd);
        if (pipeFds[0] >= 0) close(pipeFds[0]), close(pipeFds[1]);
        throw std::runtime_error("fork failed");
    }
    if (pid == 0) {
        // Only async-signal-safe calls from here on.
        setpgid(0, 0);
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(127);  // the test died before prctl
        int devNull = open("/dev/null", O_RDONLY);
        if (devNull >= 0) dup2(devNull, 0);
        dup2(options.captureStdout ? pipeFds[1] : outFd, 1);
        dup2(outFd, 2);
        if (options.inheritFd >= 0) {
            if (options.inheritFd == 3) {
                fcntl(3, F_SETFD, 0);
            } else {
                dup2(options.inheritFd, 3);
            }
        }
        execve(program.c_str(), argp.data(), envp.data());
        _exit(127);
    }
    // Also from the parent, so that the group exists before anyone signals it.
    setpgid(pid, pid);
    pid_ = pid;
    close(outFd);
    if (options.captureStdout) {
        close(pipeFds[1]);
        stdoutFd_ = pipeFds[0];
    }
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      stdoutFd_(std::exchange(other.stdoutFd_, -1)),
      status_(other.status_),
      buffered_(std::move(other.buffered_)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        stop();
        if (stdoutFd_ >= 0) close(stdoutFd_);
        pid_ = std::exchange(other.pid_, -1);
        stdoutFd_ = std::exchange(other.stdoutFd_, -1);
        status_ = other.status_;
        buffered_ = std::move(other.buffered_);
    }
    return *this;
}

ChildProcess::~ChildProcess() {
    stop();
    if (stdoutFd_ >= 0) close(stdoutFd_);
}

bool ChildProcess::running() {
    if (pid_ < 0 || status_) return false;
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
        status_ = statusCode(status);
        return false;
    }
    return r == 0;
}

std::optional<std::string> ChildProcess::readLine(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (true) {
        auto newline = buffered_.find('\n');
        if (newline != std::string::npos) {
            std::string line = buffered_.substr(0, newline);
            buffered_.erase(0, newline + 1);
            return line;
        }
        if (stdoutFd_ < 0) return std::nullopt;
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return std::nullopt;
        pollfd p{stdoutFd_, POLLIN, 0};
        int ready = poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return std::nullopt;
        char chunk[512];
        ssize_t n = read(stdoutFd_, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            close(stdoutFd_);
            stdoutFd_ = -1;
            if (!buffered_.empty()) return std::exchange(buffered_, {});
            continue;
        }
        buffered_.append(chunk, static_cast<std::size_t>(n));
    }
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (running()) {
        if (Clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return status_;
}

void ChildProcess::stop(std::chrono::milliseconds grace) {
    if (pid_ < 0) return;
    if (running()) {
        kill(-pid_, SIGTERM);
        kill(pid_, SIGTERM);
        if (!wait(grace)) {
            kill(-pid_, SIGKILL);
            kill(pid_, SIGKILL);
            wait(std::chrono::milliseconds(5000));
        }
    }
    // Whatever else the child started in its group goes too.
    kill(-pid_, SIGKILL);
    if (!status_) {
        int status = 0;
        if (waitpid(pid_, &status, 0) == pid_) status_ = statusCode(status);
    }
    pid_ = -1;
}

int runCommand(const std::vector<std::string>& argv, const std::vector<std::string>& env,
               std::string* output, std::chrono::milliseconds timeout, std::string* errors) {
    ChildProcess::Options options;
    options.argv = argv;
    options.env = env;
    options.captureStdout = output != nullptr;
    std::string errorFile;
    if (errors) {
        char name[] = "/tmp/corvane-stderr-XXXXXX";
        int fd = mkstemp(name);
        if (fd < 0) throw std::runtime_error("cannot create a temporary file");
        close(fd);
        errorFile = options.outputFile = name;
    }
    int status = 124;
    {
        ChildProcess child(options);
        const auto deadline = Clock::now() + timeout;
        if (output) {
            while (Clock::now() < deadline) {
                auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
                auto line = child.readLine(left);
                if (!line) break;
                *output += *line + "\n";
            }
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (auto ended = child.wait(std::max(left, std::chrono::milliseconds(0)))) status = *ended;
        else child.stop(std::chrono::milliseconds(200));
    }
    if (errors) {
        std::ifstream in(errorFile);
        errors->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        std::remove(errorFile.c_str());
    }
    return status;
}

}  // namespace corvane::e2e
