#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QTcpServer>
#include <QUrl>
#include <array>

namespace corvane::testing {

// A tiny HTTP server on 127.0.0.1 for the update tests: each path answers with
// a body, a redirect, a body cut short, or nothing at all.
class FeedServer : public QTcpServer {
    Q_OBJECT

public:
    FeedServer();

    void serve(const QString& path, const QByteArray& body);
    void redirect(const QString& path, const QString& to);
    // Announces `declaredLength` bytes, sends `body`, and hangs up.
    void truncate(const QString& path, const QByteArray& body, int declaredLength);
    // Takes the request and never answers.
    void silence(const QString& path);

    QUrl url(const QString& path) const;
    int requests(const QString& path) const { return requests_.value(path); }

private:
    struct Route {
        enum class Kind { body, redirect, truncated, silent } kind = Kind::body;
        QByteArray body;
        QString location;
        int declaredLength = 0;
    };
    void answer(QTcpSocket* socket);

    QMap<QString, Route> routes_;
    QMap<QString, int> requests_;
};

// The release key of the tests, and feeds signed with it.
struct TestReleaseKey {
    explicit TestReleaseKey(unsigned char seed = 7);
    QByteArray publicBase64() const;
    QByteArray sign(const QByteArray& document) const;
    // The envelope around `document`, signed.
    QByteArray feed(const QByteArray& document) const;

    std::array<unsigned char, 32> publicKey{};
    std::array<unsigned char, 64> secretKey{};
};

// A release document for version `version` at the server, with a file when `fileSha` is given.
QByteArray releaseDocument(const FeedServer& server, const QString& version,
                           const QByteArray& fileSha = {});

}  // namespace corvane::testing
