#include "app/remote/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <QFileSystemWatcher>
#include <QPointer>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "app/remote/instance_connection.h"

namespace corvane {

namespace {

namespace fs = std::filesystem;

// A folder only this user can enter: owned by the user, a real folder (not a
// link), no access for anyone else.
bool isPrivateFolder(const fs::path& folder) {
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0) return false;
    return S_ISDIR(info.st_mode) && info.st_uid == getuid() && (info.st_mode & 077) == 0;
}

std::optional<fs::path> privateTempFolder(std::string* error) {
    const fs::path folder = fs::path("/tmp") / ("corvane-" + std::to_string(getuid()));
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        if (error)
            *error = "Could not create " + folder.string() + ": " + std::strerror(errno) + ".";
        return std::nullopt;
    }
    if (!isPrivateFolder(folder)) {
        if (error)
            *error =
                folder.string() + " is not a private folder of this user; Corvane will not use it.";
        return std::nullopt;
    }
    return folder;
}

// Connections waiting to be accepted; more wait in their clients' connect().
constexpr int listenBacklog = 64;
// How long accepting rests when this process has no file descriptor left.
constexpr int acceptPauseMilliseconds = 100;
// Connections taken per wake-up, so a flood cannot keep the event loop to itself.
constexpr int acceptsPerWakeUp = 64;

// False when the path does not fit a socket address.
bool socketAddress(const fs::path& path, sockaddr_un* address) {
    *address = {};
    address->sun_family = AF_UNIX;
    if (path.native().size() >= sizeof address->sun_path) return false;
    std::memcpy(address->sun_path, path.c_str(), path.native().size());
    return true;
}

// Whether the process at the other end of a connection runs as this user.
bool peerIsThisUser(int fd) {
    struct ucred peer {};
    socklen_t length = sizeof peer;
    if (getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0) return false;
    return peer.uid == getuid();
}

// A socket bound at `path` that only this user may connect to, or -1 and errno.
int bindPrivateSocket(const fs::path& path) {
    sockaddr_un address;
    if (!socketAddress(path, &address)) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    // The file is made with mode 0600 from the start, never briefly open to others.
    const mode_t previousMask = umask(0177);
    const int bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    umask(previousMask);
    if (bound != 0 || ::listen(fd, listenBacklog) != 0) {
        const int reason = errno;
        ::close(fd);
        errno = reason;
        return -1;
    }
    return fd;
}

}  // namespace

std::optional<SingleInstance::Location> SingleInstance::defaultLocation(std::string* error) {
    std::optional<fs::path> folder;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); runtime && runtime[0] == '/') {
        if (isPrivateFolder(runtime)) folder = fs::path(runtime);
    }
    if (!folder) folder = privateTempFolder(error);
    if (!folder) return std::nullopt;
    const std::string base = "corvane-" + std::to_string(getuid());
    return Location{*folder / (base + ".socket"), *folder / (base + ".lock")};
}

SingleInstance::SingleInstance(Location location, QObject* parent)
    : QObject(parent), location_(std::move(location)) {
    acceptPause_.setSingleShot(true);
    connect(&acceptPause_, &QTimer::timeout, this, [this] {
        if (accepting_)
            accepting_->setEnabled(true);
        else
            listenAgainIfLost();
    });
}

SingleInstance::~SingleInstance() {
    close();
    if (lockFd_ >= 0) ::close(lockFd_);
}

bool SingleInstance::claim() {
    if (lockFd_ >= 0) return true;
    const int fd = open(location_.lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return false;
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    lockFd_ = fd;
    return true;
}

bool SingleInstance::listen(std::string* error) {
    if (lockFd_ < 0) {
        if (error) *error = "Another Corvane is running.";
        return false;
    }
    if (listening_) return true;
    if (!startServer(error)) return false;
    listening_ = true;
    // The folder is watched rather than polled: nothing wakes Corvane while idle.
    folderWatch_ = new QFileSystemWatcher(this);
    folderWatch_->addPath(QString::fromStdString(location_.socket.parent_path().string()));
    connect(folderWatch_, &QFileSystemWatcher::directoryChanged, this,
            &SingleInstance::listenAgainIfLost);
    return true;
}

bool SingleInstance::startServer(std::string* error) {
    // Holding the lock means no live instance owns a socket here: whatever is
    // at the path was left by one that crashed.
    ::unlink(location_.socket.c_str());
    const int fd = bindPrivateSocket(location_.socket);
    struct stat info {};
    if (fd < 0 || lstat(location_.socket.c_str(), &info) != 0) {
        if (error)
            *error = "Could not listen on " + location_.socket.string() + ": " +
                     std::strerror(errno) + ".";
        if (fd >= 0) ::close(fd);
        return false;
    }
    listenFd_ = fd;
    socketDevice_ = info.st_dev;
    socketInode_ = info.st_ino;
    accepting_ = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(accepting_, &QSocketNotifier::activated, this, &SingleInstance::accept);
    return true;
}

// Closes the listening socket; connections already accepted stay.
void SingleInstance::stopServer() {
    acceptPause_.stop();
    if (accepting_) {
        accepting_->setEnabled(false);
        accepting_->deleteLater();  // this may run inside one of its signals
        accepting_ = nullptr;
    }
    if (listenFd_ < 0) return;
    ::close(listenFd_);
    listenFd_ = -1;
}

// The socket file is gone or the path names another file now: listen anew,
// so later commands and launches find this instance. Without a file
// descriptor to spare it tries again shortly.
void SingleInstance::listenAgainIfLost() {
    if (!listening_) return;
    struct stat info {};
    if (listenFd_ >= 0 && lstat(location_.socket.c_str(), &info) == 0 &&
        info.st_dev == socketDevice_ && info.st_ino == socketInode_)
        return;
    stopServer();
    if (!startServer(nullptr)) acceptPause_.start(acceptPauseMilliseconds);
}

void SingleInstance::close() {
    delete folderWatch_;
    folderWatch_ = nullptr;
    if (listening_) {
        listening_ = false;
        stopServer();
        ::unlink(location_.socket.c_str());
    }
    // Clients still waiting learn that no answer will come.
    const std::deque<InstanceConnection*> open = connections_;
    for (InstanceConnection* connection : open) connection->drop();
}

void SingleInstance::accept() {
    for (int taken = 0; taken < acceptsPerWakeUp && listenFd_ >= 0; ++taken) {
        const int fd = accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd >= 0) {
            admit(fd);
        } else if (errno == EMFILE || errno == ENFILE || errno == ENOBUFS || errno == ENOMEM) {
            // The waiting connection stays pending and would wake the notifier
            // again at once: rest a moment instead of spinning, then retry.
            accepting_->setEnabled(false);
            acceptPause_.start(acceptPauseMilliseconds);
            return;
        } else if (errno != EINTR && errno != ECONNABORTED) {
            return;  // EAGAIN: nobody else waits
        }
    }
}

