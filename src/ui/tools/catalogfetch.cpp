#include "ui/tools/catalogfetch.h"

#include "tools/catalog.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace kartevo {

FetchResult FetchCatalog(const QUrl &url, CatalogUpdate &update, const std::function<void(qint64)> &progress)
{
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setRawHeader("User-Agent", "Mozilla/3.0 (compatible; Indy Library)");
    request.setRawHeader("Accept", "text/html, */*");
    // A server that stops sending ends the download instead of holding the window.
    request.setTransferTimeout(60000);
    QNetworkReply *reply = manager.get(request);
    QEventLoop loop;
    auto take = [&] {
        if (reply->attribute(QNetworkRequest::RedirectionTargetAttribute).isValid())
            return; // the body of a redirect is not the catalog
        if (!update.append(reply->readAll())) {
            reply->abort();
            return;
        }
        if (progress)
            progress(update.received());
    };
    QObject::connect(reply, &QNetworkReply::readyRead, &loop, take);
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (!update.tooLarge())
        take();
    const bool tooLarge = update.tooLarge();
    const QNetworkReply::NetworkError error = reply->error();
    // The announced length counts the bytes on the wire; a compressed body arrives unpacked.
    const QVariant length = reply->hasRawHeader("Content-Encoding")
        ? QVariant() : reply->header(QNetworkRequest::ContentLengthHeader);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    delete reply;
    if (tooLarge)
        return FetchResult::TooLarge;
    if (error != QNetworkReply::NoError || status < 200 || status >= 300)
        return FetchResult::Failed;
    if (length.isValid() && length.toLongLong() != update.received())
        return FetchResult::Failed;
    return FetchResult::Complete;
}

} // namespace kartevo
