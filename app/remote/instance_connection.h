#pragma once

#include <QObject>
#include <QTimer>
#include <string>

class QSocketNotifier;

namespace corvane {

// One client of the running Corvane on a non-blocking local socket: it reads
// one request line, waits for the answer however long that takes, writes the
// answer whole and hangs up. It closes early when the client leaves, stays
// silent too long, or sends a line longer than allowed; the owner learns of
// every close through closed() and the object deletes itself afterwards.
class InstanceConnection : public QObject {
    Q_OBJECT

public:
    // Takes ownership of `fd`.
    InstanceConnection(int fd, qsizetype longestRequest, int silenceMilliseconds,
                       QObject* parent = nullptr);
    ~InstanceConnection() override;

    bool hasRequest() const { return hasRequest_; }
    bool isOpen() const { return fd_ >= 0; }
    // Sends `bytes` and then hangs up. Only the first answer counts; one for a
    // client that already left is dropped.
    void answer(std::string bytes);
    // Hangs up now, whatever is unsent.
    void drop();

signals:
    // The line includes its "\n".
    void requestArrived(const std::string& line);
    void closed();

private:
    void readAvailable();
    bool takeRequestLine();
    void writePending();

    int fd_;
    qsizetype longestRequest_;
    QSocketNotifier* reader_;
    QSocketNotifier* writer_ = nullptr;
    QTimer silence_;
    std::string received_;
    std::string unsent_;
    bool hasRequest_ = false;
    bool answered_ = false;
};

}  // namespace corvane
