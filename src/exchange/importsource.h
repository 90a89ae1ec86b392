#pragma once

// A file of addresses as a table of text cells, whatever program wrote it: delimited text,
// a spreadsheet (.xlsx, .ods, .xls) or vCards. The field mapping of the import works on this
// table only.

#include <QByteArray>
#include <QChar>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace kartevo {

enum class SourceKind { Delimited, Xlsx, Ods, Xls, VCard };

struct SourceOptions {
    int sheet = 0;     // spreadsheets: the sheet, from 0
    QString encoding;  // delimited text: empty to detect, "utf-8" or "cp1250"
    QChar separator;   // delimited text: null to sniff among ; , TAB |
};

struct SourceTable {
    SourceKind kind = SourceKind::Delimited;
    QStringList sheets;      // spreadsheets: the names of every sheet, in order
    QString encoding;        // delimited text: the encoding it was read in
    QChar separator;         // delimited text: the separator used
    QList<QStringList> rows; // every row as read; the first may be a header
    QStringList warnings;    // what the user should know about the reading (one sentence each)
};

// The titles of the columns a vCard file becomes; the first row of its table holds them.
QStringList VCardColumnTitles();

// Recognises the kind of a file by its content, not its name. Throws Error naming the file when
// it cannot be read.
SourceKind DetectSourceKind(const QString &fileName);

// Reads the whole file as a table. Throws Error with a message naming the file and the cause (a
// damaged container, a sheet that is not there, a file that is no address list).
SourceTable ReadSource(const QString &fileName, const SourceOptions &options = {});

// Takes the rows of a file one at a time as they are read: in order from 0, empty ones included.
using SourceRowSink = std::function<void(qint64 row, QStringList &&cells)>;

// Reads the file as ReadSource does, but hands every row to sink as soon as it is read instead of
// keeping them all, where the kind of the file allows it (an .xlsx workbook). False, maybe with
// rows handed over already, when it does not or when those rows turn out not to be the rows
// ReadSource reads (merged cells, a row that comes back to an earlier one): the caller then
// reads the file with ReadSource. Throws Error as ReadSource does.
bool StreamSource(const QString &fileName, const SourceOptions &options, const SourceRowSink &sink);

// The readers of each kind, behind ReadSource.
// fileName names the file in the error of one that is not text.
SourceTable ReadDelimitedSource(const QByteArray &bytes, const SourceOptions &options, const QString &fileName = {});
SourceTable ReadSpreadsheetSource(const QString &fileName, SourceKind kind, const SourceOptions &options);
// A vCard file: the column titles, then one row per card. fileName names the file in the error
// of a file without a card.
SourceTable ReadVCardSource(const QByteArray &bytes, const QString &fileName = {});

} // namespace kartevo
