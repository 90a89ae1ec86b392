#include "core/database.h"
#include "core/error.h"
#include "core/session.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QFileInfo>
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

    void databaseThatIsNotSqliteFailsWithTheEnginesMessage()
    {
        Installation inst(false);
        const Folders folders = inst.folders();
        QDir().mkpath(folders.DataFolder);
        WriteBytes(folders.DataFolder + QStringLiteral("/Kartevo.sqb"), QByteArray(4096, 'x'));
        Session session(folders);
        QVERIFY_THROWS_EXCEPTION(Error, session.open());
    }
};

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
