#include "core/bulkload.h"

#include "core/database.h"
#include "core/schema.h"
#include "core/statement.h"

#include <sqlite3.h>

namespace kartevo {

BulkLoad::BulkLoad(Database &db, const QString &table)
    : m_db(db)
    , m_table(table)
{
    Statement count(db, QStringLiteral("SELECT count(*) FROM %1").arg(QuoteIdentifier(table)));
    m_rowsBefore = count.step() ? count.column(0).toLongLong() : 0;
}

BulkLoad::~BulkLoad()
{
    if (m_cacheSize != 0)
        RunSQL(m_db, QStringLiteral("PRAGMA cache_size = %1").arg(m_cacheSize));
}

void BulkLoad::adding(qint64 rows)
{
    if (m_setAside || rows <= m_rowsBefore)
        return;
    m_setAside = true;
    // Up to 64 MiB, a few hundred thousand clients with their index entries; the memory is only
    // taken as the pages are filled.
    Statement cache(m_db, QStringLiteral("PRAGMA cache_size"));
    if (cache.step()) {
        m_cacheSize = cache.column(0).toLongLong();
        m_db.exec(QStringLiteral("PRAGMA cache_size = -65536"));
    }
    QStringList names;
    {
        // The indexes the engine makes for a key or a UNIQUE column have no statement and stay.
        Statement indexes(m_db, QStringLiteral("SELECT name, sql FROM sqlite_master "
                                               "WHERE type = 'index' AND tbl_name = ? AND sql IS NOT NULL"));
        indexes.bind(1, m_table);
        while (indexes.step()) {
            names.append(indexes.column(0).toString());
            m_indexes.append(indexes.column(1).toString());
        }
    }
    for (const QString &name : std::as_const(names))
        m_db.exec(QStringLiteral("DROP INDEX %1").arg(QuoteIdentifier(name)));
}

void BulkLoad::finish()
{
    if (sqlite3_get_autocommit(m_db.handle()) != 0)
        m_indexes.clear();
    for (const QString &index : std::as_const(m_indexes))
        m_db.exec(index);
    m_indexes.clear();
}

} // namespace kartevo
