#include "core/database.h"

#include "core/error.h"
#include "core/outputfile.h"
#include "core/statement.h"

#include <QFileInfo>
#include <QRegularExpression>

#include <sqlite3.h>

#include <cerrno>
#include <cstring>

namespace kartevo {

namespace {

// Whether the last failure on the connection was one of the file rather than of the SQL.
bool IsFileFault(sqlite3 *db)
{
    switch (sqlite3_extended_errcode(db) & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_FULL:
    case SQLITE_IOERR:
        return true;
    default:
        return false;
    }
}

} // namespace

QString DatabaseErrorText(sqlite3 *db, const QString &path, const QString &engineMessage)
{
    if (!db || !IsFileFault(db))
        return engineMessage;
    const int code = sqlite3_extended_errcode(db);
    const int primary = code & 0xff;
    // A file an SQL statement names (ATTACH) that cannot be opened is that file's fault, not the
    // database's.
    static const QString cannotOpen = QStringLiteral("unable to open database: ");
    if (primary == SQLITE_CANTOPEN && engineMessage.startsWith(cannotOpen)
        && !SameFile(engineMessage.mid(cannotOpen.size()), path))
        return QStringLiteral("A megadott adatbázisfájl nem nyitható meg: %1").arg(engineMessage.mid(cannotOpen.size()));
    if (primary == SQLITE_BUSY)
        return QStringLiteral("Az adatbázis zárolva van: egy másik program használja (%1). Próbálja újra később.").arg(path);
    const QFileInfo file(path);
    if (code == SQLITE_READONLY_DBMOVED || !file.exists())
        return QStringLiteral("Az adatbázis fájlja eltűnt vagy máshová került, mióta a program megnyitotta: %1").arg(path);
    // The engine keeps the system's error code of the last call, which its own clean-up after a
    // failed commit may have replaced; the database file keeps that of its failed write.
    int systemError = sqlite3_system_errno(db);
    if (systemError == 0 && sqlite3_file_control(db, "main", SQLITE_FCNTL_LAST_ERRNO, &systemError) != SQLITE_OK)
        systemError = 0;
    if (primary == SQLITE_FULL || systemError == ENOSPC || systemError == EFBIG || systemError == EDQUOT)
        return QStringLiteral("Betelt a lemez, az adatbázis nem írható: %1").arg(path);
    // The engine writes its journal beside the database: a folder that may not be written
    // makes the database read-only as well.
    const QFileInfo folder(file.absolutePath());
    if (code == SQLITE_READONLY_DIRECTORY
        || ((primary == SQLITE_CANTOPEN || primary == SQLITE_READONLY) && MayWrite(path) && !MayWrite(folder.filePath())))
        return QStringLiteral("Az adatbázis mappája nem írható: %1").arg(folder.filePath());
    if (primary == SQLITE_READONLY)
        return QStringLiteral("Az adatbázis csak olvasható, nem lehet bele írni: %1").arg(path);
    const QString text = QStringLiteral("Írási vagy olvasási hiba az adatbázis fájljában: %1").arg(path);
    return systemError == 0 ? text : text + QStringLiteral(" (%1)").arg(QString::fromLocal8Bit(std::strerror(systemError)));
}

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
        const bool busy = (read & 0xff) == SQLITE_BUSY;
        const QString locked = busy ? DatabaseErrorText(db, path, message) : QString();
        sqlite3_close_v2(db);
        const QString text = QStringLiteral("Az adatbázis nem nyitható meg: %1 (%2)").arg(path, message);
        if ((read & 0xff) == SQLITE_NOTADB)
            throw NotADatabase(text);
        throw Error(busy ? locked : text);
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
        throw Error(DatabaseErrorText(m_db, m_path, message));
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

bool Database::fileFault() const
{
    return m_db && IsFileFault(m_db);
}

QString Database::errorMessage() const
{
    return m_db ? DatabaseErrorText(m_db, m_path, QString::fromUtf8(sqlite3_errmsg(m_db))) : QString();
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
