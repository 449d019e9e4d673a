// The running Corvane against hostile peers on its local socket: requests
// that never end or never come, floods of short connections, and peers that
// take every file descriptor it may open. `corvane --status` keeps answering.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "tests/e2e/grid_session.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// A peer's end of one connection, closed when it goes away.
class Peer {
public:
    explicit Peer(const fs::path& socket) : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
        connected_ = fd_ >= 0 &&
                     connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~Peer() {
        if (fd_ >= 0) ::close(fd_);
    }
    Peer(Peer&& other) noexcept : fd_(std::exchange(other.fd_, -1)), connected_(other.connected_) {}
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    bool connected() const { return connected_; }
    // Sends as much of `bytes` as the socket takes now; false once Corvane hung up.
    bool send(const std::string& bytes) const {
        return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) >= 0 || errno == EAGAIN;
    }
    // Whether Corvane closed its end (what it answered, if anything, read and dropped).
    bool closedByCorvane() const {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n == 0 || (n < 0 && errno != EAGAIN)) return true;
            if (n < 0) return false;
        }
    }
    // Reads until Corvane hangs up: everything it answered.
    std::string answer() const {
        std::string text;
        char buffer[4096];
        pollfd readable{fd_, POLLIN, 0};
        while (poll(&readable, 1, 5000) > 0) {
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n == 0 || (n < 0 && errno != EAGAIN)) break;
            if (n > 0) text.append(buffer, std::size_t(n));
        }
        return text;
    }

private:
    int fd_;
    bool connected_ = false;
};

