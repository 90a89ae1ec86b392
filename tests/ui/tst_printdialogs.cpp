// The amount input and cheque dialogs, the direct print targets, and the cheque command run
// through its window entry point.
#include "core/error.h"
#include "core/session.h"
#include "core/tableview.h"
#include "demowindow.h"
#include "fakeprompter.h"
#include "modaldriver.h"
#include "printing/stationery.h"
#include "testfiles.h"
#include "testfolders.h"
#include "ui/common/focuscolor.h"
#include "ui/printing/frm_csekk.h"
#include "ui/printing/frm_igazitas.h"
#include "ui/printing/frm_inp.h"
#include "ui/printing/printcommands.h"
#include "ui/printing/printoutput.h"

#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qsciscintilla.h>
#undef signals
#undef slots

#include <QDir>
#include <QDoubleSpinBox>
#include <QListWidget>
#include <QProcess>
#include <QRegularExpression>
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
        // Wider than the design's 325 pixels: the title bar has room for the caption.
        QCOMPARE(dialog.size(), QSize(390, 246));
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

    // Enter moves on and never prints by itself: only the OK button (clicked, or Enter while it
    // has the focus) accepts. In the message Enter starts a new line; Escape cancels anywhere.
    void chequeDialogKeys_data()
    {
        QTest::addColumn<QString>("focus"); // the control that has the focus
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("open");     // the dialog is still open afterwards
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("focusAfter");
        QTest::addColumn<QString>("message");
        const int stays = -1;
        QTest::newRow("Enter in the amount moves to the message")
            << "Edit1" << int(Qt::Key_Return) << true << stays << "SynEdit1" << "ab";
        QTest::newRow("keypad Enter in the amount as well")
            << "Edit1" << int(Qt::Key_Enter) << true << stays << "SynEdit1" << "ab";
        QTest::newRow("Enter in the message is a new line")
            << "SynEdit1" << int(Qt::Key_Return) << true << stays << "SynEdit1" << "ab\n";
        QTest::newRow("Enter on OK presses it")
            << "Button1" << int(Qt::Key_Return) << false << int(QDialog::Accepted) << "" << "ab";
        QTest::newRow("Enter on Mégsem presses it")
            << "Button2" << int(Qt::Key_Return) << false << int(QDialog::Rejected) << "" << "ab";
        QTest::newRow("Escape in the amount cancels")
            << "Edit1" << int(Qt::Key_Escape) << false << int(QDialog::Rejected) << "" << "ab";
        QTest::newRow("Escape in the message cancels")
            << "SynEdit1" << int(Qt::Key_Escape) << false << int(QDialog::Rejected) << "" << "ab";
    }
    void chequeDialogKeys()
    {
        QFETCH(QString, focus);
        QFETCH(int, key);
        QFETCH(bool, open);
        QFETCH(int, result);
        QFETCH(QString, focusAfter);
        QFETCH(QString, message);
        Tfrm_Csekk dialog(nullptr, QString(), 0);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        QCOMPARE(dialog.focusWidget(), dialog.amountEdit());
        dialog.editor()->setText(QStringLiteral("ab"));
        dialog.editor()->setCursorPosition(0, 2);
        auto *target = test::Child<QWidget>(&dialog, qPrintable(focus));
        target->setFocus();
        QCOMPARE(dialog.focusWidget(), target);
        const Qt::KeyboardModifiers modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
        QTest::keyClick(target, Qt::Key(key), modifiers);
        QCOMPARE(dialog.isVisible(), open);
        if (open)
            QCOMPARE(dialog.focusWidget()->objectName(), focusAfter);
        else
            QCOMPARE(dialog.result(), result);
        QCOMPARE(dialog.message(), message);
    }

    // The margin marker of the message stands after its 30th column, in the message's own font,
    // at the design size and at the font size of the settings.
    void chequeMessageMarkerAfterColumn30_data()
    {
        QTest::addColumn<int>("fontSize");
        QTest::newRow("design size") << 0;
        QTest::newRow("font size 8") << 8;
        QTest::newRow("font size 10") << 10;
    }
    void chequeMessageMarkerAfterColumn30()
    {
        QFETCH(int, fontSize);
        Tfrm_Csekk dialog(nullptr, QString(), fontSize);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        QsciScintilla *editor = dialog.editor();
        editor->setText(QString(20, QLatin1Char('x')));
        const auto columnX = [editor](int column) {
            return int(editor->SendScintilla(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0UL, long(column)));
        };
        // Column 30 of the text, from where columns 0 and 20 of this line stand.
        const double expected = columnX(0) + 1.5 * (columnX(20) - columnX(0));

        // The marker: the pixel column that shows the marker colour from top to bottom.
        const QImage image = editor->viewport()->grab().toImage();
        const QColor marker = editor->edgeColor();
        int markerX = -1;
        for (int x = 0; x < image.width() && markerX < 0; ++x) {
            int count = 0;
            for (int y = 0; y < image.height(); ++y)
                count += image.pixelColor(x, y) == marker ? 1 : 0;
            if (count > image.height() / 2)
                markerX = x;
        }
        QVERIFY2(markerX >= 0, "no margin marker");
        QVERIFY2(qAbs(markerX - expected) <= 1.5,
                 qPrintable(QStringLiteral("marker at %1, column 30 at %2").arg(markerX).arg(expected)));
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

    // aCsekk for the marked clients through the window entry point: every front, one turn-over
    // question, every back; the summary in a message, the marks gone. With no sender at all the
    // first print key says why the sender list is empty before it opens.
    void markedChequeRunAndNoSender()
    {
        test::Installation inst;
        QTemporaryDir dbDir;
        Session::Options options;
        options.databaseOverride = test::DeliveredDatabase(dbDir);
        {
            Database db;
            db.open(options.databaseOverride);
            db.exec(test::DemoSql());
            db.exec(QStringLiteral("UPDATE ugyfel SET jelolve='I' WHERE ugyfel IN (1, 22)"));
        }
        Session session(inst.folders());
        QCOMPARE(session.open(options), Session::OpenResult::Ok);
        session.settings().UsePrinter = true;
        session.settings().Only1Sender = true;
        TableView clients(session.db(), QStringLiteral("ugyfel"));
        clients.open();
        QTemporaryDir out;
        qputenv("KARTEVO_PRINT_DIR", out.path().toLocal8Bit());
        test::FakePrompter prompter;
        prompter.nextAnswer = true;
        PrintCommandContext context(session, clients);
        context.scope = 2;
        int pickerCalls = 0;
        context.pickSender = [&pickerCalls](QWidget *, int) {
            ++pickerCalls;
            return -1;
        };
        test::WhenModal([](QWidget *modal) {
            auto *edit = test::Child<QLineEdit>(modal, "Edit1");
            edit->selectAll();
            QTest::keyClicks(edit, QStringLiteral("1500"));
            test::Child<QPushButton>(modal, "Button1")->click();
        });
        PrintCheque(nullptr, context);
        QCOMPARE(prompter.questions.size(), 1);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 4);
        QCOMPARE(prompter.infos, QStringList{QStringLiteral("2 csekk elkészült (4 oldal); a kijelölések törölve")});
        QCOMPARE(test::SqlValue(session.db(), QStringLiteral("SELECT count(*) FROM ugyfel WHERE jelolve='I'")).toInt(), 0);

        prompter.infos.clear();
        session.db().exec(QStringLiteral("DELETE FROM tulajdonos"));
        context.scope = 0;
        PrintEnvelopes(nullptr, context, EnvelopeKind::C6);
        qunsetenv("KARTEVO_PRINT_DIR");
        QCOMPARE(pickerCalls, 1);
        QCOMPARE(prompter.infos, QStringList{QStringLiteral("Még nincs feladó. Vegyen fel egyet a Feladók listában.")});
        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 4);
    }

    // Rendszer / Nyomtatás igazítása as a new user goes about it: the C6 calibration sheet into
    // the print folder, the measured offset typed in (Enter moves on, the field in the focus
    // colour), OK; the next C6 envelope lands moved by exactly that, and the offset is in the
    // configuration file at once.
    void alignmentDialogSetsTheOffsetOfTheNextPrint()
    {
        QTemporaryDir out;
        qputenv("KARTEVO_PRINT_DIR", out.path().toLocal8Bit());
        test::DemoWindow demo;
        demo.showActive();
        const auto nameAt = [&](int number) {
            QProcess process;
            process.start(QStringLiteral("pdftotext"),
                          {QStringLiteral("-bbox"), out.filePath(QStringLiteral("kartevo-%1.pdf").arg(number, 4, 10, QLatin1Char('0'))),
                           QStringLiteral("-")});
            process.waitForFinished(30000);
            const auto match = QRegularExpression(QStringLiteral("xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>Almási</word>"))
                                   .match(QString::fromUtf8(process.readAllStandardOutput()));
            return match.hasMatch() ? QPointF(match.captured(1).toDouble(), match.captured(2).toDouble()) * 25.4 / 72
                                    : QPointF(-100, -100);
        };
        demo.trigger("aBoritek1"); // kartevo-0001.pdf, without an offset

        test::WhenModal([](QWidget *modal) {
            auto *dialog = qobject_cast<Tfrm_Igazitas *>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->windowTitle(), QStringLiteral("Nyomtatás igazítása"));
            QCOMPARE(dialog->familyList()->count(), 9);
            QCOMPARE(dialog->selectedFamily(), PrintFamily::C6);
            dialog->sheetButton()->click(); // kartevo-0002.pdf
            auto *line = dialog->horizontalEdit()->findChild<QLineEdit *>();
            dialog->horizontalEdit()->setFocus();
            QTRY_COMPARE(line->palette().color(QPalette::Base), FocusColor);
            QCOMPARE(dialog->verticalEdit()->findChild<QLineEdit *>()->palette().color(QPalette::Base),
                     dialog->familyList()->palette().color(QPalette::Base));
            line->selectAll();
            QTest::keyClicks(line, QStringLiteral("1,5"));
            QTest::keyClick(line, Qt::Key_Return);
            QTRY_VERIFY(dialog->verticalEdit()->hasFocus());
            auto *vertical = dialog->verticalEdit()->findChild<QLineEdit *>();
            vertical->selectAll();
            QTest::keyClicks(vertical, QStringLiteral("-2"));
            QVERIFY(dialog->familyList()->item(0)->text().contains(QStringLiteral("+1,5 / -2,0 mm")));
            test::Child<QPushButton>(modal, "Button1")->click();
        });
        demo.trigger("aIgazitas");
        QCOMPARE(demo.w().session().settings().calibration.of(PrintFamily::C6), (PrintOffset{1.5, -2.0}));
        QVERIFY(test::ReadBytes(demo.folders.IniFileName).contains("[Calibration]\r\nC6X=1.5\r\nC6Y=-2\r\n"));

        demo.trigger("aBoritek1"); // kartevo-0003.pdf
        qunsetenv("KARTEVO_PRINT_DIR");
        QCOMPARE(QDir(out.path()).entryList(QDir::Files).size(), 3);
        QVERIFY(test::PdfText(out.filePath(QStringLiteral("kartevo-0002.pdf"))).contains(QStringLiteral("X = 20,0 mm, Y = 20,0 mm")));
        const QPointF moved = nameAt(3) - nameAt(1);
        QVERIFY2(std::abs(moved.x() - 1.5) < 0.05 && std::abs(moved.y() + 2.0) < 0.05,
                 qPrintable(QStringLiteral("%1, %2").arg(moved.x()).arg(moved.y())));
    }

    // Mégsem keeps every offset; the dialog keeps its place either way.
    void alignmentDialogCancelChangesNothing()
    {
        test::DemoWindow demo({}, "[Calibration]\r\nCodY=-3\r\n[frm_Igazitas]\r\nLeft=120\r\nTop=90\r\n");
        demo.showActive();
        test::WhenModal([](QWidget *modal) {
            auto *dialog = qobject_cast<Tfrm_Igazitas *>(modal);
            QVERIFY(dialog);
            QCOMPARE(dialog->pos(), QPoint(120, 90));
            dialog->familyList()->setCurrentRow(6);
            QCOMPARE(dialog->selectedFamily(), PrintFamily::Cod);
            QCOMPARE(dialog->verticalEdit()->value(), -3.0);
            dialog->horizontalEdit()->setValue(4);
            dialog->move(140, 100);
            QTest::keyClick(dialog->horizontalEdit()->findChild<QLineEdit *>(), Qt::Key_Escape);
        });
        demo.trigger("aIgazitas");
        QCOMPARE(demo.w().session().settings().calibration.of(PrintFamily::Cod), (PrintOffset{0, -3}));
        const QByteArray ini = test::ReadBytes(demo.folders.IniFileName);
        QVERIFY(ini.contains("CodY=-3\r\n"));
        QVERIFY(ini.contains("[frm_Igazitas]\r\nLeft=140\r\nTop=100\r\n"));
    }
};

QTEST_MAIN(TestPrintDialogs)
#include "tst_printdialogs.moc"
