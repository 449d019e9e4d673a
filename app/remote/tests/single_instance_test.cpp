#include "app/remote/single_instance.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QLocalSocket>
#include <QTest>
#include <future>

#include "core/testing/temp_dir.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;

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
    // server hung up.
    std::future<QByteArray> talk(const QByteArray& bytes) {
        return std::async(std::launch::async, [this, bytes] {
            QLocalSocket socket;
            socket.connectToServer(QString::fromStdString(location.socket.string()));
            if (!socket.waitForConnected(2000)) return QByteArray("no connection");
            socket.write(bytes);
            socket.waitForBytesWritten(2000);
            QByteArray answer;
            while (socket.waitForReadyRead(3000)) answer += socket.readAll();
            if (socket.state() == QLocalSocket::ConnectedState) answer += "(still connected)";
            return answer;
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
    auto flood = talk(QByteArray(SingleInstance::longestRequest + 4096, 'x'));
    EXPECT_EQ(InstanceWire::decodeResponse(served(garbage).trimmed().toStdString()),
              (InstanceResponse{1, {}, "Corvane did not understand the request.\n"}));
    EXPECT_TRUE(served(flood).isEmpty()) << "an endless line is cut off unread";
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
    std::vector<std::unique_ptr<QLocalSocket>> silent;
    for (int i = 0; i < 4 * SingleInstance::mostConnections; ++i) {
        silent.push_back(std::make_unique<QLocalSocket>());
        silent.back()->connectToServer(QString::fromStdString(location.socket.string()));
        ASSERT_TRUE(silent.back()->waitForConnected(2000));
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

}  // namespace
}  // namespace corvane
