#include "core/database.h"
#include "core/error.h"
#include "core/session.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <QTest>

using namespace kartevo;
using namespace kartevo::test;

class TestSession : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void foldersFollowTheDataHome()
    {
        Installation inst;
        const Folders folders = inst.folders();
        QCOMPARE(folders.ProgramFolder, inst.programFolder());
        QCOMPARE(folders.DataFolder, inst.dataHome() + QStringLiteral("/Kartevo"));
        QCOMPARE(folders.IniFileName, inst.dataHome() + QStringLiteral("/Kartevo/Kartevo.ini"));
    }

    void installationFilesAreFoundBesideOrUnderShare()
    {
        Installation inst;
        QCOMPARE(InstallationFile(inst.programFolder(), QStringLiteral("cimke.sql")),
                 inst.share() + QStringLiteral("/cimke.sql"));
        QFile beside(inst.programFolder() + QStringLiteral("/cimke.sql"));
        QVERIFY(beside.open(QIODevice::WriteOnly));
        beside.close();
        QCOMPARE(InstallationFile(inst.programFolder(), QStringLiteral("cimke.sql")), beside.fileName());
        QVERIFY(InstallationFile(inst.programFolder(), QStringLiteral("nincs.txt")).isEmpty());
    }

    void missingDatabaseStopsWithoutWritingAnything()
    {
        Installation inst(false); // no delivered database to copy
        Session session(inst.folders());
        QCOMPARE(session.open(), Session::OpenResult::MissingDatabase);
        QVERIFY(!session.db().isOpen());
        const QString data = session.folders().DataFolder;
        QVERIFY(!QFileInfo::exists(data + QStringLiteral("/Kartevo.sqb")));
        QVERIFY(!QFileInfo::exists(data + QStringLiteral("/Kartevo.ini")));
        // The Html and Images folders come first in the start-up, before the check.
        QVERIFY(QFileInfo(data + QStringLiteral("/Html")).isDir());
        QVERIFY(QFileInfo(data + QStringLiteral("/Images")).isDir());
    }

    void configuredPathNamingNoFileIsMissingEvenWithADeliveredDatabase()
    {
        Installation inst;
        const Folders folders = inst.folders();
        QDir().mkpath(folders.DataFolder);
        QFile ini(folders.IniFileName);
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Database]\r\nPath=" + inst.dir.filePath(QStringLiteral("mashol.sqb")).toLocal8Bit() + "\r\n");
        ini.close();
        const QByteArray before = ReadBytes(folders.IniFileName);

        Session session(folders);
        QCOMPARE(session.open(), Session::OpenResult::MissingDatabase);
        QVERIFY(!QFileInfo::exists(inst.dir.filePath(QStringLiteral("mashol.sqb"))));
        QVERIFY(!QFileInfo::exists(folders.DataFolder + QStringLiteral("/Kartevo.sqb")));
        QCOMPARE(ReadBytes(folders.IniFileName), before);
    }

    void firstStartCopiesTheDeliveredDatabaseAndUpgradesIt()
    {
        Installation inst;
        Session session(inst.folders());
        QCOMPARE(session.open(), Session::OpenResult::Ok);
        const QString expected = session.folders().DataFolder + QStringLiteral("/Kartevo.sqb");
        QCOMPARE(session.databasePath(), expected);
        QCOMPARE(session.settings().Path, expected);
        QVERIFY(session.db().isOpen());
        const QStringList tables = session.db().tableNames();
        QVERIFY(tables.contains(QStringLiteral("cimke")));
        QVERIFY(tables.contains(QStringLiteral("csoport")));
        QVERIFY(session.db().columnNames(QStringLiteral("ugyfel")).contains(QStringLiteral("jelolve")));

        session.close();
        QVERIFY(!session.db().isOpen());
        QVERIFY(ReadText(session.folders().IniFileName).contains(QStringLiteral("Path=") + expected));
    }

    // The installed language files are offered from the first start on, and put back when they
    // go missing; a user's own file of the same name stays as it is.
    void installedLanguagesAreCopiedWhereMissing()
    {
        Installation inst;
        QDir(inst.share()).mkpath(QStringLiteral("Lang"));
        WriteBytes(inst.share() + QStringLiteral("/Lang/English.ini"), "[frm_Main]\r\nCaption=Kartevo\r\n");
        WriteBytes(inst.share() + QStringLiteral("/Lang/Deutsch.ini"), "[frm_Main]\r\nCaption=Kartevo DE\r\n");
        const Folders folders = inst.folders();
        const QString lang = folders.DataFolder + QStringLiteral("/Lang/");
        {
            Session session(folders);
            QCOMPARE(session.open(), Session::OpenResult::Ok);
        }
        QCOMPARE(ReadBytes(lang + QStringLiteral("English.ini")), QByteArray("[frm_Main]\r\nCaption=Kartevo\r\n"));
        QVERIFY(QFile::remove(lang + QStringLiteral("Deutsch.ini")));
        WriteBytes(lang + QStringLiteral("English.ini"), "mine");
        Session again(folders);
        QCOMPARE(again.open(), Session::OpenResult::Ok);
        QCOMPARE(ReadBytes(lang + QStringLiteral("English.ini")), QByteArray("mine"));
        QVERIFY(QFileInfo::exists(lang + QStringLiteral("Deutsch.ini")));
    }

    void portableModeKeepsEverythingInTheProgramFolder()
    {
        Installation inst;
        QFile ini(inst.programFolder() + QStringLiteral("/Kartevo.ini"));
        QVERIFY(ini.open(QIODevice::WriteOnly));
        ini.write("[Screen]\r\nFontSize=10\r\n");
        ini.close();
        QVERIFY(QFile::copy(inst.share() + QStringLiteral("/Kartevo.sqb"),
                            inst.programFolder() + QStringLiteral("/Kartevo.sqb")));

        Session session(inst.folders());
        QCOMPARE(session.open(), Session::OpenResult::Ok);
        QCOMPARE(session.folders().DataFolder, inst.programFolder());
        QCOMPARE(session.folders().IniFileName, ini.fileName());
        QCOMPARE(AppFolders().DataFolder, inst.programFolder());
        QCOMPARE(session.databasePath(), inst.programFolder() + QStringLiteral("/Kartevo.sqb"));
        QCOMPARE(session.settings().FontSize, 10);
        QVERIFY(QFileInfo(inst.programFolder() + QStringLiteral("/Html")).isDir());
        QVERIFY(QFileInfo(inst.programFolder() + QStringLiteral("/Images")).isDir());
        QVERIFY(!QFileInfo::exists(inst.dataHome()));
    }

    // Only a file with the client table is taken for the address book; anything else is
    // refused before a byte of it changes (the upgrade would add its tables to any database).
    void filesThatAreNotKartevoDatabasesAreLeftAsTheyWere_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // the file, when sql is empty
        QTest::addColumn<QString>("sql");      // another program's database made by this SQL
        QTest::addColumn<bool>("atDefaultPath"); // else named by the override, as kartevo-batch --db does
        QRandomGenerator random(1250);
        QByteArray noise(8192, Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);
        const QByteArray pdf("%PDF-1.4\n1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n"
                             "trailer\n<< /Root 1 0 R >>\n%%EOF\n");
        QTest::newRow("empty file") << QByteArray() << QString() << false;
        QTest::newRow("empty file at the default path") << QByteArray() << QString() << true;
        QTest::newRow("another program's database")
            << QByteArray()
            << QStringLiteral("CREATE TABLE jegyzet (id INTEGER PRIMARY KEY, szoveg TEXT);"
                              "INSERT INTO jegyzet VALUES (1, 'első'), (2, 'második');")
            << false;
        QTest::newRow("senders and postal codes only")
            << QByteArray()
            << QStringLiteral("CREATE TABLE tulajdonos (tulajdonos INTEGER, tulajdonos_nev CHAR(75));"
                              "CREATE TABLE irsz (id INTEGER, irsz CHAR(6), varos CHAR(30));")
            << true;
        QTest::newRow("client view, no client table")
            << QByteArray() << QStringLiteral("CREATE TABLE t (x); CREATE VIEW ugyfel AS SELECT x FROM t;") << false;
        QTest::newRow("random bytes") << noise << QString() << false;
        QTest::newRow("random bytes at the default path") << QByteArray(4096, 'x') << QString() << true;
        QTest::newRow("pdf") << pdf << QString() << false;
        QTest::newRow("short text") << QByteArray("nem adatbázis\n") << QString() << false;
    }
    void filesThatAreNotKartevoDatabasesAreLeftAsTheyWere()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, sql);
        QFETCH(bool, atDefaultPath);
        Installation inst;
        const Folders folders = inst.folders();
        QDir().mkpath(folders.DataFolder);
        const QString path = atDefaultPath ? folders.DataFolder + QStringLiteral("/Kartevo.sqb")
                                           : inst.dir.filePath(QStringLiteral("idegen.db"));
        WriteForeignFile(path, bytes, sql);
        const QByteArray before = ReadBytes(path);

        Session session(folders);
        Session::Options options;
        if (!atDefaultPath)
            options.databaseOverride = path;
        try {
            session.open(options);
            QFAIL("the file was taken for a database");
        } catch (const Error &error) {
            QCOMPARE(error.message(), QStringLiteral("Ez a fájl nem Kartevo adatbázis: ") + path);
        }
        QVERIFY(!session.db().isOpen());
        QCOMPARE(ReadBytes(path), before);
        for (const char *suffix : {"-journal", "-wal", "-shm"})
            QVERIFY2(!QFileInfo::exists(path + QLatin1String(suffix)), suffix);
    }

    // The delivered database is put in place only at a user's first start: a database that is
    // gone later is reported with its path, never replaced by an empty one.
    void deliveredDatabaseOnlyAtTheFirstStart_data()
    {
        QTest::addColumn<QByteArray>("ini"); // no configuration file when empty
        QTest::addColumn<bool>("portable");
        QTest::addColumn<bool>("copied");
        QTest::newRow("first start") << QByteArray() << false << true;
        QTest::newRow("database deleted since") << QByteArray("[Screen]\r\nFontSize=9\r\n") << false << false;
        QTest::newRow("empty configuration file") << QByteArray(" ") << false << false;
        QTest::newRow("configured default path")
            << QByteArray("[Database]\r\nPath=@/Kartevo.sqb\r\n") << false << false;
        QTest::newRow("portable without a database") << QByteArray("[Screen]\r\nFontSize=9\r\n") << true << false;
    }
    void deliveredDatabaseOnlyAtTheFirstStart()
    {
        QFETCH(QByteArray, ini);
        QFETCH(bool, portable);
        QFETCH(bool, copied);
        Installation inst;
        Folders folders = inst.folders();
        if (portable)
            folders.DataFolder = folders.ProgramFolder;
        const QString database = folders.DataFolder + QStringLiteral("/Kartevo.sqb");
        const QString iniFile = folders.DataFolder + QStringLiteral("/Kartevo.ini");
        if (!ini.isEmpty()) {
            QDir().mkpath(folders.DataFolder);
            WriteBytes(iniFile, ini.replace("@", QFile::encodeName(folders.DataFolder)));
        }

        Session session(inst.folders());
        QCOMPARE(session.open(), copied ? Session::OpenResult::Ok : Session::OpenResult::MissingDatabase);
        QCOMPARE(session.databasePath(), database);
        QCOMPARE(QFileInfo::exists(database), copied);
        QCOMPARE(session.db().isOpen(), copied);
        if (!copied)
            QCOMPARE(Session::MissingDatabaseText(session.databasePath()),
                     QStringLiteral("Nem létező adatbázis: ") + database);
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
