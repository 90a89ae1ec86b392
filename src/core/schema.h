#pragma once

#include <QList>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <utility>

namespace kartevo {

class Database;
class TableView;

// Runs one statement; a failure is dropped without a word (used where a change may already
// be in place, as in the schema upgrade).
void RunSQL(Database &db, const QString &statement);

// The next free key of a column: MAX(column) + 1, 1 for an empty table. The table defaults
// to the column's name. A missing table or column throws Error.
qint64 NextId(Database &db, const QString &column, const QString &table = {});

// Upper case without the Hungarian accents: Á É Í Ó Ő Ö Ú Ű Ü become A E I O O O U U U;
// every other character is only upper-cased (Ä, Ô, Č stay).
QString FoldAccents(const QString &text);

// The sort and search key of a text column: its first kSortKeyLength characters folded (the
// characters after them do not count); empty for NULL.
inline constexpr int kSortKeyLength = 20;
QString SortKey(const QVariant &value);
QString SortKeyOfText(QStringView text);
// The same key for UTF-8 text, written as UTF-8 into `out`, which has room for
// kSortKeyUtf8Size bytes; returns its length. Made without a QString for most texts (an import
// makes four keys per client).
inline constexpr int kSortKeyUtf8Size = 3 * kSortKeyLength;
qsizetype SortKeyOfUtf8(QByteArrayView text, char *out);

// The client columns that have a sort key, each with the column that holds its key.
struct SortKeyColumn {
    QString column;
    QString key;
};
const QList<SortKeyColumn> &ClientSortKeyColumns();

// The client write rule, installed as the beforePost hook of the client table view: fills the
// sort keys (ugyfel_nevs, cim_vaross, kapcsolats and, once the column exists, csoports) and
// gives a new client the next free key when ugyfel is NULL, empty or 0.
void ApplyClientWriteRule(TableView &clients);

// Brings a database from an older release up to date, each change only when it is missing:
// the label-format table (from the code-page-1250 script cimkeSqlPath, one statement a line),
// the columns ugyfel.jelolve (existing clients get 'N'), ugyfel.csoport, ugyfel.csoports and
// the csoport table, and the tables of ImportLogTables. A statement that fails is skipped; where the database cannot be written at
// all (Database::fileFault) the label formats are taken back whole, and when the client
// columns are then still missing, Error "Az adatbázis szerkezete nem frissíthető: " and why is
// thrown. An unreadable script throws Error.
// Returns the statements run, in order (empty when nothing was missing).
// The tables that record what each import added and the remembered column mappings, each with
// the statement that creates it.
const QList<std::pair<QString, QString>> &ImportLogTables();

QStringList UpgradeSchema(Database &db, const QString &cimkeSqlPath);

} // namespace kartevo
