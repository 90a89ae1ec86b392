#pragma once

#include <QString>
#include <QUrl>

#include <functional>

namespace kartevo {

class CatalogUpdate;

// How a catalog download ended.
enum class FetchResult { Complete, Failed, TooLarge, Cancelled };

// What a download may take and how it is stopped.
struct FetchControl {
    // The whole download, however slowly the server sends: a server that drips a byte now and
    // then must not hold the window.
    int deadlineMs = 60000;
    // Set while the download runs: calling it stops the download (the window's "Mégsem", its
    // closing, the end of the program).
    std::function<void()> *cancel = nullptr;
    // For Failed: what went wrong in words, or empty when the server could not be reached.
    QString reason;
};

// Fetches the catalog with one HTTP GET (the catalog's request headers, redirects followed)
// into the update, calling progress with the bytes received so far. Failed: no connection, an
// error status, a redirect that is not followed, a body that ended before its announced length,
// the deadline passed. Waits for the end while the program's events run (user input included:
// the caller keeps its other commands from starting meanwhile).
FetchResult FetchCatalog(const QUrl &url, CatalogUpdate &update, const std::function<void(qint64)> &progress,
                         FetchControl &control);

} // namespace kartevo
