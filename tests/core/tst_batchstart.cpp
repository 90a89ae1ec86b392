// kartevo-batch's start: the database it is given or finds, refused with the path named and
// the file left as it was when it is missing or not a Kartevo database.
#include "batchrunner.h"
#include "core/session.h"
#include "core/settings.h"
#include "testfiles.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace kartevo;
using namespace kartevo::test;

class TestBatchStart : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusedDatabases_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<QByteArray>("bytes"); // the file, when sql is empty
        QTest::addColumn<QString>("sql");      // another program's database made by this SQL
        QTest::addColumn<QString>("message");  // before the path
        const QString foreign = QStringLiteral("Ez a fájl nem Kartevo adatbázis: ");
        QTest::newRow("missing file") << false << QByteArray() << QString() << QStringLiteral("Nem létező adatbázis: ");
        QTest::newRow("empty file") << true << QByteArray() << QString() << foreign;
        QTest::newRow("another program's database")
            << true << QByteArray()
            << QStringLiteral("CREATE TABLE jegyzet (id INTEGER PRIMARY KEY, szoveg TEXT);"
                              "INSERT INTO jegyzet VALUES (1, 'első');")
            << foreign;
        QTest::newRow("random bytes") << true << QByteArray(4096, '\x9c') << QString() << foreign;
        QTest::newRow("pdf") << true << QByteArray("%PDF-1.4\n1 0 obj\n<< /Type /Catalog >>\nendobj\n%%EOF\n")
                             << QString() << foreign;
    }
    void refusedDatabases()
    {
        QFETCH(bool, exists);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, sql);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("ugyfelek.sqb"));
        if (exists)
            WriteForeignFile(path, bytes, sql);
        const QByteArray before = ReadBytes(path);

        const BatchResult result = RunBatch({QStringLiteral("--db"), path, QStringLiteral("info")},
                                            dir.filePath(QStringLiteral("xdg")));
        QCOMPARE(result.code, 1);
        QCOMPARE(result.err, message + path + QLatin1Char('\n'));
        QCOMPARE(QFileInfo::exists(path), exists);
        QCOMPARE(ReadBytes(path), before);
    }

    // An address book is personal data: a new data folder is 0700, the delivered database copied
    // into it and a new configuration file 0600; files already there keep their mode.
    void newFilesAreForTheirOwnerOnly()
    {
        QTemporaryDir dir;
        const QString home = dir.filePath(QStringLiteral("xdg"));
        const BatchResult result = RunBatch({QStringLiteral("info")}, home);
        QVERIFY2(result.code == 0, qPrintable(result.err));
        const auto mode = [](const QString &path) {
            struct stat info {};
            return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 0777) : -1;
        };
        QCOMPARE(mode(home + QStringLiteral("/Kartevo")), 0700);
        QCOMPARE(mode(home + QStringLiteral("/Kartevo/Kartevo.sqb")), 0600);
        const QString ini = home + QStringLiteral("/Kartevo/Kartevo.ini");
        SaveSettings(TBeall(), ini);
        QCOMPARE(mode(ini), 0600);
        QVERIFY(QFile::setPermissions(ini, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
        SaveSettings(TBeall(), ini);
        QCOMPARE(mode(ini), 0644);
    }

    // A path that leads to a folder, a device or a pipe is named as such, not as missing.
    void databasePathThatIsNoFile()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(QStringLiteral("cso.sqb"));
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        for (const QString &path : {dir.path(), fifo, QStringLiteral("/dev/null")}) {
            const BatchResult result = RunBatch({QStringLiteral("--db"), path, QStringLiteral("info")},
                                                dir.filePath(QStringLiteral("xdg")));
            QCOMPARE(result.code, 1);
            QCOMPARE(result.err, Session::NotAFileText(path) + QLatin1Char('\n'));
        }
    }

    // Without --db the tool finds the database as the program does: the delivered one is copied
    // at the first start only.
    void deliveredDatabaseOnlyAtTheFirstStart()
    {
        QTemporaryDir dir;
        const QString home = dir.filePath(QStringLiteral("xdg"));
        const QString database = home + QStringLiteral("/Kartevo/Kartevo.sqb");
        BatchResult result = RunBatch({QStringLiteral("info")}, home);
        QVERIFY2(result.code == 0, qPrintable(result.err));
        QVERIFY(result.out.contains(QStringLiteral("Database: ") + database));
        QVERIFY(QFileInfo::exists(database));

        // The user has run the program since, and the database has gone.
        WriteBytes(home + QStringLiteral("/Kartevo/Kartevo.ini"), "[Screen]\r\nFontSize=9\r\n");
        QVERIFY(QFile::remove(database));
        result = RunBatch({QStringLiteral("info")}, home);
        QCOMPARE(result.code, 1);
        QCOMPARE(result.err, QStringLiteral("Nem létező adatbázis: ") + database + QLatin1Char('\n'));
        QVERIFY(!QFileInfo::exists(database));
    }
};

QTEST_GUILESS_MAIN(TestBatchStart)
#include "tst_batchstart.moc"
