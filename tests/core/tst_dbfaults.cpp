// The database writers of the program when the database cannot be written: a read-only file
// or folder, another program's write transaction, a folder that went away while the program
// ran. Each writer fails with a Hungarian message that names the database, changes nothing,
// and works again on the same connection once the fault is gone.
#include "core/clientlist.h"
#include "core/database.h"
#include "core/error.h"
#include "core/marks.h"
#include "core/schema.h"
#include "core/session.h"
#include "core/statement.h"
#include "exchange/csvimport.h"
#include "faults.h"
#include "testfiles.h"
#include "tools/sqlconsole.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <sqlite3.h>

using namespace kartevo;

namespace {

enum class Fault { ReadOnlyFile, ReadOnlyFolder, Reading, Locked, LockedExclusive, FolderRenamed, FolderRemoved, FullDisk, SmallDisk };
enum class Writer { Import, SqlScript, Mark };


// The demo database in DIR/data, where the faults are made; on a small disk of its own when
// asked (mounted() tells whether it could be made).
struct Fixture {
    QTemporaryDir dir;
    QString folder;
    QString path;
    std::unique_ptr<test::SmallDisk> disk;
    Database db;

    explicit Fixture(bool smallDisk = false)
    {
        folder = dir.filePath(QStringLiteral("data"));
        if (smallDisk) {
            disk = std::make_unique<test::SmallDisk>(folder, 512 * 1024);
            if (!disk->mounted())
                return;
        }
        QDir().mkpath(folder);
        path = folder + QStringLiteral("/Kartevo.sqb");
        QFile::copy(QStringLiteral(KARTEVO_BUILD_SHARE_DIR "/Kartevo.sqb"), path);
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        Database setup;
        setup.open(path);
        setup.exec(test::DemoSql());
        setup.close();
        db.open(path);
    }
    ~Fixture()
    {
        db.close();
        test::SetMode(folder, 0755);
        test::SetMode(path, 0644);
    }

    bool mounted() const { return !disk || disk->mounted(); }

};

// The client table as text, row by row, to see that nothing changed.
QString Clients(Database &db)
{
    Statement rows(db, QStringLiteral("SELECT ugyfel, ugyfel_nev, kapcsolat, jelolve FROM ugyfel ORDER BY ugyfel"));
    QString text;
    while (rows.step())
        text += QStringLiteral("%1|%2|%3|%4\n").arg(rows.column(0).toString(), rows.column(1).toString(),
                                                     rows.column(2).toString(), rows.column(3).toString());
    return text;
}

// Runs the writer; returns the message of its failure, or an empty text when it succeeded.
QString Write(Writer writer, Database &db)
{
    try {
        switch (writer) {
        case Writer::Import:
            ImportClients(db, {QStringLiteral("Új Kft;;1111;Budapest;Fő utca 1;Importált"),
                               QStringLiteral("Második Bt;Kiss Éva;6720;Szeged;Kárász u. 2;")},
                          u';', false);
            return {};
        case Writer::SqlScript: {
            SqlConsole console(db);
            const SqlConsole::Outcome outcome =
                console.run(QStringLiteral("UPDATE ugyfel SET kapcsolat='script';\nDELETE FROM ugyfel WHERE ugyfel=1;"));
            return outcome.ok ? QString() : outcome.message;
        }
        case Writer::Mark: {
            ClientList list(db);
            list.sortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél neve"));
            ToggleMark(list.table());
            return {};
        }
        }
    } catch (const Error &error) {
        return error.message().isEmpty() ? QStringLiteral("(üres hibaüzenet)") : error.message();
    }
    return {};
}

} // namespace

Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(Writer)

