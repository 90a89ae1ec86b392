// The amount input and cheque dialogs, the direct print targets, and the cheque command run
// through its window entry point.
#include "core/error.h"
#include "core/session.h"
#include "core/tableview.h"
#include "fakeprompter.h"
#include "modaldriver.h"
#include "printing/stationery.h"
#include "testfiles.h"
#include "testfolders.h"
#include "ui/printing/frm_csekk.h"
#include "ui/printing/frm_inp.h"
#include "ui/printing/printcommands.h"
#include "ui/printing/printoutput.h"

#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qsciscintilla.h>
#undef signals
#undef slots

#include <QDir>
#include <QLineEdit>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTest>

using namespace kartevo;

class TestPrintDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void amountAcceptance_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("error");
        QTest::addColumn<qint64>("value");
        QTest::newRow("default") << QStringLiteral("1000") << QString() << qint64(1000);
        QTest::newRow("spaces removed") << QStringLiteral("1 500") << QString() << qint64(1500);
        QTest::newRow("largest") << QStringLiteral("2147483647") << QString() << qint64(2147483647);
        QTest::newRow("too large") << QStringLiteral("3000000000")
                                   << QStringLiteral("Túl nagy érték. Maximum 2147483647 lehet.") << qint64(0);
        QTest::newRow("not a number") << QStringLiteral("1-2") << QStringLiteral("Nem megfelelő érték.") << qint64(0);
        QTest::newRow("empty") << QString() << QStringLiteral("Nem megfelelő érték.") << qint64(0);
        QTest::newRow("negative") << QStringLiteral("-5")
                                  << QStringLiteral("Nem megfelelő érték: az összeg nem lehet negatív.") << qint64(0);
        QTest::newRow("fraction") << QStringLiteral("2.5")
                                  << QStringLiteral("Nem megfelelő érték: az összeg csak egész szám lehet.") << qint64(0);
    }
    void amountAcceptance()
    {
        QFETCH(QString, text);
        QFETCH(QString, error);
        QFETCH(qint64, value);
        test::FakePrompter prompter;
        Tfrm_Inp dialog(nullptr, QString(), 0);
        dialog.show();
        dialog.setValue(text);
        QTest::keyClick(dialog.edit(), Qt::Key_Return);
        if (error.isEmpty()) {
            QVERIFY(prompter.errors.isEmpty());
            QCOMPARE(dialog.result(), int(QDialog::Accepted));
            QCOMPARE(dialog.acceptedValue(), value);
        } else {
            QCOMPARE(prompter.errors, QStringList{error});
            QVERIFY(dialog.isVisible());
        }
    }

    void amountTyping()
    {
        Tfrm_Inp dialog(nullptr, QString(), 0);
        dialog.show();
        dialog.setValue(QString());
        QTest::keyClicks(dialog.edit(), QStringLiteral("1a2 b-3,.x"));
        QCOMPARE(dialog.edit()->text(), QStringLiteral("12-3,."));
    }

    void inputSzam()
    {
        test::FakePrompter prompter;
        qint64 value = 1000;
        test::WhenModal([](QWidget *modal) {
            QCOMPARE(modal->windowTitle(), QStringLiteral("Összeg"));
            auto *edit = test::Child<QLineEdit>(modal, "Edit1");
            QCOMPARE(edit->text(), QStringLiteral("1000"));
            QTest::keyClick(edit, Qt::Key_Escape);
        });
        QVERIFY(!InputSzam(nullptr, QStringLiteral("Összeg"), QStringLiteral("Add meg az összeget"), value));
        QCOMPARE(value, 1000);

        test::WhenModal([](QWidget *modal) {
            auto *edit = test::Child<QLineEdit>(modal, "Edit1");
            edit->clear();
            QTest::keyClicks(edit, QStringLiteral("2500"));
            QTest::keyClick(edit, Qt::Key_Return);
        });
        QVERIFY(InputSzam(nullptr, QStringLiteral("Összeg"), QStringLiteral("Add meg az összeget"), value));
        QCOMPARE(value, 2500);
    }

    void chequeDialog()
    {
        Tfrm_Csekk dialog(nullptr, QString(), 0);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Csekk (Belföldi postautalvány) kitöltés"));
        QCOMPARE(dialog.size(), QSize(325, 246));
        dialog.show();
        QCOMPARE(dialog.amountText(), QStringLiteral("0"));
        dialog.amountEdit()->clear();
        QTest::keyClicks(dialog.amountEdit(), QStringLiteral("12x,3-4"));
        QCOMPARE(dialog.amountText(), QStringLiteral("1234"));
        QsciScintilla *editor = dialog.editor();
        QCOMPARE(editor->edgeMode(), QsciScintilla::EdgeLine);
        QCOMPARE(editor->edgeColumn(), 30);
        QCOMPARE(editor->wrapMode(), QsciScintilla::WrapWord);
        QCOMPARE(editor->marginType(0), QsciScintilla::NumberMargin);
        QVERIFY(editor->marginWidth(0) > 0);
        editor->setText(QStringLiteral("1\n2\n3\n4\n5\n6\n"));
        QCOMPARE(dialog.message(), QStringLiteral("1\n2\n3\n4\n5\n6\n"));
    }

    void printDirFiles()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("nyomtato"));
        qputenv("KARTEVO_PRINT_DIR", folder.toLocal8Bit());
        PrintReportDirect(MakeBoritek(EnvelopeKind::C6));
        PrintReportDirect(MakeAjanlott());
        qunsetenv("KARTEVO_PRINT_DIR");
        QCOMPARE(QDir(folder).entryList(QDir::Files),
                 (QStringList{QStringLiteral("kartevo-0001.pdf"), QStringLiteral("kartevo-0002.pdf")}));
    }

    void noPrinterIsAnError()
    {
        if (!QPrinterInfo::defaultPrinter().isNull())
            QSKIP("this machine has a printer");
        qunsetenv("KARTEVO_PRINT_DIR");
        QVERIFY_THROWS_EXCEPTION(Error, PrintReportDirect(MakeBoritek(EnvelopeKind::C6)));
    }

    // aCsekk through the window entry point: dialog, front, turn-over question, back.
    void chequeCommand()
    {
        test::Installation inst;
        QTemporaryDir dbDir;
        Session::Options options;
        options.databaseOverride = test::DeliveredDatabase(dbDir);
        {
            Database db;
            db.open(options.databaseOverride);
            db.exec(test::DemoSql());
        }
        Session session(inst.folders());
        QCOMPARE(session.open(options), Session::OpenResult::Ok);
        session.settings().UsePrinter = true;
        TableView clients(session.db(), QStringLiteral("ugyfel"));
        clients.open();
        clients.moveTo(3);
        QTemporaryDir out;
        qputenv("KARTEVO_PRINT_DIR", out.path().toLocal8Bit());
        test::FakePrompter prompter;
        prompter.nextAnswer = true;
        PrintCommandContext context(session, clients);
        context.pickSender = [](QWidget *, int) { return -1; };
        test::WhenModal([](QWidget *modal) {
            auto *edit = test::Child<QLineEdit>(modal, "Edit1");
            edit->selectAll();
            QTest::keyClicks(edit, QStringLiteral("1500"));
            test::Child<QPushButton>(modal, "Button1")->click();
        });
        PrintCheque(nullptr, context);
        qunsetenv("KARTEVO_PRINT_DIR");
        QCOMPARE(prompter.questions.size(), 1);
        QVERIFY(prompter.questions.first().startsWith(QStringLiteral("Folytatás: Helyezze vissza")));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 2);
    }
};

QTEST_MAIN(TestPrintDialogs)
#include "tst_printdialogs.moc"
