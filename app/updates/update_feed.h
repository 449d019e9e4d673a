#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <array>
#include <optional>
#include <vector>

#include "app/updates/update_url.h"

namespace corvane {

// The release key's public half (Ed25519).
using FeedPublicKey = std::array<unsigned char, 32>;

// The file a release offers for download, with the checksum the signed feed vouches for.
struct ReleaseFile {
    QUrl url;
    QByteArray sha256;  // 32 raw bytes
};

// What the update feed says about the newest release.
struct UpdateRelease {
    QString version;
    QUrl releasePage;
    std::optional<ReleaseFile> file;
};

// A feed that was read: the release, or why it cannot be trusted or used.
struct FeedReading {
    std::optional<UpdateRelease> release;
    QString error;
};

// The feed is a JSON envelope {"feed": TEXT, "signature": BASE64} where TEXT is
// the release document itself and BASE64 the release key's Ed25519 signature of
// its UTF-8 bytes. Signing the text as sent, rather than re-encoded JSON, leaves
// nothing to canonicalise. The document:
//   {"version": "1.2.0", "releasePage": "https://…",
//    "file": {"url": "https://…/corvane_1.2.0_amd64.deb", "sha256": "<64 hex digits>"}}
// ("file" is optional). Nothing in a feed that fails to verify is looked at.
FeedReading readSignedFeed(const QByteArray& body, const FeedPublicKey& key,
                           bool allowLoopbackHttp = false);

// The key as the build carries it (standard base64 of the 32 bytes).
std::optional<FeedPublicKey> decodePublicKey(const QByteArray& base64);

// Dotted numeric versions ("1.10.2"); nothing else is a version.
std::optional<std::vector<int>> parseVersion(const QString& text);
// Whether `candidate` is a later version than `current`; missing parts count as 0.
bool isNewerVersion(const std::vector<int>& candidate, const std::vector<int>& current);

namespace feed_errors {
inline const char* const notVerified = "The update feed could not be verified.";
inline const char* const notValid = "The update feed is not valid.";
}  // namespace feed_errors

}  // namespace corvane
