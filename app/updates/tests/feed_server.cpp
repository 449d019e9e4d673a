#include "app/updates/tests/feed_server.h"

#include <sodium.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QTcpSocket>

namespace corvane::testing {

FeedServer::FeedServer() {
    listen(QHostAddress::LocalHost, 0);
    connect(this, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

void FeedServer::serve(const QString& path, const QByteArray& body) {
    routes_[path] = {Route::Kind::body, body, {}, 0};
}

void FeedServer::redirect(const QString& path, const QString& to) {
    routes_[path] = {Route::Kind::redirect, {}, to, 0};
}

void FeedServer::truncate(const QString& path, const QByteArray& body, int declaredLength) {
    routes_[path] = {Route::Kind::truncated, body, {}, declaredLength};
}

void FeedServer::silence(const QString& path) {
    routes_[path] = {Route::Kind::silent, {}, {}, 0};
}

QUrl FeedServer::url(const QString& path) const {
    return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(serverPort()).arg(path));
}

void FeedServer::answer(QTcpSocket* socket) {
    const QByteArray seen = socket->property("seen").toByteArray() + socket->readAll();
    socket->setProperty("seen", seen);
    if (!seen.contains("\r\n\r\n") || socket->property("answered").toBool()) return;
    socket->setProperty("answered", true);
    const QString path = QString::fromLatin1(seen.split(' ').value(1));
    requests_[path] += 1;
    const Route route = routes_.value(path, Route{Route::Kind::body, "not here", {}, 0});
    QByteArray response;
    switch (route.kind) {
        case Route::Kind::silent:
            return;
        case Route::Kind::redirect:
            response = "HTTP/1.1 302 Found\r\nLocation: " + route.location.toLatin1() +
                       "\r\nContent-Length: 0\r\nConnection: close\r\n\r\n";
            break;
        case Route::Kind::truncated:
            response =
                "HTTP/1.1 200 OK\r\nContent-Length: " + QByteArray::number(route.declaredLength) +
                "\r\nConnection: close\r\n\r\n" + route.body;
            break;
        case Route::Kind::body:
            response = (routes_.contains(path) ? "HTTP/1.1 200 OK" : "HTTP/1.1 404 Not Found") +
                       QByteArray("\r\nContent-Length: ") + QByteArray::number(route.body.size()) +
                       "\r\nConnection: close\r\n\r\n" + route.body;
            break;
    }
    socket->write(response);
    socket->disconnectFromHost();
}

TestReleaseKey::TestReleaseKey(unsigned char seed) {
    if (sodium_init() < 0) return;
    std::array<unsigned char, crypto_sign_SEEDBYTES> seedBytes{};
    seedBytes.fill(seed);
    crypto_sign_seed_keypair(publicKey.data(), secretKey.data(), seedBytes.data());
}

QByteArray TestReleaseKey::publicBase64() const {
    return QByteArray(reinterpret_cast<const char*>(publicKey.data()), publicKey.size()).toBase64();
}

QByteArray TestReleaseKey::sign(const QByteArray& document) const {
    QByteArray signature(crypto_sign_BYTES, '\0');
    crypto_sign_detached(reinterpret_cast<unsigned char*>(signature.data()), nullptr,
                         reinterpret_cast<const unsigned char*>(document.constData()),
                         static_cast<unsigned long long>(document.size()), secretKey.data());
    return signature;
}

QByteArray TestReleaseKey::feed(const QByteArray& document) const {
    QJsonObject envelope{
        {QStringLiteral("feed"), QString::fromUtf8(document)},
        {QStringLiteral("signature"), QString::fromLatin1(sign(document).toBase64())}};
    return QJsonDocument(envelope).toJson(QJsonDocument::Compact);
}

QByteArray releaseDocument(const FeedServer& server, const QString& version,
                           const QByteArray& fileSha) {
    QJsonObject document{{QStringLiteral("version"), version},
                         {QStringLiteral("releasePage"),
                          server.url(QStringLiteral("/releases/") + version).toString()}};
    if (!fileSha.isEmpty()) {
        document.insert(
            QStringLiteral("file"),
            QJsonObject{
                {QStringLiteral("url"),
                 server.url(QStringLiteral("/files/corvane_%1_amd64.deb").arg(version)).toString()},
                {QStringLiteral("sha256"), QString::fromLatin1(fileSha.toHex())}});
    }
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

}  // namespace corvane::testing
