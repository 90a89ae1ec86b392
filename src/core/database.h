#pragma once

#include "core/error.h"

#include <QList>
#include <QString>
#include <QStringList>

struct sqlite3;

namespace kartevo {

// One connection to an SQLite database file. The program never creates a database file:
// open() accepts an existing file only. Every failure throws Error with the engine's message,
// or the Hungarian one of DatabaseErrorText.
// A connection belongs to one thread: it is opened without the engine's own locking, which
// would otherwise be taken for every value read.
// A table or column name as an SQL identifier: in double quotes, inner quotes doubled.
QString QuoteIdentifier(const QString &name);

// The message about the last failure of the engine on a connection to the database file at
// path. A failure of the file rather than of the SQL is told in Hungarian, naming the file or
// its folder: another program's lock (no waiting: the busy timeout is 0), a read-only file or
// folder, a full disk, a file that went away since it was opened, a read or write error. Every
// other failure (SQL errors, constraints, triggers) keeps the engine's own message.
QString DatabaseErrorText(sqlite3 *db, const QString &path, const QString &engineMessage);

// Thrown by Database::open for a file that the engine does not take for a database at all
// (a text, a picture, random bytes).
class NotADatabase : public Error {
public:
    using Error::Error;
};

class Database {
public:
    Database() = default;
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Opens an existing file for reading and writing; a missing file throws Error, a file that
    // is no database NotADatabase. Opening writes nothing into the file.
    // A lock held by another program is not waited for (busy timeout 0).
    void open(const QString &path);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    const QString &path() const { return m_path; }
    sqlite3 *handle() const { return m_db; }

    // Runs one or more statements without parameters and without a result.
    void exec(const QString &sql);

    // The tables of the database (sqlite_master, type 'table'), ordered by name.
    QStringList tableNames();
    // The columns of a table in their declared order (PRAGMA table_info); empty for a missing table.
    QStringList columnNames(const QString &table);
    // The declared widths of the columns, in the order of columnNames(); see declaredWidth().
    QList<int> columnWidths(const QString &table);
    // The declared width of one column; 0 for no limit or a missing column.
    int columnWidth(const QString &table, const QString &column);

    // CHAR(n) declares a text of at most n characters; every other type has no limit (0).
    static int declaredWidth(const QString &declaredType);

    qint64 lastInsertRowId() const;
    // Rows changed by the last INSERT, UPDATE or DELETE.
    int changes() const;

    // The message about the last failure on this connection (DatabaseErrorText).
    QString errorMessage() const;
    // Whether the last failure was one of the file (a lock, a read-only file or folder, a full
    // disk, a file gone, a read or write error) rather than of the SQL.
    bool fileFault() const;
    // Throws Error with that message.
    [[noreturn]] void throwError() const;

private:
    struct ColumnInfo {
        QString name;
        QString type;
    };
    QList<ColumnInfo> tableInfo(const QString &table);
    void requireOpen() const;

    sqlite3 *m_db = nullptr;
    QString m_path;
};

} // namespace kartevo
