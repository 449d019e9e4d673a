#pragma once

#include <QCryptographicHash>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "app/updates/feed_fetch.h"
#include "app/updates/update_feed.h"

class QSaveFile;

namespace corvane {

// Saves a release file into a folder under the name its address gives it, and
// keeps it only when its SHA-256 is the one the signed feed names: until then
// it is written beside the final name, so the folder never holds a partial or
// unverified file. A file of that name that is already there stays untouched:
// when it is the same release it is simply reused, otherwise the new one gets
// a numbered name.
class ReleaseDownload : public QObject {
    Q_OBJECT

public:
    // The path of the saved file, or the error (then the path is empty).
    using Done = std::function<void(const QString& path, const QString& error)>;

    ReleaseDownload(QNetworkAccessManager& network, FetchLimits limits, QObject* parent = nullptr);
    ~ReleaseDownload() override;

    void start(const ReleaseFile& file, const QString& folder, Done done);
    bool isRunning() const { return fetch_.isRunning(); }

    // Where the file would go in `folder`; empty when its name is unusable.
    static QString targetPath(const ReleaseFile& file, const QString& folder);

private:
    void finish(const QString& error);

    FeedFetch fetch_;
    std::unique_ptr<QSaveFile> out_;
    QCryptographicHash hash_{QCryptographicHash::Sha256};
    QByteArray expected_;
    Done done_;
};

namespace download_errors {
inline const char* const mismatch =
    "The downloaded file does not match the checksum in the update feed, so it was not kept.";
inline const char* const cannotWrite = "The downloaded file could not be saved in ";
}  // namespace download_errors

}  // namespace corvane
