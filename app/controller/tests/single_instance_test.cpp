#include "app/controller/single_instance.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QLocalSocket>
#include <QTest>
#include <atomic>
#include <future>
#include <thread>

#include "core/testing/temp_dir.h"

namespace corvane {
namespace {

using namespace std::chrono_literals;
using testing::TempDir;

// A request as the command line sends it.
InstanceRequest request(std::string command, std::string argument = {}) {
    InstanceRequest result;
    result.command = std::move(command);
    result.argument = std::move(argument);
    return result;
}

class SingleInstanceTest : public ::testing::Test {
protected:
    SingleInstance::Location location() const { return {dir / "test.socket", dir / "test.lock"}; }

    // A client in its own thread, as another process would be, while this
    // thread runs the server's event loop.
    struct Sent {
        std::optional<InstanceResponse> response;
        std::string error;
    };
    Sent sendAndServe(const InstanceRequest& request, std::chrono::milliseconds timeout = 5s) {
        auto future = std::async(std::launch::async, [this, request, timeout] {
            Sent sent;
            sent.response = SingleInstance::send(location(), request, timeout, &sent.error);
            return sent;
        });
        while (future.wait_for(0ms) != std::future_status::ready) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return future.get();
    }

    TempDir dir;
};

TEST_F(SingleInstanceTest, TheWireFormatKeepsEveryFieldOnOneLine) {
    const InstanceRequest request{"apply-layout", "Left \"half\"\n2", false, false};
    const std::string line = SingleInstance::encode(request);
    EXPECT_EQ(line.find('\n'), line.size() - 1);
    EXPECT_EQ(SingleInstance::decodeRequest(line), request);
    const InstanceRequest launch{"launch", {}, true, true};
    EXPECT_EQ(SingleInstance::decodeRequest(SingleInstance::encode(launch)), launch);

    const InstanceResponse response{2, "out\nput", "The window did not reach \u2026\n"};
    const std::string answer = SingleInstance::encode(response);
    EXPECT_EQ(answer.find('\n'), answer.size() - 1);
    EXPECT_EQ(SingleInstance::decodeResponse(answer), response);

    for (const char* bad : {"", "not json", "[1]", "{\"argument\":\"x\"}", "{\"command\":3}",
                            "{\"command\":\"undo\",\"argument\":[1]}"}) {
        EXPECT_FALSE(SingleInstance::decodeRequest(bad)) << bad;
    }
    EXPECT_FALSE(
        SingleInstance::decodeResponse("{\"exitCode\":\"0\",\"stdout\":\"\",\"stderr\":\"\"}"));
    EXPECT_FALSE(SingleInstance::decodeResponse("{\"exitCode\":0}"));
}

TEST_F(SingleInstanceTest, OnlyOneProcessHoldsTheLockUntilItEnds) {
    EXPECT_FALSE(SingleInstance::isRunning(location()));
    {
        SingleInstance first(location());
        ASSERT_TRUE(first.claim());
        EXPECT_TRUE(SingleInstance::isRunning(location()));
        SingleInstance second(location());
        EXPECT_FALSE(second.claim());
        std::string error;
        EXPECT_FALSE(second.listen(&error));
        EXPECT_EQ(error, "Another Corvane is running.");
        // Asking whether one runs does not take the lock away from anyone.
        EXPECT_TRUE(SingleInstance::isRunning(location()));
        EXPECT_FALSE(second.claim());
    }
    EXPECT_FALSE(SingleInstance::isRunning(location()));
    SingleInstance next(location());
    EXPECT_TRUE(next.claim());
}

TEST_F(SingleInstanceTest, ASocketLeftByACrashedInstanceIsReplaced) {
    // A bound socket nobody listens on any more, as a killed instance leaves it.
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", location().socket.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(fd);
    ASSERT_TRUE(std::filesystem::exists(location().socket));
    std::string error;
    EXPECT_FALSE(SingleInstance::send(location(), request("status"), 1s, &error));
    EXPECT_TRUE(error.empty()) << "nobody listens: no answer, and no broken conversation";

    SingleInstance instance(location());
    ASSERT_TRUE(instance.claim());
    ASSERT_TRUE(instance.listen(&error)) << error;
    instance.setHandler(
        [](const InstanceRequest& request, const SingleInstance::Responder& respond) {
            respond(InstanceResponse{0, "got " + request.command + "\n", {}});
        });
    const Sent sent = sendAndServe(request("status"));
    ASSERT_TRUE(sent.response) << sent.error;
    EXPECT_EQ(sent.response->out, "got status\n");

    // Only this user may connect.
    struct stat info {};
    ASSERT_EQ(stat(location().socket.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u);

    instance.close();
    EXPECT_FALSE(std::filesystem::exists(location().socket));
}

TEST_F(SingleInstanceTest, AnswersMayComeLaterAndGoToTheRightClient) {
    SingleInstance instance(location());
    ASSERT_TRUE(instance.claim());
    std::string error;
    ASSERT_TRUE(instance.listen(&error));
    std::vector<std::pair<InstanceRequest, SingleInstance::Responder>> pending;
    instance.setHandler([&](const InstanceRequest& request, SingleInstance::Responder respond) {
        pending.emplace_back(request, std::move(respond));
    });

    auto first = std::async(std::launch::async, [this] {
        std::string e;
        return SingleInstance::send(location(), request("apply-layout", "A"), 5s, &e);
    });
    auto second = std::async(std::launch::async, [this] {
        std::string e;
        return SingleInstance::send(location(), request("apply-layout", "B"), 5s, &e);
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return pending.size() == 2; }, 5000));
    // Answer in the other order, as placements may finish.
    for (auto it = pending.rbegin(); it != pending.rend(); ++it) {
        it->second(InstanceResponse{it->first.argument == "A" ? 0 : 2, it->first.argument, {}});
        it->second(InstanceResponse{1, "a second answer is dropped", {}});
    }
    while (first.wait_for(0ms) != std::future_status::ready ||
           second.wait_for(0ms) != std::future_status::ready) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    const auto a = first.get();
    const auto b = second.get();
    ASSERT_TRUE(a && b);
    EXPECT_EQ(*a, (InstanceResponse{0, "A", {}}));
    EXPECT_EQ(*b, (InstanceResponse{2, "B", {}}));
}

TEST_F(SingleInstanceTest, BadRequestsGetAnErrorOrTheDoor) {
    SingleInstance instance(location());
    ASSERT_TRUE(instance.claim());
    std::string error;
    ASSERT_TRUE(instance.listen(&error));

    // Before the application is ready it says so rather than hanging.
    Sent early = sendAndServe(request("status"));
    ASSERT_TRUE(early.response);
    EXPECT_EQ(early.response->exitCode, 1);
    EXPECT_EQ(early.response->err, "Corvane is still starting. Try again in a moment.\n");

    bool handled = false;
    instance.setHandler([&](const InstanceRequest&, const SingleInstance::Responder& respond) {
        handled = true;
        respond(InstanceResponse{});
    });

    // Garbage gets an answer; an endless line gets disconnected unread.
    auto talk = [this](const QByteArray& bytes) {
        return std::async(std::launch::async, [this, bytes] {
            QLocalSocket socket;
            socket.connectToServer(QString::fromStdString(location().socket.string()));
            if (!socket.waitForConnected(2000)) return QByteArray("no connection");
            socket.write(bytes);
            socket.waitForBytesWritten(2000);
            QByteArray answer;
            while (socket.waitForReadyRead(3000)) answer += socket.readAll();
            return answer;
        });
    };
    auto garbage = talk("hello\n");
    auto flood = talk(QByteArray(SingleInstance::longestRequest + 4096, 'x'));
    while (garbage.wait_for(0ms) != std::future_status::ready ||
           flood.wait_for(0ms) != std::future_status::ready) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    const auto answer = SingleInstance::decodeResponse(garbage.get().trimmed().toStdString());
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->exitCode, 1);
    EXPECT_EQ(answer->err, "Corvane did not understand the request.\n");
    EXPECT_TRUE(flood.get().isEmpty());
    EXPECT_FALSE(handled);

