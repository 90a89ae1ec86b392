#pragma once

#include "core/database.h"
#include "core/statement.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QVariant>

namespace kartevo::test {

// Writes bytes to a file, failing the test when it cannot.
inline void WriteBytes(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The whole file, or nothing when it cannot be read.
inline QByteArray ReadBytes(const QString &fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// An empty file is an empty database to the engine, so a test can make one without ever
// letting Database create a file.
inline QString EmptyDatabase(const QTemporaryDir &dir, const QString &name = QStringLiteral("ures.sqb"))
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot create %s", qPrintable(path));
    return path;
}

// A file that is not the address book: the bytes, or, when sql is given, another program's
// database made from an empty file by that SQL.
inline void WriteForeignFile(const QString &path, const QByteArray &bytes, const QString &sql = {})
{
    WriteBytes(path, bytes);
    if (!sql.isEmpty()) {
        Database other;
        other.open(path);
        other.exec(sql);
    }
}

// A copy of the delivered database: the client table with its first nine columns, the senders
// and the postal codes.
inline QString DeliveredDatabase(const QTemporaryDir &dir)
{
    const QString path = dir.filePath(QStringLiteral("Kartevo.sqb"));
    if (!QFile::copy(QStringLiteral(KARTEVO_BUILD_SHARE_DIR "/Kartevo.sqb"), path))
        qFatal("cannot copy the delivered database");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    return path;
}

// The first column of the first row of a query, or NULL.
inline QVariant SqlValue(Database &db, const QString &sql)
{
    Statement statement(db, sql);
    return statement.step() ? statement.column(0) : QVariant();
}

// Reads a whole UTF-8 file.
// The indexes of the client table, and whether the file is sound: an import sets them aside
// and makes them again.
inline QStringList IndexesIfSound(Database &db)
{
    Statement check(db, QStringLiteral("PRAGMA integrity_check"));
    if (!check.step() || check.column(0).toString() != QLatin1String("ok"))
        return {QStringLiteral("integrity check failed")};
    QStringList indexes;
    Statement statement(db, QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'index' AND tbl_name = 'ugyfel' "
                                           "AND sql IS NOT NULL ORDER BY name"));
    while (statement.step())
        indexes.append(statement.column(0).toString());
    return indexes;
}

// The indexes of the client table as the program makes them.
inline QStringList ClientIndexes()
{
    return {QStringLiteral("CREATE INDEX ugyfel_nevs_idx ON ugyfel (ugyfel_nevs)")};
}

inline QString ReadText(const QString &fileName)
{
    return QString::fromUtf8(ReadBytes(fileName));
}

// The text of a PDF file as an independent reader lays it out (pdftotext -layout).
inline QString PdfText(const QString &fileName)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), fileName, QStringLiteral("-")});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The demo data: 30 clients in three groups (every mark "N"), two senders.
inline QString DemoSql()
{
    return ReadText(QStringLiteral(KARTEVO_SOURCE_DIR "/data/demo/demo.sql"));
}

// The delivered database with the demo data, open in a folder of its own.
struct DemoDatabase {
    DemoDatabase()
    {
        db.open(DeliveredDatabase(dir));
        db.exec(DemoSql());
    }
    QTemporaryDir dir;
    Database db;
};

} // namespace kartevo::test
