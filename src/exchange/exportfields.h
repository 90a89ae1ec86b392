#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QVariant>

#include <functional>

class QIODevice;

namespace kartevo {

class DataSet;

// What an exporter makes of a field, from the type its column was declared with.
enum class FieldKind {
    Text,    // CHAR(n), VARCHAR, dates and everything not named below
    Memo,    // TEXT, CLOB, MEMO: long text
    Blob,    // BLOB, BINARY, IMAGE
    Integer, // every type with INT in its name
    Float,   // REAL, FLOAT, DOUBLE, NUMERIC, DECIMAL, MONEY, CURRENCY
    Boolean, // BOOL, BOOLEAN
    Untyped, // an expression: each value by what it holds
};

enum class FieldAlign { Left, Centre, Right };

FieldKind KindOfDeclaredType(const QString &declaredType);

// One field of a data set as the exports see it.
struct ExportField {
    QString name;
    QString label; // the title shown in grids, or the name
    FieldKind kind = FieldKind::Text;
    FieldAlign align = FieldAlign::Left; // numbers right, everything else left
    int column = -1;                     // in the data set
};

// Every field of the data set in its order (a table view's rowid is none of them); labels maps field names (any case) to the titles
// grids show for them.
QList<ExportField> ExportFieldsOf(const DataSet &dataSet, const QHash<QString, QString> &labels = {});

// The result of an export.
struct ExportResult {
    int records = 0;
    bool stopped = false;
    int unmappable = 0; // characters code page 1250 cannot hold, written as '?'
};

// Called after every record with the number written so far; false stops a text export.
using ExportProgress = std::function<bool(int records)>;

// Writes an export into a file through OutputFile: the file appears complete or not at all.
// A missing folder is created first when createFolder is set.
ExportResult ExportToFile(const QString &fileName, const std::function<ExportResult(QIODevice &)> &write,
                          bool createFolder = false);

// The note shown after an export that had to replace characters, or an empty text.
QString UnmappableNote(int unmappable);

} // namespace kartevo
