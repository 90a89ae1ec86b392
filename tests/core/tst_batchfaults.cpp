// kartevo-batch's writers under faults: a database that is not one, read-only or held by
// another program, a full disk under an export or an import, an import killed in the middle.
// Every failure is a Hungarian message naming what failed, exit code 1, the data as it was; the
// next run works once the fault is gone.
#include "batchrunner.h"
#include "faults.h"
#include "testfolders.h"

#include <QDir>
#include <QElapsedTimer>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <memory>

using namespace kartevo;
using namespace kartevo::test;

namespace {

enum class Fault { NotSqlite, OtherDatabase, ReadOnlyFile, ReadOnlyFolder, Locked, LockedExclusive };


// The demo installation with the files the commands read.
struct Fixture {
    Installation inst;
    Folders folders;
    QString db;
    QString csv;
    QString sql;

    Fixture()
    {
        folders = DemoFolders(inst);
        db = folders.DataFolder + QStringLiteral("/Kartevo.sqb");
        csv = inst.dir.filePath(QStringLiteral("uj.csv"));
        WriteBytes(csv, "Új Kft;;1111;Budapest;Fő utca 1;Importált\r\nMásodik Bt;Kiss Éva;6720;Szeged;Kárász u. 2;\r\n");
        sql = inst.dir.filePath(QStringLiteral("script.sql"));
        WriteBytes(sql, "UPDATE ugyfel SET kapcsolat='script';\r\nDELETE FROM ugyfel WHERE ugyfel=1;\r\n");
    }
    ~Fixture()
    {
        SetMode(folders.DataFolder, 0755);
        SetMode(db, 0644);
    }

    QVariant scalar(const QString &query) const
    {
        Database connection;
        connection.open(db);
        return SqlValue(connection, query);
    }
    QString clients() const
    {
        return scalar(QStringLiteral("SELECT group_concat(ugyfel || '/' || ugyfel_nev || '/' || kapcsolat || '/' || "
                                     "jelolve, '|') FROM ugyfel"))
            .toString();
    }
};


} // namespace

Q_DECLARE_METATYPE(Fault)

