// The windows when a write fails underneath them: the message a user sees names what failed,
// nothing stored before is lost, and the window goes on working once the fault is gone.
#include "core/codec.h"
#include "demowindow.h"
#include "faults.h"
#include "modaldriver.h"
#include "ui/exchange/frm_hatarolt.h"
#include "ui/exchange/frm_import.h"

#include <QDir>
#include <QPushButton>
#include <QComboBox>
#include <QTest>

#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qsciscintilla.h>
#undef signals
#undef slots

using namespace kartevo;
using namespace kartevo::test;

class TestFaultWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Tfrm_Main::SetSplashEnabled(false); }

    // Another program writes into the database: the import says so, adds nothing, and loads the
    // same text once the other program is done.
    void importOnLockedDatabase()
    {
        DemoWindow demo;
        demo.showActive();
        const QString database = demo.w().session().databasePath();
        bool checked = false;
        WhenModal([&](QWidget *modal) {
            auto *window = qobject_cast<Tfrm_Import *>(modal);
            QVERIFY(window);
            window->cbFajta->setCurrentIndex(1); // the program's own fixed order
            window->SynEdit1->setText(QStringLiteral("Első Kft.\nMásodik Bt."));
            {
                DatabaseLock lock(database, false);
                window->aBetolt->trigger();
            }
            QCOMPARE(demo.prompter.errors.size(), 1);
            const QString error = demo.prompter.errors.first();
            QVERIFY2(error.contains(QStringLiteral("zárolva")) && error.contains(database), qPrintable(error));
            QVERIFY(demo.prompter.infos.isEmpty());
            QCOMPARE(demo.rows(), 30);
            window->aBetolt->trigger();
            QCOMPARE(demo.prompter.infos, QStringList{QStringLiteral("Betöltés kész.")});
            QCOMPARE(demo.rows(), 32);
            window->aBezar->trigger();
            checked = true;
        });
        demo.trigger("aImport");
        QVERIFY(checked);
    }

    // A mark that cannot be written because the database's folder is read-only: the message
    // names the folder, the mark stays as it was, and the list goes on.
    void markInReadOnlyFolder()
    {
        DemoWindow demo;
        demo.showActive();
        const QString folder = demo.folders.DataFolder;
        QVERIFY(SetMode(folder, 0555));
        {
            ModesApply modes;
            demo.trigger("aJelol");
        }
        SetMode(folder, 0755);
        QCOMPARE(demo.prompter.errors.size(), 1);
        QVERIFY2(demo.prompter.errors.first().contains(folder), qPrintable(demo.prompter.errors.first()));
        QCOMPARE(demo.scalar(QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")).toInt(), 0);
        demo.trigger("aJelol");
        QCOMPARE(demo.scalar(QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")).toInt(), 1);
    }

    // The disk fills up under an export: "Hiba: " and the file's name, the previous file of that
    // name as it was, no temporary file; the next export with room works.
    void exportOnFullDisk()
    {
        DemoWindow demo;
        const QString folder = demo.inst.dir.filePath(QStringLiteral("ki"));
        QDir().mkpath(folder);
        const QString file = folder + QStringLiteral("/ugyfelek.csv");
        WriteBytes(file, "az előző export");
        Tfrm_Hatarolt window(&demo.w(), demo.w().session(), demo.list().table(), {}, file);
        {
            FileSizeLimit limit(512);
            window.Button1->click();
        }
        QCOMPARE(demo.prompter.errors.size(), 1);
        const QString error = demo.prompter.errors.first();
        QVERIFY2(error.startsWith(QStringLiteral("Hiba: A fájl nem írható: ") + file), qPrintable(error));
        QCOMPARE(ReadBytes(file), QByteArray("az előző export"));
        QCOMPARE(FolderEntries(folder), QSet<QString>{QStringLiteral("ugyfelek.csv")});
        window.Button1->click();
        QCOMPARE(demo.prompter.infos, QStringList{file + QStringLiteral(" file kész.")});
        QCOMPARE(FromCp1250(ReadBytes(file)).count(QStringLiteral("\r\n")), 31);
    }

    // A configuration file the user made read-only: closing the program says that the settings
    // cannot be written, and the file stays as it was.
    void closeWithReadOnlySettings()
    {
        const QByteArray ini = "[Screen]\r\nFontSize=10\r\n";
        DemoWindow demo({}, ini);
        demo.showActive();
        const QString iniFile = demo.folders.IniFileName;
        QVERIFY(SetMode(iniFile, 0444));
        {
            ModesApply modes;
            demo.w().close();
        }
        QVERIFY(!demo.prompter.errors.isEmpty());
        const QString error = demo.prompter.errors.first();
        QVERIFY2(error.startsWith(QStringLiteral("A beállítások nem írhatók: ") + iniFile), qPrintable(error));
        QCOMPARE(ReadBytes(iniFile), ini);
    }
};

QTEST_MAIN(TestFaultWindows)
#include "tst_faultwindows.moc"
