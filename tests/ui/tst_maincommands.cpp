// The main window's commands that reach other windows: the print commands as the user starts
// them from the client list, and the group filter following the group list.
#include "demowindow.h"
#include "core/schema.h"
#include "masterdata/masterdata.h"
#include "modaldriver.h"
#include "ui/masterdata/listwindow.h"

#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QPrintPreviewWidget>
#include <QProcess>
#include <QTemporaryDir>

using namespace kartevo;
using kartevo::test::Child;
using kartevo::test::DemoWindow;
using kartevo::test::TypeText;
using kartevo::test::WhenModal;

namespace {

using kartevo::test::PdfText;

QStringList PrintedFiles(const QTemporaryDir &dir)
{
    return QDir(dir.path()).entryList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Name);
}

} // namespace

class TestMainCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { Tfrm_Main::SetSplashEnabled(false); }

    void markedEnvelopeRunPrintsOneJobPerClientAndClearsEveryMark()
    {
        QTemporaryDir printDir;
        qputenv("KARTEVO_PRINT_DIR", printDir.path().toLocal8Bit());
        // A marked client of another group is printed too: the list is not filtered.
        DemoWindow demo(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (3, 9, 17);"));
        demo.w().printScopeBox()->setCurrentIndex(2);

        demo.trigger("aBoritek1");

        QCOMPARE(demo.prompter.errors, QStringList());
        QCOMPARE(demo.prompter.questions, QStringList()); // a marked run asks nothing
        const QStringList files = PrintedFiles(printDir);
        QCOMPARE(files.size(), 3);
        // In the order of the list (by name): Csillag, Kiss, Somogy.
        QVERIFY(PdfText(printDir.filePath(files.at(0))).contains(QStringLiteral("Csillag Nyomda Kft.")));
        QVERIFY(PdfText(printDir.filePath(files.at(1))).contains(QStringLiteral("Kiss Anna")));
        QVERIFY(PdfText(printDir.filePath(files.at(2))).contains(QStringLiteral("Somogy Megyei Kereskedelmi Kamara")));
        QCOMPARE(demo.scalar(QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE jelolve='I'")).toInt(), 0);
        QCOMPARE(demo.rows(), 30);
        qunsetenv("KARTEVO_PRINT_DIR");
    }

    // Shift+F3 shows the marked run as one document first: closing it prints nothing and keeps
    // the marks; printing from it (Ctrl+P) prints every envelope and then clears the marks.
    void markedRunPreviewedFirst()
    {
        QTemporaryDir printDir;
        qputenv("KARTEVO_PRINT_DIR", printDir.path().toLocal8Bit());
        DemoWindow demo(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (3, 9, 17);"));
        demo.showActive();
        demo.w().printScopeBox()->setCurrentIndex(2);
        const auto preview = [&](bool print) {
            int pages = -1;
            WhenModal([&](QWidget *shown) {
                QCOMPARE(shown->objectName(), QStringLiteral("frm_Preview"));
                auto *widget = shown->findChild<QPrintPreviewWidget *>();
                QVERIFY(widget);
                pages = widget->pageCount();
                if (!print) {
                    static_cast<QDialog *>(shown)->reject();
                    return;
                }
                for (QAction *action : shown->findChildren<QAction *>()) {
                    if (action->shortcut() == QKeySequence(QKeySequence::Print))
                        action->trigger();
                }
            });
            // The main window is active again after the previous preview closed.
            demo.showActive();
            QTest::keyClick(&demo.w(), Qt::Key_F3, Qt::ShiftModifier);
            return pages;
        };

        QCOMPARE(preview(false), 3);
        QVERIFY(PrintedFiles(printDir).isEmpty());
        QCOMPARE(demo.scalar(QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE jelolve='I'")).toInt(), 3);
        QCOMPARE(demo.prompter.infos, QStringList());

        QCOMPARE(preview(true), 3);
        QCOMPARE(demo.prompter.errors, QStringList());
        const QStringList files = PrintedFiles(printDir);
        QCOMPARE(files.size(), 3);
        QVERIFY(PdfText(printDir.filePath(files.at(0))).contains(QStringLiteral("Csillag Nyomda Kft.")));
        QCOMPARE(demo.scalar(QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE jelolve='I'")).toInt(), 0);
        QCOMPARE(demo.prompter.infos, QStringList{QStringLiteral("3 boríték elkészült (3 oldal); a kijelölések törölve")});
        qunsetenv("KARTEVO_PRINT_DIR");
    }

    void everyoneOfTheFilteredListAfterTheQuestion()
    {
        QTemporaryDir printDir;
        qputenv("KARTEVO_PRINT_DIR", printDir.path().toLocal8Bit());
        DemoWindow demo;
        demo.chooseGroup(QStringLiteral("Önkormányzatok"));
        demo.w().printScopeBox()->setCurrentIndex(1);

        demo.prompter.nextAnswer = false;
        demo.trigger("aAjanlott");
        QCOMPARE(demo.prompter.questions,
                 QStringList{QStringLiteral("Megerősítés: Összesen 5 tétel nyomtatása, folytassam?")});
        QVERIFY(PrintedFiles(printDir).isEmpty());

        demo.prompter.nextAnswer = true;
        demo.trigger("aAjanlott");
        QCOMPARE(PrintedFiles(printDir).size(), 5);
        qunsetenv("KARTEVO_PRINT_DIR");
    }

    void clientListPrintsTheGridAsOneJob()
    {
        QTemporaryDir printDir;
        qputenv("KARTEVO_PRINT_DIR", printDir.path().toLocal8Bit());
        DemoWindow demo;
        demo.trigger("aNyomtat");
        QCOMPARE(demo.prompter.errors, QStringList());
        const QStringList files = PrintedFiles(printDir);
        QCOMPARE(files.size(), 1);
        const QString text = PdfText(printDir.filePath(files.first()));
        QVERIFY(text.contains(QStringLiteral("Ügyfelek")));
        QVERIFY(text.contains(QStringLiteral("Almási és Társa Kft.")));
        QVERIFY(text.contains(QStringLiteral("Pusztai Tanya Vendéglő")));
        qunsetenv("KARTEVO_PRINT_DIR");
    }

    void directPrintWithoutAPrinterIsAnError()
    {
        qunsetenv("KARTEVO_PRINT_DIR");
        qputenv("CUPS_SERVER", "127.0.0.1:9"); // no print server to be found
        DemoWindow demo(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel = 3;"));
        demo.w().printScopeBox()->setCurrentIndex(2);
        demo.trigger("aBoritek2");
        QCOMPARE(demo.prompter.errors.size(), 1);
        // Nothing was printed, so the mark stays for the next try.
        QCOMPARE(demo.scalar(QStringLiteral("SELECT jelolve FROM ugyfel WHERE ugyfel = 3")).toString(),
                 QStringLiteral("I"));
        qunsetenv("CUPS_SERVER");
    }

    void groupChangesRefillTheGroupFilter()
    {
        DemoWindow demo;
        RunSQL(demo.w().session().db(),
               QStringLiteral("INSERT INTO csoport (csoport, csoports) VALUES ('Árusok', 'ARUSOK');"));
        QCOMPARE(demo.groups()->findText(QStringLiteral("Árusok")), -1);
        GroupEvents::instance().notify();
        QCOMPARE(demo.groups()->itemText(1), QStringLiteral("Árusok"));
    }

    // Rows the SQL console changed show in the list when it closes.
    void sqlConsoleChangesShowWhenItCloses()
    {
        DemoWindow demo;
        demo.showActive();
        const int before = demo.rows();
        WhenModal([&](QWidget *console) {
            RunSQL(demo.w().session().db(), QStringLiteral("DELETE FROM ugyfel WHERE ugyfel IN (1, 2)"));
            static_cast<QDialog *>(console)->reject();
        });
        demo.trigger("aSQL");
        QCOMPARE(demo.rows(), before - 2);
    }

    // Renamed in the group list, a group keeps its clients: the list shows them under the new
    // name, and the filter by the new name finds them.
    void aGroupRenamedInTheGroupListKeepsItsClients()
    {
        DemoWindow demo;
        demo.showActive();
        const qint64 suppliers = demo.scalar(QStringLiteral("SELECT COUNT(*) FROM ugyfel WHERE csoport='Szállítók'")).toLongLong();
        QVERIFY(suppliers > 0);
        WhenModal([](QWidget *window) {
            auto *list = qobject_cast<TListWindow *>(window);
            QVERIFY(list);
            QCOMPARE(list->objectName(), QStringLiteral("frm_Csoport"));
            QVERIFY(list->table().locateValue(QStringLiteral("csoport"), QStringLiteral("Szállítók")));
            WhenModal([](QWidget *dialog) {
                auto *name = Child<QLineEdit>(dialog, "DBEdit1");
                QVERIFY(name);
                name->selectAll();
                TypeText(name, QStringLiteral("Beszállítók"));
                Child<QPushButton>(dialog, "Button1")->click();
            });
            list->aSzerkeszt->trigger();
            list->aBezar->trigger();
        });
        demo.trigger("aCsoport");
        QCOMPARE(demo.prompter.errors, QStringList());

        int shownUnderTheNewName = 0;
        const int groupColumn = demo.list().table().fieldIndex(QStringLiteral("csoport"));
        for (int row = 0; row < demo.list().table().recordCount(); ++row)
            shownUnderTheNewName += demo.list().table().cell(row, groupColumn).toString() == QStringLiteral("Beszállítók");
        QCOMPARE(shownUnderTheNewName, suppliers);

        demo.chooseGroup(QStringLiteral("Beszállítók"));
        QCOMPARE(demo.rows(), suppliers);
        QCOMPARE(demo.groups()->findText(QStringLiteral("Szállítók")), -1);
    }
};

QTEST_MAIN(TestMainCommands)
#include "tst_maincommands.moc"
