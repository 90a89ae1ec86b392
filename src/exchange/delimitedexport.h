#pragma once

#include "exchange/exportfields.h"

#include <QChar>
#include <QList>
#include <QString>

class QIODevice;

namespace kartevo {

class DataSet;

// The choices of a delimited text export.
struct DelimitedOptions {
    QChar separator = u';';
    QString quote;           // "\"", "'" or nothing
    bool memos = false;      // long texts written out on one line, else "BLOB"
    bool fieldNames = false; // the header holds the field names instead of the labels
    bool noHeader = false;   // the first line is left empty
};

// The separators of the export window in the order of its choices: ";" tab "," "|".
QChar ExportSeparator(int choice);
// The quotes of the export window in the order of its choices: "\"", "'", none.
QString ExportQuote(int choice);

// The header line and the line of one record (data set row), without the line end. Every value
// is quote + text + quote + separator; nothing inside a value is escaped.
QString DelimitedHeader(const QList<ExportField> &fields, const DelimitedOptions &options);
QString DelimitedRecord(const DataSet &dataSet, int row, const QList<ExportField> &fields,
                        const DelimitedOptions &options);

// Writes the header and every record from the first, each line in code page 1250 ended by
// CR LF. The data set's cursor does not move. progress returning false ends the export after
// the records written so far.
ExportResult WriteDelimited(QIODevice &out, const DataSet &dataSet, const QList<ExportField> &fields,
                            const DelimitedOptions &options, const ExportProgress &progress = {});

// Whether a file name asks for a worksheet: its extension is "xls" in any letter case.
bool IsWorksheetName(const QString &fileName);
// Whether it asks for an HTML page: "htm" or "html" in any letter case.
bool IsHtmlName(const QString &fileName);

} // namespace kartevo
