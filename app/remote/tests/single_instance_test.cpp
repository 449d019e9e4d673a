#include "app/remote/single_instance.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTest>
#include <cstring>
#include <future>
#include <thread>

#include "core/testing/temp_dir.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;

// One client's end of a connection, closed when it goes away.
class Client {
public:
    explicit Client(const std::filesystem::path& socket)
        : fd_(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
        connected_ = connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~Client() { ::close(fd_); }
    Client(const Client&) = delete;
    Client& operator=(const Client&) = delete;

    bool connected() const { return connected_; }
    // Stops early when the server hangs up.
    void write(const std::string& bytes) const {
        for (std::size_t sent = 0; sent < bytes.size();) {
            const ssize_t n = ::send(fd_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
            if (n <= 0) return;
            sent += std::size_t(n);
        }
    }
    // Everything the server sends until it hangs up, or "(still connected)"
    // added when it stays silent for three seconds instead.
    std::string readToEnd() const {
        std::string answer;
        char buffer[4096];
        for (pollfd readable{fd_, POLLIN, 0};;) {
            if (poll(&readable, 1, 3000) <= 0) return answer + "(still connected)";
            const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0) return answer;
            answer.append(buffer, std::size_t(n));
        }
    }

private:
    int fd_;
    bool connected_ = false;
};

// One instance on a socket in a temporary folder; the other processes are threads.
class SingleInstanceTest : public ::testing::Test {
protected:
    SingleInstanceTest() { EXPECT_FALSE(SingleInstance::isRunning(location)); }

    std::future<std::optional<InstanceResponse>> send(const std::string& argument,
                                                      std::string* error) {
        return std::async(std::launch::async, [this, argument, error] {
            return SingleInstance::send(location, {"apply-layout", argument, false, false}, 5s,
                                        error);
        });
    }
    // Raw bytes written to the socket; everything that comes back, and whether the
    // server hung up. The client waits `before` reading, or leaves without reading.
    std::future<std::string> talk(const std::string& bytes, std::chrono::milliseconds before = 0ms,
                                  bool leave = false) {
        return std::async(std::launch::async, [this, bytes, before, leave] {
            const Client client(location.socket);
            if (!client.connected()) return std::string("no connection");
            client.write(bytes);
            if (leave) return std::string();
            std::this_thread::sleep_for(before);
            return client.readToEnd();
        });
    }
    // Serves requests until the other side is done.
    template <typename T>
    T served(std::future<T>& future) {
        while (future.wait_for(0ms) != std::future_status::ready) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return future.get();
    }

    testing::TempDir dir;
    SingleInstance::Location location{dir / "test.socket", dir / "test.lock"};
    SingleInstance instance{location};
    std::string error;
};

TEST_F(SingleInstanceTest, OneInstanceAnswersEveryLaterLaunchAndRefusesTheRest) {
    EXPECT_FALSE(SingleInstance::send(location, {"undo", {}, false, false}, 1s, &error));
    EXPECT_EQ(error, "") << "nobody listens: Corvane is not running";
    ASSERT_TRUE(instance.claim() && instance.listen(&error)) << error;
    struct stat info {};
    EXPECT_TRUE(stat(location.socket.c_str(), &info) == 0 && (info.st_mode & 077) == 0)
        << "only this user may connect";
    SingleInstance second(location);
    EXPECT_FALSE(second.claim() || second.listen(&error));
    EXPECT_EQ(error, "Another Corvane is running.");
    EXPECT_TRUE(SingleInstance::isRunning(location));

    auto early = send("A", &error);
    EXPECT_EQ(served(early),
              (InstanceResponse{1, {}, "Corvane is still starting. Try again in a moment.\n"}));

    // Answers come when placements finish, in any order, each to its own client.
    std::vector<std::pair<std::string, SingleInstance::Responder>> pending;
    instance.setHandler([&](const InstanceRequest& request, SingleInstance::Responder respond) {
        pending.emplace_back(request.argument, std::move(respond));
    });
    auto first = send("A\n\"quoted\"", &error);
    auto later = send("B", &error);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pending.size() == 2; }, 5000));
    for (auto it = pending.rbegin(); it != pending.rend(); ++it) {
        it->second(InstanceResponse{it->first == "B" ? 2 : 0, it->first, "\u2026"});
        it->second(InstanceResponse{1, "a second answer is dropped", {}});
    }
    EXPECT_EQ(served(first), (InstanceResponse{0, "A\n\"quoted\"", "\u2026"}));
    EXPECT_EQ(served(later), (InstanceResponse{2, "B", "\u2026"}));

    // Garbage gets an answer, an endless line the door; neither reaches the application.
    auto garbage = talk("{\"command\":3}\n");
    auto flood = talk(std::string(SingleInstance::longestRequest + 4096, 'x'));
    const std::string refusal = served(garbage);
    EXPECT_EQ(InstanceWire::decodeResponse(refusal.substr(0, refusal.find('\n'))),
              (InstanceResponse{1, {}, "Corvane did not understand the request.\n"}));
    EXPECT_EQ(served(flood), "") << "an endless line is cut off unread";
    EXPECT_EQ(pending.size(), 2u);

    // An instance that quits before answering leaves the client a plain reason.
    auto last = send("C", &error);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pending.size() == 3; }, 5000));
    instance.close();
    EXPECT_FALSE(served(last));
    EXPECT_EQ(error, "Corvane stopped before it answered.");
    EXPECT_FALSE(std::filesystem::exists(location.socket));
}