class TestDbFaults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writeFailsClearlyAndChangesNothing_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<Writer>("writer");
        QTest::addColumn<QString>("expected");
        const QList<std::pair<const char *, Writer>> writers = {
            {"import", Writer::Import}, {"sql script", Writer::SqlScript}, {"mark", Writer::Mark}};
        const QList<std::tuple<const char *, Fault, QString>> faults = {
            {"read-only file", Fault::ReadOnlyFile, QStringLiteral("csak olvasható")},
            {"read-only folder", Fault::ReadOnlyFolder, QStringLiteral("mappája nem írható")},
            {"read by another program", Fault::Reading, QStringLiteral("zárolva")},
            {"locked", Fault::Locked, QStringLiteral("zárolva")},
            {"locked exclusively", Fault::LockedExclusive, QStringLiteral("zárolva")},
            {"folder renamed", Fault::FolderRenamed, QStringLiteral("eltűnt")},
            {"folder removed", Fault::FolderRemoved, QStringLiteral("eltűnt")},
            {"full disk", Fault::FullDisk, QStringLiteral("Betelt a lemez")},
            {"small disk", Fault::SmallDisk, QStringLiteral("Betelt a lemez")},
        };
        for (const auto &[faultName, fault, expected] : faults) {
            for (const auto &[writerName, writer] : writers)
                QTest::addRow("%s, %s", faultName, writerName) << fault << writer << expected;
        }
    }
    void writeFailsClearlyAndChangesNothing()
    {
        QFETCH(Fault, fault);
        QFETCH(Writer, writer);
        QFETCH(QString, expected);

        Fixture fx(fault == Fault::SmallDisk);
        if (!fx.mounted())
            QSKIP("a small disk (tmpfs) cannot be mounted here: it needs the superuser");
        const QString before = Clients(fx.db);
        std::unique_ptr<test::ModesApply> modes;
        std::unique_ptr<test::DatabaseLock> lock;
        std::unique_ptr<test::FileSizeLimit> limit;
        const QString moved = fx.dir.filePath(QStringLiteral("moved"));
        switch (fault) {
        case Fault::ReadOnlyFile:
            // The program started on a file the user may only read.
            fx.db.close();
            QVERIFY(test::SetMode(fx.path, 0444));
            modes = std::make_unique<test::ModesApply>();
            fx.db.open(fx.path);
            break;
        case Fault::ReadOnlyFolder:
            QVERIFY(test::SetMode(fx.folder, 0555));
            modes = std::make_unique<test::ModesApply>();
            break;
        case Fault::Reading:
            lock = std::make_unique<test::DatabaseLock>(fx.path, test::DatabaseLock::Kind::Reading);
            break;
        case Fault::Locked:
        case Fault::LockedExclusive:
            lock = std::make_unique<test::DatabaseLock>(fx.path, fault == Fault::LockedExclusive);
            break;
        case Fault::FolderRenamed:
            QVERIFY(QDir().rename(fx.folder, moved));
            break;
        case Fault::FolderRemoved:
            QVERIFY(QDir(fx.folder).removeRecursively());
            break;
        case Fault::FullDisk:
            limit = std::make_unique<test::FileSizeLimit>(512);
            break;
        case Fault::SmallDisk:
            fx.disk->fill();
            break;
        }

        const QString message = Write(writer, fx.db);
        limit.reset();
        QVERIFY2(!message.isEmpty(), "the write was reported as done");
        QVERIFY2(message.contains(expected), qPrintable(message));
        for (const QString &engine : test::EngineFaultTexts())
            QVERIFY2(!message.contains(engine), qPrintable(message));
        const QString shownPath = fault == Fault::ReadOnlyFolder ? fx.folder : fx.path;
        QVERIFY2(message.contains(shownPath), qPrintable(message));

        // Nothing half done, and the program goes on: once the fault is gone the same
        // connection writes again.
        QVERIFY2(sqlite3_get_autocommit(fx.db.handle()) != 0, "a transaction was left open");
        modes.reset();
        lock.reset();
        switch (fault) {
        case Fault::ReadOnlyFile:
            QCOMPARE(Clients(fx.db), before);
            return; // the connection was opened read-only; a new start opens it for writing
        case Fault::ReadOnlyFolder:
            QVERIFY(test::SetMode(fx.folder, 0755));
            break;
        case Fault::FolderRenamed:
            QVERIFY(QDir().rename(moved, fx.folder));
            break;
        case Fault::FolderRemoved:
            // The open file is gone with its folder; what was read stays readable.
            QCOMPARE(Clients(fx.db), before);
            return;
        case Fault::SmallDisk:
            QVERIFY(QFile::remove(fx.disk->filler()));
            break;
        default:
            break;
        }
        QCOMPARE(Clients(fx.db), before);
        QCOMPARE(Write(writer, fx.db), QString());
        QVERIFY(Clients(fx.db) != before);
        QCOMPARE(test::SqlValue(fx.db, QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    }

    // A database another program holds exclusively cannot even be read: the start-up says so
    // in Hungarian instead of the engine's words, and is not kept waiting.
    void startOnExclusivelyLockedDatabase()
    {
        Fixture fx;
        fx.db.close();
        test::DatabaseLock lock(fx.path, true);
        try {
            fx.db.open(fx.path);
            QFAIL("a database locked by another program was opened");
        } catch (const Error &error) {
            QVERIFY2(error.message().contains(QStringLiteral("zárolva")), qPrintable(error.message()));
            QVERIFY2(error.message().contains(fx.path), qPrintable(error.message()));
        }
        lock.release();
        fx.db.open(fx.path);
        QCOMPARE(test::SqlValue(fx.db, QStringLiteral("SELECT count(*) FROM ugyfel")).toInt(), 30);
    }

    // A database from an older release that cannot be written when the program starts: the
    // upgrade stops with the reason instead of going on with tables it does not know, leaves
    // the file as it was, and goes through once the fault is gone.
    void upgradeStopsOnUnwritableDatabase_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("expected");
        QTest::newRow("locked") << Fault::Locked << QStringLiteral("zárolva");
        QTest::newRow("read-only file") << Fault::ReadOnlyFile << QStringLiteral("csak olvasható");
    }
    void upgradeStopsOnUnwritableDatabase()
    {
        QFETCH(Fault, fault);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = test::DeliveredDatabase(dir);
        const QString script = QStringLiteral(KARTEVO_BUILD_SHARE_DIR "/cimke.sql");
        const QByteArray before = test::ReadBytes(path);
        Database db;
        {
            std::unique_ptr<test::DatabaseLock> lock;
            std::unique_ptr<test::ModesApply> modes;
            if (fault == Fault::Locked) {
                lock = std::make_unique<test::DatabaseLock>(path, false);
            } else {
                QVERIFY(test::SetMode(path, 0444));
                modes = std::make_unique<test::ModesApply>();
            }
            db.open(path);
            try {
                UpgradeSchema(db, script);
                QFAIL("the upgrade of a database that cannot be written was reported as done");
            } catch (const Error &error) {
                QVERIFY2(error.message().startsWith(QStringLiteral("Az adatbázis szerkezete nem frissíthető: ")),
                         qPrintable(error.message()));
                QVERIFY2(error.message().contains(expected) && error.message().contains(path), qPrintable(error.message()));
            }
            QVERIFY(sqlite3_get_autocommit(db.handle()) != 0);
            db.close();
        }
        test::SetMode(path, 0644);
        QCOMPARE(test::ReadBytes(path), before);
        db.open(path);
        QVERIFY(!UpgradeSchema(db, script).isEmpty());
        QVERIFY(db.columnNames(QStringLiteral("ugyfel")).contains(QStringLiteral("jelolve")));
        QVERIFY(db.tableNames().contains(QStringLiteral("cimke")));
    }

    // A read-only database still opens and reads: the session starts and lists the clients.
    void readOnlyDatabaseStillReads()
    {
        Fixture fx;
        fx.db.close();
        QVERIFY(test::SetMode(fx.path, 0444));
        test::ModesApply modes;
        fx.db.open(fx.path);
        QCOMPARE(test::SqlValue(fx.db, QStringLiteral("SELECT count(*) FROM ugyfel")).toInt(), 30);
        ClientList list(fx.db);
        list.sortBy(QStringLiteral("ugyfel_nev"), QStringLiteral("ügyfél neve"));
        QCOMPARE(list.table().recordCount(), 30);
    }
};

QTEST_GUILESS_MAIN(TestDbFaults)
#include "tst_dbfaults.moc"