class TestBatchFaults : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void writeCommandUnderDatabaseFault_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("expected");
        for (const QString &command : {QStringLiteral("import"), QStringLiteral("sql")}) {
            const QByteArray name = command.toLatin1();
            QTest::addRow("%s, not SQLite", name.constData()) << Fault::NotSqlite << command << QStringLiteral("nem Kartevo adatbázis");
            QTest::addRow("%s, another program's database", name.constData())
                << Fault::OtherDatabase << command << QStringLiteral("nem Kartevo adatbázis");
            QTest::addRow("%s, read-only file", name.constData()) << Fault::ReadOnlyFile << command << QStringLiteral("csak olvasható");
            QTest::addRow("%s, read-only folder", name.constData()) << Fault::ReadOnlyFolder << command << QStringLiteral("mappája nem írható");
            QTest::addRow("%s, locked", name.constData()) << Fault::Locked << command << QStringLiteral("zárolva");
            QTest::addRow("%s, locked exclusively", name.constData()) << Fault::LockedExclusive << command << QStringLiteral("zárolva");
        }
    }
    void writeCommandUnderDatabaseFault()
    {
        QFETCH(Fault, fault);
        QFETCH(QString, command);
        QFETCH(QString, expected);

        Fixture fx;
        const QString before = fx.clients();
        QString database = fx.db;
        QByteArray foreign;
        std::function<void()> childSetup;
        std::unique_ptr<DatabaseLock> lock;
        switch (fault) {
        case Fault::NotSqlite:
        case Fault::OtherDatabase:
            database = fx.inst.dir.filePath(QStringLiteral("mas.db"));
            WriteForeignFile(database, fault == Fault::NotSqlite ? QByteArray("Ez egy levél, nem adatbázis.\n") : QByteArray(),
                             fault == Fault::OtherDatabase ? QStringLiteral("CREATE TABLE konyvek (cim TEXT)") : QString());
            foreign = ReadBytes(database);
            break;
        case Fault::ReadOnlyFile:
            QVERIFY(SetMode(fx.db, 0444));
            childSetup = ModesApplyInChild;
            break;
        case Fault::ReadOnlyFolder:
            QVERIFY(SetMode(fx.folders.DataFolder, 0555));
            childSetup = ModesApplyInChild;
            break;
        case Fault::Locked:
        case Fault::LockedExclusive:
            lock = std::make_unique<DatabaseLock>(fx.db, fault == Fault::LockedExclusive);
            break;
        }
        const QStringList args = {QStringLiteral("--db"), database, command, command == QLatin1String("sql") ? fx.sql : fx.csv};
        const BatchResult result = RunBatch(args, fx.inst.dataHome(), childSetup);
        QCOMPARE(result.code, 1);
        QVERIFY2(result.err.contains(expected), qPrintable(result.err));
        const QString shownPath = fault == Fault::ReadOnlyFolder ? fx.folders.DataFolder : database;
        QVERIFY2(result.err.contains(shownPath), qPrintable(result.err));
        for (const QString &engine : EngineFaultTexts())
            QVERIFY2(!result.err.contains(engine), qPrintable(result.err));

        lock.reset();
        SetMode(fx.db, 0644);
        SetMode(fx.folders.DataFolder, 0755);
        if (!foreign.isNull()) {
            QCOMPARE(ReadBytes(database), foreign);
            return;
        }
        QCOMPARE(fx.clients(), before);
        QCOMPARE(fx.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        const BatchResult again = RunBatch(args, fx.inst.dataHome());
        QVERIFY2(again.code == 0, qPrintable(again.err));
        QVERIFY(fx.clients() != before);
    }

    // Exports read the database: they work on a read-only database and beside another program's
    // write transaction, and fail only where the database cannot be read or the file written.
    void exportUnderFault_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("expected"); // empty: the export works
        for (const QString &file : {QStringLiteral("ugyfel.csv"), QStringLiteral("ugyfel.xls"), QStringLiteral("ugyfel.html")}) {
            const QByteArray name = file.toLatin1();
            QTest::addRow("%s, not SQLite", name.constData()) << file << QStringLiteral("not SQLite") << QStringLiteral("nem Kartevo adatbázis");
            QTest::addRow("%s, read-only database", name.constData()) << file << QStringLiteral("read-only database") << QString();
            QTest::addRow("%s, locked", name.constData()) << file << QStringLiteral("locked") << QString();
            QTest::addRow("%s, locked exclusively", name.constData()) << file << QStringLiteral("locked exclusively") << QStringLiteral("zárolva");
            QTest::addRow("%s, full disk", name.constData()) << file << QStringLiteral("full disk") << QStringLiteral("A fájl nem írható: ");
            QTest::addRow("%s, read-only folder", name.constData()) << file << QStringLiteral("read-only folder") << QStringLiteral("A fájl nem írható: ");
            QTest::addRow("%s, read-only file", name.constData()) << file << QStringLiteral("read-only file") << QStringLiteral("A fájl nem írható: ");
        }
    }
    void exportUnderFault()
    {
        QFETCH(QString, file);
        QFETCH(QString, fault);
        QFETCH(QString, expected);

        Fixture fx;
        const QString before = fx.clients();
        const QString folder = fx.inst.dir.filePath(QStringLiteral("export"));
        QDir().mkpath(folder);
        const QString target = folder + QLatin1Char('/') + file;
        WriteBytes(target, "the previous export");
        const QSet<QString> entries = FolderEntries(folder);

        std::function<void()> childSetup;
        std::unique_ptr<DatabaseLock> lock;
        QString database = fx.db;
        if (fault == QLatin1String("not SQLite")) {
            database = fx.inst.dir.filePath(QStringLiteral("level.txt"));
            WriteBytes(database, "Ez egy levél, nem adatbázis.\n");
        } else if (fault == QLatin1String("read-only database")) {
            QVERIFY(SetMode(fx.db, 0444));
            QVERIFY(SetMode(fx.folders.DataFolder, 0555));
            childSetup = ModesApplyInChild;
        } else if (fault.startsWith(QLatin1String("locked"))) {
            lock = std::make_unique<DatabaseLock>(fx.db, fault == QLatin1String("locked exclusively"));
        } else if (fault == QLatin1String("full disk")) {
            childSetup = FileSizeLimitInChild(512);
        } else if (fault == QLatin1String("read-only folder")) {
            QVERIFY(SetMode(folder, 0555));
            childSetup = ModesApplyInChild;
        } else if (fault == QLatin1String("read-only file")) {
            QVERIFY(SetMode(target, 0444));
            childSetup = ModesApplyInChild;
        }
        const BatchResult result =
            RunBatch({QStringLiteral("--db"), database, QStringLiteral("export"), target}, fx.inst.dataHome(), childSetup);
        lock.reset();
        SetMode(folder, 0755);

        if (expected.isEmpty()) {
            QVERIFY2(result.code == 0, qPrintable(result.err));
            QVERIFY(ReadBytes(target) != "the previous export");
        } else {
            QCOMPARE(result.code, 1);
            QVERIFY2(result.err.contains(expected), qPrintable(result.err));
            QVERIFY2(result.err.contains(result.err.contains(QStringLiteral("adatbázis")) ? database : target),
                     qPrintable(result.err));
            for (const QString &engine : EngineFaultTexts())
                QVERIFY2(!result.err.contains(engine), qPrintable(result.err));
            QCOMPARE(ReadBytes(target), QByteArray("the previous export"));
        }
        QCOMPARE(FolderEntries(folder), entries);
        QCOMPARE(fx.clients(), before);
    }

    // A database of an older release held by another program when the tool starts: the
    // missing columns cannot be added, and the tool says why instead of failing later on a
    // column the database does not have.
    void lockedBeforeTheUpgrade()
    {
        Installation inst;
        const Folders folders = inst.folders();
        QDir().mkpath(folders.DataFolder);
        const QString db = folders.DataFolder + QStringLiteral("/Kartevo.sqb");
        QVERIFY(QFile::copy(inst.share() + QStringLiteral("/Kartevo.sqb"), db));
        QFile::setPermissions(db, QFile::ReadOwner | QFile::WriteOwner);
        const QString csv = inst.dir.filePath(QStringLiteral("uj.csv"));
        WriteBytes(csv, "Új Kft;;1111;Budapest;Fő utca 1;\r\n");
        {
            DatabaseLock lock(db, false);
            const BatchResult result = RunBatch({QStringLiteral("import"), csv}, inst.dataHome());
            QCOMPARE(result.code, 1);
            QVERIFY2(result.err.startsWith(QStringLiteral("Az adatbázis szerkezete nem frissíthető: Az adatbázis zárolva van"))
                         && result.err.contains(db),
                     qPrintable(result.err));
        }
        const BatchResult again = RunBatch({QStringLiteral("import"), csv}, inst.dataHome());
        QVERIFY2(again.code == 0, qPrintable(again.err));
    }

    // A disk that fills up under an import: a Hungarian message, exit 1, the database whole and
    // its clients as they were.
    void fullDiskImport()
    {
        Fixture fx;
        QByteArray lines;
        for (int i = 0; i < 20000; ++i)
            lines += QStringLiteral("Ügyfél %1;Kapcsolat %1;1111;Budapest;Fő utca %1;Csoport %2\r\n").arg(i).arg(i % 50).toUtf8();
        WriteBytes(fx.csv, lines);
        const QString before = fx.clients();
        const qint64 room = QFileInfo(fx.db).size() + 64 * 1024;
        const BatchResult result = RunBatch({QStringLiteral("import"), fx.csv}, fx.inst.dataHome(), FileSizeLimitInChild(rlim_t(room)));
        QCOMPARE(result.code, 1);
        QVERIFY2(result.err.contains(QStringLiteral("Betelt a lemez")), qPrintable(result.err));
        QVERIFY2(result.err.contains(fx.db), qPrintable(result.err));
        for (const QString &engine : EngineFaultTexts())
            QVERIFY2(!result.err.contains(engine), qPrintable(result.err));
        QCOMPARE(fx.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        QCOMPARE(fx.clients(), before);
    }

    // An import killed while it writes: the next open finds the database whole, with the clients
    // it had before (the import is one transaction), and the same import then goes through.
    void killedImport_data()
    {
        QTest::addColumn<bool>("afterSpill");
        QTest::newRow("as soon as it writes") << false;
        QTest::newRow("after pages reached the file") << true;
    }
    void killedImport()
    {
        QFETCH(bool, afterSpill);
        Fixture fx;
        QByteArray lines;
        for (int i = 0; i < 150000; ++i)
            lines += QStringLiteral("Ügyfél %1;Kapcsolat %1;1111;Budapest;Fő utca %1;Csoport %2\r\n").arg(i).arg(i % 50).toUtf8();
        WriteBytes(fx.csv, lines);
        const QString before = fx.clients();
        const qint64 size = QFileInfo(fx.db).size();
        const QString journal = fx.db + QStringLiteral("-journal");

        QProcess process;
        StartBatch(process, {QStringLiteral("import"), fx.csv}, fx.inst.dataHome());
        QVERIFY(process.waitForStarted());
        QElapsedTimer waited;
        waited.start();
        const auto writing = [&] {
            return afterSpill ? QFileInfo(fx.db).size() > size : QFileInfo::exists(journal);
        };
        while (!writing() && process.state() == QProcess::Running && waited.elapsed() < 60000)
            QThread::usleep(200);
        QVERIFY2(process.state() == QProcess::Running, "the import ended before it could be killed");
        QVERIFY(writing());
        ::kill(pid_t(process.processId()), SIGKILL);
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);

        QCOMPARE(fx.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        QCOMPARE(fx.clients(), before);
        QCOMPARE(fx.scalar(QStringLiteral("SELECT count(*) FROM csoport WHERE csoport LIKE 'Csoport %'")).toInt(), 0);

        const BatchResult again = RunBatch({QStringLiteral("import"), fx.csv}, fx.inst.dataHome());
        QVERIFY2(again.code == 0, qPrintable(again.err));
        QCOMPARE(fx.scalar(QStringLiteral("SELECT count(*) FROM ugyfel")).toInt(), 30 + 150000);
        QCOMPARE(fx.scalar(QStringLiteral("SELECT count(*) FROM ugyfel WHERE ugyfel > 30 AND (ugyfel_nev NOT LIKE 'Ügyfél %' "
                                          "OR cim_cim NOT LIKE 'Fő utca %' OR csoport NOT LIKE 'Csoport %')")).toInt(),
                 0);
    }
};

QTEST_GUILESS_MAIN(TestBatchFaults)
#include "tst_batchfaults.moc"
