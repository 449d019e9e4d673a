// The corvane-update-network module: the update checks' network side over Qt
// Network, created through its one exported function (see update_network.h).

#include <QNetworkAccessManager>
#include <type_traits>

#include "app/updates/feed_fetch.h"
#include "app/updates/release_download.h"
#include "app/updates/update_network.h"

namespace corvane {
namespace {

class QtUpdateNetwork final : public UpdateNetwork {
public:
    QtUpdateNetwork(const FetchLimits& feed, const FetchLimits& release)
        : fetch_(network_, feed), download_(network_, release) {}

    void fetchFeed(const QUrl& url, FetchDone done) override { fetch_.get(url, std::move(done)); }

    void downloadRelease(const ReleaseFile& file, const QString& folder,
                         DownloadDone done) override {
        download_.start(file, folder, std::move(done));
    }

    void clearConnectionCache() override { network_.clearConnectionCache(); }

private:
    QNetworkAccessManager network_;  // first: the two below use it until they go
    FeedFetch fetch_;
    ReleaseDownload download_;
};

}  // namespace
}  // namespace corvane

extern "C" Q_DECL_EXPORT corvane::UpdateNetwork* corvane_update_network_create_v1(
    const corvane::FetchLimits& feed, const corvane::FetchLimits& release) {
    return new corvane::QtUpdateNetwork(feed, release);
}

static_assert(
    std::is_same_v<decltype(&corvane_update_network_create_v1), corvane::UpdateNetworkFactory>,
    "the loader calls the factory through UpdateNetworkFactory");
