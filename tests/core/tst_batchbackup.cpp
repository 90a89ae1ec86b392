// kartevo-batch backup, backups and restore, and the copies sql and import make first.
#include "core/backup.h"
#include "core/codec.h"
#include "core/database.h"
#include "batchrunner.h"
#include "faults.h"
#include "testfiles.h"
#include "testfolders.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>
#include <QThread>

#include <csignal>

#include <sys/stat.h>

using namespace kartevo;
using namespace kartevo::test;

namespace {

// The demo database in the data folder of a throwaway installation.
struct Place {
    Installation inst;
    Folders folders = DemoFolders(inst);
    QString db() const { return folders.DataFolder + QStringLiteral("/Kartevo.sqb"); }
    QString backups() const { return BackupFolder(folders.DataFolder); }
    BatchResult run(const QStringList &args, const std::function<void()> &childSetup = {}) const
    {
        return RunBatch(args, inst.dataHome(), childSetup);
    }
    QString file(const char *name) const { return inst.dir.filePath(QLatin1String(name)); }
};

qint64 Clients(const QString &path)
{
    Database db;
    db.open(path);
    return SqlValue(db, QStringLiteral("SELECT COUNT(*) FROM ugyfel")).toLongLong();
}

} // namespace

class TestBatchBackup : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // backup prints the path; backups lists newest first as path, time, clients and kind.
    void backupAndList()
    {
        Place place;
        const BatchResult first = place.run({QStringLiteral("backup")});
        QCOMPARE(first.code, 0);
        const QString manual = first.out.trimmed();
        QVERIFY2(QRegularExpression(QStringLiteral("/Backup/Kartevo-\\d{8}-\\d{6}(-\\d+)?\\.sqb$")).match(manual).hasMatch(),
                 qPrintable(manual));
        QVERIFY(QFileInfo(manual).isFile());

        const QString script = place.file("torol.sql");
        WriteBytes(script, ToCp1250(QStringLiteral("DELETE FROM ugyfel WHERE ugyfel > 20;\r\n")));
        QCOMPARE(place.run({QStringLiteral("sql"), script}).code, 0);
        QCOMPARE(Clients(place.db()), 20);

        const BatchResult listed = place.run({QStringLiteral("backups")});
        QCOMPARE(listed.code, 0);
        const QStringList lines = listed.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        const QStringList newest = lines.at(0).split(QLatin1Char('\t'));
        const QStringList oldest = lines.at(1).split(QLatin1Char('\t'));
        QCOMPARE(newest.size(), 4);
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")).match(newest.at(1)).hasMatch());
        // The copy the script made first holds the 30 clients it was about to delete.
        QCOMPARE(newest.at(2), QStringLiteral("30"));
        QCOMPARE(newest.at(3), QStringLiteral("auto"));
        QCOMPARE(oldest, (QStringList{manual, oldest.at(1), QStringLiteral("30"), QStringLiteral("manual")}));

        const QString outside = place.file("kulso.sqb");
        const BatchResult to = place.run({QStringLiteral("backup"), QStringLiteral("--to"), outside});
        QCOMPARE(to.code, 0);
        QCOMPARE(to.out, outside + QLatin1Char('\n'));
        QCOMPARE(Clients(outside), 20);
    }

    // sql DROP TABLE ugyfel, then restore of the copy sql made: the clients are back and the
    // dropped state is kept as an automatic copy.
    void dropThenRestore()
    {
        Place place;
        const QString script = place.file("drop.sql");
        WriteBytes(script, "DROP TABLE ugyfel;\r\n");
        QCOMPARE(place.run({QStringLiteral("sql"), script}).code, 0);
        const QStringList before = place.run({QStringLiteral("backups")}).out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(before.size(), 1);
        const QString copy = before.first().section(QLatin1Char('\t'), 0, 0);

        const BatchResult restored = place.run({QStringLiteral("restore"), copy});
        QCOMPARE(restored.code, 0);
        QCOMPARE(Clients(place.db()), 30);
        const QStringList after = place.run({QStringLiteral("backups")}).out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(after.size(), 2);
        QVERIFY(after.first().endsWith(QStringLiteral("\t?\tauto"))); // the state without clients
    }

    void refused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("reason");
        QTest::newRow("text") << QByteArray("nev;cim\nKiss;Pecs\n") << QString() << "nem Kartevo adatbázis";
        QTest::newRow("foreign database") << QByteArray() << QStringLiteral("CREATE TABLE t (a);") << "nem Kartevo adatbázis";
        QTest::newRow("truncated") << QByteArray("truncated") << QString() << "sérült";
    }
    // A foreign or damaged file: exit 1 with the reason, the database byte for byte as it was.
    void refused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, sql);
        QFETCH(QString, reason);
        Place place;
        const QString file = place.file("masik.sqb");
        if (bytes == "truncated") {
            const QByteArray whole = ReadBytes(place.db());
            WriteBytes(file, whole.left(whole.size() / 3));
        } else {
            WriteForeignFile(file, bytes, sql);
        }
        const QByteArray before = ReadBytes(place.db());
        const BatchResult result = place.run({QStringLiteral("restore"), file});
        QCOMPARE(result.code, 1);
        QVERIFY2(result.err.contains(reason) && result.err.contains(file), qPrintable(result.err));
        QCOMPARE(ReadBytes(place.db()), before);
        QVERIFY(!QFileInfo::exists(place.backups()));
    }

    void fullDiskStops_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("sql") << "sql";
        QTest::newRow("import") << "import";
    }
    // With a file-size limit below the database's size the copy fails: the script or import
    // does not start, the database stays as it was and no copy is left.
    void fullDiskStops()
    {
        QFETCH(QString, command);
        Place place;
        const QString input = place.file("bemenet.txt");
        WriteBytes(input, command == QLatin1String("sql") ? QByteArray("DELETE FROM ugyfel;\r\n")
                                                          : QByteArray("Új Ügyfél;;1234;Város;Utca 1;\r\n"));
        const QByteArray before = ReadBytes(place.db());
        const BatchResult result =
            place.run({command, input}, FileSizeLimitInChild(rlim_t(QFileInfo(place.db()).size() / 2)));
        QCOMPARE(result.code, 1);
        QVERIFY2(result.err.contains(QStringLiteral("Betelt a lemez, a biztonsági mentés nem készült el")),
                 qPrintable(result.err));
        QCOMPARE(ReadBytes(place.db()), before);
        QVERIFY(FolderEntries(place.backups()).isEmpty());
    }

    // kill -9 in the middle of a copy of a large database: no file under a copy's name, and the
    // list of copies stays empty.
    void killedDuringCopy()
    {
        Place place;
        {
            Database db;
            db.open(place.db());
            db.exec(QStringLiteral("CREATE TABLE ballaszt (b BLOB); INSERT INTO ballaszt VALUES (zeroblob(150000000));"));
        }
        QProcess process;
        StartBatch(process, {QStringLiteral("backup")}, place.inst.dataHome());
        QVERIFY(process.waitForStarted());
        // Wait until the unfinished copy has grown, then kill the tool.
        bool seen = false;
        for (int i = 0; i < 20000 && !seen && process.state() == QProcess::Running; ++i) {
            for (const QString &name : FolderEntries(place.backups())) {
                if (name.startsWith(QLatin1Char('.')) && QFileInfo(place.backups() + QLatin1Char('/') + name).size() > 4 << 20)
                    seen = true;
            }
            if (!seen)
                QThread::usleep(500);
        }
        if (!seen)
            QSKIP("the copy finished before it could be interrupted");
        ::kill(pid_t(process.processId()), SIGKILL);
        QVERIFY(process.waitForFinished());
        QCOMPARE(process.exitStatus(), QProcess::CrashExit);
        for (const QString &name : FolderEntries(place.backups()))
            QVERIFY2(name.startsWith(QLatin1Char('.')), qPrintable(name));
        const BatchResult listed = place.run({QStringLiteral("backups")});
        QCOMPARE(listed.code, 0);
        QCOMPARE(listed.out, QString());

        // The next copy clears away unfinished ones (and their journals) older than a day.
        const QSet<QString> leftovers = FolderEntries(place.backups());
        QVERIFY(!leftovers.isEmpty());
        for (const QString &name : leftovers) {
            QFile leftover(place.backups() + QLatin1Char('/') + name);
            QVERIFY(leftover.open(QIODevice::ReadWrite));
            QVERIFY(leftover.setFileTime(QDateTime::currentDateTime().addDays(-2), QFileDevice::FileModificationTime));
        }
        const BatchResult next = place.run({QStringLiteral("backup")});
        QCOMPARE(next.code, 0);
        QCOMPARE(FolderEntries(place.backups()), QSet<QString>{QFileInfo(next.out.trimmed()).fileName()});
    }
};

QTEST_GUILESS_MAIN(TestBatchBackup)
#include "tst_batchbackup.moc"
