#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <functional>

#include "app/updates/update_feed.h"

namespace corvane {

// How far one request may go before it is given up.
struct FetchLimits {
    int silenceMilliseconds = 30000;  // no byte for this long: the server does not answer
    qint64 maxBytes = 64 * 1024;
    int maxRedirects = 5;
    bool allowLoopbackHttp = false;
};

// What an update check does over the network. Qt Network and the libraries it
// pulls in cost resident memory for as long as they are loaded, so this lives
// in a module (corvane-update-network) that Corvane loads by the first check,
// never at start; the program proper only knows this interface.
class UpdateNetwork {
public:
    // The body, or the error text (then the body is empty).
    using FetchDone = std::function<void(const QByteArray& body, const QString& error)>;
    // The path of the saved file, or the error text (then the path is empty).
    using DownloadDone = std::function<void(const QString& path, const QString& error)>;

    virtual ~UpdateNetwork() = default;

    virtual void fetchFeed(const QUrl& url, FetchDone done) = 0;
    // Saves the release file into `folder`, kept only when its SHA-256 matches.
    virtual void downloadRelease(const ReleaseFile& file, const QString& folder,
                                 DownloadDone done) = 0;
    // Kept-alive connections would wake Corvane later to expire.
    virtual void clearConnectionCache() = 0;
};

// The module's one exported function, looked up by this name. The number
// changes whenever the interface above does, so that a module of another build
// is refused rather than called wrongly.
using UpdateNetworkFactory = UpdateNetwork* (*)(const FetchLimits& feed,
                                                const FetchLimits& release);
inline const char* const updateNetworkFactoryName = "corvane_update_network_create_v1";

}  // namespace corvane
