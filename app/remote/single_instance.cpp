#include "app/remote/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QFileSystemWatcher>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>
#include <QVariant>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

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

QString toQString(const std::string& text) {
    return QString::fromStdString(text);
}

// Whether the process at the other end of a connection runs as this user.
bool peerIsThisUser(const QLocalSocket& socket) {
    struct ucred peer {};
    socklen_t length = sizeof peer;
    const auto fd = int(socket.socketDescriptor());
    if (fd < 0 || getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) != 0) return false;
    return peer.uid == getuid();
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
    : QObject(parent), location_(std::move(location)) {}

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
    if (server_) return true;
    if (!startServer(error)) return false;
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
    QLocalServer::removeServer(toQString(location_.socket.string()));
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_->listen(toQString(location_.socket.string()))) {
        if (error)
            *error = "Could not listen on " + location_.socket.string() + ": " +
                     server_->errorString().toStdString();
        delete server_;
        server_ = nullptr;
        return false;
    }
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::accept);
    return true;
}

// The socket file is gone, or the toolkit stopped listening (it does after an
// accept fails, for instance when file descriptors run out): listen anew, so
// later commands and launches find this instance.
void SingleInstance::listenAgainIfLost() {
    if (!server_) return;
    std::error_code ignored;
    if (server_->isListening() && fs::exists(location_.socket, ignored)) return;
    server_->close();
    delete server_;
    server_ = nullptr;
    startServer(nullptr);
}

void SingleInstance::close() {
    delete folderWatch_;
    folderWatch_ = nullptr;
    if (!server_) return;
    server_->close();  // removes the socket file too
    delete server_;
    server_ = nullptr;
}

void SingleInstance::accept() {
    while (QLocalSocket* socket = server_ ? server_->nextPendingConnection() : nullptr) {
        if (!peerIsThisUser(*socket)) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        admit(socket);
        readRequest(socket);
    }
    listenAgainIfLost();
}

void SingleInstance::admit(QLocalSocket* socket) {
    if (int(connections_.size()) >= mostConnections) {
        const auto silent =
            std::find_if(connections_.begin(), connections_.end(),
                         [](const auto& c) { return c && !c->property("received").toBool(); });
        // Every open connection waits for its answer: the newcomer waits outside.
        QLocalSocket* dropped = silent != connections_.end() ? silent->data() : socket;
        forget(dropped);
        dropped->abort();
        dropped->deleteLater();
        if (dropped == socket) return;
    }
    connections_.emplace_back(socket);
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QObject::destroyed, this, [this, socket] { forget(socket); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket] { readRequest(socket); });
    // A client that connects and says nothing does not hold a socket for long.
    QTimer::singleShot(requestTimeoutMilliseconds, socket, [socket] {
        if (!socket->property("received").toBool()) socket->abort();
    });
}

void SingleInstance::forget(QLocalSocket* socket) {
    std::erase_if(connections_, [socket](const QPointer<QLocalSocket>& c) {
        return c.isNull() || c.data() == socket;
    });
}

void SingleInstance::readRequest(QLocalSocket* socket) {
    if (socket->property("received").toBool()) return;
    if (!socket->canReadLine()) {
        if (socket->bytesAvailable() > longestRequest) socket->abort();
        return;
    }
    socket->setProperty("received", true);
    const std::string text = socket->readLine(longestRequest).toStdString();

    QPointer<QLocalSocket> target(socket);
    Responder respond = [target](const InstanceResponse& response) {
        if (!target || target->property("answered").toBool()) return;
        target->setProperty("answered", true);
        target->write(QByteArray::fromStdString(InstanceWire::encode(response)));
        target->flush();
        target->disconnectFromServer();
    };
    const std::optional<InstanceRequest> request = InstanceWire::decodeRequest(text);
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

std::optional<InstanceResponse> SingleInstance::send(const Location& location,
                                                     const InstanceRequest& request,
                                                     std::chrono::milliseconds answerTimeout,
                                                     std::string* error) {
    QLocalSocket socket;
    socket.connectToServer(toQString(location.socket.string()));
    if (!socket.waitForConnected(1000)) return std::nullopt;
    socket.write(QByteArray::fromStdString(InstanceWire::encode(request)));
    socket.flush();

    const QDeadlineTimer deadline(answerTimeout);
    QByteArray received;
    while (!received.contains('\n')) {
        const int wait = int(std::max<qint64>(1, deadline.remainingTime()));
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(wait)) {
            if (error) {
                *error = deadline.hasExpired() ? "Corvane did not answer in time."
                                               : "Corvane stopped before it answered.";
            }
            return std::nullopt;
        }
        received += socket.readAll();
    }
    std::optional<InstanceResponse> response =
        InstanceWire::decodeResponse(received.left(received.indexOf('\n')).toStdString());
    if (!response && error)
        *error = "Corvane gave an answer that this version does not understand.";
    return response;
}

}  // namespace corvane
