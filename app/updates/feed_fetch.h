#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>
#include <functional>

#include "app/updates/update_network.h"

class QNetworkAccessManager;
class QNetworkReply;

namespace corvane {

// One GET over Qt Network with those limits. The body arrives in pieces to
// `onData` (when set) or whole at the end; `done` gets the error text, empty on
// success. Redirects never lead from https to plain http.
class FeedFetch : public QObject {
    Q_OBJECT

public:
    using Done = std::function<void(const QByteArray& body, const QString& error)>;
    using OnData = std::function<void(const QByteArray& piece)>;

    FeedFetch(QNetworkAccessManager& network, FetchLimits limits, QObject* parent = nullptr);
    ~FeedFetch() override;

    void get(const QUrl& url, Done done, OnData onData = {});
    void abort();
    bool isRunning() const { return !reply_.isNull(); }

private:
    void readAvailable();
    void finish();
    QString errorText() const;

    QNetworkAccessManager& network_;
    FetchLimits limits_;
    QPointer<QNetworkReply> reply_;
    Done done_;
    OnData onData_;
    QByteArray body_;
    qint64 received_ = 0;
    bool tooLarge_ = false;
};

namespace fetch_errors {
inline const char* const noAnswer = "The update server did not answer.";
inline const char* const tooManyRedirects = "The update server redirected too many times.";
inline const char* const tooLarge = "The update server sent more than was expected.";
inline const char* const insecure = "The update address is not a secure (https) address.";
}  // namespace fetch_errors

}  // namespace corvane
