#include "app/updates/update_url.h"

#include <QStringList>

namespace corvane {

namespace {

// Four decimal numbers of at most 255, the first 127.
bool isLoopbackIpv4(const QString& host) {
    const QStringList parts = host.split(QLatin1Char('.'));
    if (parts.size() != 4) return false;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > 3) return false;
        for (const QChar c : part)
            if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
        if (part.toInt() > 255) return false;
    }
    return parts[0] == QStringLiteral("127");
}

}  // namespace

bool isLoopbackHost(const QString& host) {
    // Spelled by hand rather than with QHostAddress, so that the program proper
    // needs nothing of Qt Network.
    if (host.compare(QStringLiteral("localhost"), Qt::CaseInsensitive) == 0) return true;
    if (host == QStringLiteral("::1")) return true;
    return isLoopbackIpv4(host);
}

bool isAcceptedUpdateUrl(const QUrl& url, bool allowLoopbackHttp) {
    if (!url.isValid() || url.host().isEmpty()) return false;
    if (url.scheme() == QStringLiteral("https")) return true;
    return allowLoopbackHttp && url.scheme() == QStringLiteral("http") &&
           isLoopbackHost(url.host());
}

}  // namespace corvane
