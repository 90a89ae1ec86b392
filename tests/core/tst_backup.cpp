// Copies of the address book: made consistently beside other connections, capped, checked and
// put back; a damaged database found at start.
#include "core/backup.h"
#include "core/database.h"
#include "core/session.h"
#include "faults.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

using namespace kartevo;
using namespace kartevo::test;

namespace {

// Overwrites bytes in the middle of a database file: the pages of the postal-code table.
void Damage(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    const qint64 size = file.size();
    QVERIFY(size > 16 * 4096);
    for (qint64 page = 3; page < size / 4096; page += 2) {
        file.seek(page * 4096 + 8);
        file.write(QByteArray(200, '\xA5'));
    }
}

qint64 Clients(Database &db)
{
    return SqlValue(db, QStringLiteral("SELECT COUNT(*) FROM ugyfel")).toLongLong();
}

int Mode(const QString &path)
{
    struct stat status {};
    ::stat(QFile::encodeName(path).constData(), &status);
    return int(status.st_mode & 0777);
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // Another connection holds BEGIN IMMEDIATE with a row not yet committed: the copy is made at
    // once from the last committed state, 0600, with nothing else left in the folder.
    void copyBesideUncommittedWrite()
    {
        Installation inst;
        const Folders folders = DemoFolders(inst);
        const QString dbPath = folders.DataFolder + QStringLiteral("/Kartevo.sqb");
        Database writer;
        writer.open(dbPath);
        writer.exec(QStringLiteral("BEGIN IMMEDIATE; INSERT INTO ugyfel (ugyfel, ugyfel_nev) VALUES (900, 'Nem végleges');"));

        const QDateTime time(QDate(2026, 3, 4), QTime(5, 6, 7));
        const QString copy = WriteBackup(folders.DataFolder, dbPath, BackupKind::Manual, BackupReason::Manual, time);
        QCOMPARE(copy, folders.DataFolder + QStringLiteral("/Backup/Kartevo-20260304-050607.sqb"));
        QCOMPARE(Mode(copy), 0600);
        QCOMPARE(FolderEntries(BackupFolder(folders.DataFolder)), QSet<QString>{QFileInfo(copy).fileName()});
        Database copied;
        copied.open(copy);
        QCOMPARE(Clients(copied), 30);
        QCOMPARE(SqlValue(copied, QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE ugyfel = 900")).toInt(), 0);

        // The writer goes on undisturbed.
        writer.exec(QStringLiteral("COMMIT"));
        QCOMPARE(Clients(writer), 31);

        const QList<BackupInfo> copies = ListBackups(folders.DataFolder, dbPath);
        QCOMPARE(copies.size(), 1);
        QCOMPARE(copies.first().time, time);
        QCOMPARE(copies.first().clients, 30);
        QCOMPARE(copies.first().kind, BackupKind::Manual);
        QCOMPARE(copies.first().size, QFileInfo(copy).size());
    }

    // A connection that holds the database exclusively (no reader may read) makes the copy fail
    // with the lock's message after a bounded wait, leaving nothing behind.
    void exclusiveLockFailsInTime()
    {
        Installation inst;
        const Folders folders = DemoFolders(inst);
        const QString dbPath = folders.DataFolder + QStringLiteral("/Kartevo.sqb");
        DatabaseLock lock(dbPath, DatabaseLock::Kind::Exclusive);
        try {
            WriteBackup(folders.DataFolder, dbPath, BackupKind::Automatic, BackupReason::SqlScript);
            QFAIL("the copy did not fail");
        } catch (const Error &e) {
            QVERIFY2(e.message().contains(QStringLiteral("zárolva")), qPrintable(e.message()));
        }
        QVERIFY(FolderEntries(BackupFolder(folders.DataFolder)).isEmpty());
    }

    // Ten automatic copies are kept, the oldest go first; copies on request always stay. Copies
    // of the same second get numbered names and keep their order.
    void automaticCap()
    {
        Installation inst;
        const Folders folders = DemoFolders(inst);
        const QString dbPath = folders.DataFolder + QStringLiteral("/Kartevo.sqb");
        const QDateTime start(QDate(2026, 1, 1), QTime(8, 0));
        QStringList automatic;
        QStringList manual;
        manual << WriteBackup(folders.DataFolder, dbPath, BackupKind::Manual, BackupReason::Manual, start);
        for (int i = 1; i <= 12; ++i)
            automatic << WriteBackup(folders.DataFolder, dbPath, BackupKind::Automatic, BackupReason::Import,
                                     start.addSecs(i));
        manual << WriteBackup(folders.DataFolder, dbPath, BackupKind::Manual, BackupReason::Manual, start.addSecs(12));
        automatic << WriteBackup(folders.DataFolder, dbPath, BackupKind::Automatic, BackupReason::SqlScript,
                                 start.addSecs(12));
        QVERIFY(automatic.last().endsWith(QStringLiteral("-080012-3.sqb")));

        const QList<BackupInfo> copies = ListBackups(folders.DataFolder, dbPath);
        QStringList listed;
        for (const BackupInfo &copy : copies)
            listed << copy.path;
        // Newest first: the three copies of 08:00:12 in the order they were made, backwards.
        QStringList expected{automatic.at(12), manual.at(1), automatic.at(11)};
        for (int i = 10; i >= 3; --i)
            expected << automatic.at(i);
        expected << manual.at(0);
        QCOMPARE(listed, expected);
        QVERIFY(!QFileInfo::exists(automatic.at(0)));
        QVERIFY(!QFileInfo::exists(automatic.at(2)));
        QCOMPARE(copies.first().reason, BackupReason::SqlScript);
        QCOMPARE(copies.last().kind, BackupKind::Manual);
    }

    // DROP TABLE ugyfel, then the copy is put back: the clients return, the replaced state is
    // an automatic copy, and the copy's own description stays out of the database.
    void restoreAfterDrop()
    {
        Installation inst;
        const Folders folders = DemoFolders(inst);
        Session session(folders);
        QCOMPARE(session.open(), Session::OpenResult::Ok);
        const QString copy = MakeManualBackup(session);
        session.db().exec(QStringLiteral("DROP TABLE ugyfel"));

        RestoreBackup(session, copy);
        QCOMPARE(Clients(session.db()), 30);
        QVERIFY(!session.db().tableNames().contains(QStringLiteral("kartevo_mentes")));
        QCOMPARE(Mode(session.databasePath()), 0600);
        QVERIFY(QFileInfo::exists(copy));

        const QList<BackupInfo> copies = ListBackups(folders.DataFolder, session.databasePath());
        QCOMPARE(copies.size(), 2);
        QCOMPARE(copies.first().kind, BackupKind::Automatic);
        QCOMPARE(copies.first().reason, BackupReason::Restore);
        QCOMPARE(copies.first().clients, -1); // the state without a client table
        QVERIFY(BackupProblem(copies.first().path).contains(QStringLiteral("nem Kartevo adatbázis")));
        // The restored database is written to as usual.
        session.db().exec(QStringLiteral("INSERT INTO ugyfel (ugyfel, ugyfel_nev) VALUES (901, 'Új')"));
        QCOMPARE(Clients(session.db()), 31);
    }

    void refusedFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("text") << "text" << "nem Kartevo adatbázis";
        QTest::newRow("empty") << "empty" << "nem Kartevo adatbázis";
        QTest::newRow("other program's database") << "foreign" << "nem Kartevo adatbázis";
        QTest::newRow("truncated copy") << "truncated" << "sérült";
        QTest::newRow("corrupted copy") << "corrupted" << "sérült";
        QTest::newRow("missing") << "missing" << "nem található";
    }
    // A file that fails the check is refused with the reason; the database stays byte for byte
    // and no copy is made for nothing.
    void refusedFiles()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        Installation inst;
        const Folders folders = DemoFolders(inst);
        Session session(folders);
        QCOMPARE(session.open(), Session::OpenResult::Ok);
        const QString good = MakeManualBackup(session);
        const QString file = inst.dir.filePath(QStringLiteral("valami.sqb"));
        if (kind == QLatin1String("text"))
            WriteBytes(file, "ugyfel;nev\n1;Kiss\n");
        else if (kind == QLatin1String("empty"))
            WriteBytes(file, {});
        else if (kind == QLatin1String("foreign"))
            WriteForeignFile(file, {}, QStringLiteral("CREATE TABLE t (a); INSERT INTO t VALUES (1);"));
        else if (kind == QLatin1String("truncated"))
            WriteBytes(file, ReadBytes(good).left(ReadBytes(good).size() / 2));
        else if (kind == QLatin1String("corrupted")) {
            QFile::copy(good, file);
            Damage(file);
        }
        const QByteArray before = ReadBytes(session.databasePath());
        try {
            RestoreBackup(session, file);
            QFAIL("the file was restored");
        } catch (const Error &e) {
            QVERIFY2(e.message().contains(reason) && e.message().contains(file), qPrintable(e.message()));
        }
        QCOMPARE(ReadBytes(session.databasePath()), before);
        QCOMPARE(ListBackups(folders.DataFolder, session.databasePath()).size(), 1);
        QCOMPARE(Clients(session.db()), 30);
    }

    // A full disk (a file-size limit below the database's size) stops the copy with a message,
    // leaves no file behind and keeps the guarded operation from starting.
    void fullDisk()
    {
        Installation inst;
        const Folders folders = DemoFolders(inst);
        Session session(folders);
        QCOMPARE(session.open(), Session::OpenResult::Ok);
        const qint64 size = QFileInfo(session.databasePath()).size();
        {
            FileSizeLimit limit(rlim_t(size / 2));
            try {
                MakeAutomaticBackup(session, BackupReason::SqlScript);
                QFAIL("the copy did not fail");
            } catch (const Error &e) {
                QVERIFY2(e.message().startsWith(QStringLiteral("Betelt a lemez, a biztonsági mentés nem készült el: ")
                                                + BackupFolder(folders.DataFolder)),
                         qPrintable(e.message()));
                QVERIFY(e.message().contains(QStringLiteral("A művelet nem indult el")));
            }
        }
        QVERIFY(FolderEntries(BackupFolder(folders.DataFolder)).isEmpty());
    }

    // --to FILE never replaces the database itself; a copy written there is a manual one.
    void copyToFile()
    {
        Installation inst;
        const Folders folders = DemoFolders(inst);
        Session session(folders);
        QCOMPARE(session.open(), Session::OpenResult::Ok);
        const QByteArray before = ReadBytes(session.databasePath());
        QVERIFY_THROWS_EXCEPTION(Error, MakeManualBackup(session, session.databasePath()));
        QCOMPARE(ReadBytes(session.databasePath()), before);
        const QString target = inst.dir.filePath(QStringLiteral("kulso.sqb"));
        QCOMPARE(MakeManualBackup(session, target), target);
        QCOMPARE(Mode(target), 0600);
        QCOMPARE(BackupProblem(target), QString());
    }

    // At start the quick check finds the damage; the newest good copy (a damaged newer one
    // passed over) replaces the file, which is kept aside, and the start succeeds.
    void damagedAtStart()
    {
        Installation inst;
        const Folders folders = DemoFolders(inst);
        const QString dbPath = folders.DataFolder + QStringLiteral("/Kartevo.sqb");
        const QString good = WriteBackup(folders.DataFolder, dbPath, BackupKind::Automatic, BackupReason::Closing,
                                         QDateTime::currentDateTime().addSecs(-60));
        const QString bad = WriteBackup(folders.DataFolder, dbPath, BackupKind::Automatic, BackupReason::Closing);
        Damage(bad);
        Damage(dbPath);
        const QByteArray damaged = ReadBytes(dbPath);

        Session session(folders);
        Session::Options options;
        options.quickCheck = true;
        QVERIFY_THROWS_EXCEPTION(DamagedDatabase, session.open(options));
        QVERIFY(!session.db().isOpen());

        const std::optional<BackupInfo> newest = NewestGoodBackup(folders.DataFolder, dbPath);
        QVERIFY(newest);
        QCOMPARE(newest->path, good);
        ReplaceDamagedDatabase(folders.DataFolder, dbPath, newest->path);
        QCOMPARE(session.open(options), Session::OpenResult::Ok);
        QCOMPARE(Clients(session.db()), 30);
        // The damaged file is kept, unlisted and never pruned.
        const QStringList kept = QDir(BackupFolder(folders.DataFolder)).entryList({QStringLiteral("Kartevo-serult-*")});
        QCOMPARE(kept.size(), 1);
        QCOMPARE(ReadBytes(BackupFolder(folders.DataFolder) + QLatin1Char('/') + kept.first()), damaged);
        QCOMPARE(ListBackups(folders.DataFolder, dbPath).size(), 2);
    }

    void closingOncePerDay()
    {
        Installation inst;
        const Folders folders = DemoFolders(inst);
        const QString dbPath = folders.DataFolder + QStringLiteral("/Kartevo.sqb");
        const QDateTime morning(QDate(2026, 5, 6), QTime(9, 0));
        QVERIFY(ClosingBackupDue(folders.DataFolder, dbPath, morning));
        WriteBackup(folders.DataFolder, dbPath, BackupKind::Automatic, BackupReason::SqlScript, morning);
        QVERIFY(ClosingBackupDue(folders.DataFolder, dbPath, morning.addSecs(60)));
        WriteBackup(folders.DataFolder, dbPath, BackupKind::Automatic, BackupReason::Closing, morning.addSecs(60));
        QVERIFY(!ClosingBackupDue(folders.DataFolder, dbPath, morning.addSecs(8 * 3600)));
        QVERIFY(ClosingBackupDue(folders.DataFolder, dbPath, morning.addDays(1)));
    }
};

QTEST_GUILESS_MAIN(TestBackup)
#include "tst_backup.moc"