// Clients that connect and never speak, any number of them, cost Corvane a
// bounded number of connections and never lock out a real request.
TEST_F(SingleInstanceTest, SilentClientsCannotCrowdOutRealRequests) {
    ASSERT_TRUE(instance.claim() && instance.listen(&error)) << error;
    instance.setHandler([](const InstanceRequest& request, SingleInstance::Responder respond) {
        respond(InstanceResponse{0, request.argument, {}});
    });
    std::vector<std::unique_ptr<Client>> silent;
    for (int i = 0; i < 4 * SingleInstance::mostConnections; ++i) {
        silent.push_back(std::make_unique<Client>(location.socket));
        ASSERT_TRUE(silent.back()->connected());
        QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    EXPECT_LE(instance.openConnections(), SingleInstance::mostConnections);
    auto real = send("still heard", &error);
    EXPECT_EQ(served(real), (InstanceResponse{0, "still heard", {}})) << error;
    EXPECT_LE(instance.openConnections(), SingleInstance::mostConnections);
}

// A socket file removed from under Corvane is made again, so later commands
// still find the running instance.
TEST_F(SingleInstanceTest, ALostSocketIsListenedOnAgain) {
    ASSERT_TRUE(instance.claim() && instance.listen(&error)) << error;
    instance.setHandler([](const InstanceRequest&, SingleInstance::Responder respond) {
        respond(InstanceResponse{0, "here", {}});
    });
    std::filesystem::remove(location.socket);
    ASSERT_TRUE(QTest::qWaitFor([&] { return std::filesystem::exists(location.socket); }, 5000));
    auto request = send("A", &error);
    EXPECT_EQ(served(request), (InstanceResponse{0, "here", {}})) << error;
}

// Answers longer than the socket holds at once reach a client that reads
// slowly, whole and in order; one that left before its answer costs nothing.
TEST_F(SingleInstanceTest, LongAnswersArriveWholeAndLeftClientsAreForgotten) {
    ASSERT_TRUE(instance.claim() && instance.listen(&error)) << error;
    std::vector<SingleInstance::Responder> pending;
    instance.setHandler([&](const InstanceRequest&, SingleInstance::Responder respond) {
        pending.push_back(std::move(respond));
    });
    std::string longText;
    for (int i = 0; longText.size() < 2 * 1024 * 1024; ++i) longText += std::to_string(i) + ' ';
    const std::string request = InstanceWire::encode(InstanceRequest{"status", {}, false, false});

    auto slow = talk(request, 300ms);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pending.size() == 1; }, 5000));
    pending[0](InstanceResponse{0, longText, "done\n"});
    const std::string answer = served(slow);
    EXPECT_EQ(InstanceWire::decodeResponse(answer.substr(0, answer.find('\n'))),
              (InstanceResponse{0, longText, "done\n"}));
    EXPECT_EQ(answer.back(), '\n');

    auto leaving = talk(request, 0ms, true);
    served(leaving);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pending.size() == 2; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return instance.openConnections() == 0; }, 5000))
        << "a client that left is forgotten before its answer is ready";
    pending[1](InstanceResponse{0, longText, {}});
    QCoreApplication::processEvents();
    auto next = send("next", &error);
    ASSERT_TRUE(QTest::qWaitFor([&] { return pending.size() == 3; }, 5000));
    pending[2](InstanceResponse{0, "next", {}});
    EXPECT_EQ(served(next), (InstanceResponse{0, "next", {}})) << error;
}

}  // namespace
}  // namespace corvane