void SingleInstance::admit(int fd) {
    if (!peerIsThisUser(fd) || !makeRoom()) {
        ::close(fd);
        return;
    }
    auto* connection = new InstanceConnection(fd, longestRequest, requestTimeoutMilliseconds, this);
    connections_.push_back(connection);
    connect(connection, &InstanceConnection::closed, this,
            [this, connection] { forget(connection); });
    connect(connection, &InstanceConnection::requestArrived, this,
            [this, connection](const std::string& line) { serve(connection, line); });
}

// False when every open connection waits for its answer: the newcomer waits outside.
bool SingleInstance::makeRoom() {
    if (int(connections_.size()) < mostConnections) return true;
    const auto silent = std::find_if(connections_.begin(), connections_.end(),
                                     [](const auto* c) { return !c->hasRequest(); });
    if (silent == connections_.end()) return false;
    (*silent)->drop();
    return true;
}

void SingleInstance::forget(InstanceConnection* connection) {
    std::erase(connections_, connection);
}

void SingleInstance::serve(InstanceConnection* connection, const std::string& line) {
    QPointer<InstanceConnection> target(connection);
    Responder respond = [target](const InstanceResponse& response) {
        // The client may have left while the answer was being worked out.
        if (target) target->answer(InstanceWire::encode(response));
    };
    const std::optional<InstanceRequest> request = InstanceWire::decodeRequest(line);
    if (!request) {
        respond(InstanceResponse{1, {}, "Corvane did not understand the request.\n"});
    } else if (!handler_) {
        respond(InstanceResponse{1, {}, "Corvane is still starting. Try again in a moment.\n"});
    } else {
        handler_(*request, std::move(respond));
    }
}

bool SingleInstance::isRunning(const Location& location) {
    const int fd = open(location.lock.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    const bool held = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    ::close(fd);  // also drops the shared lock if it was granted
    return held;
}

namespace {

// A connected blocking socket, or -1 when nobody listens.
int connectTo(const fs::path& path) {
    sockaddr_un address;
    if (!socketAddress(path, &address)) return -1;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    // A full listen queue makes connect() wait; a second is long enough.
    const timeval connectWait{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &connectWait, sizeof connectWait);
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// A failed write is not reported: reading the answer then tells why.
void sendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (count > 0) {
            sent += std::size_t(count);
        } else if (count < 0 && errno != EINTR) {
            return;
        }
    }
}

// Everything up to the first "\n", or none and `error` says why.
std::optional<std::string> readLine(int fd, std::chrono::milliseconds timeout, std::string* error) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + timeout;
    std::string received;
    char buffer[4096];
    while (received.find('\n') == std::string::npos) {
        const auto left =
            std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd readable{fd, POLLIN, 0};
        const int ready = left > 0 ? poll(&readable, 1, int(left)) : 0;
        if (ready < 0 && errno == EINTR) continue;
        if (ready == 0) {
            if (error) *error = "Corvane did not answer in time.";
            return std::nullopt;
        }
        const ssize_t count = ready > 0 ? ::recv(fd, buffer, sizeof buffer, 0) : -1;
        if (count < 0 && errno == EINTR) continue;
        if (count <= 0) {
            if (error) *error = "Corvane stopped before it answered.";
            return std::nullopt;
        }
        received.append(buffer, std::size_t(count));
    }
    received.resize(received.find('\n'));
    return received;
}

}  // namespace

std::optional<InstanceResponse> SingleInstance::send(const Location& location,
                                                     const InstanceRequest& request,
                                                     std::chrono::milliseconds answerTimeout,
                                                     std::string* error) {
    const int fd = connectTo(location.socket);
    if (fd < 0) return std::nullopt;
    sendAll(fd, InstanceWire::encode(request));
    const std::optional<std::string> line = readLine(fd, answerTimeout, error);
    ::close(fd);
    if (!line) return std::nullopt;
    std::optional<InstanceResponse> response = InstanceWire::decodeResponse(*line);
    if (!response && error)
        *error = "Corvane gave an answer that this version does not understand.";
    return response;
}

}  // namespace corvane
