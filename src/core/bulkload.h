#pragma once

#include <QString>
#include <QStringList>

namespace kartevo {

class Database;

// A load of many rows into one table inside the caller's open transaction. When the rows to add
// outnumber the rows there, the table's indexes are set aside at the start and made again by
// finish(), before the transaction is committed: one sort at the end instead of a search of
// every index for every row. A transaction taken back brings them back with everything else.
class BulkLoad {
public:
    BulkLoad(Database &db, const QString &table, qint64 rowsToAdd);
    BulkLoad(const BulkLoad &) = delete;
    BulkLoad &operator=(const BulkLoad &) = delete;

    // Makes the indexes set aside again; does nothing when none were, or when the engine has
    // already taken the transaction back (a full disk). Throws Error when one cannot be made.
    void finish();

private:
    Database &m_db;
    QStringList m_indexes; // the CREATE INDEX statements of those set aside
};

} // namespace kartevo