    // The server still serves afterwards.
    EXPECT_TRUE(sendAndServe(request("status")).response);
    EXPECT_TRUE(handled);
}

TEST_F(SingleInstanceTest, AnInstanceThatQuitsWithoutAnsweringIsReported) {
    auto instance = std::make_unique<SingleInstance>(location());
    ASSERT_TRUE(instance->claim());
    std::string error;
    ASSERT_TRUE(instance->listen(&error));
    instance->setHandler([&](const InstanceRequest&, const SingleInstance::Responder&) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [&] { instance.reset(); }, Qt::QueuedConnection);
    });
    const Sent sent = sendAndServe(request("undo"));
    EXPECT_FALSE(sent.response);
    EXPECT_EQ(sent.error, "Corvane stopped before it answered.");
}

TEST_F(SingleInstanceTest, TheDefaultPlaceIsAPrivateFolderOfTheUser) {
    const char* saved = std::getenv("XDG_RUNTIME_DIR");
    const std::string previous = saved ? saved : "";
    const std::string uid = std::to_string(getuid());

    ASSERT_EQ(chmod(dir.path().c_str(), 0700), 0);
    setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    std::string error;
    auto inRuntime = SingleInstance::defaultLocation(&error);
    ASSERT_TRUE(inRuntime) << error;
    EXPECT_EQ(inRuntime->socket, dir / ("corvane-" + uid + ".socket"));
    EXPECT_EQ(inRuntime->lock, dir / ("corvane-" + uid + ".lock"));

    // A runtime folder others can enter is not used.
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    auto fallback = SingleInstance::defaultLocation(&error);
    ASSERT_TRUE(fallback) << error;
    EXPECT_EQ(fallback->socket.parent_path(), std::filesystem::path("/tmp/corvane-" + uid));
    struct stat info {};
    ASSERT_EQ(lstat(fallback->socket.parent_path().c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 077, 0u);

    if (saved) {
        setenv("XDG_RUNTIME_DIR", previous.c_str(), 1);
    } else {
        unsetenv("XDG_RUNTIME_DIR");
    }
}

}  // namespace
}  // namespace corvane
