#include "core/database.h"

#include "core/error.h"
#include "core/statement.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

namespace kartevo {

QString QuoteIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

Database::~Database()
{
    close();
}

void Database::open(const QString &path)
{
    close();
    // SQLite would open an empty path or ":memory:" as a private database; only a file will do.
    if (path.isEmpty() || !QFileInfo(path).isFile())
        throw Error(QStringLiteral("Az adatbázis nem található: %1").arg(path));

    sqlite3 *db = nullptr;
    // Never SQLITE_OPEN_CREATE: a file that vanished since the check must not come back empty.
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = db ? QString::fromUtf8(sqlite3_errmsg(db))
                                   : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        throw Error(QStringLiteral("Az adatbázis nem nyitható meg: %1 (%2)").arg(path, message));
    }
    sqlite3_busy_timeout(db, 0);
    // The engine reads the file lazily; reading the catalogue now reports a file that is not
    // a database here rather than at the first query.
    char *error = nullptr;
    if (const int read = sqlite3_exec(db, "SELECT 1 FROM sqlite_master LIMIT 1", nullptr, nullptr, &error);
        read != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errmsg(db));
        sqlite3_free(error);
        sqlite3_close_v2(db);
        const QString text = QStringLiteral("Az adatbázis nem nyitható meg: %1 (%2)").arg(path, message);
        if ((read & 0xff) == SQLITE_NOTADB)
            throw NotADatabase(text);
        throw Error(text);
    }
    m_db = db;
    m_path = path;
}

void Database::close()
{
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_path.clear();
}

void Database::exec(const QString &sql)
{
    requireOpen();
    char *error = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        const QString message = QString::fromUtf8(error ? error : sqlite3_errmsg(m_db));
        sqlite3_free(error);
        throw Error(message);
    }
}

QStringList Database::tableNames()
{
    requireOpen();
    Statement query(*this, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' ORDER BY name"));
    QStringList names;
    while (query.step())
        names.append(query.column(0).toString());
    return names;
}

QList<Database::ColumnInfo> Database::tableInfo(const QString &table)
{
    requireOpen();
    Statement query(*this, QStringLiteral("PRAGMA table_info(%1)").arg(QuoteIdentifier(table)));
    QList<ColumnInfo> columns;
    // Columns of PRAGMA table_info: cid, name, type, notnull, dflt_value, pk.
    while (query.step())
        columns.append({query.column(1).toString(), query.column(2).toString()});
    return columns;
}

QStringList Database::columnNames(const QString &table)
{
    QStringList names;
    for (const ColumnInfo &column : tableInfo(table))
        names.append(column.name);
    return names;
}

QList<int> Database::columnWidths(const QString &table)
{
    QList<int> widths;
    for (const ColumnInfo &column : tableInfo(table))
        widths.append(declaredWidth(column.type));
    return widths;
}

int Database::columnWidth(const QString &table, const QString &column)
{
    for (const ColumnInfo &info : tableInfo(table)) {
        if (info.name.compare(column, Qt::CaseInsensitive) == 0)
            return declaredWidth(info.type);
    }
    return 0;
}

int Database::declaredWidth(const QString &declaredType)
{
    static const QRegularExpression pattern(QStringLiteral("^\\s*CHAR\\s*\\(\\s*(\\d+)\\s*\\)\\s*$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(declaredType);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

qint64 Database::lastInsertRowId() const
{
    requireOpen();
    return sqlite3_last_insert_rowid(m_db);
}

int Database::changes() const
{
    requireOpen();
    return sqlite3_changes(m_db);
}

QString Database::errorMessage() const
{
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : QString();
}

void Database::throwError() const
{
    throw Error(errorMessage());
}

void Database::requireOpen() const
{
    if (!m_db)
        throw Error(QStringLiteral("Nincs megnyitott adatbázis."));
}

} // namespace kartevo
