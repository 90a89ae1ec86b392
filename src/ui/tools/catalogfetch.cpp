#include "ui/tools/catalogfetch.h"

#include "tools/catalog.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

namespace kartevo {

FetchResult FetchCatalog(const QUrl &url, CatalogUpdate &update, const std::function<void(qint64)> &progress,
                         FetchControl &control)
{
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setRawHeader("User-Agent", "Mozilla/3.0 (compatible; Indy Library)");
    request.setRawHeader("Accept", "text/html, */*");
    // A server that stops sending ends the download at once; the deadline below ends one that
    // keeps sending too slowly.
    request.setTransferTimeout(qMin(control.deadlineMs, 60000));
    QNetworkReply *reply = manager.get(request);
    QEventLoop loop;
    bool cancelled = false;
    bool late = false;
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
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        late = true;
        reply->abort();
    });
    deadline.start(control.deadlineMs);
    if (control.cancel) {
        *control.cancel = [&] {
            cancelled = true;
            reply->abort();
        };
    }
    if (!reply->isFinished())
        loop.exec();
    if (control.cancel)
        *control.cancel = nullptr;
    deadline.stop();
    if (!update.tooLarge() && !cancelled && !late)
        take();
    const bool tooLarge = update.tooLarge();
    const QNetworkReply::NetworkError error = reply->error();
    // The announced length counts the bytes on the wire; a compressed body arrives unpacked.
    const QVariant length = reply->hasRawHeader("Content-Encoding")
        ? QVariant() : reply->header(QNetworkRequest::ContentLengthHeader);
    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QString statusText = reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
    const QString target = reply->attribute(QNetworkRequest::RedirectionTargetAttribute).toUrl().toString();
    delete reply;
    if (cancelled)
        return FetchResult::Cancelled;
    if (tooLarge)
        return FetchResult::TooLarge;
    control.reason.clear();
    if (late) {
        control.reason = QStringLiteral("A letöltés %1 másodperc alatt sem fejeződött be, ezért megszakadt.")
                             .arg(control.deadlineMs / 1000);
        return FetchResult::Failed;
    }
    if (error == QNetworkReply::TooManyRedirectsError) {
        control.reason = QStringLiteral("A kiszolgáló túl sokszor irányított át (körbe), a lista nem tölthető le.");
        return FetchResult::Failed;
    }
    if (error == QNetworkReply::InsecureRedirectError) {
        control.reason = QStringLiteral("A kiszolgáló kevésbé biztonságos címre irányított át, ezt a program nem "
                                        "követi: %1").arg(target);
        return FetchResult::Failed;
    }
    if (status >= 300 || (status != 0 && status < 200)) {
        control.reason = QStringLiteral("A kiszolgáló hibával válaszolt: HTTP %1 %2").arg(status).arg(statusText).trimmed();
        return FetchResult::Failed;
    }
    if (status != 0 && length.isValid() && length.toLongLong() != update.received()) {
        control.reason = QStringLiteral("A letöltés félbeszakadt: %1 bájt érkezett a bejelentett %2 helyett.")
                             .arg(update.received())
                             .arg(length.toLongLong());
        return FetchResult::Failed;
    }
    if (error != QNetworkReply::NoError || status == 0)
        return FetchResult::Failed; // not reached at all: the reason stays empty
    return FetchResult::Complete;
}

} // namespace kartevo
