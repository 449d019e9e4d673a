#pragma once

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "core/settings/durable_file.h"

namespace corvane::testing {

// What happens at the chosen system call of a settings write.
enum class Fault {
    fail,        // the call fails with the chosen errno, doing nothing
    shortWrite,  // a write stores only half of what it was given, and says so
    kill,        // the process is killed with SIGKILL just before the call
};
// A call number that is never reached: every call goes through unchanged.
inline constexpr int kNoCall = 0;

// While it lives, the durable-file code's system calls go to the real ones,
// counted from 1, except call number `at`, which gets `fault`. Records the name
// of every call made, so a test knows how many steps there were.
class InjectedFaults {
public:
    InjectedFaults(int at, Fault fault, int error = 0)
        : state_(std::make_shared<State>(State{at, fault, error, {}})),
          scope_(syscallsFor(state_)) {}

    // The calls made so far, in order ("open", "write", ...).
    const std::vector<std::string>& calls() const { return state_->calls; }
    // Whether call number `at` was reached.
    bool struck() const { return int(state_->calls.size()) >= state_->at; }
    // The name of the call that got the fault; empty when none did.
    std::string struckCall() const { return struck() ? state_->calls[state_->at - 1] : ""; }

private:
    struct State {
        int at;
        Fault fault;
        int error;
        std::vector<std::string> calls;

        // Counts the call; true when it is the one to fail. Kills here when asked to.
        bool strikes(const char* name) {
            calls.emplace_back(name);
            if (int(calls.size()) != at) return false;
            if (fault == Fault::kill) ::kill(::getpid(), SIGKILL);
            return fault == Fault::fail;
        }
        bool shortens() const { return int(calls.size()) == at && fault == Fault::shortWrite; }
        int failWith() {
            errno = error;
            return -1;
        }
    };

    static DurableFile::Syscalls syscallsFor(const std::shared_ptr<State>& s) {
        const DurableFile::Syscalls real = DurableFile::Syscalls::real();
        DurableFile::Syscalls faulty;
        faulty.open = [s, real](const char* path, int flags, mode_t mode) {
            return s->strikes("open") ? s->failWith() : real.open(path, flags, mode);
        };
        faulty.read = [s, real](int descriptor, void* buffer, size_t size) -> ssize_t {
            return s->strikes("read") ? s->failWith() : real.read(descriptor, buffer, size);
        };
        faulty.write = [s, real](int descriptor, const void* bytes, size_t size) -> ssize_t {
            if (s->strikes("write")) return s->failWith();
            return real.write(descriptor, bytes, s->shortens() ? (size + 1) / 2 : size);
        };
        // A killed process loses nothing that reached the kernel, so when the
        // fault is a kill, flushing to the disk only slows the test down.
        faulty.fsync = [s, real](int descriptor) {
            if (s->strikes("fsync")) return s->failWith();
            return s->fault == Fault::kill ? 0 : real.fsync(descriptor);
        };
        // A failed close still releases the descriptor, as close(2) does on Linux.
        faulty.close = [s, real](int descriptor) {
            const bool fails = s->strikes("close");
            const int result = real.close(descriptor);
            return fails ? s->failWith() : result;
        };
        faulty.rename = [s, real](const char* from, const char* to) {
            return s->strikes("rename") ? s->failWith() : real.rename(from, to);
        };
        faulty.renameNoReplace = [s, real](const char* from, const char* to) {
            return s->strikes("renameNoReplace") ? s->failWith() : real.renameNoReplace(from, to);
        };
        faulty.link = [s, real](const char* from, const char* to) {
            return s->strikes("link") ? s->failWith() : real.link(from, to);
        };
        faulty.unlink = [s, real](const char* path) {
            return s->strikes("unlink") ? s->failWith() : real.unlink(path);
        };
        return faulty;
    }

    std::shared_ptr<State> state_;
    DurableFile::ScopedSyscalls scope_;
};

}  // namespace corvane::testing
