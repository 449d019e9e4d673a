#pragma once

#include <QString>
#include <QUrl>

namespace corvane {

// Addresses Corvane fetches or opens for an update: https only; plain http to
// the loopback address only when allowed (tests).
bool isAcceptedUpdateUrl(const QUrl& url, bool allowLoopbackHttp);

// Whether a host name as QUrl gives it (IPv6 without brackets) names this
// machine: "localhost", 127.0.0.0/8 or ::1.
bool isLoopbackHost(const QString& host);

}  // namespace corvane
