// The "Biztonsági mentések" window and the copies the desktop program makes by itself: before
// an SQL script and the deletion of a used group, at closing once a day, and the offer of the
// newest good copy when the database is found damaged at start.
#include "core/backup.h"
#include "demowindow.h"
#include "faults.h"
#include "modaldriver.h"
#include "ui/masterdata/frm_csoport.h"
#include "ui/tools/frm_mentesek.h"
#include "ui/tools/frm_sql.h"

#include <QFileInfo>
#include <QTest>

// QScintilla's headers use Qt's plain keywords, which the build switches off.
#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qsciscintilla.h>
#undef signals
#undef slots

using namespace kartevo;
using namespace kartevo::test;

namespace {

QList<BackupInfo> Copies(Session &session)
{
    return ListBackups(session.folders().DataFolder, session.databasePath());
}

// Overwrites bytes in the middle of a database file.
void Damage(const QString &path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    for (qint64 page = 3; page < file.size() / 4096; page += 2) {
        file.seek(page * 4096 + 8);
        file.write(QByteArray(200, '\xA5'));
    }
}

} // namespace

class TestBackupWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Tfrm_Main::SetSplashEnabled(false); }

    // "Mentés most" lists a manual copy; "Visszaállítás" asks, and on Yes brings the clients
    // back and lists the replaced state as an automatic copy. The main window shows them anew.
    void backupAndRestoreThroughTheMainWindow()
    {
        DemoWindow demo;
        Session &session = demo.w().session();
        demo.w().session().db().exec(QStringLiteral("DELETE FROM ugyfel WHERE ugyfel > 10"));
        {
            Tfrm_Mentesek window(nullptr, session);
            window.show();
            QCOMPARE(window.copies().recordCount(), 0);
            QVERIFY(!window.aVisszaallit->isEnabled());
            window.aMentes->trigger();
            QCOMPARE(window.copies().recordCount(), 1);
            QCOMPARE(window.copies().asString(QStringLiteral("fajta")), QStringLiteral("kézi"));
            QCOMPARE(window.copies().asString(QStringLiteral("ok")), QStringLiteral("kérésre"));
            QCOMPARE(window.copies().value(QStringLiteral("ugyfelek")).toLongLong(), 10);
            QCOMPARE(window.DBGrid1->model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Időpont"));
        }
        const QString tenClients = Copies(session).first().path;
        demo.w().session().db().exec(QStringLiteral("DROP TABLE ugyfel"));
        const QString clientTable = QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE name = 'ugyfel'");

        // No keeps everything as it is.
        demo.prompter.nextAnswer = false;
        WhenModal([](QWidget *modal) {
            auto *window = qobject_cast<Tfrm_Mentesek *>(modal);
            QVERIFY(window);
            window->aVisszaallit->trigger();
            window->reject();
        });
        demo.trigger("aMentesek");
        QCOMPARE(demo.scalar(clientTable).toInt(), 0);
        QVERIFY(demo.prompter.questions.last().startsWith(QStringLiteral("Megerősítés: Visszaállítja az adatbázist")));

        demo.prompter.nextAnswer = true;
        WhenModal([](QWidget *modal) {
            auto *window = qobject_cast<Tfrm_Mentesek *>(modal);
            QVERIFY(window);
            window->aVisszaallit->trigger();
            QCOMPARE(window->copies().recordCount(), 2);
            QCOMPARE(window->copies().copies().first().reason, BackupReason::Restore);
            window->reject();
        });
        demo.trigger("aMentesek");
        QVERIFY2(demo.prompter.errors.isEmpty(), qPrintable(demo.prompter.errors.join(QLatin1Char('\n'))));
        QCOMPARE(demo.prompter.infos.last(),
                 QStringLiteral("Az adatbázis visszaállítva: ") + QFileInfo(tenClients).fileName());
        QCOMPARE(demo.rows(), 10);
        const QList<BackupInfo> copies = Copies(session);
        QCOMPARE(copies.first().kind, BackupKind::Automatic);
        QCOMPARE(copies.first().clients, -1); // the state without a client table
    }

    // A damaged copy is refused with the reason and the database is not touched.
    void damagedCopyIsRefused()
    {
        DemoWindow demo;
        Session &session = demo.w().session();
        const QString copy = MakeManualBackup(session);
        Damage(copy);
        const QByteArray before = ReadBytes(session.databasePath());
        Tfrm_Mentesek window(nullptr, session);
        window.show();
        window.aVisszaallit->trigger();
        QCOMPARE(demo.prompter.errors.size(), 1);
        QVERIFY2(demo.prompter.errors.first().startsWith(QStringLiteral("A mentés sérült, nem állítható vissza: ") + copy),
                 qPrintable(demo.prompter.errors.first()));
        QCOMPARE(ReadBytes(session.databasePath()), before);
        QCOMPARE(window.copies().recordCount(), 1);
    }

    // Deleting a group that clients belong to makes a copy first; an unused group does not.
    void usedGroupDeletion()
    {
        DemoWindow demo(QStringLiteral("INSERT INTO csoport (csoport, csoports) VALUES ('Üres', 'URES');"));
        Session &session = demo.w().session();
        Tfrm_Csoport list(nullptr, session, false);
        list.openList(QString());
        QVERIFY(list.table().locateValue(QStringLiteral("csoport"), QStringLiteral("Üres")));
        list.aTorol->trigger();
        QCOMPARE(Copies(session).size(), 0);
        const QString used = demo.scalar(QStringLiteral("SELECT csoport FROM ugyfel WHERE csoport IS NOT NULL LIMIT 1")).toString();
        QVERIFY(list.table().locateValue(QStringLiteral("csoport"), used));
        list.aTorol->trigger();
        QCOMPARE(Copies(session).size(), 1);
        QCOMPARE(Copies(session).first().reason, BackupReason::GroupDelete);
        QCOMPARE(demo.scalar(QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE csoport = '%1'").arg(used)).toInt(), 0);
    }

    // A script in the console makes its copy first; with a full disk it does not run at all.
    // A query (SELECT) changes nothing and makes no copy.
    void sqlScriptCopies()
    {
        DemoWindow demo;
        Session &session = demo.w().session();
        Tfrm_SQL console(nullptr, session);
        console.show();
        console.Memo1->setText(QStringLiteral("SELECT * FROM ugyfel"));
        console.aFuttat->trigger();
        QCOMPARE(Copies(session).size(), 0);

        console.Memo1->setText(QStringLiteral("DELETE FROM ugyfel WHERE ugyfel > 20;"));
        {
            FileSizeLimit limit(rlim_t(QFileInfo(session.databasePath()).size() / 2));
            console.aFuttat->trigger();
        }
        QCOMPARE(demo.prompter.errors.size(), 1);
        QVERIFY2(demo.prompter.errors.first().startsWith(QStringLiteral("Betelt a lemez, a biztonsági mentés nem készült el")),
                 qPrintable(demo.prompter.errors.first()));
        QCOMPARE(demo.scalar(QStringLiteral("SELECT COUNT(*) FROM ugyfel")).toInt(), 30);
        QVERIFY(FolderEntries(BackupFolder(session.folders().DataFolder)).isEmpty());

        console.aFuttat->trigger();
        QCOMPARE(demo.scalar(QStringLiteral("SELECT COUNT(*) FROM ugyfel")).toInt(), 20);
        QCOMPARE(Copies(session).size(), 1);
        QCOMPARE(Copies(session).first().reason, BackupReason::SqlScript);
        QCOMPARE(Copies(session).first().clients, 30);
    }

    // Closing makes one copy a day.
    void closingCopyOncePerDay()
    {
        DemoWindow demo;
        const QString dataFolder = demo.folders.DataFolder;
        const QString dbPath = demo.w().session().databasePath();
        demo.w().close();
        QCOMPARE(ListBackups(dataFolder, dbPath).size(), 1);
        QCOMPARE(ListBackups(dataFolder, dbPath).first().reason, BackupReason::Closing);
        Tfrm_Main again(demo.folders);
        again.close();
        QCOMPARE(ListBackups(dataFolder, dbPath).size(), 1);
    }

    // A database found damaged at start: Yes puts the newest good copy in its place; without a
    // copy the error names the file and the damaged database opens as it is.
    void damagedAtStart()
    {
        FakePrompter prompter;
        Installation inst;
        const Folders folders = DemoFolders(inst);
        const QString dbPath = folders.DataFolder + QStringLiteral("/Kartevo.sqb");
        WriteBackup(folders.DataFolder, dbPath, BackupKind::Automatic, BackupReason::Closing,
                    QDateTime::currentDateTime().addDays(-1));
        Damage(dbPath);
        {
            Tfrm_Main window(folders);
            QCOMPARE(prompter.questions.size(), 1);
            QVERIFY2(prompter.questions.first().startsWith(QStringLiteral("Sérült adatbázis: Az adatbázis sérült: ") + dbPath),
                     qPrintable(prompter.questions.first()));
            QVERIFY(prompter.errors.isEmpty());
            QCOMPARE(window.grid()->model()->rowCount(), 30);
            window.close();
        }
        QCOMPARE(QuickCheckProblem(dbPath), QString());

        QDir(BackupFolder(folders.DataFolder)).removeRecursively();
        Damage(dbPath);
        prompter.questions.clear();
        Tfrm_Main window(folders);
        QVERIFY(prompter.questions.isEmpty());
        QVERIFY2(!prompter.errors.isEmpty() && prompter.errors.first().contains(QStringLiteral("Nincs ép biztonsági mentés")),
                 qPrintable(prompter.errors.join(QLatin1Char('\n'))));
        QVERIFY(!window.startupStopped());
    }
};

QTEST_MAIN(TestBackupWindow)
#include "tst_backupwindow.moc"
