#pragma once

#include "core/dataset.h"

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>

#include <memory>

namespace kartevo {

struct Folders;
class OutputFile;

// One program of the catalog.
struct CatalogRow {
    qint64 programok = 0;
    QString programok_nev;
    QString link;
    QString letoltlink;
    QString kategoria;
    QString ingyenes;   // "I" for a free program
    QString leiras;
    QByteArray kep;     // a JPEG picture; may be empty
};

// The catalog file programok.csv: UTF-8 text, records ending in CR LF (LF is read too), fields
// separated by commas and written in double quotes (a quote inside a value is doubled; a value
// may hold line breaks). The first record defines the columns as "name:type":
//   programok:integer, programok_nev:text(50), link:text(255), letoltlink:text(255),
//   kategoria:text(50), ingyenes:text(1), leiras:text(255), kep:jpeg-base64
// Every following record is one program; kep holds the JPEG picture in base64 (empty: none).
// Columns are found by their names, in any order; unknown columns are skipped.
QByteArray FormatCatalog(const QList<CatalogRow> &rows);
// Throws Error naming the record when the text is not such a catalog.
QList<CatalogRow> ParseCatalog(const QByteArray &bytes);
// Throws Error when the file cannot be read or is not a catalog.
QList<CatalogRow> ReadCatalogFile(const QString &fileName);

// DataFolder + "/programok.csv".
QString CatalogFileName(const Folders &folders);
// Puts the catalog shipped with the installation into the data folder when none is there yet,
// so that the catalog has content before its first refresh. Throws Error when it cannot.
void EnsureCatalogFile(const Folders &folders);

// Where a refresh fetches the catalog: KARTEVO_CATALOG_URL from the environment when set,
// else the address fixed at build time.
QString CatalogUrl();

// Whether the catalog may open a link: http:, https: and mailto: addresses only.
bool IsCatalogLinkAllowed(const QString &link);

// The most a refresh downloads.
constexpr qint64 CatalogSizeLimit = 10 * 1024 * 1024;

// The messages of a refresh.
QString CatalogCreateErrorText();
QString CatalogDownloadErrorText();
QString CatalogTooLargeText();
QString CatalogRefreshedText();

// A refresh of the catalog file: the downloaded bytes go to a temporary file beside the
// catalog, and the catalog is replaced only when finish() finds a complete, well-formed catalog
// in it. Without finish(), or when it fails, the old catalog stays as it was and the temporary
// file is removed.
class CatalogUpdate final {
public:
    // Throws Error (CatalogCreateErrorText, then on a line of its own what failed) when the
    // temporary file cannot be created.
    explicit CatalogUpdate(const QString &catalogFileName);
    ~CatalogUpdate();
    CatalogUpdate(const CatalogUpdate &) = delete;
    CatalogUpdate &operator=(const CatalogUpdate &) = delete;

    // False, writing nothing more, once the download would pass CatalogSizeLimit.
    bool append(QByteArrayView data);
    qint64 received() const { return m_received; }
    bool tooLarge() const { return m_tooLarge; }

    // Checks the download and puts it in the catalog's place; returns its rows. Throws Error
    // for a download that is too large, cannot be written or is not a catalog.
    QList<CatalogRow> finish();

private:
    std::unique_ptr<OutputFile> m_file;
    qint64 m_received = 0;
    bool m_tooLarge = false;
};

// The catalog as the window shows it: an in-memory table with the columns of CatalogRow.
class CatalogTable final : public DataSet {
    Q_OBJECT
public:
    explicit CatalogTable(QObject *parent = nullptr);

    // The rows in the given order; the cursor on the first one.
    void setRows(const QList<CatalogRow> &rows);
    void close();
    // Sorts by a column without regard to letter case and the Hungarian accents (numbers by
    // value; rows that compare equal keep their order), keeping the cursor on the same program.
    void sortBy(const QString &field);

    // The current row's picture; a null image when it has none or it cannot be decoded.
    QImage picture() const;
    bool isFree() const;
    bool isFreeRow(int row) const;

protected:
    void finishEditing() override {}

private:
    void show(const QList<CatalogRow> &rows, qint64 currentKey);

    QList<CatalogRow> m_rows;
};

} // namespace kartevo
