// The import, export and HTML windows opened from the client list, worked as a user would.
#include "core/codec.h"
#include "core/query.h"
#include "demowindow.h"
#include "fakefiledialogs.h"
#include "modaldriver.h"
#include "ui/exchange/frm_grid2html.h"
#include "ui/exchange/frm_hatarolt.h"
#include "ui/exchange/frm_import.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <QToolButton>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QComboBox>
#include <QTest>

#define signals Q_SIGNALS
#define slots Q_SLOTS
#include <Qsci/qsciscintilla.h>
#undef signals
#undef slots

using namespace kartevo;
using namespace kartevo::test;

namespace {

// The number the editor's gutter shows beside a line.
QString GutterText(QsciScintilla *editor, int line)
{
    if (editor->marginType(0) == QsciScintilla::NumberMargin)
        return QString::number(line + 1);
    QByteArray text(int(editor->SendScintilla(QsciScintillaBase::SCI_MARGINGETTEXT, line, static_cast<char *>(nullptr))), '\0');
    editor->SendScintilla(QsciScintillaBase::SCI_MARGINGETTEXT, line, text.data());
    return QString::fromUtf8(text);
}

} // namespace

class TestExchangeWindows : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { Tfrm_Main::SetSplashEnabled(false); }

    void cleanup()
    {
        Tfrm_Grid2Html::SetFileOpener(nullptr);
        Tfrm_Grid2Html::SetProgramStarter(nullptr);
    }

    // A UTF-8 file opened, its header line ticked off and loaded: the clients and the new group
    // show in the list while the window is still open.
    void importWindow()
    {
        DemoWindow demo;
        demo.showActive();
        FakeFileDialogs dialogs;
        dialogs.answer = demo.inst.dir.filePath(QStringLiteral("új.csv"));
        WriteBytes(dialogs.answer, QByteArray("\xEF\xBB\xBF")
                                       + QStringLiteral("Név;Kapcsolat;Irsz;Város;Cím;Csoport\r\n"
                                                        "Őszi Kertészet Kft.;Rózsa Ödön;6720;Szeged;Tisza L. krt. 1.;Kertészek\r\n"
                                                        "Zöld Iroda Bt.;;;;;kertészek\r\n")
                                             .toUtf8());
        bool checked = false;
        WhenModal([&](QWidget *modal) {
            auto *window = qobject_cast<Tfrm_Import *>(modal);
            QVERIFY(window);
            window->cbFajta->setCurrentIndex(1); // the program's own fixed order
            QCOMPARE(window->SynEdit1->text(), QString());
            QCOMPARE(window->aMegnyit->shortcut(), QKeySequence(QStringLiteral("Ctrl+O")));
            QCOMPARE(window->aBetolt->shortcut(), QKeySequence(QStringLiteral("Ctrl+R")));
            window->aMegnyit->trigger();
            QCOMPARE(dialogs.asked.size(), 1);
            QVERIFY(window->SynEdit1->text().startsWith(QStringLiteral("Név;")));
            QCOMPARE(window->EncodingLabel->text(), QStringLiteral("Kódolás: UTF-8"));
            QCOMPARE(GutterText(window->SynEdit1, 0), QStringLiteral("1"));
            window->CheckBox1->click();
            QCOMPARE(GutterText(window->SynEdit1, 0), QStringLiteral("0"));
            QCOMPARE(GutterText(window->SynEdit1, 2), QStringLiteral("2"));
            window->aBetolt->trigger();
            QCOMPARE(demo.prompter.infos, QStringList{QStringLiteral("Betöltés kész.")});
            QCOMPARE(demo.rows(), 32);
            QVERIFY(demo.groups()->findText(QStringLiteral("Kertészek")) >= 0);
            window->aBezar->trigger();
            checked = true;
        });
        demo.trigger("aImport");
        QVERIFY(checked);
        QCOMPARE(demo.scalar(QStringLiteral("SELECT ugyfel_nev || '|' || csoport FROM ugyfel WHERE ugyfel = 32")).toString(),
                 QStringLiteral("Zöld Iroda Bt.|kertészek"));
        QCOMPARE(demo.scalar(QStringLiteral("SELECT count(*) FROM csoport WHERE csoport LIKE '%ertészek'")).toInt(), 1);
        QVERIFY(demo.prompter.errors.isEmpty());
    }

    // A failing client is shown as an error; the clients before it are in the list.
    void importStopsAtFailingClient()
    {
        DemoWindow demo(QStringLiteral("CREATE TRIGGER tilt BEFORE INSERT ON ugyfel WHEN NEW.ugyfel_nev = 'HIBA' "
                                       "BEGIN SELECT RAISE(ABORT, 'tiltva'); END;"));
        demo.showActive();
        WhenModal([&](QWidget *modal) {
            auto *window = qobject_cast<Tfrm_Import *>(modal);
            QVERIFY(window);
            window->cbFajta->setCurrentIndex(1); // the program's own fixed order
            window->SynEdit1->setText(QStringLiteral("Első\nHIBA\nHarmadik"));
            window->aBetolt->trigger();
            QCOMPARE(demo.prompter.errors, QStringList{QStringLiteral("A(z) 2. sor nem tölthető be: tiltva")});
            QVERIFY(demo.prompter.infos.isEmpty());
            QCOMPARE(demo.rows(), 31);
            window->reject();
        });
        demo.trigger("aImport");
    }

    // The client table exported as text with two ticked fields, then as a worksheet.
    void exportWindow()
    {
        DemoWindow demo;
        demo.showActive();
        FakeFileDialogs dialogs;
        const QString text = demo.inst.dir.filePath(QStringLiteral("ki.csv"));
        const QString sheet = demo.inst.dir.filePath(QStringLiteral("ki.XLS"));
        dialogs.answer = text;
        WhenModal([&](QWidget *modal) {
            auto *window = qobject_cast<Tfrm_Hatarolt *>(modal);
            QVERIFY(window);
            QCOMPARE(window->CheckListBox1->count(), 12);
            QCOMPARE(window->CheckListBox1->item(1)->text(), QStringLiteral("ugyfel_nev"));
            window->Button5->click();
            window->CheckListBox1->item(1)->setCheckState(Qt::Checked);
            window->CheckListBox1->item(4)->setCheckState(Qt::Checked);
            window->QuoteButtons[0]->click();
            QVERIFY(!window->Button3->isEnabled());
            window->Button1->click(); // an empty name asks for one
            QCOMPARE(window->Edit1->text(), text);
            QCOMPARE(demo.prompter.infos, QStringList{text + QStringLiteral(" file kész.")});
            window->Edit1->setText(sheet);
            window->Button1->click();
            // A worksheet is told as done as a text file is.
            QCOMPARE(demo.prompter.infos.size(), 2);
            QCOMPARE(demo.prompter.infos.last(), sheet + QStringLiteral(" file kész."));
            window->Button2->click();
        });
        demo.trigger("aExcelbe");
        const QStringList lines = FromCp1250(ReadBytes(text)).split(QStringLiteral("\r\n"));
        QCOMPARE(lines.size(), 32);
        QCOMPARE(lines.at(0), QStringLiteral("\"ügyfél\";\"város\";"));
        QCOMPARE(lines.at(1), QStringLiteral("\"Almási és Társa Kft.\";\"Budapest\";"));
        QCOMPARE(ReadBytes(sheet).left(8), QByteArray::fromHex("0900040002001000"));
        QVERIFY(demo.prompter.errors.isEmpty());
    }

    // Any open data set can be exported, a query result as well; a failure is shown as "Hiba: ".
    void exportWindowOnAQuery()
    {
        DemoWindow demo;
        FakePrompter &prompter = demo.prompter;
        Query query(demo.w().session().db());
        query.setSql(QStringLiteral("SELECT csoport, count(*) AS db FROM ugyfel GROUP BY csoport ORDER BY 1"));
        query.open();
        const QString file = demo.inst.dir.filePath(QStringLiteral("csoportok.txt"));
        Tfrm_Hatarolt window(&demo.w(), demo.w().session(), query, {}, file);
        QCOMPARE(window.CheckListBox1->count(), 2);
        window.CheckBox2->click();
        window.SeparatorButtons[3]->click();
        window.Button1->click();
        QCOMPARE(FromCp1250(ReadBytes(file)),
                 QStringLiteral("csoport|db|\r\nPartnerek|14|\r\nSzállítók|11|\r\nÖnkormányzatok|5|\r\n"));
        window.Edit1->setText(demo.inst.dir.filePath(QStringLiteral("nincs/mappa/x.csv")));
        window.Button1->click();
        QCOMPARE(prompter.errors.size(), 1);
        QVERIFY(prompter.errors.first().startsWith(QStringLiteral("Hiba: ")));
    }

    // In the real save dialog, "Excel munkalap" chosen and a name typed without an extension
    // give a worksheet (not a .csv), and the worksheet is told as done.
    void chosenFilterGivesTheExtension()
    {
        DemoWindow demo;
        demo.showActive();
        const QString folder = demo.inst.dir.filePath(QStringLiteral("kivitel"));
        QVERIFY(QDir().mkpath(folder));
        bool checked = false;
        WhenModal([&](QWidget *modal) {
            auto *window = qobject_cast<Tfrm_Hatarolt *>(modal);
            QVERIFY(window);
            window->Edit1->setText(folder + QStringLiteral("/"));
            WhenModal([&](QWidget *dialogWidget) {
                auto *dialog = qobject_cast<QFileDialog *>(dialogWidget);
                QVERIFY(dialog);
                auto *types = dialog->findChild<QComboBox *>(QStringLiteral("fileTypeCombo"));
                auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
                QVERIFY(types && name);
                // As a user picks it: with the keyboard.
                types->setFocus();
                QTest::keyClick(types, Qt::Key_Down);
                QTest::keyClick(types, Qt::Key_Down);
                QCOMPARE(types->currentText(), QStringLiteral("Excel munkalap (*.xls)"));
                name->setFocus();
                name->setText(QStringLiteral("lap"));
                QTest::keyClick(name, Qt::Key_Return);
            });
            window->SpeedButton1->click();
            QCOMPARE(window->Edit1->text(), folder + QStringLiteral("/lap.xls"));
            window->Button1->click();
            QCOMPARE(demo.prompter.infos, QStringList{folder + QStringLiteral("/lap.xls file kész.")});
            window->Button2->click();
            checked = true;
        });
        demo.trigger("aExcelbe");
        QVERIFY(checked);
        QCOMPARE(ReadBytes(folder + QStringLiteral("/lap.xls")).left(4), QByteArray::fromHex("09000400"));
        QVERIFY(!QFileInfo::exists(folder + QStringLiteral("/lap.csv")));
        QVERIFY(demo.prompter.errors.isEmpty());
    }

    // "E-Mail" hands the page to xdg-email and tells when that fails: without a mail program
    // (its exit code 3) or with another error; a hand-over that works says nothing.
    void mailHandOverFailures_data()
    {
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("error");
        QTest::newRow("no mail program") << 3 << QStringLiteral("A levél nem adható át: nincs beállított levelezőprogram. ");
        QTest::newRow("other failure") << 4 << QStringLiteral("(xdg-email, hibakód: 4)");
        QTest::newRow("handed over") << 0 << QString();
    }

    void mailHandOverFailures()
    {
        QFETCH(int, exitCode);
        QFETCH(QString, error);
        DemoWindow demo;
        demo.showActive();
        QTemporaryDir bin;
        const QString script = bin.filePath(QStringLiteral("xdg-email"));
        const QString arguments = bin.filePath(QStringLiteral("arguments"));
        WriteBytes(script, QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1'\nexit %2\n")
                               .arg(arguments).arg(exitCode).toUtf8());
        QVERIFY(QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin.path()) + ':' + path);
        const QString page = demo.w().session().settings().HtmlPath + QStringLiteral("/_gyfelek.htm");
        WhenModal([&](QWidget *modal) {
            auto *window = qobject_cast<Tfrm_Grid2Html *>(modal);
            QVERIFY(window);
            window->Button3->click();
            // The hand-over runs on its own; its end is heard while the window is open.
            QTRY_VERIFY(QCoreApplication::instance()->findChildren<QProcess *>().isEmpty());
            window->Button2->click();
        });
        demo.trigger("aHtml");
        qputenv("PATH", path);
        QCOMPARE(QString::fromUtf8(ReadBytes(arguments)).split(u'\n', Qt::SkipEmptyParts),
                 (QStringList{QStringLiteral("--subject"), QStringLiteral("Html küldés"), QStringLiteral("--body"),
                              QStringLiteral("Html küldés"), QStringLiteral("--attach"), page}));
        if (error.isEmpty()) {
            QVERIFY(demo.prompter.errors.isEmpty());
        } else {
            QCOMPARE(demo.prompter.errors.size(), 1);
            QVERIFY2(demo.prompter.errors.first().contains(error) && demo.prompter.errors.first().endsWith(page),
                     qPrintable(demo.prompter.errors.first()));
        }
    }

    // OK writes the page to the HTML folder and opens it; E-Mail clears the switch, writes the
    // page and hands it to the mail program.
    void htmlWindow()
    {
        DemoWindow demo;
        demo.showActive();
        QStringList opened;
        QStringList started;
        Tfrm_Grid2Html::SetFileOpener([&](const QString &file) { opened.append(file); });
        Tfrm_Grid2Html::SetProgramStarter([&](const QString &program, const QStringList &args) {
            started.append(program + u' ' + args.join(u' '));
            return true;
        });
        const QString page = demo.w().session().settings().HtmlPath + QStringLiteral("/_gyfelek.htm");
        WhenModal([&](QWidget *modal) {
            auto *window = qobject_cast<Tfrm_Grid2Html *>(modal);
            QVERIFY(window);
            QCOMPARE(window->Edit1->text(), page);
            QVERIFY(window->CheckBox1->isChecked());
            window->Button3->click();
            QVERIFY(!window->CheckBox1->isChecked());
            QVERIFY(opened.isEmpty());
            QCOMPARE(started, QStringList{QStringLiteral("xdg-email --subject Html küldés --body Html küldés --attach ") + page});
            QVERIFY(window->isVisible());
            window->CheckBox1->click();
            window->Button1->click();
        });
        demo.trigger("aHtml");
        QCOMPARE(opened, QStringList{page});
        const QString html = FromCp1250(ReadBytes(page));
        QVERIFY(html.contains(QStringLiteral("<strong>kapcsolattartó</strong>")));
        QVERIFY(html.contains(QStringLiteral("Összesen 30 sor.")));
        QVERIFY(html.contains(QStringLiteral(">Almási és Társa Kft.</font>")));
        QVERIFY(demo.prompter.errors.isEmpty());
    }
};

QTEST_MAIN(TestExchangeWindows)
#include "tst_exchangewindows.moc"
