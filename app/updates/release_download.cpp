#include "app/updates/release_download.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace corvane {

namespace {

QByteArray sha256Of(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

}  // namespace

ReleaseDownload::ReleaseDownload(QNetworkAccessManager& network, FetchLimits limits,
                                 QObject* parent)
    : QObject(parent), fetch_(network, limits) {}

ReleaseDownload::~ReleaseDownload() = default;

QString ReleaseDownload::targetPath(const ReleaseFile& file, const QString& folder) {
    const QString name = file.url.fileName();
    // A name from the network never climbs out of the folder or hides in it.
    if (name.isEmpty() || name.startsWith(QLatin1Char('.')) || name.contains(QLatin1Char('/')))
        return {};
    const QDir dir(folder);
    QString path = dir.filePath(name);
    const QFileInfo info(name);
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    for (int n = 1; QFileInfo::exists(path) && sha256Of(path) != file.sha256; ++n)
        path = dir.filePath(
            QStringLiteral("%1 (%2)%3").arg(info.completeBaseName()).arg(n).arg(suffix));
    return path;
}

void ReleaseDownload::start(const ReleaseFile& file, const QString& folder, Done done) {
    done_ = std::move(done);
    expected_ = file.sha256;
    hash_.reset();
    const QString path = targetPath(file, folder);
    if (path.isEmpty()) {
        finish(QString::fromUtf8(feed_errors::notValid));
        return;
    }
    if (QFileInfo::exists(path)) {  // the same release, downloaded before
        if (Done d = std::exchange(done_, nullptr)) d(path, {});
        return;
    }
    QDir().mkpath(folder);
    out_ = std::make_unique<QSaveFile>(path);
    if (!out_->open(QIODevice::WriteOnly)) {
        finish(QString::fromUtf8(download_errors::cannotWrite) + folder);
        return;
    }
    fetch_.get(
        file.url, [this](const QByteArray&, const QString& error) { finish(error); },
        [this](const QByteArray& piece) {
            hash_.addData(piece);
            if (out_) out_->write(piece);
        });
}

void ReleaseDownload::finish(const QString& error) {
    QString failure = error;
    QString path;
    if (out_) {
        if (failure.isEmpty() && hash_.result() != expected_)
            failure = QString::fromUtf8(download_errors::mismatch);
        if (failure.isEmpty() && !out_->commit())
            failure = QString::fromUtf8(download_errors::cannotWrite) +
                      QFileInfo(out_->fileName()).absolutePath();
        if (failure.isEmpty()) path = out_->fileName();
        if (!failure.isEmpty()) out_->cancelWriting();
        out_.reset();
    }
    if (Done d = std::exchange(done_, nullptr)) d(path, failure);
}

}  // namespace corvane