long residentKilobytes(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

int openDescriptors(pid_t pid) {
    const fs::directory_iterator entries("/proc/" + std::to_string(pid) + "/fd");
    return int(std::distance(fs::begin(entries), fs::end(entries)));
}

class SocketFaultsE2E : public ::testing::Test {
protected:
    void SetUp() override {
        AppSettings settings;
        settings.animateWindows = false;
        session_.emplace(desktop_, settings);
#if defined(__SANITIZE_ADDRESS__)
        // A small quarantine, so that freed memory is reused and the memory test
        // sees what Corvane keeps, not what it once allocated.
        const char* options = std::getenv("ASAN_OPTIONS");
        session_->addEnvironment("ASAN_OPTIONS=" + std::string(options ? options : "") +
                                 ":quarantine_size_mb=8");
        // The sanitizer checks a type it has not seen before through a pipe, which a
        // process without a free file descriptor cannot make: it would report every
        // such type as broken. Out of descriptors, only that one check is left out.
        const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        if (test.starts_with("RunningOutOfFileDescriptors")) {
            const fs::path suppressions = desktop_.tempDir() / "ubsan.supp";
            std::ofstream(suppressions) << "vptr_check:*\n";
            const char* ubsan = std::getenv("UBSAN_OPTIONS");
            session_->addEnvironment("UBSAN_OPTIONS=" + std::string(ubsan ? ubsan : "") +
                                     ":suppressions=" + suppressions.string());
        }
#endif
        std::string why;
        ASSERT_TRUE(session_->start(&why)) << why;
        socket_ =
            desktop_.tempDir() / "runtime" / ("corvane-" + std::to_string(getuid()) + ".socket");
        ASSERT_TRUE(fs::exists(socket_));
    }
    bool statusAnswers() const {
        const e2e::Outcome status = session_->run({"--status"});
        return status.status == 0 && status.out.find("Window control") != std::string::npos;
    }
    bool corvaneRuns() {
        return !session_->process().wait(0ms);
    }

    e2e::Desktop desktop_{e2e::Desktop::Options{.dockHeight = 0}};
    std::optional<e2e::CorvaneSession> session_;
    fs::path socket_;
};

TEST_F(SocketFaultsE2E, EndlessPartialAndGarbageRequestsAreDroppedWhileStatusAnswers) {
    Peer partial(socket_), endless(socket_), garbage(socket_);
    ASSERT_TRUE(partial.connected() && endless.connected() && garbage.connected());
    ASSERT_TRUE(partial.send(R"({"command":"sta)"));
    ASSERT_TRUE(garbage.send("\x01\xff not json at all\n"));
    std::vector<Peer> idle;
    for (int i = 0; i < 100; ++i) {
        idle.emplace_back(socket_);
        std::this_thread::sleep_for(1ms);  // within the listen backlog
    }
    EXPECT_EQ(garbage.answer(),
              R"({"exitCode":1,"stderr":"Corvane did not understand the request.\n","stdout":""})"
              "\n");
    // A request that never ends is cut off once it passes the longest one allowed.
    const std::string chunk(16 * 1024, 'x');
    EXPECT_TRUE(
        e2e::waitUntil([&] { return !endless.send(chunk) || endless.closedByCorvane(); }, 5s));

    EXPECT_TRUE(statusAnswers()) << session_->log();
    EXPECT_TRUE(e2e::waitUntil([&] { return partial.closedByCorvane(); }, 8s))
        << "a request that stops halfway holds its connection for good";
    EXPECT_TRUE(e2e::waitUntil(
        [&] {
            return std::all_of(idle.begin(), idle.end(),
                               [](const Peer& peer) { return peer.closedByCorvane(); });
        },
        8s));
    EXPECT_TRUE(statusAnswers());
}

// AddressSanitizer keeps freed memory aside (its quarantine, here 8 MB) before
// reusing it, and pads every allocation.
#if defined(__SANITIZE_ADDRESS__)
constexpr long allowedGrowthKb = 24 * 1024;
#else
constexpr long allowedGrowthKb = 8 * 1024;
#endif

TEST_F(SocketFaultsE2E, MemoryReturnsToItsIdleFigureAfterManyShortConnections) {
    auto connections = [&](int count) {
        for (int i = 0; i < count; ++i) {
            Peer peer(socket_);
            ASSERT_TRUE(peer.connected()) << "connection " << i;
            // Every other peer hangs up unanswered; the rest wait for the answer.
            if (i % 2 == 0) continue;
            ASSERT_TRUE(peer.send(R"({"command":"no-such-command"})"
                                  "\n"));
            ASSERT_FALSE(peer.answer().empty()) << "connection " << i;
        }
    };
    // The first ones grow caches and the heap to what they stay at.
    ASSERT_NO_FATAL_FAILURE(connections(10'000));
    std::this_thread::sleep_for(5500ms);
    const long idle = residentKilobytes(session_->pid());
    ASSERT_NO_FATAL_FAILURE(connections(10'000));
    // Past the silence timeout, when every connection's own timer has ended too.
    std::this_thread::sleep_for(5500ms);
    const long after = residentKilobytes(session_->pid());
    EXPECT_LT(after - idle, allowedGrowthKb) << "from " << idle << " kB to " << after << " kB";
    EXPECT_TRUE(statusAnswers());
}

TEST_F(SocketFaultsE2E, RunningOutOfFileDescriptorsNeitherCrashesNorClosesTheSocket) {
    const pid_t pid = session_->pid();
    const rlimit few{rlim_t(openDescriptors(pid) + 6), rlim_t(openDescriptors(pid) + 6)};
    ASSERT_EQ(prlimit(pid, RLIMIT_NOFILE, &few, nullptr), 0) << std::strerror(errno);

    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        {
            std::vector<Peer> crowd;
            for (int i = 0; i < 60; ++i) crowd.emplace_back(socket_);
            std::this_thread::sleep_for(1500ms);
            ASSERT_TRUE(corvaneRuns()) << session_->log();
            EXPECT_TRUE(fs::exists(socket_));
        }
        EXPECT_TRUE(e2e::waitUntil([&] { return statusAnswers(); }, 10s)) << session_->log();
        EXPECT_TRUE(fs::exists(socket_));
    }
    ASSERT_TRUE(corvaneRuns()) << session_->log();
}

}  // namespace
}  // namespace corvane
