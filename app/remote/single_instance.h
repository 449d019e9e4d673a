#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "app/remote/instance_wire.h"

class QFileSystemWatcher;
class QSocketNotifier;

namespace corvane {

class InstanceConnection;

// One Corvane per user. The first process takes a lock file and listens on a
// local socket beside it; later processes hand their request over that socket
// and print the answer. The lock, not the socket, decides who runs: it is
// released by the kernel when its holder dies, so a socket file left behind
// by a crash is known to be stale and is replaced. Only processes of the same
// user are served, and a socket file that disappears (removed by hand, or
// replaced by another) is made again at once.
class SingleInstance : public QObject {
    Q_OBJECT

public:
    struct Location {
        std::filesystem::path socket;
        std::filesystem::path lock;
    };
    using Responder = std::function<void(const InstanceResponse&)>;
    using Handler = std::function<void(const InstanceRequest&, Responder)>;

    // Longest request line a client may send.
    static constexpr qint64 longestRequest = qint64{64} * 1024;
    // A client that has not sent a whole request by then is dropped.
    static constexpr int requestTimeoutMilliseconds = 5'000;
    // Most connections served at once. Beyond it the longest-silent one that
    // has sent nothing yet makes room, so clients that connect and never speak
    // can neither run Corvane out of file descriptors nor lock others out.
    static constexpr int mostConnections = 32;

    // $XDG_RUNTIME_DIR when it is a private folder of this user, else a
    // private folder /tmp/corvane-UID made for it. Both file names carry the
    // user id. None (and `error` set) when no private folder can be had.
    static std::optional<Location> defaultLocation(std::string* error);

    explicit SingleInstance(Location location, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the per-user lock: true when this process is now the one instance.
    bool claim();
    // After claim(): removes a stale socket and starts accepting requests.
    // False (and `error` set) when it cannot.
    bool listen(std::string* error);
    // Runs for every well-formed request; answer through the Responder, now or later.
    void setHandler(Handler handler) { handler_ = std::move(handler); }
    // Stops listening and removes the socket; the lock stays until destruction.
    void close();

    // Client side. Whether some process holds the lock (runs or is starting).
    static bool isRunning(const Location& location);
    // Sends a request and waits for the answer. None when nobody listens (or
    // the connection broke before an answer: then `error` says so).
    static std::optional<InstanceResponse> send(const Location& location,
                                                const InstanceRequest& request,
                                                std::chrono::milliseconds answerTimeout,
                                                std::string* error);

    // Connections open now (tests).
    int openConnections() const { return int(connections_.size()); }

private:
    void accept();
    bool makeRoom();
    void admit(int fd);
    void forget(InstanceConnection* connection);
    void serve(InstanceConnection* connection, const std::string& line);
    bool startServer(std::string* error);
    void stopServer();
    void listenAgainIfLost();

    Location location_;
    int lockFd_ = -1;
    // Between listen() and close(), even while the socket is being made anew.
    bool listening_ = false;
    int listenFd_ = -1;
    // Which file the socket is, to notice when the path names another one.
    std::uint64_t socketDevice_ = 0;
    std::uint64_t socketInode_ = 0;
    QSocketNotifier* accepting_ = nullptr;
    // Accepting, or making the socket anew, rests while file descriptors have run out.
    QTimer acceptPause_;
    QFileSystemWatcher* folderWatch_ = nullptr;
    Handler handler_;
    // Oldest first.
    std::deque<InstanceConnection*> connections_;
};

}  // namespace corvane
