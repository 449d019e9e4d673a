#include "app/updates/feed_fetch.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

#include "app/updates/update_url.h"

namespace corvane {

FeedFetch::FeedFetch(QNetworkAccessManager& network, FetchLimits limits, QObject* parent)
    : QObject(parent), network_(network), limits_(limits) {}

FeedFetch::~FeedFetch() {
    done_ = nullptr;
    abort();
}

void FeedFetch::get(const QUrl& url, Done done, OnData onData) {
    abort();
    done_ = std::move(done);
    onData_ = std::move(onData);
    body_.clear();
    received_ = 0;
    tooLarge_ = false;
    if (!isAcceptedUpdateUrl(url, limits_.allowLoopbackHttp)) {
        // Told from the event loop, like every other answer.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (Done d = std::exchange(done_, nullptr))
                    d({}, QString::fromUtf8(fetch_errors::insecure));
            },
            Qt::QueuedConnection);
        return;
    }
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(limits_.maxRedirects);
    request.setTransferTimeout(limits_.silenceMilliseconds);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Corvane"));
    reply_ = network_.get(request);
    connect(reply_, &QNetworkReply::readyRead, this, &FeedFetch::readAvailable);
    connect(reply_, &QNetworkReply::finished, this, &FeedFetch::finish);
}

void FeedFetch::abort() {
    if (QNetworkReply* reply = reply_.data()) {
        reply_ = nullptr;
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
}

void FeedFetch::readAvailable() {
    const QByteArray piece = reply_->readAll();
    received_ += piece.size();
    if (received_ > limits_.maxBytes) {
        tooLarge_ = true;
        reply_->abort();  // finish() follows
        return;
    }
    if (onData_) {
        onData_(piece);
    } else {
        body_ += piece;
    }
}

void FeedFetch::finish() {
    QNetworkReply* reply = reply_.data();
    if (!reply) return;
    if (!tooLarge_ && reply->error() == QNetworkReply::NoError) readAvailable();
    const QString error = errorText();
    reply_ = nullptr;
    reply->deleteLater();
    if (Done d = std::exchange(done_, nullptr)) d(error.isEmpty() ? body_ : QByteArray(), error);
}

QString FeedFetch::errorText() const {
    if (tooLarge_) return QString::fromUtf8(fetch_errors::tooLarge);
    switch (reply_->error()) {
        case QNetworkReply::NoError:
            return {};
        case QNetworkReply::TooManyRedirectsError:
            return QString::fromUtf8(fetch_errors::tooManyRedirects);
        case QNetworkReply::OperationCanceledError:
        case QNetworkReply::TimeoutError:
            return QString::fromUtf8(fetch_errors::noAnswer);
        case QNetworkReply::InsecureRedirectError:
            return QString::fromUtf8(fetch_errors::insecure);
        default:
            return reply_->errorString();
    }
}

}  // namespace corvane
