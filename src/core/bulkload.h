#pragma once

#include <QString>
#include <QStringList>

namespace kartevo {

class Database;

// A load of many rows into one table inside the caller's open transaction. Once the rows to add
// outnumber the rows that were there, the table's indexes are set aside and made again by
// finish(), before the transaction is committed: one sort at the end instead of a search of
// every index for every row. A transaction taken back brings them back with everything else.
// Such a load also gets a page cache that holds its pages until the commit (the connection's
// own size comes back when the load ends), instead of writing them out early as it fills.
class BulkLoad {
public:
    BulkLoad(Database &db, const QString &table);
    ~BulkLoad();
    BulkLoad(const BulkLoad &) = delete;
    BulkLoad &operator=(const BulkLoad &) = delete;

    // How many rows the load adds in all, as far as it is known: all of them at the start, or
    // those so far while they come. No statement of the table may be running.
    void adding(qint64 rows);
    // Makes the indexes set aside again; does nothing when none were, or when the engine has
    // already taken the transaction back (a full disk). Throws Error when one cannot be made.
    void finish();

private:
    Database &m_db;
    QString m_table;
    qint64 m_rowsBefore = 0;
    bool m_setAside = false;
    qint64 m_cacheSize = 0; // the connection's page cache size to bring back, when changed
    QStringList m_indexes; // the CREATE INDEX statements of those set aside
};

} // namespace kartevo
