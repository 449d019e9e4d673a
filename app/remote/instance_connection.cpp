#include "app/remote/instance_connection.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>

namespace corvane {

namespace {

// Reads per wake-up, so one busy client cannot keep the event loop to itself.
constexpr int chunksPerWakeUp = 16;

bool wouldBlock(int error) {
    return error == EAGAIN || error == EWOULDBLOCK;
}

}  // namespace

InstanceConnection::InstanceConnection(int fd, qsizetype longestRequest, int silenceMilliseconds,
                                       QObject* parent)
    : QObject(parent),
      fd_(fd),
      longestRequest_(longestRequest),
      reader_(new QSocketNotifier(fd, QSocketNotifier::Read, this)) {
    connect(reader_, &QSocketNotifier::activated, this, &InstanceConnection::readAvailable);
    // A client that connects and says nothing does not hold a socket for long.
    silence_.setSingleShot(true);
    connect(&silence_, &QTimer::timeout, this, [this] {
        if (!hasRequest_) drop();
    });
    silence_.start(silenceMilliseconds);
}

InstanceConnection::~InstanceConnection() {
    if (fd_ >= 0) ::close(fd_);
}

void InstanceConnection::readAvailable() {
    char buffer[4096];
    for (int chunk = 0; chunk < chunksPerWakeUp && isOpen(); ++chunk) {
        const ssize_t count = ::recv(fd_, buffer, sizeof buffer, 0);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0 && wouldBlock(errno)) return;
        // An end or an error before the answer: the client left, nobody reads it.
        if (count <= 0) return drop();
        // Whatever follows the request is read only to notice when the client leaves.
        if (hasRequest_) continue;
        received_.append(buffer, std::size_t(count));
        if (takeRequestLine()) return;
    }
}

// True once the request line is complete and handed on.
bool InstanceConnection::takeRequestLine() {
    const std::size_t end = received_.find('\n');
    const bool tooLong = end == std::string::npos ? qsizetype(received_.size()) >= longestRequest_
                                                  : qsizetype(end + 1) > longestRequest_;
    if (tooLong) drop();
    if (tooLong || end == std::string::npos) return false;
    hasRequest_ = true;
    silence_.stop();
    const std::string line = received_.substr(0, end + 1);
    received_ = {};
    emit requestArrived(line);
    return true;
}

void InstanceConnection::answer(std::string bytes) {
    if (answered_ || !isOpen()) return;
    answered_ = true;
    unsent_ = std::move(bytes);
    writePending();
}

void InstanceConnection::writePending() {
    std::size_t sent = 0;
    while (sent < unsent_.size() && isOpen()) {
        // MSG_NOSIGNAL: a client that left must not kill Corvane with SIGPIPE.
        const ssize_t count =
            ::send(fd_, unsent_.data() + sent, unsent_.size() - sent, MSG_NOSIGNAL);
        if (count > 0) {
            sent += std::size_t(count);
        } else if (count < 0 && errno == EINTR) {
            continue;
        } else if (count < 0 && wouldBlock(errno)) {
            // The client reads slowly: the rest goes when its socket has room.
            unsent_.erase(0, sent);
            if (!writer_) {
                writer_ = new QSocketNotifier(fd_, QSocketNotifier::Write, this);
                connect(writer_, &QSocketNotifier::activated, this,
                        &InstanceConnection::writePending);
            }
            writer_->setEnabled(true);
            return;
        } else {
            break;  // the client left
        }
    }
    drop();
}

void InstanceConnection::drop() {
    if (!isOpen()) return;
    silence_.stop();
    reader_->setEnabled(false);
    if (writer_) writer_->setEnabled(false);
    ::close(fd_);
    fd_ = -1;
    received_ = {};
    unsent_ = {};
    emit closed();
    // Not deleted at once: this may run inside one of its own notifiers' signals.
    deleteLater();
}

}  // namespace corvane
