#pragma once

#include <QUrl>

#include <functional>

namespace kartevo {

class CatalogUpdate;

// How a catalog download ended.
enum class FetchResult { Complete, Failed, TooLarge };

// Fetches the catalog with one HTTP GET (the catalog's request headers, redirects followed)
// into the update, calling progress with the bytes received so far. Failed: no connection, an
// error status, or a body that ended before its announced length. Waits for the end while the
// program's other events (but no user input) run.
FetchResult FetchCatalog(const QUrl &url, CatalogUpdate &update, const std::function<void(qint64)> &progress);

} // namespace kartevo
