#include "app/updates/update_feed.h"

#include <sodium.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>

namespace corvane {

namespace {

std::optional<QByteArray> decodeBase64(const QByteArray& text) {
    auto decoded = QByteArray::fromBase64Encoding(text, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded) return std::nullopt;
    return *decoded;
}

bool signatureHolds(const QByteArray& document, const QByteArray& signature,
                    const FeedPublicKey& key) {
    if (sodium_init() < 0) return false;
    if (signature.size() != crypto_sign_BYTES) return false;
    return crypto_sign_verify_detached(
               reinterpret_cast<const unsigned char*>(signature.constData()),
               reinterpret_cast<const unsigned char*>(document.constData()),
               static_cast<unsigned long long>(document.size()), key.data()) == 0;
}

std::optional<ReleaseFile> readFile(const QJsonObject& file, bool allowLoopbackHttp) {
    const QUrl url(file.value(QStringLiteral("url")).toString(), QUrl::StrictMode);
    const QByteArray hex = file.value(QStringLiteral("sha256")).toString().toLatin1();
    if (!isAcceptedUpdateUrl(url, allowLoopbackHttp) || url.fileName().isEmpty()) return {};
    if (hex.size() != 64) return {};
    for (const char c : hex)
        if (!std::isxdigit(static_cast<unsigned char>(c))) return {};
    return ReleaseFile{url, QByteArray::fromHex(hex)};
}

FeedReading invalid() {
    return {std::nullopt, QString::fromUtf8(feed_errors::notValid)};
}

FeedReading readDocument(const QByteArray& document, bool allowLoopbackHttp) {
    const QJsonDocument json = QJsonDocument::fromJson(document);
    if (!json.isObject()) return invalid();
    const QJsonObject object = json.object();
    UpdateRelease release;
    release.version = object.value(QStringLiteral("version")).toString();
    release.releasePage =
        QUrl(object.value(QStringLiteral("releasePage")).toString(), QUrl::StrictMode);
    if (!parseVersion(release.version) ||
        !isAcceptedUpdateUrl(release.releasePage, allowLoopbackHttp))
        return invalid();
    if (object.contains(QStringLiteral("file"))) {
        release.file = readFile(object.value(QStringLiteral("file")).toObject(), allowLoopbackHttp);
        if (!release.file) return invalid();
    }
    return {release, {}};
}

}  // namespace

FeedReading readSignedFeed(const QByteArray& body, const FeedPublicKey& key,
                           bool allowLoopbackHttp) {
    const QJsonDocument envelope = QJsonDocument::fromJson(body);
    if (!envelope.isObject()) return invalid();
    const QJsonValue feed = envelope.object().value(QStringLiteral("feed"));
    const QJsonValue signature = envelope.object().value(QStringLiteral("signature"));
    if (!feed.isString() || !signature.isString()) return invalid();
    const QByteArray document = feed.toString().toUtf8();
    const auto signatureBytes = decodeBase64(signature.toString().toLatin1());
    if (!signatureBytes || !signatureHolds(document, *signatureBytes, key))
        return {std::nullopt, QString::fromUtf8(feed_errors::notVerified)};
    return readDocument(document, allowLoopbackHttp);
}

std::optional<FeedPublicKey> decodePublicKey(const QByteArray& base64) {
    const auto bytes = decodeBase64(base64.trimmed());
    if (!bytes || bytes->size() != static_cast<qsizetype>(FeedPublicKey{}.size()))
        return std::nullopt;
    FeedPublicKey key{};
    std::copy(bytes->begin(), bytes->end(), key.begin());
    return key;
}

std::optional<std::vector<int>> parseVersion(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('.'));
    if (text.isEmpty() || parts.size() > 6) return std::nullopt;
    std::vector<int> numbers;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 9) return std::nullopt;
        for (const QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
        numbers.push_back(part.toInt());
    }
    return numbers;
}

bool isNewerVersion(const std::vector<int>& candidate, const std::vector<int>& current) {
    const std::size_t length = std::max(candidate.size(), current.size());
    for (std::size_t i = 0; i < length; ++i) {
        const int a = i < candidate.size() ? candidate[i] : 0;
        const int b = i < current.size() ? current[i] : 0;
        if (a != b) return a > b;
    }
    return false;
}

}  // namespace corvane
